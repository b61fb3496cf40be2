#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <string>

namespace testing_support
{
// Everything below a folder, by relative path with "/" separators: "dir", "file:" + the
// exact bytes, or "link:" + the link's target. Links are recorded, never followed.
using TreeSnapshot = std::map<std::string, std::string>;

inline void addToSnapshot(TreeSnapshot& snapshot, const juce::File& root, const juce::File& item)
{
    const auto path = item.getRelativePathFrom(root).replaceCharacter('\\', '/').toStdString();
    if (item.isSymbolicLink())
    {
        snapshot[path] = "link:" + item.getNativeLinkedTarget().toStdString();
    }
    else if (item.isDirectory())
    {
        snapshot[path] = "dir";
        for (const auto& child : item.findChildFiles(juce::File::findFilesAndDirectories, false))
            addToSnapshot(snapshot, root, child);
    }
    else
    {
        juce::MemoryBlock bytes;
        item.loadFileAsData(bytes);
        snapshot[path] = "file:" + std::string(static_cast<const char*>(bytes.getData()), bytes.getSize());
    }
}

inline TreeSnapshot snapshotTree(const juce::File& root)
{
    TreeSnapshot snapshot;
    if (root.exists())
        for (const auto& child : root.findChildFiles(juce::File::findFilesAndDirectories, false))
            addToSnapshot(snapshot, root, child);
    return snapshot;
}

inline void writeTree(const juce::File& root, const TreeSnapshot& tree)
{
    for (const auto& [path, what] : tree)
    {
        const auto item = root.getChildFile(path);
        if (what == "dir")
            item.createDirectory();
        else if (what.rfind("file:", 0) == 0)
        {
            item.getParentDirectory().createDirectory();
            item.create();
            if (what.size() > 5) // replaceWithData() removes the file when given no data
                item.replaceWithData(what.data() + 5, what.size() - 5);
        }
        else if (what.rfind("link:", 0) == 0)
        {
            item.getParentDirectory().createDirectory();
            juce::File::createSymbolicLink(item, juce::String(what.substr(5)), true);
        }
    }
}
} // namespace testing_support

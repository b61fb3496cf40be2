#include "install/FileOperations.h"

#include "platform/NativeFiles.h"
#include "platform/Platform.h"

namespace install
{
namespace
{
class SystemFileWriter : public FileWriter
{
public:
    explicit SystemFileWriter(const juce::File& f) : file(f) {}

    int open() { return handle.create(file); }

    FileError write(const void* data, size_t size) override
    {
        return FileError::of(file, handle.write(data, size));
    }

private:
    juce::File file;
    platform::NewFile handle;
};
} // namespace

FileError FileError::of(const juce::File& path, int code)
{
    if (code == 0)
        return {};
    return {code, platform::describeSystemError(code), path};
}

FileError FileOperations::createFolder(const juce::File& folder)
{
    if (folder.isDirectory())
        return {};
    const auto parent = folder.getParentDirectory();
    if (parent != folder)
        if (auto error = createFolder(parent))
            return error;
    const int code = platform::createOneFolder(folder);
    // Someone else may have made it meanwhile.
    if (code == 0 || folder.isDirectory())
        return {};
    return FileError::of(folder, code);
}

NewFile FileOperations::createFile(const juce::File& file)
{
    auto writer = std::make_unique<SystemFileWriter>(file);
    if (const int code = writer->open(); code != 0)
        return {nullptr, FileError::of(file, code)};
    return {std::move(writer), {}};
}

FileError FileOperations::rename(const juce::File& from, const juce::File& to)
{
    if (isPresent(to))
        return FileError::of(to, platform::alreadyExistsError());
    // A plain rename: never a copy, so it fails as a whole where a host holds a file of the
    // bundle open.
    return FileError::of(from, platform::renameWithoutReplacing(from, to));
}

FileError FileOperations::deleteRecursively(const juce::File& file)
{
    if (!isPresent(file))
        return {};
    if (file.isSymbolicLink() || !file.isDirectory())
        return FileError::of(file, platform::removeFileOrLink(file));

    FileError first;
    for (const auto& child :
         file.findChildFiles(juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
    {
        auto error = deleteRecursively(child);
        if (error && !first)
            first = std::move(error);
    }
    auto error = FileError::of(file, platform::removeEmptyFolder(file));
    return first ? first : error;
}

FileError FileOperations::flushToDisk(const juce::File& file)
{
    FileError first;
    const auto flush = [&first](const juce::File& item)
    {
        if (auto error = FileError::of(item, platform::flushToDisk(item)); error && !first)
            first = std::move(error);
    };
    if (file.isDirectory() && !file.isSymbolicLink())
    {
        // Contents first, then the folder whose entries name them.
        for (const auto& entry :
             juce::RangedDirectoryIterator(file, true, "*", juce::File::findFilesAndDirectories))
            if (!entry.getFile().isSymbolicLink())
                flush(entry.getFile());
    }
    flush(file);
    flush(file.getParentDirectory());
    return first;
}

FileOperations& defaultFileOperations()
{
    static FileOperations operations;
    return operations;
}

bool isPresent(const juce::File& file)
{
    return file.exists() || file.isSymbolicLink();
}

MadeFolders makeFolderWithParents(const juce::File& folder, FileOperations& operations)
{
    MadeFolders made;
    juce::Array<juce::File> missing; // outermost first
    auto existing = folder;
    while (!isPresent(existing))
    {
        missing.insert(0, existing);
        const auto parent = existing.getParentDirectory();
        if (parent == existing)
        {
            // Not even the root is there: no drive.
            made.error = FileError::of(existing, platform::notFoundError());
            return made;
        }
        existing = parent;
    }
    if (!existing.isDirectory())
    {
        // Nothing is made below a file or a link that leads nowhere; the system's word for
        // it is the one a folder made there would get.
        made.error = FileError::of(existing, platform::alreadyExistsError());
        return made;
    }
    for (const auto& level : missing)
    {
        if (auto error = operations.createFolder(level))
        {
            removeMadeFolders(made.levels);
            return {{}, std::move(error)};
        }
        made.levels.add(level);
    }
    return made;
}

void removeMadeFolders(const juce::Array<juce::File>& levels)
{
    for (int i = levels.size(); --i >= 0;)
        if (!levels.getReference(i).deleteFile())
            return;
}
} // namespace install

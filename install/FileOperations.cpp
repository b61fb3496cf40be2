#include "install/FileOperations.h"

#include "platform/NativeFiles.h"
#include "platform/Platform.h"

namespace install
{
namespace
{
// Unbuffered: the callers write in large blocks, and a buffered tail would be written in
// the destructor, where a failure goes unnoticed.
class NewFileStream : public juce::OutputStream
{
public:
    NewFileStream(const juce::File& f, FileOperations& o) : file(f), operations(o) {}

    int open() { return handle.create(file); }

    bool write(const void* data, size_t count) override
    {
        if (const int code = handle.write(data, count); code != 0)
            return operations.recordFailure(file, code);
        position += (juce::int64)count;
        return true;
    }

    void flush() override {}
    juce::int64 getPosition() override { return position; }
    bool setPosition(juce::int64 newPosition) override { return newPosition == position; }

private:
    juce::File file;
    FileOperations& operations;
    platform::NewFile handle;
    juce::int64 position = 0;
};
} // namespace

bool FileOperations::recordFailure(const juce::File& path, int code)
{
    if (!firstError && code != 0)
        firstError = {code, platform::describeSystemError(code), path};
    return false;
}

bool FileOperations::createFolder(const juce::File& folder)
{
    if (folder.isDirectory())
        return true;
    const auto parent = folder.getParentDirectory();
    if (parent != folder && !createFolder(parent))
        return false;
    const int code = platform::createOneFolder(folder);
    // Someone else may have made it meanwhile.
    return code == 0 || folder.isDirectory() || recordFailure(folder, code);
}

std::unique_ptr<juce::OutputStream> FileOperations::createFile(const juce::File& file)
{
    auto stream = std::make_unique<NewFileStream>(file, *this);
    if (const int code = stream->open(); code != 0)
    {
        recordFailure(file, code);
        return nullptr;
    }
    return stream;
}

bool FileOperations::rename(const juce::File& from, const juce::File& to)
{
    if (isPresent(to))
        return recordFailure(to, platform::alreadyExistsError());
    // A plain rename: never a copy, so it fails as a whole where a host holds a file of the
    // bundle open.
    const int code = platform::renameWithoutReplacing(from, to);
    return code == 0 || recordFailure(from, code);
}

bool FileOperations::deleteRecursively(const juce::File& file)
{
    if (!isPresent(file))
        return true;
    if (file.isSymbolicLink() || !file.isDirectory())
    {
        const int code = platform::removeFileOrLink(file);
        return code == 0 || recordFailure(file, code);
    }

    bool removedAll = true;
    for (const auto& child :
         file.findChildFiles(juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
        removedAll = deleteRecursively(child) && removedAll;
    const int code = platform::removeEmptyFolder(file);
    return (code == 0 || recordFailure(file, code)) && removedAll;
}

bool FileOperations::flushToDisk(const juce::File& file)
{
    bool flushed = true;
    if (file.isDirectory() && !file.isSymbolicLink())
    {
        // Contents first, then the folder whose entries name them.
        for (const auto& entry :
             juce::RangedDirectoryIterator(file, true, "*", juce::File::findFilesAndDirectories))
        {
            const auto item = entry.getFile();
            if (!item.isSymbolicLink())
                flushed = platform::flushToDisk(item) && flushed;
        }
    }
    flushed = platform::flushToDisk(file) && flushed;
    return platform::flushToDisk(file.getParentDirectory()) && flushed;
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
} // namespace install

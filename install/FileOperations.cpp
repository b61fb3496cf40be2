#include "install/FileOperations.h"

#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace install
{
bool FileOperations::createFolder(const juce::File& folder)
{
    return folder.createDirectory().wasOk() && folder.isDirectory();
}

std::unique_ptr<juce::OutputStream> FileOperations::createFile(const juce::File& file)
{
    if (isPresent(file))
        return nullptr;

    // Unbuffered: the callers write in large blocks, and a buffered tail would be flushed
    // in the destructor, where a failed write goes unnoticed. (flush() would also fsync.)
    auto stream = std::make_unique<juce::FileOutputStream>(file, 0);
    if (stream->failedToOpen())
        return nullptr;
    return stream;
}

bool FileOperations::rename(const juce::File& from, const juce::File& to)
{
    if (isPresent(to))
        return false;

    // A plain rename (MoveFileExW on Windows): never a copy, so it fails as a whole where
    // a host holds a file of the bundle open.
    std::error_code error;
    std::filesystem::rename(std::filesystem::u8path(from.getFullPathName().toStdString()),
                            std::filesystem::u8path(to.getFullPathName().toStdString()), error);
    return !error;
}

bool FileOperations::deleteRecursively(const juce::File& file)
{
    return file.deleteRecursively(false);
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

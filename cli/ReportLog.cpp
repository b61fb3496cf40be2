#include "cli/ReportLog.h"

#include "formats/WindowsPathText.h"
#include "install/BundleLock.h"
#include "install/BundleTransaction.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"
#include "texts/Sentences.h"
#include "texts/TextTable.h"

namespace cli
{
// The engine's types, read here.
using namespace install;

namespace
{
// Names as Windows compares them: ignoring case and trailing dots and spaces.
bool sameWindowsName(const juce::String& a, const juce::String& b)
{
    return a.trimCharactersAtEnd(". ").equalsIgnoreCase(b.trimCharactersAtEnd(". "));
}

// Whether two paths name one entry: the same file or folder where both exist (a link
// counts as itself), else the same name in the same folder.
bool sameEntry(const juce::File& a, const juce::File& b)
{
    const auto first = platform::identityOf(a, false);
    const auto second = platform::identityOf(b, false);
    if (first && second)
        return *first == *second;
    // Where one is missing, the name decides as Windows compares it: on a case-sensitive
    // file system "ostrand.CLAP" is another file, but one Windows takes for the bundle.
    if (!sameWindowsName(a.getFileName(), b.getFileName()))
        return false;
    const auto folderA = a.getParentDirectory();
    const auto folderB = b.getParentDirectory();
    if (folderA == a || folderB == b)
        return folderA == folderB;
    const auto folderIdA = platform::identityOf(folderA, true);
    const auto folderIdB = platform::identityOf(folderB, true);
    if (folderIdA && folderIdB)
        return *folderIdA == *folderIdB;
    return !folderIdA && !folderIdB && sameEntry(folderA, folderB);
}

// `file` itself or the folder holding it at any depth, when one of them is `entry`.
bool isAtOrInside(const juce::File& file, const juce::File& entry)
{
    for (auto level = file;; level = level.getParentDirectory())
    {
        if (sameEntry(level, entry))
            return true;
        if (level.getParentDirectory() == level)
            return false;
    }
}
} // namespace

juce::String whyLogPathIsProtected(const juce::File& logFile, const juce::File& settingsFile,
                                   const catalogue::PerFormat<juce::File>& installFolders,
                                   const juce::String& productName)
{
    if (sameEntry(logFile, settingsFile))
        return texts::text(texts::TextId::logIsSettingsFile);
    for (int format = 0; format < catalogue::numFormats; ++format)
    {
        const auto bundle = getBundleFile(installFolders[static_cast<size_t>(format)], productName, format);
        if (isAtOrInside(logFile, bundle))
            return texts::text(texts::TextId::logIsBundle, {{"bundle", bundle.getFileName()}});
        for (const auto& own :
             {getLockFile(bundle), getStagingFile(bundle), getSetAsideFile(bundle), getRemovalFile(bundle)})
            if (isAtOrInside(logFile, own))
                return texts::text(texts::TextId::logIsOwnFile, {{"name", own.getFileName()}});
    }
    return {};
}

ReportLog::~ReportLog()
{
    file.reset();
    if (temporary != juce::File())
        platform::removeFileOrLink(temporary);
}

juce::String ReportLog::open(const juce::File& logFile)
{
    if (logFile.isDirectory())
        return texts::text(texts::TextId::logIsFolder);
    if (!logFile.getParentDirectory().isDirectory())
        return texts::text(texts::TextId::logFolderMissing);
    // Whatever would make the log fail only after the run is refused before it.
    if (!platform::isAbsentFileOrLink(logFile))
        return texts::text(texts::TextId::logNotPlainFile);
    if (const auto problem = formats::windowsNameProblem(logFile.getFileName().toStdString()))
        return texts::text(texts::TextId::logRefusedName,
                           {{"name", logFile.getFileName()}, {"problem", texts::nameProblemText(*problem)}});
    if (!logFile.isSymbolicLink() && logFile.existsAsFile() && !logFile.hasWriteAccess())
        return texts::text(texts::TextId::logReadOnly);

    target = logFile;
    const auto name = "." + logFile.getFileName() + ".vx-log-";
    for (int attempt = 0;; ++attempt)
    {
        // A fresh name each time: something planted under one name is never opened.
        const auto candidate =
            logFile.getSiblingFile(name + juce::String::toHexString(juce::Random().nextInt64()));
        auto created = std::make_unique<platform::NewFile>();
        const int code = created->create(candidate);
        if (code == 0)
        {
            temporary = candidate;
            file = std::move(created);
            return {};
        }
        if (code != platform::alreadyExistsError() || attempt == 8)
            return platform::describeSystemError(code);
    }
}

juce::String ReportLog::replaceWith(const juce::String& report)
{
    jassert(file != nullptr);
    const auto bytes = report.toUTF8();
    int code = file->write(bytes.getAddress(), bytes.sizeInBytes() - 1);
    // Through to the disk before it takes the old log's place; a log that cannot be
    // flushed is complete all the same.
    if (code == 0)
        file->flush();
    file.reset(); // closed before it is renamed: Windows renames no file held open
    if (code == 0)
        code = platform::renameReplacing(temporary, target);
    if (code != 0)
        return platform::describeSystemError(code);
    temporary = juce::File();
    return {};
}
} // namespace cli

#include "texts/TextTable.h"

#include <iterator>

namespace texts
{
namespace
{
struct Entry
{
    TextId id;
    const char* key;
    const char* english;
};

constexpr Entry table[] = {
    {TextId::statusNotInstalled, "status.notInstalled", "NOT INSTALLED"},
    {TextId::statusInstalled, "status.installed", "INSTALLED"},
    {TextId::statusInstalledVersion, "status.installedVersion", "v{version} INSTALLED"},
    {TextId::failedInUse, "failed.inUse",
     "{format} failed: {bundle} is in use by {holders}. Close it and {again}."},
    {TextId::failedNoPermission, "failed.noPermission",
     "{format} failed: no permission to change {bundle}. Run as administrator or use a writable folder."},
    {TextId::failedDiskFull, "failed.diskFull",
     "{format} failed: not enough disk space for {bundle}. Free some space and {again}."},
    {TextId::failedInstallFolderMissing, "failed.installFolderMissing",
     "{format} failed: the drive or share of the install folder for {bundle} does not exist."},
    {TextId::failedNoInstallFolder, "failed.noInstallFolder",
     "{format} failed: no install folder is set for {bundle}. Check the settings file."},
    {TextId::failedPathBlocked, "failed.pathBlocked",
     "{format} failed: {name} stands where a folder for {bundle} must go."},
    {TextId::failedArchiveDamaged, "failed.archiveDamaged",
     "{format} failed: the installer's copy of {bundle} is damaged. Download the installer again."},
    {TextId::failedOtherInstaller, "failed.otherInstaller",
     "{format} failed: another installer is working on {bundle}. Wait for it and {again}."},
    {TextId::failedOther, "failed.other", "{format} failed: {bundle} could not be changed{system}."},
    {TextId::installedOldCopyLeft, "installed.oldCopyLeft",
     "{format} installed: restart the host that has {bundle} loaded to use the new version."},
    {TextId::anotherProgram, "words.anotherProgram", "another program"},
    {TextId::aFile, "words.aFile", "a file"},
    {TextId::aFormat, "words.aFormat", "A format"},
    {TextId::clickInstallAgain, "words.clickInstallAgain", "click INSTALL again"},
    {TextId::shiftClickInstallAgain, "words.shiftClickInstallAgain", "shift-click INSTALL again"},
    {TextId::installFolderRefused, "words.installFolderRefused", "the install folder {problem}"},
};

const Entry& entryFor(TextId id)
{
    for (const auto& entry : table)
        if (entry.id == id)
            return entry;
    jassertfalse; // every identifier has its row
    return table[0];
}
} // namespace

juce::String text(TextId id)
{
    return juce::String::fromUTF8(entryFor(id).english);
}

const char* textKey(TextId id)
{
    return entryFor(id).key;
}
} // namespace texts

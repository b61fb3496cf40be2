// libFuzzer target for the zip reader and the archive rule: any bytes must give a verdict
// without reading outside the archive, and every archive the rule accepts must unpack to
// a tree inside the destination. Accepted archives are written for real, below a fresh
// sandbox folder, and the sandbox is then checked to hold nothing but the bundle.
#include "formats/ZipArchive.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
const std::string bundleName = "Ostrand.vst3";

bool isPlainPart(const std::string& part)
{
    return !part.empty() && part != "." && part != ".." && part.find_first_of("/\\:") == std::string::npos &&
           part.find('\0') == std::string::npos;
}

void unpackInto(const formats::zip::Directory& directory, const formats::zip::Layout& layout,
                const fs::path& bundle)
{
    for (std::size_t i = 0; i < directory.entries.size(); ++i)
    {
        const auto& entry = directory.entries[i];
        auto target = bundle;
        for (const auto& part : layout.paths[i])
        {
            if (!isPlainPart(part))
                std::abort();
            target /= part;
        }
        std::error_code error;
        if (entry.isFolder)
        {
            fs::create_directories(target, error);
            continue;
        }
        fs::create_directories(target.parent_path(), error);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        const auto problem = formats::zip::unpackEntryData(entry,
                                                           [&out](const std::uint8_t* data, std::size_t size)
                                                           {
                                                               out.write(reinterpret_cast<const char*>(data),
                                                                         (std::streamsize)size);
                                                               return bool(out);
                                                           });
        // The rule accepted this entry's data already; only the writing may fail.
        if (problem && problem->kind != formats::zip::ProblemKind::notWritten)
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const auto directory = formats::zip::readDirectory(data, size);
    // The layouts the build asks for, checked for crashes only.
    for (const auto kind : {formats::zip::BundleKind::file, formats::zip::BundleKind::folder})
        formats::zip::getBundleLayout(directory.entries, bundleName, kind);
    const auto layout =
        formats::zip::getBundleLayout(directory.entries, bundleName, formats::zip::BundleKind::either);

    const bool accepted = formats::zip::checkBundleArchive(data, size, bundleName).empty();
    // The rule's parts must agree with the whole.
    if (accepted != (directory.problems.empty() && !directory.entries.empty() && layout.problems.empty()) &&
        accepted)
        std::abort();
    if (!accepted)
        return 0;

    // In memory where the system offers it: every accepted input is written out.
    static const fs::path sandbox =
        (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
        ("vx_zip_fuzz_" + std::to_string(::getpid()));
    std::error_code error;
    fs::remove_all(sandbox, error);
    fs::create_directories(sandbox / "install", error);
    unpackInto(directory, layout, sandbox / "install" / bundleName);

    // Nothing but the bundle, and no link anywhere in it.
    for (const auto& item : fs::directory_iterator(sandbox))
        if (item.path().filename() != "install")
            std::abort();
    for (const auto& item : fs::directory_iterator(sandbox / "install"))
        if (item.path().filename() != bundleName)
            std::abort();
    for (const auto& item : fs::recursive_directory_iterator(sandbox / "install"))
        if (item.is_symlink())
            std::abort();
    fs::remove_all(sandbox, error);
    return 0;
}

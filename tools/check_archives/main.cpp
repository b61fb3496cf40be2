// Checks the plug-in archives before they are embedded, with the installer's own reader
// and rule (formats/ZipArchive.cpp); exits 1 with a message naming the archive and the
// entry for every fault it finds.
//
//   vx_check_archives [--product NAME] [--stamp FILE] vst3=PATH clap=PATH aax=PATH
//
// The formats, their keys and bundles are the installer's format table; the product
// name defaults to the installer's.
//
// An archive passes when the installer would install it: a readable zip whose entries
// all lie inside the format's bundle ("Ostrand.vst3\..." and "Ostrand.aaxplugin\..."
// folders, the single file "Ostrand.clap"), have names Windows can hold, can be unpacked
// faithfully and match their sizes and CRC-32.
#include "catalogue/FormatTable.h"
#include "formats/ZipArchive.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace
{
int usage(const std::string& message)
{
    std::cerr << "vx_check_archives: " << message << "\n"
              << "usage: vx_check_archives [--product NAME] [--stamp FILE] FORMAT=PATH...\n"
              << "       FORMAT one of";
    for (const auto& format : catalogue::formatTable)
        std::cerr << " " << format.key;
    std::cerr << "\n";
    return 2;
}

// The problems of one archive file; reading it is part of the check.
std::vector<std::string> checkArchiveFile(const std::string& path, const std::string& bundleName,
                                          formats::zip::BundleKind kind)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {"is not a readable zip archive (the file cannot be opened)"};
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return {"is not a readable zip archive (the file cannot be read)"};

    std::vector<std::string> messages;
    for (const auto& problem : formats::zip::checkBundleArchive(bytes.data(), bytes.size(), bundleName, kind))
        messages.push_back(problem.describe());
    return messages;
}
} // namespace

int main(int argc, char** argv)
{
    std::string product = catalogue::productName;
    std::string stamp;
    std::vector<std::pair<const catalogue::FormatFacts*, std::string>> archives;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if ((argument == "--product" || argument == "--stamp") && i + 1 < argc)
        {
            (argument == "--product" ? product : stamp) = argv[++i];
            continue;
        }
        const auto equals = argument.find('=');
        const catalogue::FormatFacts* format = nullptr;
        for (const auto& candidate : catalogue::formatTable)
            if (argument.compare(0, equals, candidate.key) == 0 && equals == std::strlen(candidate.key))
                format = &candidate;
        if (format == nullptr || equals == std::string::npos || equals + 1 == argument.size())
            return usage("expected FORMAT=PATH, not '" + argument + "'");
        archives.emplace_back(format, argument.substr(equals + 1));
    }
    if (archives.empty())
        return usage("no archive named");

    bool failed = false;
    for (const auto& [format, path] : archives)
        for (const auto& message : checkArchiveFile(path, product + format->extension,
                                                    format->bundleIsFolder ? formats::zip::BundleKind::folder
                                                                           : formats::zip::BundleKind::file))
        {
            failed = true;
            std::cerr << "error: " << format->name << " archive " << path << ": " << message << "\n";
        }

    if (failed)
    {
        if (!stamp.empty())
            std::remove(stamp.c_str());
        return 1;
    }
    if (!stamp.empty())
    {
        std::ofstream out(stamp, std::ios::trunc);
        for (const auto& [format, path] : archives)
            out << format->key << "=" << path << "\n";
        if (!out.flush())
            return usage("cannot write the stamp " + stamp);
    }
    return 0;
}

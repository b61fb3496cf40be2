// Install time and added memory of the install engine, against Info-ZIP unzip.
//
//   vx_bench_install [--runs N] [--folder DIR] [VST3_ZIP CLAP_ZIP AAX_ZIP]
//
// Installs the three archives (by default the ones embedded in the program) into an empty
// folder with the engine, and unzips the same three archive files (by default the ones the
// build embedded) with `unzip -o -q`
// into another empty folder on the same file system, alternating, N runs each (default
// 7). The engine writes each new bundle through to the disk before it switches bundles;
// it also runs without that, and unzip also runs followed by a sync of its file system,
// so that the cost of flushing shows on both sides. Prints the medians, their ratios, the
// zlib inflate-only time of the same data (the floor: decompression into memory, nothing
// written, no CRC) and the peak memory one install run adds over the idle process.

#include "install/InstallEngine.h"
#include "install/ZipExtraction.h"

#include <juce_core/juce_core.h>

#include <zlib.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <array>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

extern char** environ;

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Resident memory of this process in KiB.
long residentKiB()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * (long)(sysconf(_SC_PAGESIZE) / 1024);
}

// The most resident memory an install run adds over the process before it, sampled every
// 100 microseconds from another thread (the kernel's own peak figure is not updated
// when heap pages are handed back). Free heap pages go back to the system first, so that
// whatever the run allocates shows up as new resident memory.
long addedPeakKiBOfInstall(const catalogue::PerFormat<install::ArchiveData>& archives, const juce::File& root)
{
    catalogue::PerFormat<juce::File> installFolders;
    for (int i = 0; i < 3; ++i)
        installFolders[(size_t)i] = root.getChildFile(catalogue::formatTable[(size_t)i].defaultFolder);
    catalogue::PerFormat<bool> selected{true, true, true};

    malloc_trim(0);
    const long idle = residentKiB();
    std::atomic<bool> running{true};
    std::atomic<long> peak{idle};
    std::thread sampler(
        [&]
        {
            while (running)
            {
                peak = std::max(peak.load(), residentKiB());
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
    install::processSelectedFormats(selected, false, installFolders, "Ostrand", archives,
                                    install::defaultFileOperations());
    running = false;
    sampler.join();
    root.deleteRecursively();
    return std::max(peak.load(), residentKiB()) - idle;
}

// Runs unzip with its warnings silenced; its exit code 1 means "warnings only" (these
// archives use backslashes as separators, which unzip accepts with a warning).
bool runUnzip(const juce::File& archive, const juce::File& folder)
{
    std::vector<std::string> arguments = {"unzip", "-o",
                                          "-q",    archive.getFullPathName().toStdString(),
                                          "-d",    folder.getFullPathName().toStdString()};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

// The engine's file operations without writing through to the disk.
struct UnflushedFileOperations : install::FileOperations
{
    install::FileError flushToDisk(const juce::File&) override { return {}; }
};

// Writes everything cached for the file system that holds the folder to the disk.
bool syncFileSystemOf(const juce::File& folder)
{
    const int fd = ::open(folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

// Inflates every file entry into one block of memory, writing nothing and checking nothing.
bool inflateOnly(const install::ArchiveData& archive, std::vector<unsigned char>& block)
{
    const auto entries = install::readZipDirectory(archive.data, archive.size);
    if (!entries)
        return false;
    for (const auto& entry : *entries)
    {
        if (!entry.isDeflated)
            continue;
        z_stream stream{};
        inflateInit2(&stream, -MAX_WBITS);
        stream.next_in = const_cast<Bytef*>(entry.data);
        stream.avail_in = (uInt)entry.compressedSize;
        int status = Z_OK;
        while (status == Z_OK)
        {
            stream.next_out = block.data();
            stream.avail_out = (uInt)block.size();
            status = inflate(&stream, Z_NO_FLUSH);
        }
        inflateEnd(&stream);
        if (status != Z_STREAM_END)
            return false;
    }
    return true;
}

// True when both folders hold the same names with the same contents.
bool sameTrees(const juce::File& a, const juce::File& b)
{
    const auto childrenA = a.findChildFiles(juce::File::findFilesAndDirectories, true);
    const auto childrenB = b.findChildFiles(juce::File::findFilesAndDirectories, true);
    if (childrenA.size() != childrenB.size())
        return false;
    for (const auto& itemA : childrenA)
    {
        const auto itemB = b.getChildFile(itemA.getRelativePathFrom(a));
        if (itemA.isDirectory() != itemB.isDirectory() ||
            (!itemA.isDirectory() && !itemA.hasIdenticalContentTo(itemB)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 7;
    auto base = juce::File::getSpecialLocation(juce::File::tempDirectory);
    juce::StringArray archivePaths;
    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument(argv[i]);
        if (argument == "--runs" && i + 1 < argc)
            runs = std::max(1, juce::String(argv[++i]).getIntValue());
        else if (argument == "--folder" && i + 1 < argc)
            base = juce::File::getCurrentWorkingDirectory().getChildFile(argv[++i]);
        else
            archivePaths.add(argument);
    }
    const bool fromFiles = !archivePaths.isEmpty();
    if (fromFiles && archivePaths.size() != 3)
    {
        std::cerr << "usage: " << argv[0] << " [--runs N] [--folder DIR] [VST3_ZIP CLAP_ZIP AAX_ZIP]\n";
        return 2;
    }

    const auto work = base.getNonexistentChildFile("vx_bench_install", "", false);
    if (!work.createDirectory())
    {
        std::cerr << "cannot create " << work.getFullPathName() << "\n";
        return 1;
    }

    // The archives as the engine sees them: embedded in the program, or read from the files
    // given. unzip reads the same bytes from the files the build embedded, or the ones given.
    if (archivePaths.isEmpty())
        archivePaths = juce::StringArray::fromTokens(VX_BENCH_EMBEDDED_ARCHIVES, ":", "");
    catalogue::PerFormat<juce::MemoryBlock> loaded;
    catalogue::PerFormat<install::ArchiveData> archives;
    catalogue::PerFormat<juce::File> archiveFiles;
    bool sameBytes = archivePaths.size() == 3;
    for (int i = 0; sameBytes && i < 3; ++i)
    {
        archiveFiles[(size_t)i] = juce::File::getCurrentWorkingDirectory().getChildFile(archivePaths[i]);
        archiveFiles[(size_t)i].loadFileAsData(loaded[(size_t)i]);
        archives[(size_t)i] = {loaded[(size_t)i].getData(), loaded[(size_t)i].getSize()};
        if (!fromFiles)
        {
            const auto embedded = install::getFormatArchive(i);
            sameBytes = embedded.size == archives[(size_t)i].size &&
                        std::memcmp(embedded.data, archives[(size_t)i].data, embedded.size) == 0;
            archives[(size_t)i] = embedded;
            loaded[(size_t)i].reset();
        }
        sameBytes = sameBytes && archives[(size_t)i].size > 0;
    }
    if (!sameBytes)
    {
        std::cerr << "the archive files are missing, or differ from the embedded archives\n";
        work.deleteRecursively();
        return 1;
    }

    // Every page of the archives is resident before anything is measured, as in a process
    // that has read them once: what a run adds on top is its own memory.
    unsigned sum = 0;
    for (const auto& archive : archives)
        for (size_t i = 0; i < archive.size; i += 512)
            sum += static_cast<const unsigned char*>(archive.data)[i];

    std::vector<double> engineTimes, unflushedTimes, unzipTimes, unzipSyncTimes, inflateTimes;
    UnflushedFileOperations unflushed;
    bool allInstalled = true, allUnzipped = true, sameOutput = true;
    std::vector<unsigned char> block(256 * 1024);

    for (int run = 0; run < runs; ++run)
    {
        // Engine: the three formats into one empty root folder.
        const auto engineRoot = work.getChildFile("engine");
        catalogue::PerFormat<juce::File> installFolders;
        for (int i = 0; i < 3; ++i)
            installFolders[(size_t)i] =
                engineRoot.getChildFile(catalogue::formatTable[(size_t)i].defaultFolder);
        catalogue::PerFormat<bool> selected{true, true, true};

        auto start = Clock::now();
        allInstalled = install::processSelectedFormats(selected, false, installFolders, "Ostrand", archives,
                                                       install::defaultFileOperations()) &&
                       allInstalled;
        engineTimes.push_back(millisecondsSince(start));

        // The same without writing the bundles through to the disk. What the first run
        // left in the cache is written out first, so that neither pays for the other.
        syncFileSystemOf(work);
        const auto unflushedRoot = work.getChildFile("unflushed");
        catalogue::PerFormat<juce::File> unflushedFolders;
        for (int i = 0; i < 3; ++i)
            unflushedFolders[(size_t)i] =
                unflushedRoot.getChildFile(catalogue::formatTable[(size_t)i].defaultFolder);
        selected = {true, true, true};
        start = Clock::now();
        allInstalled = install::processSelectedFormats(selected, false, unflushedFolders, "Ostrand", archives,
                                                       unflushed) &&
                       allInstalled;
        unflushedTimes.push_back(millisecondsSince(start));
        unflushedRoot.deleteRecursively();
        syncFileSystemOf(work);

        // unzip: the same three archive files into another empty folder.
        const auto unzipRoot = work.getChildFile("unzip");
        unzipRoot.createDirectory();
        start = Clock::now();
        for (const auto& file : archiveFiles)
            allUnzipped = runUnzip(file, unzipRoot) && allUnzipped;
        unzipTimes.push_back(millisecondsSince(start));
        syncFileSystemOf(unzipRoot);
        unzipSyncTimes.push_back(millisecondsSince(start));

        if (run == 0)
            for (int i = 0; i < 3; ++i)
            {
                const auto bundle = installFolders[(size_t)i].getChildFile(juce::String("Ostrand") +
                                                                           (i == 0   ? ".vst3"
                                                                            : i == 1 ? ".clap"
                                                                                     : ".aaxplugin"));
                const auto unzipped = unzipRoot.getChildFile(bundle.getFileName());
                sameOutput = sameOutput && (bundle.isDirectory() ? sameTrees(bundle, unzipped)
                                                                 : bundle.hasIdenticalContentTo(unzipped));
            }

        engineRoot.deleteRecursively();
        unzipRoot.deleteRecursively();

        start = Clock::now();
        for (const auto& archive : archives)
            inflateOnly(archive, block);
        inflateTimes.push_back(millisecondsSince(start));
    }

    // Memory: one more install run of its own, untimed, after the timed ones.
    const long addedPeakKiB = addedPeakKiBOfInstall(archives, work.getChildFile("memory"));

    juce::int64 totalSize = 0;
    for (const auto& archive : archives)
        totalSize += (juce::int64)archive.size;

    std::printf("archives: %s, %.1f MB together (touch sum %u)\n",
                fromFiles ? "read from the files given" : "embedded in the program", totalSize / 1e6, sum);
    std::printf("work folder: %s, %d runs each, alternating\n", work.getFullPathName().toRawUTF8(), runs);
    std::printf("engine install, 3 formats (CRC-32 checks, staging, flush, rename): median %8.1f ms%s\n",
                median(engineTimes), allInstalled ? "" : "  (A RUN FAILED)");
    std::printf("engine install without flushing to disk:                     median %8.1f ms\n",
                median(unflushedTimes));
    std::printf("cost of flushing: %+.1f ms\n", median(engineTimes) - median(unflushedTimes));
    std::printf("unzip -o -q, the 3 archive files:                            median %8.1f ms%s\n",
                median(unzipTimes), allUnzipped ? "" : "  (AN UNZIP FAILED)");
    std::printf("unzip -o -q, then syncfs of its file system:                 median %8.1f ms\n",
                median(unzipSyncTimes));
    std::printf("ratio engine / unzip: %.2f (budget: at most 1.00, no slower than unpacking by hand); "
                "without flushing / unzip: %.2f; "
                "engine / unzip with syncfs: %.2f\n",
                median(engineTimes) / median(unzipTimes), median(unflushedTimes) / median(unzipTimes),
                median(engineTimes) / median(unzipSyncTimes));
    std::printf("zlib inflate only, into memory, nothing written (floor):   median %8.1f ms\n",
                median(inflateTimes));
    std::printf("peak memory an install run adds over the idle process: %.2f MiB (budget: under 4 MiB, "
                "far below one 18 MB module inflated whole)\n",
                addedPeakKiB / 1024.0);
    std::printf("engine and unzip outputs identical: %s\n", sameOutput ? "yes" : "NO");

    work.deleteRecursively();
    return allInstalled && allUnzipped && sameOutput ? 0 : 1;
}

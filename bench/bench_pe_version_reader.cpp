// The module version read that every paint of the main component does for each installed
// format: bytes read and time per call on the 18 MB stand-in module (or a module named on
// the command line), against reading the whole module once.
#include "platform/PeFileSource.h"
#include "platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
    const juce::File module(argc > 1 ? juce::File::getCurrentWorkingDirectory().getChildFile(argv[1])
                                     : juce::File(VX_BENCH_MODULE));
    if (!module.existsAsFile())
    {
        std::fprintf(stderr, "no module at %s\n", module.getFullPathName().toRawUTF8());
        return 1;
    }

    platform::PeFileSource source(module);
    const auto version = formats::readPeFileVersionText(source);
    std::printf("module:               %s (%lld bytes)\n", module.getFullPathName().toRawUTF8(),
                static_cast<long long>(module.getSize()));
    std::printf("version:              %s\n", version.empty() ? "(none)" : version.c_str());
    std::printf(
        "bytes read per call:  %zu (budget %zu: the headers and the version resource, not the module)\n",
        source.bytesRead(), formats::PeByteSource::readBudget);

    constexpr int calls = 20000;
    std::vector<double> times;
    times.reserve(calls);
    for (int i = 0; i < calls; ++i)
    {
        const auto start = Clock::now();
        const auto text = platform::readModuleVersion(module);
        times.push_back(microsecondsSince(start));
        if (text.toStdString() != version)
        {
            std::fprintf(stderr, "call %d read %s\n", i, text.toRawUTF8());
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times)
        total += t;
    std::printf("time per call:        median %.1f us, mean %.1f us, 99th percentile %.1f us (%d calls, "
                "file in the page cache)\n",
                times[times.size() / 2], total / calls, times[times.size() * 99 / 100], calls);

    const auto start = Clock::now();
    juce::MemoryBlock whole;
    module.loadFileAsData(whole);
    std::printf("whole module read:    %.1f us, for comparison\n", microsecondsSince(start));
    return 0;
}

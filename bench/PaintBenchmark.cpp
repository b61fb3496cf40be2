// Median time of one full paint of the main component at 600 x 600 with all three formats
// installed, drawn by the software renderer. Every paint asks the disk for each format's
// bundle and module version, as the program does.
//   build/bench/vx_bench_paint [paints]
#include "catalogue/Formats.h"
#include "install/InstallStatus.h"
#include "texts/Sentences.h"
#include "ui/MainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
// Writes a stand-in plug-in module: a DLL with version 1.2.0.0 when the project's PE
// writer is there, otherwise a plain file of the same kind of size.
void writeModule(const juce::File& module)
{
    module.getParentDirectory().createDirectory();
    const auto writer = juce::File(VX_SOURCE_DIR).getChildFile("tools/pe_image.py");
    if (writer.existsAsFile())
    {
        juce::ChildProcess python;
        if (python.start(juce::StringArray{
                "python3", "-c",
                "import sys; sys.path.insert(0, sys.argv[1]); from pe_image import build_pe_dll; "
                "open(sys.argv[2], 'wb').write(build_pe_dll((1, 2, 0, 0)))",
                writer.getParentDirectory().getFullPathName(), module.getFullPathName()}))
        {
            python.waitForProcessToFinish(30000);
            if (python.getExitCode() == 0 && module.existsAsFile())
                return;
        }
    }
    juce::MemoryBlock filler(64 * 1024, true);
    module.replaceWithData(filler.getData(), filler.getSize());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}
} // namespace

int main(int argc, char** argv)
{
    const int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    // A scratch Wine prefix: drive C: of the program lies in it.
    const auto prefix = juce::File::getSpecialLocation(juce::File::tempDirectory)
                            .getNonexistentChildFile("vx_bench_prefix", "", false);
    prefix.getChildFile("drive_c").createDirectory();
    ::setenv("WINEPREFIX", prefix.getFullPathName().toRawUTF8(), 1);

    int status = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        {
            MainComponent main;
            // Bundle folders with their module inside; the CLAP bundle is the module itself.
            for (int i = 0; i < catalogue::numFormats; ++i)
            {
                const auto& folder = main.installFolders[static_cast<size_t>(i)];
                const auto bundle = install::getBundleFile(folder, main.productName, i);
                const auto module = install::getVersionSourceFile(folder, main.productName, i);
                if (module != bundle)
                    bundle.createDirectory();
                writeModule(module);
            }

            for (int i = 0; i < catalogue::numFormats; ++i)
                if (!install::isFormatInstalled(main.installFolders[static_cast<size_t>(i)], main.productName,
                                                i))
                    status = 1;

            juce::Image image(juce::Image::ARGB, 600, 600, true, juce::SoftwareImageType());
            std::vector<double> millis;
            for (int i = 0; i < paints + 20; ++i)
            {
                juce::Graphics g(image);
                const auto start = std::chrono::steady_clock::now();
                main.paintEntireComponent(g, true);
                const auto end = std::chrono::steady_clock::now();
                if (i >= 20) // the first paints fill the glyph and font caches
                    millis.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }

            const auto [fastest, slowest] = std::minmax_element(millis.begin(), millis.end());
            juce::String rows;
            for (int i = 0; i < catalogue::numFormats; ++i)
            {
                const auto& folder = main.installFolders[static_cast<size_t>(i)];
                rows << (i > 0 ? ", " : "") << catalogue::formatNames[i] << " "
                     << texts::installStatusText(install::isFormatInstalled(folder, main.productName, i),
                                                 install::getInstalledVersion(folder, main.productName, i));
            }
            std::printf("paint 600x600, software renderer, rows: %s\n", rows.toRawUTF8());
            std::printf(
                "median %.3f ms over %d paints (min %.3f ms, max %.3f ms); budget under 5 ms, a third "
                "of a 60 Hz frame\n",
                median(millis), paints, *fastest, *slowest);
        }
    }
    prefix.deleteRecursively();
    return status;
}

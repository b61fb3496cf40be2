// A second installer for the tests that race two processes on one bundle. It installs the
// embedded archive of one format into a folder and, once it has begun writing the new
// bundle, stops until the test lets it go on: deterministically, through the file
// operations, with no timing involved.
//
//   vx_lock_helper <format index> <install folder> <ready file> <go file>
//
// It creates <ready file> when it is inside the transaction, waits for <go file> to appear
// (at most 60 s), and exits with 0 when the run succeeded, 1 when it failed, 2 on bad use.
#include "catalogue/Product.h"
#include "install/FormatArchive.h"
#include "install/FormatRun.h"
#include "install/InstallStatus.h"
#include "texts/Sentences.h"

#include <juce_core/juce_core.h>

#include <cstdio>

namespace
{
class HeldFileOperations : public install::FileOperations
{
public:
    HeldFileOperations(juce::File readyFile, juce::File goFile)
        : ready(std::move(readyFile)), go(std::move(goFile))
    {
    }

    install::NewFile createFile(const juce::File& file) override
    {
        if (!announced)
        {
            announced = true;
            ready.create();
            for (int waited = 0; !go.exists() && waited < 60000; waited += 5)
                juce::Thread::sleep(5);
        }
        return FileOperations::createFile(file);
    }

private:
    const juce::File ready, go;
    bool announced = false;
};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: vx_lock_helper <format> <install folder> <ready file> <go file>\n");
        return 2;
    }
    const int format = juce::String(argv[1]).getIntValue();
    const juce::File folder(juce::String::fromUTF8(argv[2]));
    HeldFileOperations operations(juce::File(juce::String::fromUTF8(argv[3])),
                                  juce::File(juce::String::fromUTF8(argv[4])));

    const auto bundle = install::getBundleFile(folder, catalogue::productName, format);
    auto result = install::runFormat(bundle, false, install::getFormatArchive(format), operations);
    result.format = format;
    if (!result.succeeded())
        std::fprintf(stderr, "vx_lock_helper: %s\n",
                     texts::describeFormat(result, catalogue::productName, false).toRawUTF8());
    return result.succeeded() ? 0 : 1;
}

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Never let a test reach the real Wine prefix of whoever runs the tests.
    const auto scratch = juce::File::getSpecialLocation(juce::File::tempDirectory)
                             .getNonexistentChildFile("vx_tests_prefix", "", false);
    scratch.createDirectory();
    ::setenv("WINEPREFIX", scratch.getFullPathName().toRawUTF8(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }
    scratch.deleteRecursively();
    return result;
}

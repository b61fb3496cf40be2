# Every JUCE configuration flag the project sets, in one place. The flags apply to the
# JUCE modules and to our own code alike, because both are compiled into vx_core and
# every target that includes a JUCE header must see the same values.
set(VX_JUCE_CONFIG_FLAGS
    # The project is GPL-3.0, which lets it switch the "Made with JUCE" splash screen off.
    JUCE_DISPLAY_SPLASH_SCREEN=0
    # No reporting of usage statistics to the framework's makers.
    JUCE_REPORT_APP_USAGE=0
    # No embedded web view: links open in the user's own browser.
    JUCE_WEB_BROWSER=0
    # No libcurl: the program never downloads anything.
    JUCE_USE_CURL=0
    # The program is a standalone application, not a plug-in.
    JUCE_STANDALONE_APPLICATION=1
    # Include the modules by their own headers; no JuceHeader.h, no global "using namespace juce".
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    DONT_SET_USING_JUCE_NAMESPACE=1
)

# The JUCE modules the program uses, compiled once into vx_core.
set(VX_JUCE_MODULES
    juce::juce_core
    juce::juce_events
    juce::juce_data_structures
    juce::juce_graphics
    juce::juce_gui_basics
)

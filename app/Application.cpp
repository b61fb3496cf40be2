#include "app/Application.h"

#include "catalogue/Product.h"
#include "cli/CommandLine.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "texts/Language.h"
#include "ui/MainComponent.h"

const juce::String vx_installerApplication::getApplicationName()
{
    return catalogue::applicationName;
}

const juce::String vx_installerApplication::getApplicationVersion()
{
    return catalogue::installerVersion;
}

bool vx_installerApplication::moreThanOneInstanceAllowed()
{
    return true;
}

void vx_installerApplication::initialise(const juce::String&)
{
    // With arguments the program runs without a window, prints its report and quits; with
    // --lang alone, the window opens in that language (English for one it does not speak).
    const auto arguments = getCommandLineParameterArray();
    const auto windowLanguage = cli::windowLanguageOption(arguments);
    if (!arguments.isEmpty() && !windowLanguage)
    {
        const auto result = cli::runCommandLine(arguments, cli::systemCommandLineFolders());
        platform::writeToStandardOutput(result.output);
        platform::writeToStandardError(result.errors);
        setApplicationReturnValue(result.exitStatus);
        quit();
        return;
    }
    texts::setLanguage(windowLanguage ? texts::matchLanguage(*windowLanguage).value_or("en")
                                      : texts::chooseLanguage(platform::preferredLanguages()));
    mainWindow = std::make_unique<MainWindow>(getApplicationName());
}

void vx_installerApplication::shutdown()
{
    mainWindow = nullptr;
}

void vx_installerApplication::systemRequestedQuit()
{
    quit();
}

void vx_installerApplication::anotherInstanceStarted(const juce::String&) {}

// The background colour is taken from the framework's standard look and feel: the
// program's own look and feel becomes the default only inside the MainComponent.
vx_installerApplication::MainWindow::MainWindow(const juce::String& name)
    : DocumentWindow(name,
                     juce::Desktop::getInstance().getDefaultLookAndFeel().findColour(
                         juce::ResizableWindow::backgroundColourId),
                     DocumentWindow::allButtons, true)
{
    setUsingNativeTitleBar(true);
    // The content takes the keyboard focus when the window gets it, so that Tab reaches
    // its controls.
    setWantsKeyboardFocus(false);
    setContentOwned(new MainComponent(), true);
    setResizable(true, true);
    getConstrainer()->setFixedAspectRatio(1.0);
    centreWithSize(getWidth(), getHeight());
    setVisible(true);
}

void vx_installerApplication::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

#pragma once

#include "app/WineRepaintPump.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The framework's application object: one square main window whose content is the
// MainComponent. Several instances may run at once, each with its own window.
class vx_installerApplication : public juce::JUCEApplication
{
public:
    vx_installerApplication() = default;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;

    void initialise(const juce::String& commandLine) override;
    void shutdown() override;

    void systemRequestedQuit() override;
    void anotherInstanceStarted(const juce::String& commandLine) override;

    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow(const juce::String& name);

        void closeButtonPressed() override;

    private:
        WineRepaintPump wineRepaintPump;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainWindow)
    };

private:
    std::unique_ptr<MainWindow> mainWindow;
};

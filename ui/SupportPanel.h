#pragma once

#include "ui/ControlButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// The support and about overlay: a Discord tile, an e-mail tile, the about paragraph that
// names the settings file's place, a legal notice and a close control. The close control
// takes the panel off its parent; the owner keeps the object until it replaces it.
class panel_support : public juce::Component, public juce::Button::Listener
{
public:
    panel_support();
    ~panel_support() override;

    void paint(juce::Graphics&) override;
    void resized() override;
    void buttonClicked(juce::Button*) override;

    // The controls Tab visits while the panel is open, in order.
    std::vector<juce::Component*> getFocusOrder() const;

    // The about paragraph for a settings folder, with the folder in the form a Windows
    // user would type it.
    static juce::String aboutText(const juce::File& settingsFolder);
    static juce::String legalNotice();

    float unit = 9.0f;
    juce::File settingsFolder;
    std::unique_ptr<ui::ControlButton> closeButton;
    std::unique_ptr<ui::ControlButton> mailButton;
    std::unique_ptr<ui::ControlButton> discordButton;
    std::unique_ptr<juce::Drawable> discordIcon;
    std::unique_ptr<juce::Drawable> mailIcon;

private:
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    JUCE_DECLARE_NON_COPYABLE(panel_support)
};

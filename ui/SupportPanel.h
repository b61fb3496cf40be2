#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The support and about overlay.
class panel_support : public juce::Component, public juce::Button::Listener
{
public:
    panel_support();
    ~panel_support() override;

    void buttonClicked(juce::Button*) override;

    float unit = 9.0f;
    juce::File settingsFolder;

private:
    JUCE_DECLARE_NON_COPYABLE(panel_support)
};

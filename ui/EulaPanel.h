#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The overlay that shows the licence agreement.
class panel_eula : public juce::Component, public juce::Button::Listener
{
public:
    explicit panel_eula(const juce::String& text);
    ~panel_eula() override;

    void buttonClicked(juce::Button*) override;

    float unit = 9.0f;

private:
    JUCE_DECLARE_NON_COPYABLE(panel_eula)
};

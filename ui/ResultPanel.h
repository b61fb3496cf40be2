#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The card that tells how an install or uninstall run ended: a black rounded card in the
// middle with an icon and one line of text. Its owner fades a snapshot of it out, so
// success and unit must be set before the fade starts.
class panel_success : public juce::Component
{
public:
    panel_success();
    ~panel_success() override;

    void paint(juce::Graphics&) override;

    static juce::String resultText(bool success);

    bool success = true;
    float unit = 9.0f;
    std::unique_ptr<juce::Drawable> successIcon;
    std::unique_ptr<juce::Drawable> warningIcon;

private:
    JUCE_DECLARE_NON_COPYABLE(panel_success)
};

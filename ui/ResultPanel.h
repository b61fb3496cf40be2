#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The card that tells how an install or uninstall run ended; faded out by its owner.
class panel_success : public juce::Component
{
public:
    panel_success();
    ~panel_success() override;

    bool success = true;
    float unit = 9.0f;

private:
    JUCE_DECLARE_NON_COPYABLE(panel_success)
};

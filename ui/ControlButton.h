#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace ui
{
// A control's transparent hit area: its owner paints what the user sees. On top of the
// framework's button it is pressed by Space as well as Return, and tells a screen reader
// what the painting shows: a toggle's state and texts that follow the owner's state.
class ControlButton : public juce::TextButton
{
public:
    explicit ControlButton(const juce::String& name);
    ~ControlButton() override;

    // Set for a control that selects something: it then reads as a toggle button,
    // checked while this returns true.
    std::function<bool()> isSelected;
    // When set, these give the accessible description and help text at the moment they
    // are asked for, instead of the component's fixed ones.
    std::function<juce::String()> currentDescription;
    std::function<juce::String()> currentHelpText;

    // Acts as a click does, at once: the owner reads the modifiers of this moment, so a
    // shift held with Return counts as a shift-click.
    void pressFromKeyboard();

    // Tells a screen reader that what isSelected returns has changed.
    void selectionChanged();

    bool keyPressed(const juce::KeyPress&) override;

private:
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    JUCE_DECLARE_NON_COPYABLE(ControlButton)
};
} // namespace ui

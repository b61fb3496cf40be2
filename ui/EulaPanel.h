#pragma once

#include "ui/ControlButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// The overlay that shows the licence agreement: a title, a close control and the text in
// a scrolling, word-wrapped editor. The close control takes the panel off its parent; the
// owner keeps the object until it replaces it.
class panel_eula : public juce::Component, public juce::Button::Listener
{
public:
    explicit panel_eula(juce::String text);
    ~panel_eula() override;

    void paint(juce::Graphics&) override;
    void resized() override;
    void buttonClicked(juce::Button*) override;

    // The controls Tab visits while the panel is open, in order.
    std::vector<juce::Component*> getFocusOrder() const;

    float unit = 9.0f;
    std::unique_ptr<juce::TextEditor> editor;
    std::unique_ptr<ui::ControlButton> closeButton;

private:
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    JUCE_DECLARE_NON_COPYABLE(panel_eula)
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

namespace ui
{
// Tab order over a fixed list of controls, wrapping round at both ends. A component
// outside the list (the window's content itself, a panel, a covered control) counts as
// standing before the first control, so Tab from it gives the first one and shift-Tab the
// last. It names no default: at start nothing is focused.
class FocusOrder : public juce::ComponentTraverser
{
public:
    explicit FocusOrder(std::vector<juce::Component*> controls);

    juce::Component* getDefaultComponent(juce::Component*) override;
    juce::Component* getNextComponent(juce::Component* current) override;
    juce::Component* getPreviousComponent(juce::Component* current) override;
    std::vector<juce::Component*> getAllComponents(juce::Component*) override;

private:
    juce::Component* step(juce::Component* current, int direction) const;

    std::vector<juce::Component*> controls;
};

// Keyboard focus for one window's content (the root): Tab moves along a FocusOrder, and
// a focus ring is shown only while the focus was last moved from the keyboard; a mouse
// button pressed anywhere in the root hides it again until the next Tab.
class KeyboardFocus : private juce::MouseListener, private juce::FocusChangeListener
{
public:
    // onKeyboardFocus is told of each component in the root that gains the focus while
    // the ring shows.
    KeyboardFocus(juce::Component& root, std::function<void(juce::Component&)> onKeyboardFocus);
    ~KeyboardFocus() override;

    // Moves the focus to the next (or previous) control of order from the focused
    // component; true when a control took it.
    bool moveFocus(juce::ComponentTraverser& order, bool forward);

    // The focused component inside the root while the ring shows, else nullptr.
    juce::Component* getRingTarget() const;

    // The ring around target, in the root's coordinates: a rounded outline 0.25u thick
    // with a 0.5u gap to the target's bounds, so that it stays apart from the outline of
    // a selected format row.
    void drawRing(juce::Graphics& g, juce::Component& target, float u) const;

private:
    void mouseDown(const juce::MouseEvent&) override;
    void globalFocusChanged(juce::Component* focused) override;

    juce::Component& root;
    std::function<void(juce::Component&)> onKeyboardFocus;
    bool fromKeyboard = false;

    JUCE_DECLARE_NON_COPYABLE(KeyboardFocus)
};
} // namespace ui

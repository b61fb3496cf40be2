#include "ui/KeyboardFocus.h"

#include "catalogue/Palette.h"

#include <algorithm>
#include <utility>

namespace ui
{
FocusOrder::FocusOrder(std::vector<juce::Component*> orderedControls) : controls(std::move(orderedControls))
{
}

juce::Component* FocusOrder::getDefaultComponent(juce::Component*)
{
    return nullptr;
}

juce::Component* FocusOrder::getNextComponent(juce::Component* current)
{
    return step(current, 1);
}

juce::Component* FocusOrder::getPreviousComponent(juce::Component* current)
{
    return step(current, -1);
}

std::vector<juce::Component*> FocusOrder::getAllComponents(juce::Component*)
{
    return controls;
}

juce::Component* FocusOrder::step(juce::Component* current, int direction) const
{
    if (controls.empty())
        return nullptr;
    const auto count = static_cast<int>(controls.size());
    const auto found = std::find(controls.begin(), controls.end(), current);
    if (found == controls.end())
        return direction > 0 ? controls.front() : controls.back();
    const auto index = static_cast<int>(found - controls.begin());
    return controls[static_cast<size_t>((index + direction + count) % count)];
}

KeyboardFocus::KeyboardFocus(juce::Component& rootComponent, std::function<void(juce::Component&)> onFocus)
    : root(rootComponent), onKeyboardFocus(std::move(onFocus))
{
    root.addMouseListener(this, true);
    juce::Desktop::getInstance().addFocusChangeListener(this);
}

KeyboardFocus::~KeyboardFocus()
{
    juce::Desktop::getInstance().removeFocusChangeListener(this);
    root.removeMouseListener(this);
}

bool KeyboardFocus::moveFocus(juce::ComponentTraverser& order, bool forward)
{
    auto* current = juce::Component::getCurrentlyFocusedComponent();
    auto* next = forward ? order.getNextComponent(current) : order.getPreviousComponent(current);
    if (next == nullptr || !next->isShowing())
        return false;
    fromKeyboard = true;
    next->grabKeyboardFocus();
    root.repaint();
    return next->hasKeyboardFocus(false);
}

juce::Component* KeyboardFocus::getRingTarget() const
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    if (!fromKeyboard || focused == nullptr || focused == &root || !root.isParentOf(focused))
        return nullptr;
    return focused;
}

void KeyboardFocus::drawRing(juce::Graphics& g, juce::Component& target, float u) const
{
    const float thickness = 0.25f * u;
    const float offset = 0.5f * u + 0.5f * thickness; // the stroke's centre line
    const auto area = root.getLocalArea(&target, target.getLocalBounds()).toFloat().expanded(offset);
    g.setColour(catalogue::colourYellow);
    g.drawRoundedRectangle(area, u + offset, thickness);
}

void KeyboardFocus::mouseDown(const juce::MouseEvent&)
{
    if (std::exchange(fromKeyboard, false))
        root.repaint();
}

void KeyboardFocus::globalFocusChanged(juce::Component* focused)
{
    if (!fromKeyboard)
        return;
    root.repaint();
    if (focused != nullptr && focused != &root && root.isParentOf(focused) && onKeyboardFocus)
        onKeyboardFocus(*focused);
}
} // namespace ui

#include "ui/ControlButton.h"

#include "texts/TextTable.h"

namespace ui
{
namespace
{
// A toggle's state as a value, so that a change of it reaches the screen reader.
class SelectionValue : public juce::AccessibilityTextValueInterface
{
public:
    explicit SelectionValue(const ControlButton& button) : control(button) {}

    bool isReadOnly() const override { return true; }
    juce::String getCurrentValueAsString() const override
    {
        return texts::text(control.isSelected() ? texts::TextId::accessibleSelected
                                                : texts::TextId::accessibleNotSelected);
    }
    void setValueAsString(const juce::String&) override {}

private:
    const ControlButton& control;
};

juce::AccessibilityHandler::Interfaces interfacesFor(const ControlButton& button)
{
    if (button.isSelected)
        return {std::make_unique<SelectionValue>(button)};
    return {};
}

class ControlAccessibilityHandler : public juce::AccessibilityHandler
{
public:
    explicit ControlAccessibilityHandler(ControlButton& button)
        : juce::AccessibilityHandler(button,
                                     button.isSelected ? juce::AccessibilityRole::toggleButton
                                                       : juce::AccessibilityRole::button,
                                     actionsFor(button), interfacesFor(button)),
          control(button)
    {
    }

    juce::AccessibleState getCurrentState() const override
    {
        auto state = juce::AccessibilityHandler::getCurrentState();
        if (control.isSelected)
        {
            state = state.withCheckable();
            if (control.isSelected())
                state = state.withChecked();
        }
        return state;
    }

    juce::String getDescription() const override
    {
        return control.currentDescription ? control.currentDescription() : control.getDescription();
    }

    // The framework's buttons answer with their tooltip; these controls have none.
    juce::String getHelp() const override
    {
        return control.currentHelpText ? control.currentHelpText() : control.getHelpText();
    }

private:
    static juce::AccessibilityActions actionsFor(ControlButton& button)
    {
        auto actions = juce::AccessibilityActions().addAction(juce::AccessibilityActionType::press,
                                                              [&button] { button.triggerClick(); });
        if (button.isSelected)
            actions.addAction(juce::AccessibilityActionType::toggle, [&button] { button.triggerClick(); });
        return actions;
    }

    ControlButton& control;
};
} // namespace

ControlButton::ControlButton(const juce::String& name)
{
    setName(name);
}

ControlButton::~ControlButton() = default;

void ControlButton::pressFromKeyboard()
{
    if (isEnabled())
        internalClickCallback(juce::ModifierKeys::currentModifiers);
}

void ControlButton::selectionChanged()
{
    if (auto* handler = getAccessibilityHandler())
        handler->notifyAccessibilityEvent(juce::AccessibilityEvent::valueChanged);
}

bool ControlButton::keyPressed(const juce::KeyPress& key)
{
    if (key.isKeyCode(juce::KeyPress::returnKey) || key.isKeyCode(juce::KeyPress::spaceKey))
    {
        pressFromKeyboard();
        return true;
    }
    return false;
}

std::unique_ptr<juce::AccessibilityHandler> ControlButton::createAccessibilityHandler()
{
    return std::make_unique<ControlAccessibilityHandler>(*this);
}
} // namespace ui

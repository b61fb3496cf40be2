#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The program's theme: the embedded Source Sans Pro Regular face for every font, the dark
// palette for the framework's colours, and its own pop-up menu font and combo box.
class CustomLookAndFeel : public juce::LookAndFeel_V4
{
public:
    CustomLookAndFeel();
    ~CustomLookAndFeel() override;

    juce::Typeface::Ptr getTypefaceForFont(const juce::Font&) override;

    juce::Font getPopupMenuFont() override;

    void drawComboBox(juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                      int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont(juce::ComboBox&) override;
    void positionComboBoxText(juce::ComboBox&, juce::Label&) override;

    juce::Typeface::Ptr regularTypeface;

private:
    JUCE_DECLARE_NON_COPYABLE(CustomLookAndFeel)
};

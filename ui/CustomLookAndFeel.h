#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The program's theme: one embedded face for every font, chosen by the language of the texts
// when it is made (Source Sans Pro Regular, or a Noto Sans CJK subset), the dark palette for
// the framework's colours, and its own pop-up menu font and combo box.
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

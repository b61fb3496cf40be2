#include "ui/CustomLookAndFeel.h"

#include "catalogue/Palette.h"
#include "texts/Language.h"
#include "ui/Fonts.h"

#include <BinaryData.h>

using namespace catalogue;

namespace
{
// The face that has the glyphs of a language's texts: Source Sans Pro for the European
// languages, the language's own Noto Sans CJK subset (which holds ASCII and Latin-1 too,
// for the names and paths in its texts) for Japanese, Chinese and Korean. The framework
// does no font fallback for faces made from memory, so one face must hold every glyph.
juce::Typeface::Ptr typefaceForLanguage(const juce::String& language)
{
    const auto fileName = "NotoSansCJK-" + language + ".otf";
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        if (fileName != BinaryData::originalFilenames[i])
            continue;
        int size = 0;
        const auto* data = BinaryData::getNamedResource(BinaryData::namedResourceList[i], size);
        return juce::Typeface::createSystemTypefaceFor(data, static_cast<size_t>(size));
    }
    return juce::Typeface::createSystemTypefaceFor(BinaryData::SourceSansProRegular_ttf,
                                                   BinaryData::SourceSansProRegular_ttfSize);
}
} // namespace

CustomLookAndFeel::CustomLookAndFeel() : regularTypeface(typefaceForLanguage(texts::currentLanguage()))
{
    setColour(juce::PopupMenu::backgroundColourId, colourBackground);
    setColour(juce::PopupMenu::highlightedBackgroundColourId, colourGreen.withAlpha(0.5f));
    setColour(juce::PopupMenu::textColourId, colourText);
    setColour(juce::PopupMenu::highlightedTextColourId, colourText);
    setColour(juce::AlertWindow::backgroundColourId, colourBackground);
    setColour(juce::AlertWindow::textColourId, colourTextDim);
    setColour(juce::PropertyComponent::labelTextColourId, colourGreen.withAlpha(0.5f));
    setColour(juce::ResizableWindow::backgroundColourId, colourBackground);
    setColour(juce::ScrollBar::thumbColourId, colourTextDim);
    setColour(juce::TextEditor::backgroundColourId, colourBackground);
    setColour(juce::ListBox::backgroundColourId, colourBackground);
    setColour(juce::TextButton::buttonColourId, colourBackground);
    setColour(juce::Label::textColourId, colourText);
}

CustomLookAndFeel::~CustomLookAndFeel() = default;

juce::Typeface::Ptr CustomLookAndFeel::getTypefaceForFont(const juce::Font&)
{
    // Bold and italic included: the program carries one face only.
    return regularTypeface;
}

juce::Font CustomLookAndFeel::getPopupMenuFont()
{
    juce::Font font;
    font.setSizeAndStyle(30.0f, juce::Font::plain, 1.0f, 0.1f);
    return font;
}

void CustomLookAndFeel::drawComboBox(juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                     juce::ComboBox&)
{
    g.setColour(colourSurface);
    g.fillRoundedRectangle(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height),
                           static_cast<float>(height) * 0.5f);
}

juce::Font CustomLookAndFeel::getComboBoxFont(juce::ComboBox& box)
{
    return ui::plainFont(static_cast<float>(box.getHeight()) * 0.7f);
}

void CustomLookAndFeel::positionComboBoxText(juce::ComboBox& box, juce::Label& label)
{
    label.setBounds(1, 1, box.getWidth(), box.getHeight() - 2);
    label.setFont(getComboBoxFont(box));
    label.setJustificationType(juce::Justification::centred);
}

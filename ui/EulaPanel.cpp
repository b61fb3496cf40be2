#include "ui/EulaPanel.h"

#include "catalogue/Palette.h"
#include "texts/TextTable.h"
#include "ui/Layout.h"
#include "ui/PaintedControls.h"
#include "ui/PanelPainting.h"

using namespace catalogue;

panel_eula::panel_eula(juce::String text)
{
    unit = 9.0f;

    editor = std::make_unique<juce::TextEditor>();
    addAndMakeVisible(*editor);
    editor->setMultiLine(true);
    editor->setText(text, true);
    editor->applyColourToAllText(colourTextDim);
    // The outline would show against the page.
    editor->setColour(juce::TextEditor::outlineColourId, colourBackground);
    editor->setColour(juce::TextEditor::focusedOutlineColourId, colourBackground);

    closeButton = ui::createPaintedControl(*this, "X", *this);

    setTitle(texts::text(texts::TextId::accessibleLicence));
    editor->setTitle(texts::text(texts::TextId::accessibleLicenceText));
    closeButton->setTitle(texts::text(texts::TextId::accessibleClose));
    // Takes the focus when it opens, so that a screen reader names it and Tab stays inside.
    setWantsKeyboardFocus(true);
    setFocusContainerType(FocusContainerType::focusContainer);
}

panel_eula::~panel_eula() = default;

void panel_eula::resized()
{
    editor->setBounds(ui::boundsInUnits(unit, 4.0f, 12.0f, 92.0f, 80.0f));
    closeButton->setBounds(ui::boundsInUnits(unit, 88.0f, 1.5f, 8.0f, 8.0f));
}

void panel_eula::paint(juce::Graphics& g)
{
    const float u = unit;
    g.fillAll(colourBackground);

    g.setColour(colourText);
    g.setFont(ui::lookAndFeelFont(*this, 4.0f * u));
    g.drawSingleLineText(texts::text(texts::TextId::licenceHeading), static_cast<int>(4.0f * u),
                         static_cast<int>(6.0f * u), juce::Justification::left);

    ui::drawCloseControl(g, *closeButton, u);
}

std::vector<juce::Component*> panel_eula::getFocusOrder() const
{
    return {closeButton.get(), editor.get()};
}

std::unique_ptr<juce::AccessibilityHandler> panel_eula::createAccessibilityHandler()
{
    return std::make_unique<juce::AccessibilityHandler>(*this, juce::AccessibilityRole::group);
}

void panel_eula::buttonClicked(juce::Button*)
{
    ui::closePanel(*this);
}

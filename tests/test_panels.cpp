#include "catalogue/EulaText.h"
#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"
#include "support/ImageProbe.h"
#include "support/MessageLoop.h"
#include "support/TestEnvironment.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/EulaPanel.h"
#include "ui/LinkLauncher.h"
#include "ui/PanelPainting.h"
#include "ui/ResultPanel.h"
#include "ui/SupportPanel.h"

#include <gtest/gtest.h>

#include <regex>

using namespace catalogue;
using testing_support::blended;
using testing_support::colourNear;

namespace
{
// Idle tiles: colourTextDim at alpha 0x80 on the page.
juce::Colour halfDim()
{
    return blended(colourBackground, colourTextDim.withAlpha(juce::uint8{0x80}));
}

// A pixel of the idle close circle: its 0.25u stroke covers three quarters of the pixels
// on the circle's left and top edges at u = 6.
juce::Colour idleRing()
{
    return blended(colourBackground, colourTextDim.withAlpha(juce::uint8{0x60}));
}

// The panels as the main component shows them: the program's look and feel as default,
// the unit set, then the bounds.
class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel(&lookAndFeel);
        previousLauncher = ui::setLinkLauncher(
            [this](const juce::URL& url)
            {
                launched.add(url.toString(false));
                return true;
            });
    }

    void TearDown() override
    {
        ui::setLinkLauncher(previousLauncher);
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    }

    template <typename Panel> void place(Panel& panel, int size = 600)
    {
        panel.unit = static_cast<float>(size) * 0.01f;
        panel.setBounds(0, 0, size, size);
    }

    testing_support::ScopedWinePrefix prefix;
    CustomLookAndFeel lookAndFeel;
    juce::StringArray launched;
    ui::LinkLauncher previousLauncher;
};

using R = juce::Rectangle<int>;
} // namespace

TEST_F(PanelTest, EulaPanelHoldsTheTextInAnEditableWrappedEditorInTheDimColours)
{
    panel_eula panel(eulaText);
    place(panel);

    ASSERT_NE(panel.editor, nullptr);
    auto& editor = *panel.editor;
    EXPECT_EQ(editor.getText(), eulaText);
    EXPECT_TRUE(editor.isMultiLine());
    // Word-wrapped to the editor's width, scrolling vertically.
    EXPECT_LE(editor.getTextWidth(), editor.getWidth());
    EXPECT_GT(editor.getTextHeight(), editor.getHeight());
    EXPECT_FALSE(editor.isReadOnly());
    EXPECT_EQ(editor.findColour(juce::TextEditor::textColourId), colourTextDim);
    EXPECT_EQ(editor.findColour(juce::TextEditor::outlineColourId), colourBackground);
    EXPECT_EQ(editor.findColour(juce::TextEditor::focusedOutlineColourId), colourBackground);
    EXPECT_EQ(editor.getParentComponent(), &panel);

    ASSERT_NE(panel.closeButton, nullptr);
    EXPECT_EQ(panel.closeButton->getName(), juce::String("X"));
    EXPECT_EQ(panel.closeButton->getAlpha(), 0.0f);
    EXPECT_TRUE(panel.closeButton->isVisible());
    EXPECT_EQ(panel.closeButton->getButtonText(), juce::String());
}

TEST_F(PanelTest, PanelChildrenScaleWithTheUnit)
{
    struct Case
    {
        int size;
        R editor, close, discord, mail;
    };
    // u = 6.5: the half-pixel products round to even (9.75 -> 10, 227.5 -> 228).
    const Case cases[] = {
        {600, R(24, 72, 552, 480), R(528, 9, 48, 48), R(60, 90, 60, 60), R(60, 210, 60, 60)},
        {800, R(32, 96, 736, 640), R(704, 12, 64, 64), R(80, 120, 80, 80), R(80, 280, 80, 80)},
        {650, R(26, 78, 598, 520), R(572, 10, 52, 52), R(65, 98, 65, 65), R(65, 228, 65, 65)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.size);
        panel_eula eula("text");
        place(eula, c.size);
        EXPECT_EQ(eula.editor->getBounds(), c.editor);
        EXPECT_EQ(eula.closeButton->getBounds(), c.close);

        panel_support support;
        place(support, c.size);
        EXPECT_EQ(support.closeButton->getBounds(), c.close);
        EXPECT_EQ(support.discordButton->getBounds(), c.discord);
        EXPECT_EQ(support.mailButton->getBounds(), c.mail);
    }
}

TEST_F(PanelTest, EulaPanelPaintsAnOpaquePageTitleAndHalfBrightCloseCircle)
{
    panel_eula panel(eulaText);
    place(panel);
    const auto image = testing_support::renderComponent(panel);

    EXPECT_TRUE(colourNear(image, 5, 300, colourBackground));   // margin beside the editor
    EXPECT_TRUE(colourNear(image, 590, 590, colourBackground)); // below the editor
    // The circle in (540, 21, 24, 24), 1.5 thick: on its left and top edges, empty above it.
    EXPECT_TRUE(colourNear(image, 540, 33, idleRing(), 6));
    EXPECT_TRUE(colourNear(image, 552, 21, idleRing(), 6));
    EXPECT_TRUE(colourNear(image, 552, 15, colourBackground));
    EXPECT_TRUE(colourNear(image, 570, 33, colourBackground));
    // An "X" in the middle of the circle.
    EXPECT_NE(testing_support::brightColumns(image, R(545, 26, 14, 14), 0.2f).first, -1);

    // The title: bright text from x 24 on, above the baseline at 36.
    const auto title = testing_support::brightColumns(image, R(0, 10, 400, 27), 0.9f);
    EXPECT_GE(title.first, 24);
    EXPECT_LE(title.first, 28);
    EXPECT_GT(title.second, 150);
    EXPECT_EQ(testing_support::brightColumns(image, R(0, 37, 520, 34), 0.2f).first, -1); // nothing below it
    // The licence text in the editor, dim.
    EXPECT_NE(testing_support::brightColumns(image, R(24, 72, 552, 40), 0.4f).first, -1);
}

TEST_F(PanelTest, EulaPanelCloseTakesItOffItsParentAndKeepsIt)
{
    juce::Component parent;
    parent.setSize(600, 600);
    auto panel = std::make_unique<panel_eula>(eulaText);
    juce::Component::SafePointer<panel_eula> watch(panel.get());
    parent.addAndMakeVisible(*panel);
    place(*panel);

    panel->closeButton->triggerClick();
    testing_support::dispatchMessages();
    EXPECT_EQ(panel->getParentComponent(), nullptr);
    EXPECT_EQ(parent.getNumChildComponents(), 0);
    EXPECT_NE(watch.getComponent(), nullptr);

    // A second close, with no parent left, is harmless.
    panel->closeButton->triggerClick();
    testing_support::dispatchMessages();
    EXPECT_EQ(panel->getParentComponent(), nullptr);
}

TEST_F(PanelTest, SupportPanelControlsAndIcons)
{
    panel_support panel;
    place(panel);
    EXPECT_EQ(panel.settingsFolder, juce::File());
    ASSERT_NE(panel.discordIcon, nullptr);
    ASSERT_NE(panel.mailIcon, nullptr);

    juce::StringArray names;
    for (auto* button : {panel.closeButton.get(), panel.discordButton.get(), panel.mailButton.get()})
    {
        names.add(button->getName());
        EXPECT_EQ(button->getAlpha(), 0.0f);
        EXPECT_TRUE(button->isVisible());
        EXPECT_EQ(button->getParentComponent(), &panel);
    }
    EXPECT_EQ(names, juce::StringArray({"X", "DISCORD", "MAIL"}));
}

TEST_F(PanelTest, SupportPanelPaintsIdleTilesIconsAndHeadings)
{
    panel_support panel;
    panel.settingsFolder = prefix.programData().getChildFile("Audio Tarvosk");
    place(panel);
    const auto image = testing_support::renderComponent(panel);

    EXPECT_TRUE(colourNear(image, 5, 5, colourBackground));
    // Idle tiles at half opacity, outside their icons (the tile less 2u on every side).
    for (const auto& tile : {R(60, 90, 60, 60), R(60, 210, 60, 60)})
    {
        EXPECT_TRUE(colourNear(image, tile.getX() + 3, tile.getCentreY(), halfDim()));
        EXPECT_TRUE(colourNear(image, tile.getCentreX(), tile.getBottom() - 3, halfDim()));
        EXPECT_TRUE(colourNear(image, tile.getX() - 2, tile.getCentreY(), colourBackground));
    }
    // The envelope's left edge, in its own near-black: dark on the tile.
    EXPECT_LT(image.getPixelAt(73, 240).getPerceivedBrightness(), 0.2f);
    // The Discord logo is black in its file and drawn in colourSurface.
    EXPECT_TRUE(colourNear(image, 90, 112, colourSurface, 6));

    // Bright headings from x 60 (plus the glyphs' side bearing); the dim paragraphs beside
    // the tiles from x 132 on.
    for (const auto& heading : {R(0, 50, 400, 40), R(0, 170, 400, 40)})
    {
        const auto extent = testing_support::brightColumns(image, heading, 0.9f);
        EXPECT_GE(extent.first, 60);
        EXPECT_LE(extent.first, 64);
    }
    const auto discordText = testing_support::brightColumns(image, R(125, 90, 475, 60), 0.4f);
    EXPECT_GE(discordText.first, 132);
    EXPECT_LE(discordText.first, 136);
    // The close circle, half bright.
    EXPECT_TRUE(colourNear(image, 540, 33, idleRing(), 6));
}

TEST_F(PanelTest, AboutTextNamesTheSettingsFileTheWayAWindowsUserTypesIt)
{
    const auto folder = prefix.programData().getChildFile("Audio Tarvosk");
    const juce::String expected =
        "The Audio Tarvosk Plugin Manager v" + juce::String(catalogue::installerVersion) +
        " cross-platform installater. \nFeel free to drop us a line "
        "if "
        "you have any suggestions or questions concerning its use. You can edit the default installation "
        "paths "
        "in the text file found at C:\\ProgramData\\Audio Tarvosk/PluginManagerSettings.txt";
    EXPECT_EQ(panel_support::aboutText(folder), expected);

    const auto notice = panel_support::legalNotice().toStdString();
    EXPECT_TRUE(
        std::regex_search(notice, std::regex("(19|20)[0-9]{2}\xe2\x80\x93(19|20)[0-9]{2} Audio Tarvosk")))
        << notice;
}

TEST_F(PanelTest, AboutParagraphStaysInsideItsRectangle)
{
    // The paragraph's rectangle is (60, 390, 480, 180); the page right of and below it
    // stays empty, however long the path.
    const juce::String longName = juce::String::repeatedString("VeryLongFolderName", 20);
    for (const auto& folder :
         {prefix.programData().getChildFile("Audio Tarvosk"), prefix.programData().getChildFile(longName)})
    {
        SCOPED_TRACE(folder.getFileName());
        panel_support panel;
        panel.settingsFolder = folder;
        place(panel);
        const auto image = testing_support::renderComponent(panel);
        EXPECT_TRUE(testing_support::allPixelsAre(image, R(541, 300, 59, 300), colourBackground));
        EXPECT_TRUE(testing_support::allPixelsAre(image, R(0, 571, 600, 29), colourBackground));
        EXPECT_NE(testing_support::brightColumns(image, R(60, 390, 480, 120), 0.4f).first, -1);
    }
}

TEST_F(PanelTest, SupportPanelButtonsOpenTheirLinksAndCloseTakesItOff)
{
    juce::Component parent;
    parent.setSize(600, 600);
    panel_support panel;
    parent.addAndMakeVisible(panel);
    place(panel);

    juce::TextButton stranger;
    stranger.setName("discord"); // names are compared exactly
    stranger.addListener(&panel);

    for (juce::Button* button : std::initializer_list<juce::Button*>{
             panel.discordButton.get(), panel.mailButton.get(), &stranger, panel.discordButton.get()})
        button->triggerClick();
    testing_support::dispatchMessages();

    EXPECT_EQ(launched, juce::StringArray({discordInviteUrl, contactMailUrl, discordInviteUrl}));
    EXPECT_TRUE(juce::String(contactMailUrl).startsWith("mailto:"));
    EXPECT_EQ(panel.getParentComponent(), &parent);

    panel.closeButton->triggerClick();
    testing_support::dispatchMessages();
    EXPECT_EQ(panel.getParentComponent(), nullptr);
    EXPECT_EQ(launched.size(), 3);
}

TEST_F(PanelTest, ResultCardShowsIconAndTextOfTheOutcome)
{
    struct Case
    {
        bool success;
        juce::Colour discColour;
        const char* text;
    };
    const Case cases[] = {{true, juce::Colour(0xff28c937), "Operation Successful!"},
                          {false, juce::Colour(0xffffaa00), "Operation failed!"}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        panel_success panel;
        panel.success = c.success;
        place(panel);
        const auto image = testing_support::renderComponent(panel);

        // Card (210, 210, 180, 180): black inside, light outline on its edge, nothing around it.
        EXPECT_TRUE(colourNear(image, 215, 300, juce::Colours::black));
        EXPECT_TRUE(colourNear(image, 300, 215, juce::Colours::black));
        EXPECT_GT(image.getPixelAt(210, 300).getPerceivedBrightness(), 0.5f);
        EXPECT_GT(image.getPixelAt(300, 389).getPerceivedBrightness(), 0.5f);
        EXPECT_EQ(image.getPixelAt(205, 300).getAlpha(), 0);
        EXPECT_EQ(image.getPixelAt(100, 100).getAlpha(), 0);
        EXPECT_EQ(image.getPixelAt(300, 395).getAlpha(), 0);

        // The icon's disc in its own colour, inside the icon area (258, 258, 84, 84).
        EXPECT_TRUE(colourNear(image, 275, 300, c.discColour, 4));

        // One line of white text centred at the bottom of (222, 222, 156, 156).
        const auto text = testing_support::brightColumns(image, R(216, 358, 168, 21), 0.9f);
        const auto width = ui::lookAndFeelFont(panel, 18.0f).getStringWidthFloat(c.text);
        EXPECT_NEAR(text.second - text.first + 1, width, 4.0f);
        EXPECT_NEAR((text.first + text.second + 1) / 2.0f, 300.0f, 2.0f);
    }
}

TEST_F(PanelTest, ResultCardScalesWithTheUnit)
{
    // u = 8 on 800 x 800: the card is (280, 280, 240, 240).
    panel_success panel;
    place(panel, 800);
    const auto image = testing_support::renderComponent(panel);
    EXPECT_TRUE(colourNear(image, 285, 400, juce::Colours::black));
    EXPECT_EQ(image.getPixelAt(275, 400).getAlpha(), 0);
    EXPECT_GT(image.getPixelAt(280, 400).getPerceivedBrightness(), 0.5f);
    EXPECT_GT(image.getPixelAt(519, 400).getPerceivedBrightness(), 0.5f);
    EXPECT_EQ(image.getPixelAt(525, 400).getAlpha(), 0);
}

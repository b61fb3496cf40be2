#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "install/InstallReport.h"
#include "support/TestEnvironment.h"
#include "texts/Sentences.h"
#include "ui/Layout.h"
#include "ui/MainComponent.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
using R = juce::Rectangle<int>;

struct Layout
{
    int width;
    float unit;
    std::array<R, 4> links;
    R install, selectAll;
    catalogue::PerFormat<R> formats;
    R label;
    float labelFontHeight;
};

const Layout layouts[] = {
    {600,
     6.0f,
     {R(24, 441, 60, 60), R(93, 441, 60, 60), R(162, 441, 60, 60), R(231, 441, 60, 60)},
     R(516, 441, 60, 60),
     R(480, 135, 96, 24),
     {R(24, 180, 270, 60), R(306, 180, 270, 60), R(24, 252, 270, 60)},
     R(24, 540, 552, 18),
     18.0f},
    {800,
     8.0f,
     {R(32, 588, 80, 80), R(124, 588, 80, 80), R(216, 588, 80, 80), R(308, 588, 80, 80)},
     R(688, 588, 80, 80),
     R(640, 180, 128, 32),
     {R(32, 240, 360, 80), R(408, 240, 360, 80), R(32, 336, 360, 80)},
     R(32, 720, 736, 24),
     24.0f},
    // u = 6.5: the half-pixel products round to even (227.5 -> 228, 74.75 -> 75 ...).
    {650,
     6.5f,
     {R(26, 478, 65, 65), R(101, 478, 65, 65), R(176, 478, 65, 65), R(250, 478, 65, 65)},
     R(559, 478, 65, 65),
     R(520, 146, 104, 26),
     {R(26, 195, 292, 65), R(332, 195, 292, 65), R(26, 273, 292, 65)},
     R(26, 585, 598, 20),
     19.5f},
};
} // namespace

class MainComponentLayout : public ::testing::Test
{
protected:
    testing_support::ScopedWinePrefix prefix;
};

TEST_F(MainComponentLayout, ConstructedAt600WithNamedTransparentControls)
{
    MainComponent main;
    EXPECT_EQ(main.getWidth(), 600);
    EXPECT_EQ(main.getHeight(), 600);
    EXPECT_FLOAT_EQ(main.unit, 6.0f);
    EXPECT_EQ(main.getName(), juce::String());
    EXPECT_EQ(main.infoLabel->getText(), juce::String(catalogue::installerVersion));
    EXPECT_EQ(main.infoLabel->findColour(juce::Label::textColourId).getARGB(), 0x80AAA6A6u);
    EXPECT_EQ(&juce::LookAndFeel::getDefaultLookAndFeel(), &main.customLookAndFeel);
    EXPECT_EQ(main.productName, juce::String("Ostrand"));
    EXPECT_FALSE(main.uninstallMode);

    std::vector<juce::Button*> controls;
    for (auto& b : main.linkButtons)
        controls.push_back(b.get());
    for (auto& b : main.formatButtons)
        controls.push_back(b.get());
    controls.push_back(main.installButton.get());
    controls.push_back(main.selectAllButton.get());

    juce::StringArray names;
    for (auto* b : controls)
    {
        names.add(b->getName());
        EXPECT_EQ(b->getAlpha(), 0.0f);
        EXPECT_TRUE(b->isVisible());
        EXPECT_EQ(b->getButtonText(), juce::String());
        EXPECT_FALSE(b->getClickingTogglesState());
        EXPECT_EQ(b->getParentComponent(), &main);
    }
    EXPECT_EQ(names, juce::StringArray({"EULA", "MANUAL", "WEBSITE", "SUPPORT", "VST3", "CLAP", "AAX",
                                        "INSTALL", "SELECT_ALL"}));

    for (auto& icon : main.formatIcons)
        EXPECT_NE(icon, nullptr);
    for (auto& icon : main.buttonIcons)
        EXPECT_NE(icon, nullptr);
}

TEST_F(MainComponentLayout, ChildBoundsScaleWithTheWidth)
{
    MainComponent main;
    for (const auto& expected : layouts)
    {
        SCOPED_TRACE(expected.width);
        main.setSize(expected.width, expected.width);
        EXPECT_FLOAT_EQ(main.unit, expected.unit);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(main.linkButtons[i]->getBounds(), expected.links[i]) << "link " << i;
        EXPECT_EQ(main.installButton->getBounds(), expected.install);
        EXPECT_EQ(main.selectAllButton->getBounds(), expected.selectAll);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(main.formatButtons[i]->getBounds(), expected.formats[i]) << "format " << i;
        EXPECT_EQ(main.infoLabel->getBounds(), expected.label);
        EXPECT_FLOAT_EQ(main.infoLabel->getFont().getHeight(), expected.labelFontHeight);
    }
}

TEST_F(MainComponentLayout, OpenPanelsFollowTheComponentOnResize)
{
    MainComponent main;
    main.eulaPanel = std::make_unique<panel_eula>("text");
    main.addAndMakeVisible(*main.eulaPanel);
    main.supportPanel = std::make_unique<panel_support>();
    main.addAndMakeVisible(*main.supportPanel);

    main.setSize(800, 800);
    for (juce::Component* panel : {static_cast<juce::Component*>(main.eulaPanel.get()),
                                   static_cast<juce::Component*>(main.supportPanel.get())})
    {
        EXPECT_EQ(panel->getBounds(), main.getBounds());
        EXPECT_TRUE(panel->isAlwaysOnTop());
    }
    EXPECT_FLOAT_EQ(main.eulaPanel->unit, 8.0f);
    EXPECT_FLOAT_EQ(main.supportPanel->unit, 8.0f);
}

TEST(MainComponentLabel, EveryReasonSentenceFitsTheLabelAt600)
{
    // The label squeezes a line down to the framework's minimum horizontal scale before it
    // shortens it with an ellipsis: every single-format sentence must fit within that.
    testing_support::ScopedWinePrefix prefix;
    MainComponent main;
    const auto& label = *main.infoLabel;
    const auto area = label.getBorderSize().subtractedFrom(label.getLocalBounds());
    const float room = (float)area.getWidth() / juce::Font::getDefaultMinimumHorizontalScaleFactor();

    using install::FailureReason;
    using install::FormatOutcome;
    for (int format = 0; format < 3; ++format)
        for (auto reason :
             {FailureReason::inUse, FailureReason::noPermission, FailureReason::diskFull,
              FailureReason::installFolderMissing, FailureReason::noInstallFolder, FailureReason::pathBlocked,
              FailureReason::archiveDamaged, FailureReason::otherInstaller, FailureReason::other})
            for (auto outcome : {FormatOutcome::failed, FormatOutcome::installedOldCopyLeft})
                for (bool uninstall : {false, true})
                {
                    install::FormatReport report;
                    report.format = format;
                    report.outcome = outcome;
                    report.reason = reason;
                    report.path = juce::File("/prefix/drive_c/Program Files/Common Files/Avid");
                    report.systemError = "No space left on device";
                    const auto text = texts::describeFormat(report, main.productName, uninstall);
                    ASSERT_TRUE(text.startsWith(catalogue::formatNames[format])) << text;
                    EXPECT_FALSE(text.contains(".vx-")) << text;
                    EXPECT_LE(label.getFont().getStringWidthFloat(text), room) << text;
                }
}

// The window scripts click and read pixels through tests/e2e/controls.sh, a table of the
// controls' rectangles in units of u; every control of the main screen and of the panels
// it names must lie where the program puts it, at every width.
TEST_F(MainComponentLayout, ScriptControlTableMatchesTheControls)
{
    const auto table = juce::File(VX_SOURCE_DIR "/tests/e2e/controls.sh").loadFileAsString();
    std::map<juce::String, std::array<float, 4>> units;
    for (auto line : juce::StringArray::fromLines(table))
    {
        line = line.trim();
        if (!line.startsWith("[") || !line.contains("]=\""))
            continue;
        const auto numbers = juce::StringArray::fromTokens(
            line.fromFirstOccurrenceOf("=\"", false, false).upToFirstOccurrenceOf("\"", false, false), " ",
            "");
        ASSERT_EQ(numbers.size(), 4) << line;
        units[line.substring(1).upToFirstOccurrenceOf("]", false, false)] = {
            numbers[0].getFloatValue(), numbers[1].getFloatValue(), numbers[2].getFloatValue(),
            numbers[3].getFloatValue()};
    }

    for (int width : {600, 650, 800})
    {
        MainComponent main;
        main.setSize(width, width);
        const float u = main.unit;
        main.buttonClicked(main.linkButtons[0].get()); // the licence panel, for its close control
        const auto checkControl = [&](const juce::Component& control, const juce::String& name)
        {
            ASSERT_EQ(units.count(name), 1u) << name << " is missing from controls.sh";
            const auto& r = units[name];
            EXPECT_EQ(control.getBounds(), ui::boundsInUnits(u, r[0], r[1], r[2], r[3]))
                << name << " at " << width;
        };
        for (auto* child : main.getChildren())
            if (dynamic_cast<ui::ControlButton*>(child) != nullptr)
                checkControl(*child, child->getName());
        ASSERT_NE(main.eulaPanel, nullptr);
        checkControl(*main.eulaPanel->closeButton, "PANEL_CLOSE");
        panel_support support;
        support.unit = u;
        support.setSize(width, width);
        checkControl(*support.discordButton, "DISCORD");
        checkControl(*support.mailButton, "MAIL");
        checkControl(*support.closeButton, "PANEL_CLOSE");
    }
}

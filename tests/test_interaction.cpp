#include "catalogue/EulaText.h"
#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"
#include "install/InstallStatus.h"
#include "support/DesktopPointer.h"
#include "support/ImageProbe.h"
#include "support/MainComponentFixture.h"
#include "support/MessageLoop.h"
#include "support/TestEnvironment.h"
#include "ui/LinkLauncher.h"
#include "ui/MainComponent.h"
#include "ui/PanelPainting.h"

#include <gtest/gtest.h>

// These tests need an X display (tests/support/run-with-xvfb.sh): the main component goes
// on the desktop for the pointer, and the result panel's fade snapshots it through the
// desktop's displays.

using namespace catalogue;
using testing_support::blended;
using testing_support::colourNear;
using testing_support::dispatchMessages;
using Selection = catalogue::PerFormat<bool>;

namespace
{
class MainInteraction : public testing_support::MainComponentFixture
{
protected:
    // The main component in a window of its own at the top left of the screen, and a
    // pointer to move over it.
    MainComponent& startOnDesktop()
    {
        testing_support::warpPointer({1200, 1000}); // away from where the window appears
        start();
        main->addToDesktop(0);
        main->setVisible(true);
        pointer = std::make_unique<testing_support::DesktopPointer>(*main);
        return *main;
    }

    void click(juce::Button& target)
    {
        target.triggerClick();
        dispatchMessages();
    }

    void click(const juce::String& name) { click(control(name)); }

    // The result card of the fade, as the main component shows it now: white text
    // centred at the bottom of the card, as wide as the outcome's text.
    void expectCardShowing(bool success)
    {
        const auto image = testing_support::renderComponent(*main);
        EXPECT_TRUE(colourNear(image, 215, 300, juce::Colours::black, 12));
        const auto text = testing_support::brightColumns(image, {216, 358, 168, 21}, 0.8f);
        const auto expectedWidth =
            ui::lookAndFeelFont(*main, 18.0f)
                .getStringWidthFloat(success ? "Operation Successful!" : "Operation failed!");
        EXPECT_NEAR(text.second - text.first + 1, expectedWidth, 4.0f);
    }
};
} // namespace

TEST_F(MainInteraction, FormatButtonsToggleAndSelectAllSelectsAll)
{
    struct Case
    {
        std::vector<const char*> clicks;
        Selection expected;
    };
    // CLAP is installed at start, so it starts selected.
    const Case cases[] = {
        {{}, {false, true, false}},
        {{"VST3"}, {true, true, false}},
        {{"CLAP"}, {false, false, false}},
        {{"AAX", "AAX"}, {false, true, false}},
        {{"SELECT_ALL"}, {true, true, true}},
        {{"SELECT_ALL", "SELECT_ALL"}, {true, true, true}},
        {{"SELECT_ALL", "VST3"}, {false, true, true}},
        // Names are compared exactly; anything else does nothing.
        {{"vst3", "SELECT ALL", "CLAP ", ""}, {false, true, false}},
    };

    plantBundle(clapFormat);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(
            juce::StringArray(c.clicks.data(), static_cast<int>(c.clicks.size())).joinIntoString(","));
        start();
        std::vector<std::unique_ptr<juce::TextButton>> strangers;
        for (const auto* name : c.clicks)
        {
            if (juce::StringArray({"VST3", "CLAP", "AAX", "SELECT_ALL"}).contains(name))
            {
                click(name);
                continue;
            }
            auto& stranger = strangers.emplace_back(std::make_unique<juce::TextButton>());
            stranger->setName(name);
            stranger->addListener(main.get());
            click(*stranger);
        }
        EXPECT_EQ(main->formatSelected, c.expected);
        EXPECT_EQ(main->resultPanel, nullptr);
        EXPECT_EQ(main->eulaPanel, nullptr);
        EXPECT_EQ(main->supportPanel, nullptr);
        EXPECT_TRUE(launched.isEmpty());
    }
}

TEST_F(MainInteraction, ManualAndWebsiteOpenTheirPagesThroughTheLauncher)
{
    start();
    click("MANUAL");
    click("WEBSITE");
    click("MANUAL");
    EXPECT_EQ(launched, juce::StringArray({manualUrl, productPageUrl, manualUrl}));
    EXPECT_EQ(main->getNumChildComponents(), 10); // nine buttons and the label: no panel
}

TEST_F(MainInteraction, EulaOpensAFreshPanelOverTheWholeComponentEachTime)
{
    start();
    click("EULA");
    ASSERT_NE(main->eulaPanel, nullptr);
    juce::Component::SafePointer<panel_eula> first(main->eulaPanel.get());
    EXPECT_EQ(first->getParentComponent(), main.get());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->getBounds(), main->getBounds());
    EXPECT_TRUE(first->isAlwaysOnTop());
    EXPECT_FLOAT_EQ(first->unit, 6.0f);
    EXPECT_EQ(main->getChildren().getLast(), first.getComponent());
    EXPECT_EQ(first->editor->getBounds(), juce::Rectangle<int>(24, 72, 552, 480));
    EXPECT_EQ(first->editor->getText(), eulaText);

    // Closed: off the main component, still owned.
    first->editor->setText("edited");
    click(*first->closeButton);
    EXPECT_EQ(first->getParentComponent(), nullptr);
    EXPECT_EQ(main->eulaPanel.get(), first.getComponent());

    // Opened again: the old object is deleted, a new one shows the unedited text.
    click("EULA");
    EXPECT_EQ(first.getComponent(), nullptr);
    ASSERT_NE(main->eulaPanel, nullptr);
    EXPECT_EQ(main->eulaPanel->getParentComponent(), main.get());
    EXPECT_EQ(main->eulaPanel->editor->getText(), eulaText);

    // Opened while still open: replaced, never two.
    juce::Component::SafePointer<panel_eula> second(main->eulaPanel.get());
    click("EULA");
    EXPECT_EQ(second.getComponent(), nullptr);
    int panels = 0;
    for (auto* child : main->getChildren())
        panels += dynamic_cast<panel_eula*>(child) != nullptr ? 1 : 0;
    EXPECT_EQ(panels, 1);
}

TEST_F(MainInteraction, SupportOpensAFreshPanelThatNamesTheSettingsFolder)
{
    start();
    main->setSize(800, 800);
    click("SUPPORT");
    ASSERT_NE(main->supportPanel, nullptr);
    juce::Component::SafePointer<panel_support> first(main->supportPanel.get());
    EXPECT_EQ(first->settingsFolder, main->settingsFolder);
    EXPECT_EQ(first->settingsFolder, prefix.programData().getChildFile("Audio Tarvosk"));
    EXPECT_FLOAT_EQ(first->unit, 8.0f);
    EXPECT_EQ(first->getBounds(), main->getBounds());
    EXPECT_TRUE(first->isAlwaysOnTop());
    EXPECT_EQ(first->discordButton->getBounds(), juce::Rectangle<int>(80, 120, 80, 80));

    click(*first->closeButton);
    EXPECT_EQ(first->getParentComponent(), nullptr);
    EXPECT_NE(first.getComponent(), nullptr);

    click("SUPPORT");
    EXPECT_EQ(first.getComponent(), nullptr);
    ASSERT_NE(main->supportPanel, nullptr);
    EXPECT_EQ(main->supportPanel->getParentComponent(), main.get());
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(MainInteraction, InstallWithNothingSelectedShowsTheFailureCardFading)
{
    start();
    click("INSTALL");
    ASSERT_NE(main->resultPanel, nullptr);
    auto& panel = *main->resultPanel;
    EXPECT_FALSE(panel.success);
    EXPECT_FLOAT_EQ(panel.unit, 6.0f);
    EXPECT_EQ(panel.getParentComponent(), main.get());
    EXPECT_EQ(panel.getBounds(), main->getBounds());
    EXPECT_TRUE(panel.isAlwaysOnTop());
    // The animator hid the panel at once and fades a snapshot of it.
    EXPECT_FALSE(panel.isVisible());
    auto& animator = juce::Desktop::getInstance().getAnimator();
    EXPECT_TRUE(animator.isAnimating(&panel));
    EXPECT_EQ(animator.getComponentDestination(&panel), main->getBounds());
    expectCardShowing(false);
    EXPECT_FALSE(prefix.commonFiles().exists()); // no file touched

    juce::Component::SafePointer<panel_success> first(main->resultPanel.get());
    click("INSTALL");
    EXPECT_EQ(first.getComponent(), nullptr);
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_FALSE(main->resultPanel->success);
}

TEST_F(MainInteraction, InstallOfTheSelectedFormatWritesItsBundleAndShowsSuccess)
{
    start();
    click("CLAP");
    click("INSTALL");
    EXPECT_TRUE(bundle(clapFormat).existsAsFile());
    EXPECT_FALSE(bundle(vst3Format).exists());
    EXPECT_EQ(main->formatSelected, (Selection{false, false, false}));
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_TRUE(main->resultPanel->success);
    expectCardShowing(true);
}

TEST_F(MainInteraction, ADoubleClickOnInstallInstallsOnceAndShowsSuccess)
{
    startOnDesktop();
    // The second click belongs to the double-click and does nothing, whether it was pressed
    // while the first one's run still held the message thread (it reaches the window only
    // after the run) or, as a run is shorter than a double-click's gap, after the run.
    const struct
    {
        const char* format;
        int formatIndex;
        juce::int64 firstPress, secondPress; // from now, in milliseconds
    } doubleClicks[] = {
        {"CLAP", clapFormat, -40, -20},
        // Long enough after the first double-click to be a new one.
        {"VST3", vst3Format, juce::MouseEvent::getDoubleClickTimeout() + 100,
         juce::MouseEvent::getDoubleClickTimeout() + 250},
    };
    juce::Component::SafePointer<panel_success> first;
    for (const auto& doubleClick : doubleClicks)
    {
        SCOPED_TRACE(doubleClick.format);
        click(doubleClick.format);
        ASSERT_TRUE(pointer->moveOnto(*main->installButton));
        const auto now = juce::Time::currentTimeMillis();
        pointer->press(now + doubleClick.firstPress);
        pointer->release(now + doubleClick.firstPress + 10);
        ASSERT_NE(main->resultPanel, nullptr);
        first = main->resultPanel.get();
        pointer->press(now + doubleClick.secondPress);
        pointer->release(now + doubleClick.secondPress + 10);
        dispatchMessages();
        EXPECT_EQ(first.getComponent(), main->resultPanel.get());
        EXPECT_TRUE(main->resultPanel->success);
        expectCardShowing(true);
        EXPECT_TRUE(bundle(doubleClick.formatIndex).exists());
    }

    // A click after the double-click time acts as ever: INSTALL with nothing selected fails.
    const auto later = juce::Time::currentTimeMillis() + 3 * juce::MouseEvent::getDoubleClickTimeout();
    pointer->press(later);
    pointer->release(later + 10);
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_NE(first.getComponent(), main->resultPanel.get());
    EXPECT_FALSE(main->resultPanel->success);

    // So does the next click of a format, made after the run.
    pointer->moveOnto(control("AAX"));
    pointer->click();
    EXPECT_EQ(main->formatSelected, (Selection{false, false, true}));
}

TEST_F(MainInteraction, ShiftClickOnInstallUninstallsTheSelectedFormats)
{
    plantBundle(vst3Format);
    plantBundle(clapFormat);
    start();
    ASSERT_EQ(main->formatSelected, (Selection{true, true, false}));
    click("VST3"); // only CLAP stays selected

    main->modifierKeysChanged(juce::ModifierKeys(juce::ModifierKeys::shiftModifier));
    EXPECT_TRUE(main->uninstallMode);
    click("INSTALL");

    EXPECT_FALSE(bundle(clapFormat).exists());
    EXPECT_TRUE(bundle(vst3Format).isDirectory());
    EXPECT_EQ(main->formatSelected, (Selection{false, false, false}));
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_TRUE(main->resultPanel->success);
    expectCardShowing(true);

    // Shift released: the next run installs again.
    main->modifierKeysChanged(juce::ModifierKeys());
    EXPECT_FALSE(main->uninstallMode);
}

TEST_F(MainInteraction, ShiftAloneSwitchesTheUninstallMode)
{
    using M = juce::ModifierKeys;
    struct Step
    {
        int flags;
        bool uninstallMode;
        int lastFlags;
    };
    // Only the four low bits count; mouse buttons are not modifiers here.
    const Step steps[] = {
        {M::shiftModifier, true, 1},
        {M::shiftModifier | M::ctrlModifier, true, 3},
        {M::ctrlModifier, false, 2},
        {M::altModifier | M::leftButtonModifier, false, 4},
        {M::shiftModifier | M::rightButtonModifier, true, 1},
        {M::leftButtonModifier, false, 0},
        {8, false, 8},
    };
    start();
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.flags);
        main->modifierKeysChanged(M(step.flags));
        EXPECT_EQ(main->uninstallMode, step.uninstallMode);
        EXPECT_EQ(main->lastModifierFlags, step.lastFlags);
    }
}

TEST_F(MainInteraction, ShiftReachesTheMainComponentThroughTheButtonUnderThePointer)
{
    startOnDesktop();
    ASSERT_TRUE(pointer->moveOnto(*main->installButton));
    auto* peer = main->getPeer();
    ASSERT_NE(peer, nullptr);

    juce::ModifierKeys::currentModifiers = juce::ModifierKeys(juce::ModifierKeys::shiftModifier);
    peer->handleModifierKeysChange();
    EXPECT_TRUE(main->uninstallMode);

    juce::ModifierKeys::currentModifiers = juce::ModifierKeys();
    peer->handleModifierKeysChange();
    EXPECT_FALSE(main->uninstallMode);
}

TEST_F(MainInteraction, HoverTextsFollowThePointer)
{
    plantBundle(vst3Format);
    plantBundle(aaxFormat, true); // a file where a folder belongs still counts as installed
    startOnDesktop();

    // SELECT ALL sets no text: the label keeps what it shows.
    const auto bareSpot = main->getScreenPosition() + juce::Point<int>(300, 380);
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    main->infoLabel->setText("a text", juce::dontSendNotification);
    ASSERT_TRUE(pointer->moveOnto(*main->selectAllButton));
    EXPECT_EQ(main->infoLabel->getText(), juce::String("a text"));

    const std::pair<const char*, const char*> texts[] = {
        {"EULA", "Click to read End-User License Agreement"},
        {"MANUAL", "Click to open product manual in your web browser"},
        {"WEBSITE", "Click to open product page on the Audio Tarvosk website"},
        {"SUPPORT", "Email and Discord support"},
        {"VST3", "Select to update VST3 to 1.2.0"},
        {"CLAP", "Select to install CLAP"},
        {"AAX", "Select to update AAX to 1.2.0"},
        {"INSTALL", "Click to install selected. Shift-click to uninstall selected"},
    };
    for (const auto& [name, text] : texts)
    {
        SCOPED_TRACE(name);
        ASSERT_TRUE(pointer->moveOnto(control(name)));
        EXPECT_EQ(main->infoLabel->getText(), juce::String(text));
    }

    // From a format button onto SELECT ALL: leaving cleared the label, SELECT ALL sets nothing.
    ASSERT_TRUE(pointer->moveOnto(control("CLAP")));
    ASSERT_TRUE(pointer->moveOnto(*main->selectAllButton));
    EXPECT_EQ(main->infoLabel->getText(), juce::String());

    // Off every button onto the bare component.
    ASSERT_TRUE(pointer->moveOnto(control("EULA")));
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    EXPECT_EQ(main->infoLabel->getText(), juce::String());
}

TEST_F(MainInteraction, HoverTextOfAFormatFollowsTheDisk)
{
    startOnDesktop();
    ASSERT_TRUE(pointer->moveOnto(control("CLAP")));
    EXPECT_EQ(main->infoLabel->getText(), juce::String("Select to install CLAP"));

    ASSERT_TRUE(bundle(clapFormat).create().wasOk());
    ASSERT_TRUE(pointer->moveOnto(control("VST3")));
    ASSERT_TRUE(pointer->moveOnto(control("CLAP")));
    EXPECT_EQ(main->infoLabel->getText(), juce::String("Select to update CLAP to 1.2.0"));
}

TEST_F(MainInteraction, OpenPanelsTakeTheClicksAndTheFadingCardDoesNot)
{
    startOnDesktop();
    const auto installCentre = main->installButton->getScreenBounds().getCentre();

    click("EULA");
    ASSERT_NE(main->eulaPanel, nullptr);
    ASSERT_TRUE(pointer->moveTo(installCentre, main->eulaPanel->editor.get()));
    pointer->click();
    EXPECT_EQ(main->resultPanel, nullptr);

    // The page margin takes clicks too, and so does the close control, which closes.
    ASSERT_TRUE(
        pointer->moveTo(main->getScreenPosition() + juce::Point<int>(10, 560), main->eulaPanel.get()));
    pointer->click();
    EXPECT_EQ(main->eulaPanel->getParentComponent(), main.get());
    ASSERT_TRUE(pointer->moveOnto(*main->eulaPanel->closeButton));
    pointer->click();
    EXPECT_EQ(main->eulaPanel->getParentComponent(), nullptr);

    click("SUPPORT");
    ASSERT_TRUE(pointer->moveTo(installCentre, main->supportPanel.get()));
    pointer->click();
    EXPECT_EQ(main->resultPanel, nullptr);
    ASSERT_TRUE(pointer->moveOnto(*main->supportPanel->closeButton));
    pointer->click();
    EXPECT_EQ(main->supportPanel->getParentComponent(), nullptr);

    // With the card fading, the format buttons beneath still take clicks.
    ASSERT_TRUE(pointer->moveTo(installCentre, main->installButton.get()));
    pointer->click();
    ASSERT_NE(main->resultPanel, nullptr);
    ASSERT_TRUE(juce::Desktop::getInstance().getAnimator().isAnimating(main->resultPanel.get()));
    ASSERT_TRUE(pointer->moveOnto(control("VST3")));
    pointer->click();
    EXPECT_TRUE(main->formatSelected[vst3Format]);
}

TEST_F(MainInteraction, SupportTilesAndCloseControlFollowThePointer)
{
    startOnDesktop();
    click("SUPPORT");
    auto& panel = *main->supportPanel;
    auto& discord = *panel.discordButton;
    const auto over = blended(colourBackground, colourTextDim.withAlpha(juce::uint8{0xBF}));
    const auto idle = blended(colourBackground, colourTextDim.withAlpha(juce::uint8{0x80}));

    ASSERT_TRUE(pointer->moveOnto(discord));
    EXPECT_TRUE(colourNear(testing_support::renderComponent(panel), 63, 120, over));

    // Held: green. Released away from the tile: idle again, and nothing opened.
    pointer->press();
    EXPECT_TRUE(colourNear(testing_support::renderComponent(panel), 63, 120, colourGreen));
    ASSERT_TRUE(pointer->moveTo(main->getScreenPosition() + juce::Point<int>(300, 560),
                                [&] { return discord.getState() == juce::Button::buttonNormal; }));
    pointer->release();
    dispatchMessages();
    EXPECT_TRUE(colourNear(testing_support::renderComponent(panel), 63, 120, idle));
    EXPECT_TRUE(launched.isEmpty());

    // Released on it: the invite opens, the panel stays.
    ASSERT_TRUE(pointer->moveOnto(discord));
    pointer->click();
    EXPECT_EQ(launched, juce::StringArray({discordInviteUrl}));
    EXPECT_EQ(panel.getParentComponent(), main.get());

    // The close circle: three-quarter-covered edge pixels at full colour while hovered.
    ASSERT_TRUE(pointer->moveOnto(*panel.closeButton));
    EXPECT_TRUE(colourNear(testing_support::renderComponent(panel), 540, 33,
                           blended(colourBackground, colourTextDim.withAlpha(juce::uint8{0xBF})), 8));
}

TEST_F(MainInteraction, GoesAwayCleanlyWhileAButtonHasTheKeyboardFocus)
{
    // EULA activated as a key press does it (triggerClick) stays in its pressed state: a
    // transparent button is never painted, and only its paint ends the press. VST3 takes
    // the keyboard focus with a click. When VST3 goes, the focus passes to EULA, whose
    // state then changes: the buttons are destroyed after the label, and that change must
    // not reach the gone label.
    startOnDesktop();
    click("EULA");
    click(*main->eulaPanel->closeButton);
    ASSERT_TRUE(pointer->moveOnto(control("VST3")));
    pointer->click();
    ASSERT_TRUE(control("VST3").hasKeyboardFocus(false));
    pointer.reset();
    main.reset();
}

TEST_F(MainInteraction, AFailedRunNamesItsReasonUntilThePointerEntersAnotherControl)
{
    // A file stands where CLAP's install folder must go.
    const auto clapFolder = prefix.commonFiles().getChildFile("CLAP");
    ASSERT_TRUE(prefix.commonFiles().createDirectory().wasOk());
    ASSERT_TRUE(clapFolder.replaceWithText("not a folder"));
    const juce::String reason("CLAP failed: \"CLAP\" stands where a folder for Ostrand.clap must go.");
    const juce::String installHover("Click to install selected. Shift-click to uninstall selected");
    startOnDesktop();
    const auto bareSpot = main->getScreenPosition() + juce::Point<int>(300, 380);

    click("CLAP");
    ASSERT_TRUE(pointer->moveOnto(*main->installButton));
    click("INSTALL");
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_FALSE(main->resultPanel->success);
    EXPECT_EQ(main->infoLabel->getText(), reason);

    // Leaving INSTALL, the bare component and INSTALL again keep it.
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    EXPECT_EQ(main->infoLabel->getText(), reason);
    ASSERT_TRUE(pointer->moveOnto(*main->installButton));
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    EXPECT_EQ(main->infoLabel->getText(), reason);

    // Another control ends it; hover texts work as before.
    ASSERT_TRUE(pointer->moveOnto(control("EULA")));
    EXPECT_EQ(main->infoLabel->getText(), juce::String("Click to read End-User License Agreement"));
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    EXPECT_EQ(main->infoLabel->getText(), juce::String());
    ASSERT_TRUE(pointer->moveOnto(*main->installButton));
    EXPECT_EQ(main->infoLabel->getText(), installHover);

    // SELECT ALL ends it too, leaving the label as leaving INSTALL would have: empty.
    click("CLAP");
    click("INSTALL");
    EXPECT_EQ(main->infoLabel->getText(), reason);
    ASSERT_TRUE(pointer->moveOnto(*main->selectAllButton));
    EXPECT_EQ(main->infoLabel->getText(), juce::String());

    // With the obstacle gone the same click succeeds, and the label is INSTALL's own again.
    ASSERT_TRUE(pointer->moveOnto(*main->installButton));
    click("CLAP");
    click("INSTALL");
    EXPECT_EQ(main->infoLabel->getText(), reason);
    ASSERT_TRUE(clapFolder.deleteFile());
    click("CLAP");
    click("INSTALL");
    EXPECT_TRUE(main->resultPanel->success);
    EXPECT_TRUE(bundle(clapFormat).existsAsFile());
    EXPECT_EQ(main->infoLabel->getText(), installHover);
    ASSERT_TRUE(pointer->moveTo(bareSpot, nullptr));
    EXPECT_EQ(main->infoLabel->getText(), juce::String());
}

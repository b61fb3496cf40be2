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
#include "ui/Announcer.h"
#include "ui/LinkLauncher.h"
#include "ui/MainComponent.h"

#include <gtest/gtest.h>

// Keyboard use and screen-reader names. These need an X display
// (tests/support/run-with-xvfb.sh): keyboard focus and accessibility handlers exist only
// for a component on the desktop.

using namespace catalogue;
using testing_support::colourNear;
using testing_support::dispatchMessages;
using testing_support::dispatchUntil;
using Selection = catalogue::PerFormat<bool>;

namespace
{
class KeyboardAccess : public testing_support::MainComponentFixture
{
protected:
    // The main component as the content of a window of its own that, like the program's
    // main window, leaves the keyboard focus to its content; no control focused, as at
    // start.
    MainComponent& startOnDesktop()
    {
        testing_support::warpPointer({1200, 1000}); // away from the window
        start();
        window = std::make_unique<juce::Component>();
        window->setSize(main->getWidth(), main->getHeight());
        window->addAndMakeVisible(*main);
        window->addToDesktop(0);
        window->setVisible(true);
        pointer = std::make_unique<testing_support::DesktopPointer>(*window);
        const bool focused = dispatchUntil(
            [this]
            {
                main->grabKeyboardFocus();
                return main->hasKeyboardFocus(false);
            });
        EXPECT_TRUE(focused) << "the window never got the keyboard focus";
        dispatchMessages(200); // the X server's report of the window's focus
        return *main;
    }

    // A key as the window receives it: to the focused component, then up to its parents.
    void press(int keyCode, int modifiers = 0)
    {
        juce::ModifierKeys::currentModifiers = juce::ModifierKeys(modifiers);
        main->getPeer()->handleKeyPress(juce::KeyPress(keyCode, juce::ModifierKeys(modifiers), 0));
        dispatchMessages();
    }

    juce::String focusedName() const
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        if (focused == main.get())
            return "(main)";
        return focused != nullptr ? focused->getName() : "(none)";
    }

    // A pixel in the middle of the ring's band left of a control (u = 6: the ring lies
    // 3 to 4.5 pixels outside the bounds).
    static juce::Point<int> ringPointLeftOf(const juce::Component& c)
    {
        return {c.getX() - 4, c.getBounds().getCentreY()};
    }
};
} // namespace

TEST_F(KeyboardAccess, EveryControlHasTitleRoleStateAndItsHoverTextAsHelp)
{
    plantBundle(clapFormat);
    startOnDesktop();
    main->formatSelected[vst3Format] = true;

    using Role = juce::AccessibilityRole;
    struct Case
    {
        const char* name;
        const char* title;
        Role role;
        const char* help;
        bool checkable;
        bool checked;
        const char* description;
    };
    const Case cases[] = {
        {"EULA", "Licence agreement", Role::button, "Click to read End-User License Agreement", false, false,
         ""},
        {"MANUAL", "Product manual", Role::button, "Click to open product manual in your web browser", false,
         false, ""},
        {"WEBSITE", "Product web page", Role::button,
         "Click to open product page on the Audio Tarvosk website", false, false, ""},
        {"SUPPORT", "Support", Role::button, "Email and Discord support", false, false, ""},
        {"VST3", "VST3", Role::toggleButton, "Select to install VST3", true, true, "NOT INSTALLED"},
        {"CLAP", "CLAP", Role::toggleButton, "Select to update CLAP to 1.2.0", true, true, "INSTALLED"},
        {"AAX", "AAX", Role::toggleButton, "Select to install AAX", true, false, "NOT INSTALLED"},
        {"SELECT_ALL", "Select all formats", Role::button, "", false, false, ""},
        {"INSTALL", "Install selected formats", Role::button,
         "Click to install selected. Shift-click to uninstall selected", false, false, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto* handler = control(c.name).getAccessibilityHandler();
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(handler->getTitle(), c.title);
        EXPECT_EQ(handler->getRole(), c.role);
        EXPECT_EQ(handler->getHelp(), c.help);
        EXPECT_EQ(handler->getDescription(), c.description);
        const auto state = handler->getCurrentState();
        EXPECT_EQ(state.isCheckable(), c.checkable);
        EXPECT_EQ(state.isChecked(), c.checked);
        EXPECT_TRUE(state.isFocusable());
        EXPECT_TRUE(handler->getActions().contains(juce::AccessibilityActionType::press));
    }

    // The state and texts follow the program's state, not a copy taken at start.
    control("AAX").triggerClick();
    dispatchMessages();
    EXPECT_TRUE(control("AAX").getAccessibilityHandler()->getCurrentState().isChecked());
    ASSERT_TRUE(bundle(clapFormat).deleteFile());
    EXPECT_EQ(control("CLAP").getAccessibilityHandler()->getDescription(), "NOT INSTALLED");
    EXPECT_EQ(control("CLAP").getAccessibilityHandler()->getHelp(), "Select to install CLAP");

    // Shift held: INSTALL uninstalls, and says so.
    main->modifierKeysChanged(juce::ModifierKeys(juce::ModifierKeys::shiftModifier));
    EXPECT_EQ(control("INSTALL").getAccessibilityHandler()->getTitle(), "Uninstall selected formats");
    main->modifierKeysChanged(juce::ModifierKeys());
    EXPECT_EQ(control("INSTALL").getAccessibilityHandler()->getTitle(), "Install selected formats");

    EXPECT_EQ(main->getAccessibilityHandler()->getTitle(), "OSTRAND DEMO");
}

TEST_F(KeyboardAccess, PanelsAndTheirControlsAreNamed)
{
    startOnDesktop();
    control("EULA").triggerClick();
    dispatchMessages();
    ASSERT_NE(main->eulaPanel, nullptr);
    auto& eula = *main->eulaPanel;
    EXPECT_EQ(eula.getAccessibilityHandler()->getTitle(), "Licence agreement");
    EXPECT_EQ(eula.closeButton->getAccessibilityHandler()->getTitle(), "Close");
    EXPECT_EQ(eula.closeButton->getAccessibilityHandler()->getRole(), juce::AccessibilityRole::button);
    EXPECT_EQ(eula.editor->getAccessibilityHandler()->getTitle(), "Licence agreement text");
    ASSERT_NE(eula.editor->getAccessibilityHandler()->getTextInterface(), nullptr);
    EXPECT_EQ(eula.editor->getAccessibilityHandler()->getTextInterface()->getText({0, 40}),
              eulaText.substring(0, 40));
    // What the panel covers is out of a screen reader's reach until it closes.
    EXPECT_EQ(control("EULA").getAccessibilityHandler(), nullptr);
    EXPECT_EQ(main->infoLabel->getAccessibilityHandler(), nullptr);
    eula.closeButton->triggerClick();
    dispatchMessages();
    EXPECT_NE(control("EULA").getAccessibilityHandler(), nullptr);
    EXPECT_NE(main->infoLabel->getAccessibilityHandler(), nullptr);

    control("SUPPORT").triggerClick();
    dispatchMessages();
    ASSERT_NE(main->supportPanel, nullptr);
    auto& support = *main->supportPanel;
    EXPECT_EQ(support.getAccessibilityHandler()->getTitle(), "Support");
    EXPECT_TRUE(support.getAccessibilityHandler()->getDescription().contains("PluginManagerSettings.txt"));
    EXPECT_EQ(support.closeButton->getAccessibilityHandler()->getTitle(), "Close");
    EXPECT_EQ(support.discordButton->getAccessibilityHandler()->getTitle(), "Discord");
    EXPECT_TRUE(support.discordButton->getAccessibilityHandler()->getDescription().startsWith(
        "The Audio Tarvosk Discord"));
    EXPECT_EQ(support.mailButton->getAccessibilityHandler()->getTitle(), "E-mail");
    EXPECT_TRUE(support.mailButton->getAccessibilityHandler()->getDescription().contains("email us"));
}

TEST_F(KeyboardAccess, TabVisitsTheControlsInReadingOrderAndWrapsRound)
{
    startOnDesktop();
    EXPECT_EQ(focusedName(), "(main)"); // no control has the focus at start

    const juce::StringArray order{"SELECT_ALL", "VST3",    "CLAP",    "AAX",    "EULA",
                                  "MANUAL",     "WEBSITE", "SUPPORT", "INSTALL"};
    juce::StringArray forward, backward;
    for (int i = 0; i < order.size() + 1; ++i)
    {
        press(juce::KeyPress::tabKey);
        forward.add(focusedName());
    }
    auto expected = order;
    expected.add("SELECT_ALL"); // round again after INSTALL
    EXPECT_EQ(forward.joinIntoString(","), expected.joinIntoString(","));

    for (int i = 0; i < order.size() + 1; ++i)
    {
        press(juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier);
        backward.add(focusedName());
    }
    // From SELECT_ALL back to INSTALL, then down the list to SELECT_ALL again.
    EXPECT_EQ(backward.joinIntoString(","),
              "INSTALL,SUPPORT,WEBSITE,MANUAL,EULA,AAX,CLAP,VST3,SELECT_ALL,INSTALL");
}

TEST_F(KeyboardAccess, AnOpenPanelKeepsTheFocusAndReturnsItToItsOpener)
{
    startOnDesktop();
    for (int i = 0; i < 5; ++i)
        press(juce::KeyPress::tabKey);
    ASSERT_EQ(focusedName(), "EULA");

    press(juce::KeyPress::returnKey);
    ASSERT_NE(main->eulaPanel, nullptr);
    EXPECT_EQ(main->eulaPanel->getParentComponent(), main.get());
    EXPECT_EQ(juce::Component::getCurrentlyFocusedComponent(), main->eulaPanel.get());

    juce::StringArray visited;
    for (int i = 0; i < 3; ++i)
    {
        press(juce::KeyPress::tabKey);
        visited.add(juce::Component::getCurrentlyFocusedComponent() == main->eulaPanel->editor.get()
                        ? "text"
                        : focusedName());
    }
    EXPECT_EQ(visited.joinIntoString(","), "X,text,X");

    // Escape does not close the panel.
    press(juce::KeyPress::escapeKey);
    EXPECT_EQ(main->eulaPanel->getParentComponent(), main.get());

    press(juce::KeyPress::returnKey); // on the close control
    EXPECT_EQ(main->eulaPanel->getParentComponent(), nullptr);
    EXPECT_EQ(focusedName(), "EULA");

    // The support panel the same, its tiles between its close control and the wrap.
    press(juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier);
    ASSERT_EQ(focusedName(), "AAX");
    for (int i = 0; i < 4; ++i)
        press(juce::KeyPress::tabKey);
    ASSERT_EQ(focusedName(), "SUPPORT");
    press(juce::KeyPress::spaceKey);
    ASSERT_NE(main->supportPanel, nullptr);
    visited.clear();
    for (int i = 0; i < 4; ++i)
    {
        press(juce::KeyPress::tabKey);
        visited.add(focusedName());
    }
    EXPECT_EQ(visited.joinIntoString(","), "X,DISCORD,MAIL,X");
    press(juce::KeyPress::spaceKey);
    EXPECT_EQ(main->supportPanel->getParentComponent(), nullptr);
    EXPECT_EQ(focusedName(), "SUPPORT");
}

TEST_F(KeyboardAccess, SpaceAndReturnPressTheFocusedControlAsAClickDoes)
{
    struct Case
    {
        const char* control;
        int key;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"VST3", juce::KeyPress::spaceKey,
         [this]
         {
             EXPECT_EQ(main->formatSelected, (Selection{true, false, false}));
         }},
        {"AAX", juce::KeyPress::returnKey,
         [this]
         {
             EXPECT_EQ(main->formatSelected, (Selection{false, false, true}));
         }},
        {"SELECT_ALL", juce::KeyPress::spaceKey,
         [this]
         {
             EXPECT_EQ(main->formatSelected, (Selection{true, true, true}));
         }},
        {"MANUAL", juce::KeyPress::returnKey,
         [this]
         {
             EXPECT_EQ(launched, juce::StringArray({manualUrl}));
         }},
        {"WEBSITE", juce::KeyPress::spaceKey,
         [this]
         {
             EXPECT_EQ(launched, juce::StringArray({productPageUrl}));
         }},
        {"EULA", juce::KeyPress::spaceKey,
         [this]
         {
             ASSERT_NE(main->eulaPanel, nullptr);
             EXPECT_EQ(main->eulaPanel->getParentComponent(), main.get());
         }},
        {"SUPPORT", juce::KeyPress::returnKey,
         [this]
         {
             ASSERT_NE(main->supportPanel, nullptr);
             EXPECT_EQ(main->supportPanel->getParentComponent(), main.get());
         }},
        {"INSTALL", juce::KeyPress::returnKey,
         [this]
         {
             ASSERT_NE(main->resultPanel, nullptr);
             EXPECT_FALSE(main->resultPanel->success); // nothing was selected
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.control);
        launched.clear();
        start();
        EXPECT_TRUE(control(c.control).keyPressed(juce::KeyPress(c.key)));
        dispatchMessages();
        c.check();
    }

    // Other keys are not taken.
    start();
    EXPECT_FALSE(control("VST3").keyPressed(juce::KeyPress('a')));
    EXPECT_FALSE(control("VST3").keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)));
    EXPECT_EQ(main->formatSelected, (Selection{false, false, false}));

    // The panels' controls.
    control("SUPPORT").keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    main->supportPanel->discordButton->keyPressed(juce::KeyPress(juce::KeyPress::spaceKey));
    main->supportPanel->mailButton->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    EXPECT_EQ(launched, juce::StringArray({discordInviteUrl, contactMailUrl}));
    main->supportPanel->closeButton->keyPressed(juce::KeyPress(juce::KeyPress::spaceKey));
    EXPECT_EQ(main->supportPanel->getParentComponent(), nullptr);
}

TEST_F(KeyboardAccess, ShiftReturnOnInstallUninstallsAsAShiftClickDoes)
{
    plantBundle(clapFormat);
    startOnDesktop();
    ASSERT_EQ(main->formatSelected, (Selection{false, true, false}));
    for (int i = 0; i < 9; ++i)
        press(juce::KeyPress::tabKey);
    ASSERT_EQ(focusedName(), "INSTALL");

    // The window reports shift going down before the key that comes with it.
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys(juce::ModifierKeys::shiftModifier);
    main->getPeer()->handleModifierKeysChange();
    press(juce::KeyPress::returnKey, juce::ModifierKeys::shiftModifier);
    EXPECT_FALSE(bundle(clapFormat).exists());
    ASSERT_NE(main->resultPanel, nullptr);
    EXPECT_TRUE(main->resultPanel->success);
    EXPECT_EQ(announced, juce::StringArray({"Operation Successful!"}));
}

TEST_F(KeyboardAccess, EachRunAnnouncesTheResultCardsText)
{
    start();
    control("INSTALL").keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    control("CLAP").keyPressed(juce::KeyPress(juce::KeyPress::spaceKey));
    control("INSTALL").triggerClick(); // a click announces as well
    dispatchMessages();
    EXPECT_TRUE(bundle(clapFormat).existsAsFile());
    EXPECT_EQ(announced, juce::StringArray({"Operation failed!", "Operation Successful!"}));
}

TEST_F(KeyboardAccess, FocusRingShowsAfterAKeyboardFocusChangeOnly)
{
    startOnDesktop();
    dispatchMessages();
    const auto before = testing_support::renderComponent(*main);
    auto& vst3 = *main->formatButtons[vst3Format];
    const auto ringPoint = ringPointLeftOf(vst3);
    EXPECT_TRUE(colourNear(before, ringPoint.x, ringPoint.y, colourBackground, 0));

    press(juce::KeyPress::tabKey);
    press(juce::KeyPress::tabKey);
    ASSERT_EQ(focusedName(), "VST3");
    dispatchMessages();
    auto image = testing_support::renderComponent(*main);
    EXPECT_TRUE(colourNear(image, ringPoint.x, ringPoint.y, colourYellow, 8));
    // Above, below and right of the row as well; nothing else on the screen changed but the
    // info label, which shows the row's hover text as the pointer would.
    EXPECT_TRUE(colourNear(image, vst3.getBounds().getCentreX(), vst3.getY() - 4, colourYellow, 8));
    EXPECT_TRUE(colourNear(image, vst3.getBounds().getCentreX(), vst3.getBottom() + 3, colourYellow, 8));
    EXPECT_TRUE(colourNear(image, vst3.getRight() + 3, vst3.getBounds().getCentreY(), colourYellow, 8));
    EXPECT_EQ(main->infoLabel->getText(), "Select to install VST3");
    const auto ringArea = vst3.getBounds().expanded(6);
    for (int y = 0; y < main->getHeight(); y += 3)
        for (int x = 0; x < main->getWidth(); x += 3)
            if (!ringArea.contains(x, y) && !main->infoLabel->getBounds().contains(x, y))
            {
                ASSERT_EQ(image.getPixelAt(x, y), before.getPixelAt(x, y)) << x << ", " << y;
            }

    // Space selects the row: the selection outline and the ring stay apart.
    press(juce::KeyPress::spaceKey);
    EXPECT_TRUE(main->formatSelected[vst3Format]);
    image = testing_support::renderComponent(*main);
    EXPECT_TRUE(colourNear(image, ringPoint.x, ringPoint.y, colourYellow, 8));
    EXPECT_TRUE(colourNear(image, vst3.getX() - 3, ringPoint.y, colourBackground, 8));
    EXPECT_TRUE(colourNear(image, vst3.getX(), ringPoint.y, colourYellow, 8));

    // A mouse click on another control moves the focus there, without a ring.
    ASSERT_TRUE(pointer->moveOnto(control("CLAP")));
    pointer->click();
    dispatchMessages();
    EXPECT_EQ(focusedName(), "CLAP");
    image = testing_support::renderComponent(*main);
    EXPECT_TRUE(colourNear(image, ringPoint.x, ringPoint.y, colourBackground, 0));
    const auto clapRing = ringPointLeftOf(control("CLAP"));
    EXPECT_TRUE(colourNear(image, clapRing.x, clapRing.y, colourBackground, 0));

    // Tab after the click shows it again, on the next control.
    press(juce::KeyPress::tabKey);
    ASSERT_EQ(focusedName(), "AAX");
    image = testing_support::renderComponent(*main);
    const auto aaxRing = ringPointLeftOf(control("AAX"));
    EXPECT_TRUE(colourNear(image, aaxRing.x, aaxRing.y, colourYellow, 8));

    // A click on the control that already has the focus hides the ring as well.
    ASSERT_TRUE(pointer->moveOnto(control("AAX")));
    pointer->click();
    dispatchMessages();
    image = testing_support::renderComponent(*main);
    EXPECT_TRUE(colourNear(image, aaxRing.x, aaxRing.y, colourBackground, 0));
}

#pragma once

#include "catalogue/FormatTable.h"
#include "install/Registration.h"
#include "ui/ControlButton.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/EulaPanel.h"
#include "ui/KeyboardFocus.h"
#include "ui/ResultPanel.h"
#include "ui/SupportPanel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <vector>

// The whole content of the main window. Every control is a fully transparent button that
// only supplies hit testing and mouse states; paint draws what the user sees, at the
// buttons' bounds. Every measure is a multiple of unit, one hundredth of the width.
class MainComponent : public juce::Component, public juce::Button::Listener
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint(juce::Graphics&) override;
    void paintOverChildren(juce::Graphics&) override;
    void modifierKeysChanged(const juce::ModifierKeys&) override;
    void resized() override;
    void childrenChanged() override;
    bool keyPressed(const juce::KeyPress&) override;
    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override;

    void buttonClicked(juce::Button*) override;
    void buttonStateChanged(juce::Button*) override;

    // The state below is what the panels, the status rule and the install run work on;
    // its order is the order of construction (and, reversed, of destruction).
    int lastModifierFlags = 0;
    CustomLookAndFeel customLookAndFeel; // before every child: it must outlive them
    float unit = 9.0f;
    juce::String productName;
    juce::String productVersion;
    juce::String platformSuffix;
    std::array<std::unique_ptr<ui::ControlButton>, 4> linkButtons;
    catalogue::PerFormat<std::unique_ptr<ui::ControlButton>> formatButtons;
    std::unique_ptr<ui::ControlButton> installButton;
    std::unique_ptr<ui::ControlButton> selectAllButton;
    std::unique_ptr<panel_eula> eulaPanel;
    std::unique_ptr<panel_support> supportPanel;
    std::unique_ptr<juce::Label> infoLabel;
    catalogue::PerFormat<std::unique_ptr<juce::Drawable>> formatIcons;
    std::array<std::unique_ptr<juce::Drawable>, 5> buttonIcons;
    std::unique_ptr<panel_success> resultPanel;
    juce::URL productPageUrl;
    juce::URL manualUrl;
    juce::File settingsFolder;
    bool uninstallMode = false;
    catalogue::PerFormat<bool> formatSelected{};
    catalogue::PerFormat<juce::File> installFolders;
    // Windows' uninstall entry, brought in line after every run (only read on Linux).
    install::RegistrationTarget registration = install::systemRegistrationTarget();
    // The info label shows what went wrong in the last run, until the pointer enters a
    // control other than INSTALL.
    bool showingRunProblems = false;
    // Keyboard use: Tab order, focus ring, and the control that gets the focus back when
    // an open licence or support panel closes.
    ui::KeyboardFocus keyboardFocus{*this, [this](juce::Component& c)
                                    {
                                        showHoverTextFor(c);
                                    }};
    juce::Component::SafePointer<juce::Component> focusAfterPanel;

    // The controls that Tab visits now, in order: the open licence or support panel's,
    // or else the main screen's.
    std::vector<juce::Component*> getFocusOrder() const;
    // The main screen's controls in reading order.
    std::vector<juce::Component*> getMainControls() const;

    // The hover text of a control; empty for SELECT_ALL and unknown names.
    juce::String hoverText(const juce::Button&) const;

    // What a screen reader is told after a run: the result card's text, then what went
    // wrong (the info label's line), if anything did.
    juce::String resultAnnouncement(bool succeeded, const juce::String& problems) const;

protected:
    // The two mouse states paint shows for a control, as the framework reports them:
    // a mouse button held down on it, and the pointer over it (children not included).
    struct ControlMouseState
    {
        bool held = false;
        bool underPointer = false;
    };

    // Paint reads every control's mouse state through this one function. The framework's
    // mouse sources cannot be driven without a screen, so tests override it to show a
    // held or hovered control; for real input it asks the button itself.
    virtual ControlMouseState getControlMouseState(const juce::Button&) const;

private:
    // The info label's text, and its bounds: a second line for a sentence too long for one.
    void setInfoText(const juce::String& text);
    void placeInfoLabel();

    bool wasPressedDuringLastRun();
    bool isRepeatClickOnInstall();
    void describeControls();
    void moveFocusInto(juce::Component& panel);
    bool isCoveredByPanel() const;
    void setCoveredControlsAccessible(bool accessible);
    void showHoverTextFor(juce::Component&);
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    // The press that started the last install run, the end of that run, and the last
    // press whose click was dropped for lying between the two.
    juce::Time runStartPress, runEnd, droppedPress;
    // The press of the last click on INSTALL, whether it ran or was dropped.
    juce::Time lastInstallPress;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComponent)
};

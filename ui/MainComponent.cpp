#include "ui/MainComponent.h"

#include "catalogue/EulaText.h"
#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"
#include "install/InstallEngine.h"
#include "install/InstallLocations.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"
#include "texts/Sentences.h"
#include "texts/TextTable.h"
#include "ui/Announcer.h"
#include "ui/Fonts.h"
#include "ui/Icons.h"
#include "ui/Layout.h"
#include "ui/LinkLauncher.h"
#include "ui/PaintedControls.h"

#include <BinaryData.h>

#include <algorithm>
#include <cmath>

using namespace catalogue;

namespace
{
// "Version 1.2.0 for Windows": the title's second line and its accessible description.
juce::String versionLine(const juce::String& version, const juce::String& platform)
{
    return texts::text(texts::TextId::productVersionLine, {{"version", version}, {"platform", platform}});
}

// The accessible name of INSTALL follows its caption.
juce::String installTitle(bool uninstall)
{
    return texts::text(uninstall ? texts::TextId::accessibleUninstall : texts::TextId::accessibleInstall);
}
} // namespace

MainComponent::MainComponent()
{
    juce::LookAndFeel::setDefaultLookAndFeel(&customLookAndFeel);

    unit = 9.0f;
    uninstallMode = false;

    for (int i = 0; i < numFormats; ++i)
        formatIcons[static_cast<size_t>(i)] = ui::createSurfaceIcon(formatTable[static_cast<size_t>(i)].icon);
    buttonIcons[0] = ui::createSurfaceIcon(BinaryData::icon_eula_svg, BinaryData::icon_eula_svgSize);
    buttonIcons[1] = ui::createSurfaceIcon(BinaryData::icon_manual_svg, BinaryData::icon_manual_svgSize);
    buttonIcons[2] = ui::createSurfaceIcon(BinaryData::icon_web_svg, BinaryData::icon_web_svgSize);
    buttonIcons[3] = ui::createSurfaceIcon(BinaryData::icon_help_svg, BinaryData::icon_help_svgSize);
    buttonIcons[4] = ui::createSurfaceIcon(BinaryData::icon_install_svg, BinaryData::icon_install_svgSize);

    platformSuffix = catalogue::platformSuffix;

    productName = displayProductName(catalogue::productName);
    productVersion = catalogue::productVersion;

    productPageUrl = juce::URL(catalogue::productPageUrl);
    manualUrl = juce::URL(catalogue::manualUrl);

    // The same start-up load as the command line's.
    const auto locations = install::loadInstallLocations(platform::commonApplicationDataFolder(),
                                                         install::defaultInstallFolders());
    settingsFolder = locations.settingsFolder;
    installFolders = locations.installFolders;

    for (int i = 0; i < 4; ++i)
        linkButtons[static_cast<size_t>(i)] = ui::createPaintedControl(*this, linkNames[i], *this);

    for (int i = 0; i < numFormats; ++i)
    {
        const auto index = static_cast<size_t>(i);
        formatSelected[index] = install::isFormatInstalled(installFolders[index], productName, i);
        formatButtons[index] = ui::createPaintedControl(*this, formatNames[i], *this);
    }

    installButton = ui::createPaintedControl(*this, "INSTALL", *this);
    selectAllButton = ui::createPaintedControl(*this, "SELECT_ALL", *this);

    infoLabel = std::make_unique<juce::Label>();
    addAndMakeVisible(*infoLabel);
    infoLabel->setJustificationType(juce::Justification::centred);
    infoLabel->setColour(juce::Label::textColourId, colourTextDim.withAlpha(alphaIdle));
    infoLabel->setText(installerVersion, juce::dontSendNotification); // placed by resized()

    describeControls();

    setSize(600, 600);
}

MainComponent::~MainComponent()
{
    install::removeLeftoverScript();
    focusAfterPanel = nullptr;

    // The buttons outlive infoLabel, and while they go, keyboard focus moving between them
    // still reports state changes: stop listening before any member is released.
    for (auto& button : linkButtons)
        button->removeListener(this);
    for (auto& button : formatButtons)
        button->removeListener(this);
    installButton->removeListener(this);
    selectAllButton->removeListener(this);

    // Nothing may take the focus while the members go.
    setWantsKeyboardFocus(false);
    giveAwayKeyboardFocus();
}

namespace
{
// A control's integer bounds within the main component, as floats.
juce::Rectangle<float> boundsOf(const juce::Component& control)
{
    return control.getBounds().toFloat();
}

// Single-line texts start at whole pixels, truncated toward zero.
int truncated(float value)
{
    return static_cast<int>(value);
}

// A tile with its icon and its caption centred just below it; the caption uses the font
// height already set.
void paintCaptionedTile(juce::Graphics& g, juce::Rectangle<float> tile, juce::Colour colour,
                        const juce::Drawable& icon, float iconInset, const juce::String& caption, float u)
{
    ui::paintTile(g, tile, colour, &icon, iconInset, u);
    g.setColour(colourTextDim);
    g.drawText(caption, tile.translated(0.0f, 3.5f * u), juce::Justification::centredBottom, true);
}
} // namespace

MainComponent::ControlMouseState MainComponent::getControlMouseState(const juce::Button& button) const
{
    return {button.isMouseButtonDown(), button.isMouseOver()};
}

// Draws every control at its button's bounds and mouse state. Nothing is cached: the
// install state of each format is read from disk at every paint.
void MainComponent::paint(juce::Graphics& g)
{
    const float u = unit;
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());

    g.fillAll(colourBackground);

    g.setColour(colourBlue);
    g.fillRect(0.0f, 0.0f, 100.0f * u, u);

    // Three dots in an L, 1u from the right and bottom edges.
    g.setColour(colourTextDim.withAlpha(alphaIdle));
    const float dotX = width - 1.5f * u - 0.5f * u;
    const float dotY = height - 1.5f * u - 0.5f * u;
    g.fillEllipse(dotX, dotY, u, u);
    g.fillEllipse(dotX, dotY - 2.0f * u, u, u);
    g.fillEllipse(dotX - 2.0f * u, dotY, u, u);

    // Every text below uses the embedded face; later steps change only the height.
    g.setFont(ui::fontFromTypeface(customLookAndFeel.regularTypeface, 9.0f * u));

    // Title and version line share one box, as wide as the component.
    const juce::Rectangle<float> titleBox(4.0f * u, 8.0f * u, width, 12.0f * u);
    g.setColour(colourTextDim);
    g.drawText(texts::text(texts::TextId::productDemo, {{"product", productName.toUpperCase()}}), titleBox,
               juce::Justification::topLeft, true);
    g.setFont(4.0f * u);
    g.setColour(colourTextDim.withAlpha(alphaIdle));
    g.drawText(versionLine(productVersion, platformSuffix), titleBox, juce::Justification::bottomLeft, true);

    g.setColour(colourText);
    g.drawSingleLineText("AUDIO", truncated(4.0f * u), truncated(5.0f * u));
    g.setColour(colourTextDim);
    g.drawSingleLineText("TARVOSK", truncated(13.0f * u), truncated(5.0f * u));

    g.setColour(colourTextDim.withAlpha(alphaIdle));
    g.setFont(3.0f * u);
    g.drawSingleLineText("PLUGIN MANAGER", truncated(75.0f * u), truncated(4.0f * u));
    g.setFont(2.0f * u);
    g.drawSingleLineText(texts::text(texts::TextId::installerVersionLabel, {{"version", installerVersion}}),
                         truncated(75.0f * u), truncated(6.0f * u));

    g.setColour(colourTextDim);
    g.setFont(4.0f * u);
    g.drawSingleLineText(texts::text(texts::TextId::formatsHeading), truncated(4.0f * u),
                         truncated(26.0f * u));
    g.fillRect(4.0f * u, 27.5f * u, 92.0f * u, 0.25f * u);
    g.drawSingleLineText(texts::text(texts::TextId::extrasHeading), truncated(4.0f * u),
                         truncated(70.0f * u));
    g.fillRect(4.0f * u, 71.5f * u, 92.0f * u, 0.25f * u);

    g.setFont(2.5f * u);
    static const texts::TextId linkCaptions[] = {texts::TextId::licenceCaption, texts::TextId::manualCaption,
                                                 texts::TextId::websiteCaption,
                                                 texts::TextId::supportCaption};
    for (size_t i = 0; i < linkButtons.size(); ++i)
    {
        const auto state = getControlMouseState(*linkButtons[i]);
        paintCaptionedTile(g, boundsOf(*linkButtons[i]), ui::tileColour(state.held, state.underPointer),
                           *buttonIcons[i], 2.0f * u, texts::text(linkCaptions[i]), u);
    }

    const auto installState = getControlMouseState(*installButton);
    paintCaptionedTile(
        g, boundsOf(*installButton), ui::tileColour(installState.held, installState.underPointer),
        *buttonIcons[4], 1.5f * u,
        texts::text(uninstallMode ? texts::TextId::uninstallCaption : texts::TextId::installCaption), u);

    // SELECT ALL shows no hover state.
    const auto selectAll = boundsOf(*selectAllButton);
    const bool selectAllHeld = getControlMouseState(*selectAllButton).held;
    g.setFont(3.0f * u);
    g.setColour(selectAllHeld ? colourGreen : colourTextDim.withAlpha(alphaFaint));
    g.fillRoundedRectangle(selectAll, u);
    g.setColour(selectAllHeld ? colourSurface : colourTextDim);
    g.drawText(texts::text(texts::TextId::selectAllCaption), selectAll, juce::Justification::centred, true);

    for (int i = 0; i < numFormats; ++i)
    {
        const auto index = static_cast<size_t>(i);
        const auto row = boundsOf(*formatButtons[index]);
        const bool installed = install::isFormatInstalled(installFolders[index], productName, i);
        const auto version =
            installed ? install::getInstalledVersion(installFolders[index], productName, i) : juce::String();

        // A held mouse button does not change a row.
        const bool underPointer = getControlMouseState(*formatButtons[index]).underPointer;
        if (installed)
            g.setColour(colourBlue.withAlpha(underPointer ? alphaOpaque : alphaInstalledIdle));
        else
            g.setColour(colourTextDim.withAlpha(underPointer ? alphaIdle : alphaRowIdle));
        g.fillRoundedRectangle(row, u);

        if (formatSelected[index])
        {
            g.setColour(colourYellow);
            g.drawRoundedRectangle(row, u, 0.5f * u);
        }

        // Name and status sit right of the icon's 10u column, in the row's inset box
        // moved right without being narrowed.
        const auto textArea = ui::insetClamped(row, 1.5f * u).translated(10.0f * u, 0.0f);
        g.setColour(colourBackground);
        g.setFont(3.5f * u);
        g.drawText(formatNames[i], textArea, juce::Justification::topLeft, true);
        g.setFont(3.0f * u);
        g.drawText(texts::installStatusText(installed, version), textArea, juce::Justification::bottomLeft,
                   true);

        formatIcons[index]->drawWithin(g, ui::insetClamped(row.withWidth(10.0f * u), u),
                                       juce::RectanglePlacement::centred, 1.0f);
    }
}

void MainComponent::modifierKeysChanged(const juce::ModifierKeys& modifiers)
{
    // Shift, ctrl, alt and the fourth modifier bit; the mouse-button bits are ignored.
    constexpr int keyModifierBits = 0x0f;
    const int flags = modifiers.getRawFlags() & keyModifierBits;
    const int changed = flags ^ lastModifierFlags;

    if ((changed & juce::ModifierKeys::shiftModifier) != 0)
    {
        uninstallMode = (flags & juce::ModifierKeys::shiftModifier) != 0;
        installButton->setTitle(installTitle(uninstallMode));
    }
    if (changed != 0)
        repaint(); // the INSTALL caption follows the mode
    lastModifierFlags = flags;
}

void MainComponent::resized()
{
    const float u = static_cast<float>(getWidth()) * 0.01f;
    unit = u;

    // The link buttons' x positions are accumulated, each rounded on its own.
    float linkX = 4.0f * u;
    for (auto& button : linkButtons)
    {
        button->setBounds(ui::boundsInUnits(1.0f, linkX, 73.5f * u, 10.0f * u, 10.0f * u));
        linkX += 11.5f * u;
    }

    installButton->setBounds(ui::boundsInUnits(u, 86.0f, 73.5f, 10.0f, 10.0f));
    selectAllButton->setBounds(ui::boundsInUnits(u, 80.0f, 22.5f, 16.0f, 4.0f));
    // The format rows fill two columns in format order: VST3 and CLAP, then AAX.
    for (int i = 0; i < numFormats; ++i)
        formatButtons[static_cast<size_t>(i)]->setBounds(
            ui::boundsInUnits(u, 4.0f + 47.0f * static_cast<float>(i % 2),
                              30.0f + 12.0f * static_cast<float>(i / 2), 45.0f, 10.0f));

    infoLabel->setFont(ui::fontFromTypeface(customLookAndFeel.regularTypeface, 3.0f * u));
    placeInfoLabel();

    // Open overlays keep covering the whole component.
    const auto keepCovering = [this, u](auto& panel)
    {
        if (panel != nullptr)
        {
            panel->unit = u;
            ui::coverOwner(*this, *panel);
        }
    };
    keepCovering(eulaPanel);
    keepCovering(supportPanel);
    keepCovering(resultPanel);
}

namespace
{
// A new panel replaces (and so deletes) the previous one of its kind, then covers the
// whole owner in front of every other child. configure runs before the panel gets its
// bounds, so that its first layout and paint see the owner's values.
template <typename Panel, typename Configure>
Panel& openPanel(MainComponent& owner, std::unique_ptr<Panel>& member, std::unique_ptr<Panel> panel,
                 Configure configure)
{
    member = std::move(panel);
    owner.addAndMakeVisible(*member, -1);
    member->unit = owner.unit;
    configure(*member);
    ui::coverOwner(owner, *member);
    return *member;
}

juce::String formatHoverText(const MainComponent& main, int format, const juce::String& name)
{
    const auto index = static_cast<size_t>(format);
    if (install::isFormatInstalled(main.installFolders[index], main.productName, format))
        return texts::text(texts::TextId::hoverUpdateFormat,
                           {{"format", name}, {"version", main.productVersion}});
    return texts::text(texts::TextId::hoverInstallFormat, {{"format", name}});
}

constexpr int resultFadeMilliseconds = 3000;

// The checks of the Windows build under Wine cannot look into the window: after each run
// they read the info label's text from the file this variable names. Unset, nothing is written.
void publishInfoLabelForTests(const juce::Label& label)
{
    const auto path = juce::SystemStats::getEnvironmentVariable("VX_TEST_INFO_LABEL_FILE", {});
    if (juce::File::isAbsolutePath(path))
        juce::File(path).replaceWithText(label.getText());
}
} // namespace

bool MainComponent::wasPressedDuringLastRun()
{
    // A run blocks the message thread, so the clicks made meanwhile (the second half of a
    // double-click) arrive after it, carrying the time of their press. They were aimed at
    // the screen before the run, not at the one after it: each is dropped once.
    const auto press = juce::Desktop::getInstance().getMainMouseSource().getLastMouseDownTime();
    if (press <= runStartPress || press >= runEnd || press == droppedPress)
        return false;
    droppedPress = press;
    return true;
}

bool MainComponent::isRepeatClickOnInstall()
{
    // A run takes less than a double-click's gap, so the second click of a double-click on
    // INSTALL arrives after the run has ended and would run again on what the first one
    // left. A click the system counts as the second (or third) of a multi-click whose
    // previous press was on INSTALL belongs to that click: it does nothing. Keyboard
    // activation makes no new press and always acts.
    const auto mouse = juce::Desktop::getInstance().getMainMouseSource();
    const auto press = mouse.getLastMouseDownTime();
    const bool repeat =
        press > lastInstallPress && mouse.getNumberOfMultipleClicks() >= 2 &&
        (press - lastInstallPress).inMilliseconds() <= juce::MouseEvent::getDoubleClickTimeout();
    if (press > lastInstallPress)
        lastInstallPress = press;
    return repeat;
}

void MainComponent::buttonClicked(juce::Button* button)
{
    if (wasPressedDuringLastRun())
        return;

    const auto name = button->getName();

    if (name == "EULA")
    {
        moveFocusInto(
            openPanel(*this, eulaPanel, std::make_unique<panel_eula>(eulaText), [](panel_eula&) {}));
    }
    else if (name == "WEBSITE")
    {
        ui::launchLink(productPageUrl);
    }
    else if (name == "MANUAL")
    {
        ui::launchLink(manualUrl);
    }
    else if (name == "SUPPORT")
    {
        moveFocusInto(openPanel(*this, supportPanel, std::make_unique<panel_support>(),
                                [this](panel_support& panel) { panel.settingsFolder = settingsFolder; }));
    }
    else if (const int format = formatNames.indexOf(name); format >= 0)
    {
        auto& selected = formatSelected[static_cast<size_t>(format)];
        selected = !selected;
        repaint();
        formatButtons[static_cast<size_t>(format)]->selectionChanged();
    }
    else if (name == "INSTALL")
    {
        if (isRepeatClickOnInstall())
            return;
        runStartPress = juce::Desktop::getInstance().getMainMouseSource().getLastMouseDownTime();
        const auto report =
            install::runSelectedFormats(formatSelected, uninstallMode, installFolders, productName);
        // The window shows the run's outcome only: a registry that cannot be written changes
        // nothing on screen.
        if (!report.formats.empty())
            install::updateRegistration(
                installFolders, productName, registration,
                !uninstallMode && std::any_of(report.formats.begin(), report.formats.end(),
                                              [](const auto& format) { return format.succeeded(); }));
        const bool succeeded = report.succeeded();
        repaint();
        for (auto& row : formatButtons)
            row->selectionChanged();
        auto& panel = openPanel(*this, resultPanel, std::make_unique<panel_success>(),
                                [succeeded](panel_success& result) { result.success = succeeded; });
        // The animator snapshots the panel now, hides it and fades the snapshot, which
        // takes no clicks.
        juce::Desktop::getInstance().getAnimator().animateComponent(&panel, getBounds(), 0.0f,
                                                                    resultFadeMilliseconds, true, 0.0, 0.0);

        const auto problems = texts::describeProblems(report, productName);
        if (problems.isNotEmpty())
        {
            setInfoText(problems);
            showingRunProblems = true;
        }
        else if (showingRunProblems)
        {
            // An earlier run's problems are over: the label shows what hovering shows.
            showingRunProblems = false;
            buttonStateChanged(installButton.get());
        }
        publishInfoLabelForTests(*infoLabel);
        ui::announce(resultAnnouncement(succeeded, problems));
        runEnd = juce::Time::getCurrentTime();
    }
    else if (name == "SELECT_ALL")
    {
        formatSelected.fill(true);
        repaint();
        for (auto& row : formatButtons)
            row->selectionChanged();
    }
}

void MainComponent::buttonStateChanged(juce::Button* button)
{
    if (showingRunProblems)
    {
        // Hovering and leaving INSTALL keep the run's problems on show; entering any other
        // control ends that, and the label shows what it would have shown without them.
        if (button == installButton.get() || !button->isMouseOver(false))
            return;
        showingRunProblems = false;
        if (button == selectAllButton.get())
        {
            setInfoText({}); // leaving INSTALL had cleared it
            return;
        }
    }

    if (!button->isMouseOver(false))
    {
        setInfoText({});
        return;
    }

    const auto text = hoverText(*button);
    if (text.isEmpty())
        return; // SELECT_ALL and unknown names leave the label as it is.

    setInfoText(text);
}

void MainComponent::setInfoText(const juce::String& text)
{
    infoLabel->setText(text, juce::dontSendNotification);
    placeInfoLabel();
}

// One line 92u wide; the label squeezes a sentence a little wider than that. A sentence that
// would be squeezed more than that (a long one in a language that takes more words than
// English) takes a second line below the first instead.
void MainComponent::placeInfoLabel()
{
    constexpr float leastScale = 0.85f;
    const float u = unit;
    const auto width = infoLabel->getFont().getStringWidthFloat(infoLabel->getText()) * leastScale;
    infoLabel->setBounds(ui::boundsInUnits(u, 4.0f, 90.0f, 92.0f, width > 92.0f * u ? 6.0f : 3.0f));
}

juce::String MainComponent::hoverText(const juce::Button& button) const
{
    const auto name = button.getName();
    if (name == "EULA")
        return texts::text(texts::TextId::hoverLicence);
    if (name == "MANUAL")
        return texts::text(texts::TextId::hoverManual);
    if (name == "WEBSITE")
        return texts::text(texts::TextId::hoverWebsite);
    if (name == "SUPPORT")
        return texts::text(texts::TextId::hoverSupport);
    if (const int format = formatNames.indexOf(name); format >= 0)
        return formatHoverText(*this, format, name);
    if (name == "INSTALL")
        return texts::text(texts::TextId::hoverInstall);
    return {};
}

// Names, roles and states for screen readers; the help text of a control is its hover
// text. The painted texts the controls carry are not enough: the buttons have none.
void MainComponent::describeControls()
{
    setTitle(texts::text(texts::TextId::productDemo, {{"product", productName.toUpperCase()}}));
    setDescription(versionLine(productVersion, platformSuffix));
    // The component itself holds the focus while no control has it, so that the first
    // Tab reaches the controls.
    setWantsKeyboardFocus(true);
    setFocusContainerType(FocusContainerType::keyboardFocusContainer);

    static const texts::TextId linkTitles[] = {
        texts::TextId::accessibleLicence, texts::TextId::accessibleManual, texts::TextId::accessibleWebPage,
        texts::TextId::accessibleSupport};
    for (size_t i = 0; i < linkButtons.size(); ++i)
    {
        linkButtons[i]->setTitle(texts::text(linkTitles[i]));
        linkButtons[i]->setHelpText(hoverText(*linkButtons[i]));
    }

    for (int i = 0; i < numFormats; ++i)
    {
        const auto index = static_cast<size_t>(i);
        auto& row = *formatButtons[index];
        row.setTitle(formatNames[i]);
        row.isSelected = [this, index]
        {
            return formatSelected[index];
        };
        row.currentDescription = [this, i, index]
        {
            const bool installed = install::isFormatInstalled(installFolders[index], productName, i);
            return texts::installStatusText(
                installed, installed ? install::getInstalledVersion(installFolders[index], productName, i)
                                     : juce::String());
        };
        row.currentHelpText = [this, &row]
        {
            return hoverText(row);
        };
        row.invalidateAccessibilityHandler();
    }

    selectAllButton->setTitle(texts::text(texts::TextId::accessibleSelectAll));
    installButton->setTitle(installTitle(uninstallMode));
    installButton->setHelpText(hoverText(*installButton));

    int order = 1;
    for (auto* control : getMainControls())
        control->setExplicitFocusOrder(order++);
}

std::unique_ptr<juce::AccessibilityHandler> MainComponent::createAccessibilityHandler()
{
    return std::make_unique<juce::AccessibilityHandler>(*this, juce::AccessibilityRole::group);
}

std::vector<juce::Component*> MainComponent::getFocusOrder() const
{
    if (eulaPanel != nullptr && eulaPanel->getParentComponent() == this)
        return eulaPanel->getFocusOrder();
    if (supportPanel != nullptr && supportPanel->getParentComponent() == this)
        return supportPanel->getFocusOrder();
    return getMainControls();
}

std::vector<juce::Component*> MainComponent::getMainControls() const
{
    std::vector<juce::Component*> controls{selectAllButton.get()};
    for (const auto& row : formatButtons)
        controls.push_back(row.get());
    for (const auto& link : linkButtons)
        controls.push_back(link.get());
    controls.push_back(installButton.get());
    return controls;
}

std::unique_ptr<juce::ComponentTraverser> MainComponent::createKeyboardFocusTraverser()
{
    return std::make_unique<ui::FocusOrder>(getFocusOrder());
}

bool MainComponent::keyPressed(const juce::KeyPress& key)
{
    // Every Tab in the window comes here: no control uses it itself.
    if (key.isKeyCode(juce::KeyPress::tabKey))
    {
        ui::FocusOrder order(getFocusOrder());
        keyboardFocus.moveFocus(order, !key.getModifiers().isShiftDown());
        return true;
    }
    return false;
}

bool MainComponent::isCoveredByPanel() const
{
    return (eulaPanel != nullptr && eulaPanel->getParentComponent() == this) ||
           (supportPanel != nullptr && supportPanel->getParentComponent() == this);
}

// An open licence or support panel takes the focus, so that Tab stays inside it; the
// control that had it gets it back when the panel closes.
void MainComponent::moveFocusInto(juce::Component& panel)
{
    auto* focused = getCurrentlyFocusedComponent();
    focusAfterPanel = (focused != nullptr && isParentOf(focused)) ? focused : this;
    setCoveredControlsAccessible(false);
    if (panel.isShowing())
        panel.grabKeyboardFocus();
}

// A screen reader does not reach what an open panel covers, as the pointer does not.
void MainComponent::setCoveredControlsAccessible(bool accessible)
{
    for (auto* control : getMainControls())
        control->setAccessible(accessible);
    infoLabel->setAccessible(accessible);
}

void MainComponent::childrenChanged()
{
    if (focusAfterPanel == nullptr || isCoveredByPanel())
        return;
    auto* target = focusAfterPanel.getComponent();
    focusAfterPanel = nullptr;
    setCoveredControlsAccessible(true);
    if (target->isShowing())
        target->grabKeyboardFocus();
}

void MainComponent::showHoverTextFor(juce::Component& focused)
{
    // As the pointer would: a control without a hover text leaves the label empty.
    auto* button = dynamic_cast<juce::Button*>(&focused);
    if (button == nullptr || button->getParentComponent() != this)
        return;
    // A run's problems stay on show while INSTALL keeps the focus, as while the pointer
    // stays on it; moving on to another control ends that.
    if (showingRunProblems && button == installButton.get())
        return;
    showingRunProblems = false;
    setInfoText(hoverText(*button));
}

juce::String MainComponent::resultAnnouncement(bool succeeded, const juce::String& problems) const
{
    const auto card = panel_success::resultText(succeeded);
    return problems.isEmpty() ? card : card + " " + problems;
}

void MainComponent::paintOverChildren(juce::Graphics& g)
{
    if (auto* target = keyboardFocus.getRingTarget())
    {
        const auto order = getFocusOrder();
        if (std::find(order.begin(), order.end(), target) != order.end())
            keyboardFocus.drawRing(g, *target, unit);
    }
}

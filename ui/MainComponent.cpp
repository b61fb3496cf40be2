#include "ui/MainComponent.h"

#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"
#include "install/InstallEngine.h"
#include "install/InstallSettings.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"
#include "ui/Fonts.h"

#include <BinaryData.h>

#include <cmath>

using namespace catalogue;

namespace
{
// Icons are drawn in the surface colour: their pure black becomes colourSurface.
std::unique_ptr<juce::Drawable> createIcon(const char* svgData, int svgSize)
{
    auto icon = juce::Drawable::createFromImageData(svgData, static_cast<size_t>(svgSize));
    if (icon != nullptr)
        icon->replaceColour(juce::Colours::black, colourSurface);
    return icon;
}

// Layout rounds to the nearest integer, ties to even.
int toPixels(float value) { return static_cast<int>(std::nearbyint(value)); }

juce::Rectangle<int> scaledBounds(float u, float x, float y, float w, float h)
{
    return {toPixels(x * u), toPixels(y * u), toPixels(w * u), toPixels(h * u)};
}
} // namespace

MainComponent::MainComponent()
{
    juce::LookAndFeel::setDefaultLookAndFeel(&customLookAndFeel);

    unit = 9.0f;
    uninstallMode = false;

    formatIcons[0] = createIcon(BinaryData::icon_vst3_svg, BinaryData::icon_vst3_svgSize);
    formatIcons[1] = createIcon(BinaryData::icon_clap_svg, BinaryData::icon_clap_svgSize);
    formatIcons[2] = createIcon(BinaryData::icon_aax_svg, BinaryData::icon_aax_svgSize);
    buttonIcons[0] = createIcon(BinaryData::icon_eula_svg, BinaryData::icon_eula_svgSize);
    buttonIcons[1] = createIcon(BinaryData::icon_manual_svg, BinaryData::icon_manual_svgSize);
    buttonIcons[2] = createIcon(BinaryData::icon_web_svg, BinaryData::icon_web_svgSize);
    buttonIcons[3] = createIcon(BinaryData::icon_help_svg, BinaryData::icon_help_svgSize);
    buttonIcons[4] = createIcon(BinaryData::icon_install_svg, BinaryData::icon_install_svgSize);

    platformSuffix = catalogue::platformSuffix;

    const auto commonFiles = platform::fileFromWindowsPath(commonFilesRoot);
    installFolders[clapFormat] = commonFiles.getChildFile(defaultFormatFolders[clapFormat]);
    installFolders[vst3Format] = commonFiles.getChildFile(defaultFormatFolders[vst3Format]);
    installFolders[aaxFormat] = commonFiles.getChildFile(defaultFormatFolders[aaxFormat]);

    productName = displayProductName(catalogue::productName);
    productVersion = catalogue::productVersion;

    productPageUrl = juce::URL(catalogue::productPageUrl);
    manualUrl = juce::URL(catalogue::manualUrl);

    settingsFolder = platform::commonApplicationDataFolder().getChildFile(makerFolderName);
    install::loadInstallSettings(settingsFolder, installFolders);

    for (int i = 0; i < 4; ++i)
        linkButtons[static_cast<size_t>(i)] = createControl(linkNames[i]);

    for (int i = 0; i < numFormats; ++i)
    {
        const auto index = static_cast<size_t>(i);
        formatSelected[index] = install::isFormatInstalled(installFolders[index], productName, i);
        formatButtons[index] = createControl(formatNames[i]);
    }

    installButton = createControl("INSTALL");
    selectAllButton = createControl("SELECT_ALL");

    infoLabel = std::make_unique<juce::Label>();
    addAndMakeVisible(*infoLabel);
    infoLabel->setJustificationType(juce::Justification::centred);
    infoLabel->setColour(juce::Label::textColourId, colourTextDim.withAlpha(static_cast<juce::uint8>(128)));
    infoLabel->setText(installerVersion, juce::dontSendNotification);

    setSize(600, 600);
}

MainComponent::~MainComponent() { install::removeLeftoverScript(); }

std::unique_ptr<juce::TextButton> MainComponent::createControl(const juce::String& name)
{
    auto button = std::make_unique<juce::TextButton>();
    addAndMakeVisible(*button);
    button->setName(name);
    // Transparent: the button only supplies hit testing and mouse states, paint draws it.
    button->setAlpha(0.0f);
    button->addListener(this);
    return button;
}

void MainComponent::paint(juce::Graphics& g) { g.fillAll(colourBackground); }

void MainComponent::modifierKeysChanged(const juce::ModifierKeys&) {}

void MainComponent::resized()
{
    const float u = static_cast<float>(getWidth()) * 0.01f;
    unit = u;

    // The link buttons' x positions are accumulated, each rounded on its own.
    float linkX = 4.0f * u;
    for (auto& button : linkButtons)
    {
        button->setBounds(toPixels(linkX), toPixels(73.5f * u), toPixels(10.0f * u), toPixels(10.0f * u));
        linkX += 11.5f * u;
    }

    installButton->setBounds(scaledBounds(u, 86.0f, 73.5f, 10.0f, 10.0f));
    selectAllButton->setBounds(scaledBounds(u, 80.0f, 22.5f, 16.0f, 4.0f));
    formatButtons[vst3Format]->setBounds(scaledBounds(u, 4.0f, 30.0f, 45.0f, 10.0f));
    formatButtons[clapFormat]->setBounds(scaledBounds(u, 51.0f, 30.0f, 45.0f, 10.0f));
    formatButtons[aaxFormat]->setBounds(scaledBounds(u, 4.0f, 42.0f, 45.0f, 10.0f));

    infoLabel->setFont(ui::fontFromTypeface(customLookAndFeel.regularTypeface, 3.0f * u));
    infoLabel->setBounds(scaledBounds(u, 4.0f, 90.0f, 92.0f, 3.0f));

    // Open overlays keep covering the whole component.
    if (eulaPanel != nullptr)
    {
        eulaPanel->unit = u;
        eulaPanel->setBounds(getBounds());
        eulaPanel->setAlwaysOnTop(true);
    }
    if (supportPanel != nullptr)
    {
        supportPanel->unit = u;
        supportPanel->setBounds(getBounds());
        supportPanel->setAlwaysOnTop(true);
    }
}

void MainComponent::buttonClicked(juce::Button*) {}

void MainComponent::buttonStateChanged(juce::Button*) {}

#pragma once

#include "catalogue/Formats.h"
#include "install/InstallStatus.h"
#include "support/DesktopPointer.h"
#include "support/TestEnvironment.h"
#include "ui/Announcer.h"
#include "ui/ControlButton.h"
#include "ui/LinkLauncher.h"
#include "ui/MainComponent.h"

#include <gtest/gtest.h>

#include <memory>

namespace testing_support
{
// The main component on a fresh Wine prefix, with the links it would open and the
// texts it would announce recorded instead. start() makes it; the tests that need the
// desktop put it there themselves.
class MainComponentFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousLauncher = ui::setLinkLauncher(
            [this](const juce::URL& url)
            {
                launched.add(url.toString(false));
                return true;
            });
        previousAnnouncer = ui::setAnnouncer([this](const juce::String& text) { announced.add(text); });
        juce::ModifierKeys::currentModifiers = {};
    }

    void TearDown() override
    {
        pointer.reset();
        window.reset();
        main.reset();
        ui::setLinkLauncher(previousLauncher);
        ui::setAnnouncer(previousAnnouncer);
        juce::ModifierKeys::currentModifiers = {};
    }

    // A bundle in the default install folder of a format, before the main component
    // starts: a file for CLAP, a folder otherwise (or the other kind when asked).
    void plantBundle(int format, bool otherKind = false)
    {
        const auto bundle =
            prefix.commonFiles()
                .getChildFile(catalogue::defaultFormatFolders[format])
                .getChildFile(juce::String(catalogue::productName) + catalogue::formatExtensions[format]);
        const bool asFile = (format == catalogue::clapFormat) != otherKind;
        if (asFile)
        {
            ASSERT_TRUE(bundle.create().wasOk());
        }
        else
        {
            ASSERT_TRUE(bundle.createDirectory().wasOk());
        }
    }

    MainComponent& start()
    {
        main = std::make_unique<MainComponent>();
        return *main;
    }

    // The main component's control of that component name.
    ui::ControlButton& control(const juce::String& name)
    {
        for (auto* child : main->getChildren())
            if (auto* b = dynamic_cast<ui::ControlButton*>(child); b != nullptr && b->getName() == name)
                return *b;
        ADD_FAILURE() << "no control " << name;
        return *main->installButton;
    }

    juce::File bundle(int format) const
    {
        return install::getBundleFile(main->installFolders[static_cast<size_t>(format)], main->productName,
                                      format);
    }

    ScopedWinePrefix prefix;
    std::unique_ptr<MainComponent> main;
    std::unique_ptr<juce::Component> window; // where a test puts the main component in a window
    std::unique_ptr<DesktopPointer> pointer;
    juce::StringArray launched;
    juce::StringArray announced;
    ui::LinkLauncher previousLauncher;
    ui::Announcer previousAnnouncer;
};
} // namespace testing_support

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Under Wine, the framework's Windows window peer paints once and then never again:
// it holds repaints until a wait for the display's vertical blank succeeds, and Wine's
// DXGI WaitForVBlank is a stub. While running under Wine this object flushes the
// pending repaints of every window peer 60 times a second. On Windows itself, and in
// builds for other systems, it does nothing.
#if JUCE_WINDOWS
class WineRepaintPump : private juce::Timer
{
public:
    WineRepaintPump();
    ~WineRepaintPump() override;

    // True when the process runs under Wine (its ntdll exports wine_get_version).
    static bool runningUnderWine();

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE(WineRepaintPump)
};
#else
class WineRepaintPump
{
public:
    static bool runningUnderWine() { return false; }
};
#endif

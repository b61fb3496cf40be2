#include "app/WineRepaintPump.h"

#include "platform/WindowsApi.h"

WineRepaintPump::WineRepaintPump()
{
    if (runningUnderWine())
        startTimerHz(60);
}

WineRepaintPump::~WineRepaintPump()
{
    stopTimer();
}

bool WineRepaintPump::runningUnderWine()
{
    static const bool underWine = []
    {
        const auto ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return underWine;
}

void WineRepaintPump::timerCallback()
{
    // Every peer, not just the main window's: pop-ups and dialogs are peers of their own.
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer(i))
            peer->performAnyPendingRepaintsNow();
}

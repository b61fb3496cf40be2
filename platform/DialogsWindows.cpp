#include "platform/Dialogs.h"

#include "platform/WindowsApi.h"

namespace platform
{
bool askToConfirm(const juce::String& title, const juce::String& question)
{
    // OK is the default button: Return confirms, Escape cancels.
    return MessageBoxW(nullptr, question.toWideCharPointer(), title.toWideCharPointer(),
                       MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1 | MB_SETFOREGROUND) == IDOK;
}

void showNotice(const juce::String& title, const juce::String& message, bool problem)
{
    MessageBoxW(nullptr, message.toWideCharPointer(), title.toWideCharPointer(),
                MB_OK | (problem ? MB_ICONWARNING : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}
} // namespace platform

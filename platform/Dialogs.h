#pragma once

#include <juce_core/juce_core.h>

// The system's own message boxes, for a run from Windows' Apps & Features that has no
// window of its own: a question before it changes anything, and a notice of what happened.
namespace platform
{
// True when the user confirms (OK, or Return); false for Cancel, Escape or closing the box.
// Elsewhere than on Windows the question goes to the terminal, answered with "y".
bool askToConfirm(const juce::String& title, const juce::String& question);

// Shows the message until the user closes it; `problem` marks it as a failure.
void showNotice(const juce::String& title, const juce::String& message, bool problem);
} // namespace platform

#include "platform/Dialogs.h"

#include <iostream>
#include <string>

namespace platform
{
bool askToConfirm(const juce::String& title, const juce::String& question)
{
    std::cerr << title << ": " << question << " [y/N] " << std::flush;
    std::string answer;
    return std::getline(std::cin, answer) && (answer == "y" || answer == "Y");
}

void showNotice(const juce::String& title, const juce::String& message, bool)
{
    std::cerr << title << ": " << message << std::endl;
}
} // namespace platform

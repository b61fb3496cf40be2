#include "ui/SupportPanel.h"

panel_support::panel_support() {}

panel_support::~panel_support() = default;

void panel_support::buttonClicked(juce::Button*) {}

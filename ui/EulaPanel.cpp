#include "ui/EulaPanel.h"

panel_eula::panel_eula(const juce::String&) {}

panel_eula::~panel_eula() = default;

void panel_eula::buttonClicked(juce::Button*) {}

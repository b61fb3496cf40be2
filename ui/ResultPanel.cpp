#include "ui/ResultPanel.h"

panel_success::panel_success() {}

panel_success::~panel_success() = default;

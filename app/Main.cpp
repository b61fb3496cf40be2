#include "app/Application.h"

START_JUCE_APPLICATION(vx_installerApplication)

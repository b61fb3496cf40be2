#include "catalogue/Links.h"

namespace catalogue
{
const juce::StringArray linkNames{"EULA", "MANUAL", "WEBSITE", "SUPPORT"};
} // namespace catalogue

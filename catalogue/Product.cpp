#include "catalogue/Product.h"

namespace catalogue
{
juce::String displayProductName(const juce::String& storedName)
{
    const int underscore = storedName.indexOfChar('_');
    if (underscore < 0)
        return storedName;
    return storedName.replaceSection(underscore, 1, " ");
}
} // namespace catalogue

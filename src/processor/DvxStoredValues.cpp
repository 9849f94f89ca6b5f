#include "DvxStoredValues.h"

#include <charconv>
#include <cmath>
#include <string>

namespace DvxStoredValues
{

bool parseFiniteNumber (const juce::String& text, double& result)
{
    const std::string utf8 = text.trim().toStdString();
    const char* first = utf8.data();
    const char* last = first + utf8.size();

    // juce::String never writes a '+', but a hand-edited file might.
    if (first != last && *first == '+')
        ++first;

    double value = 0.0;
    const auto [end, error] = std::from_chars (first, last, value, std::chars_format::general);

    if (error != std::errc() || end == first || ! std::isfinite (value))
        return false;

    result = value;
    return true;
}

} // namespace DvxStoredValues

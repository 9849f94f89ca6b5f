#include "parameters/DvxStoredValues.h"

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

std::optional<float> readNormalisedValue (const juce::var& stored)
{
    double value = 0.0;

    if (stored.isString())
    {
        if (! parseFiniteNumber (stored.toString(), value))
            return std::nullopt;
    }
    else if (stored.isDouble() || stored.isInt() || stored.isInt64() || stored.isBool())
    {
        value = (double) stored;
    }
    else
    {
        return std::nullopt;
    }

    if (! std::isfinite (value))
        return std::nullopt;

    return (float) juce::jlimit (0.0, 1.0, value);
}

} // namespace DvxStoredValues

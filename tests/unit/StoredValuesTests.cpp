#include "parameters/DvxStoredValues.h"

#include <gtest/gtest.h>

#include <optional>

TEST (StoredValues, NumbersAreReadWithoutLocaleAndWithoutOverflow)
{
    const struct { const char* text; bool ok; double value; } cases[] =
    {
        { "0.5",                   true,  0.5 },
        { "0.2860000133514404",    true,  0.2860000133514404 },
        { " 600 ",                 true,  600.0 },
        { "+3",                    true,  3.0 },
        { "-2147483648",           true,  -2147483648.0 },
        { "1e-05",                 true,  1e-05 },
        { "600abc",                true,  600.0 },
        { "99999999999999999999",  true,  1e20 },
        { "1e99999999999",         false, 0.0 },
        { "nan",                   false, 0.0 },
        { "-inf",                  false, 0.0 },
        { "abc",                   false, 0.0 },
        { "",                      false, 0.0 },
        { "0,5",                   true,  0.0 },
    };

    for (const auto& c : cases)
    {
        double value = -1.0;
        EXPECT_EQ (DvxStoredValues::parseFiniteNumber (c.text, value), c.ok) << c.text;

        if (c.ok)
            EXPECT_EQ (value, c.value) << c.text;
        else
            EXPECT_EQ (value, -1.0) << "left alone: " << c.text;
    }
}

TEST (StoredValues, ParameterValuesAreKeptInRangeAndOnlyNumbersAreTaken)
{
    const struct { juce::var stored; std::optional<float> value; } cases[] =
    {
        { "0.2860000133514404", 0.286f },
        { "3e38",               1.0f },
        { "1e39",               1.0f },     // beyond a float, still a number
        { "-0.5",               0.0f },
        { 0.25,                 0.25f },    // a tree built here holds doubles
        { 7,                    1.0f },
        { "nan",                std::nullopt },
        { "1e400",              std::nullopt },
        { "wide",               std::nullopt },
        { juce::var(),          std::nullopt },
    };

    for (const auto& c : cases)
        EXPECT_EQ (DvxStoredValues::readNormalisedValue (c.stored), c.value) << c.stored.toString();
}

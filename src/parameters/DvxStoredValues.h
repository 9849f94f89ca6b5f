#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// Numbers that the plug-in reads back from text it stored: preset files and host state
// blobs. Both come from outside, so a number is read independently of the C locale and
// only when it is finite, and a parameter value is only ever taken within 0..1.
namespace DvxStoredValues
{
    // Reads a number written as text by juce::String (decimal, optional fraction and
    // exponent). False for text that does not start with a number and for NaN, infinity
    // or a number beyond the range of a double.
    bool parseFiniteNumber (const juce::String& text, double& result);

    // A parameter's normalised value as a preset file or a host state holds it (as text, or
    // as a number in a tree built here): kept to 0..1, or nothing when it is not a finite
    // number. Preset loads and the state restore both read values through this.
    std::optional<float> readNormalisedValue (const juce::var& stored);
}

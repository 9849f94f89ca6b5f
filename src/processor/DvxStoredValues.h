#pragma once

#include <juce_core/juce_core.h>

// Numbers that the plug-in reads back from text it stored: preset files and host state
// blobs. Both come from outside, so a number is read independently of the C locale and
// only when it is finite.
namespace DvxStoredValues
{
    // Reads a number written as text by juce::String (decimal, optional fraction and
    // exponent). False for text that does not start with a number and for NaN, infinity
    // or a number beyond the range of a double.
    bool parseFiniteNumber (const juce::String& text, double& result);
}

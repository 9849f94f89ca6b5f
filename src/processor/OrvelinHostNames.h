#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// The host names stored in saved presets (and shown on the info screen). The texts and
// their numbering are the plug-in's own and stay fixed, whatever hosts JUCE learns about.
namespace OrvelinHostNames
{
    // Number of named entries; legacy host numbers run from 1 to this.
    constexpr int numNamedHosts = 38;

    // The text for a legacy host number: entry number - 1 of the table for 1..38,
    // "Unknown" for 0 and everything outside.
    juce::String getNameForLegacyHostNumber (int legacyHostNumber);

    // The legacy host number (0 when the table has no entry) that stands for one of
    // JUCE's host types.
    int getLegacyHostNumber (juce::PluginHostType::HostType type) noexcept;

    // The name for one of JUCE's host types, and for the host we are running in.
    juce::String getNameForHostType (juce::PluginHostType::HostType type);
    juce::String getNameOfCurrentHost();
}

#pragma once

#include "processor/DvxSafePropertiesFile.h"

#include <memory>

// The Standalone application's own settings: its window's place, the audio device, whether
// the input is muted, the last state file and the plug-in's state. They stay where and as
// JUCE's standalone wrapper keeps them (~/.config/Orvelin.settings on Linux, JUCE's XML
// properties format), so that settings saved by earlier builds keep working; only the
// reading is ours. Anybody may write that file, and JUCE's XML parser crashes on a few
// hostile bytes there, at every launch.
class OrvelinStandaloneSettings
{
public:
    // The options JUCE's standalone application opens its settings with.
    static juce::PropertiesFile::Options getSettingsFileOptions();

    // Opens the settings through the safe reader. JUCE's wrapper later parses a few values
    // with JUCE's own parser again (the audio device setup); such a value is kept only as
    // the safe reader reads it and JUCE's writer writes it back, and dropped when refused.
    // A window place far outside any screen is dropped too (the window is then centred).
    static std::unique_ptr<DvxSafePropertiesFile> openSettingsFile();

    OrvelinStandaloneSettings() = delete;
};

#include "OrvelinAudioProcessor.h"

// User preset files: placeholders until the file format lands.

std::unique_ptr<juce::File> OrvelinAudioProcessor::getPresetsFolderFromPropertiesFile() const { return std::make_unique<juce::File>(); }
void OrvelinAudioProcessor::initUserPresets() { userPresetsFolder = getPresetsFolderFromPropertiesFile(); }
void OrvelinAudioProcessor::updateAllUserPresetNames() { userPresetNames.clear(); }
juce::ValueTree OrvelinAudioProcessor::loadUserPresetAsValueTree (const juce::File&) const { return {}; }
juce::String OrvelinAudioProcessor::dvxReadString (juce::InputStream&) { return {}; }
void OrvelinAudioProcessor::addAdditionalInfosToValueTree (juce::ValueTree*) const {}
bool OrvelinAudioProcessor::saveCurrentPresetFromValueTreeToDisk (juce::String, bool) { return false; }
void OrvelinAudioProcessor::revealUserPresetsFolder() const {}
juce::File OrvelinAudioProcessor::getUserPresetsFolder() const { return userPresetsFolder != nullptr ? *userPresetsFolder : juce::File(); }

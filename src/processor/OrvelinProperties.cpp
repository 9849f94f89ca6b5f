#include "OrvelinAudioProcessor.h"

// Per-user properties and the editor's size settings: a minimal version that never asks
// for a display off the message thread. The properties file itself lands separately.

void OrvelinAudioProcessor::initPropertiesFile() {}

float OrvelinAudioProcessor::getDefaultEditorDesktopHeightRatioFromPropertiesFile() const { return 0.5f; }

void OrvelinAudioProcessor::updateDefaultEditorSizes()
{
    defaultEditorHeight.store (juce::roundToInt (1080.0f * getDefaultEditorDesktopHeightRatio()));
}

void OrvelinAudioProcessor::setCurrentAsDefaultEditorDesktopHeightRatio() {}
void OrvelinAudioProcessor::resetDefaultEditorDesktopHeightRatio() {}

juce::String OrvelinAudioProcessor::getChannelName() const { return channelName; }
void OrvelinAudioProcessor::setChannelName (const juce::String& newName) { channelName = newName; }

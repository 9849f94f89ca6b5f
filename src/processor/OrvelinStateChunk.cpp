#include "OrvelinAudioProcessor.h"

// Host state chunk: placeholder until the state format lands.

void OrvelinAudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void OrvelinAudioProcessor::setStateInformation (const void*, int) {}

#pragma once

#include "OrvelinAudioProcessor.h"

// Audio-thread state of the processor, kept out of the public header.
struct OrvelinAudioProcessor::SignalPathState
{
    // Parameter indices looked up once after registration, so that the audio thread never
    // compares names or builds strings.
    void resolveParameterIndices (const DvxParameterManager& manager);

    int bypass = -1, stereoWidth = -1, pan = -1, inputGainIndex = -1, outputGainIndex = -1,
        swapLR = -1, phaseFlip = -1, mono = -1, muteAll = -1, muteMid = -1, muteSide = -1,
        panCurve = -1, panLaw = -1, msMode = -1, panMode = -1, phaseAlignSide = -1,
        safeBassFreq = -1, safeBass = -1;
};

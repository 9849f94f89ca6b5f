#include "OrvelinSignalPath.h"

void OrvelinAudioProcessor::SignalPathState::resolveParameterIndices (const DvxParameterManager& manager)
{
    bypass          = manager.getParameterIndex ("Bypass");
    stereoWidth     = manager.getParameterIndex ("StereoWidth");
    pan             = manager.getParameterIndex ("Pan");
    inputGainIndex  = manager.getParameterIndex ("InputGain");
    outputGainIndex = manager.getParameterIndex ("OutputGain");
    swapLR          = manager.getParameterIndex ("SwapLR");
    phaseFlip       = manager.getParameterIndex ("PhaseFlip");
    mono            = manager.getParameterIndex ("Mono");
    muteAll         = manager.getParameterIndex ("MuteAll");
    muteMid         = manager.getParameterIndex ("MuteMid");
    muteSide        = manager.getParameterIndex ("MuteSide");
    panCurve        = manager.getParameterIndex ("PanCurve");
    panLaw          = manager.getParameterIndex ("PanLaw");
    msMode          = manager.getParameterIndex ("MsMode");
    panMode         = manager.getParameterIndex ("PanMode");
    phaseAlignSide  = manager.getParameterIndex ("PhaseAlignSide");
    safeBassFreq    = manager.getParameterIndex ("SafeBassFreq");
    safeBass        = manager.getParameterIndex ("SafeBass");
}

// Placeholder until the full stereo path lands: notices the sample rate and clears the
// channels above the stereo pair.
void OrvelinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const auto rate = getSampleRate();

    if (rate != lastSampleRate.load (std::memory_order_relaxed))
    {
        lastSampleRate.store (rate, std::memory_order_relaxed);
        parameterManager->setSampleRateNeedsToBeUpdatedInEditor (true);
    }

    for (int channel = 2; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());
}

void OrvelinAudioProcessor::calculateSafeBassFilterCoefficients (double)
{
}

DvxStereoVuVisuals OrvelinAudioProcessor::getInputVuMeterVisuals()
{
    DvxStereoVuVisuals copy (inputVuMeterVisuals);
    inputVuMeterVisuals.reset();
    return copy;
}

DvxStereoVuVisuals OrvelinAudioProcessor::getOutputVuMeterVisuals()
{
    DvxStereoVuVisuals copy (outputVuMeterVisuals);
    outputVuMeterVisuals.reset();
    return copy;
}

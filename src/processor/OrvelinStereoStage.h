#pragma once

#include "parameters/DvxParameterManager.h"
#include "parameters/DvxStereoVuVisuals.h"
#include "processor/OrvelinParameterTable.h"
#include "processor/SafeBassFilter.h"

#include <array>
#include <atomic>
#include <limits>

// Everything the stereo stage needs per sample that depends only on the width and pan
// values and on the four choices; recomputed only when one of those changes.
struct StereoStageFactors
{
    float widthValue = 0.0f, panValue = 0.0f;     // the parameter values these came from
    float panMode = 0.0f, msMode = 0.0f, panCurve = 0.0f, panLaw = 0.0f;
    float w = 1.0f;                               // width after the dual-pan reduction
    float midGain = 1.0f;                         // bind-levels factor; 1 for fix mid
    float leftGain = 1.0f, rightGain = 1.0f;      // far-side curve or near-side law
    bool valid = false;
};

// The plug-in's signal path: gains, swap, phase flip, mono, mute, the stereo stage, the
// SAFE BASS high-pass on the side signal, and the input and output peaks for the meters.
// It reads the plug-in's parameters (OrvelinParameterTable) from a DvxParameterManager,
// every block, and width and pan for every sample, so that automation takes effect
// within a block.
class OrvelinStereoStage
{
public:
    // The manager must hold the whole parameter table and outlive the stage.
    explicit OrvelinStereoStage (const DvxParameterManager& parameters);

    // Audio thread: the host's sample rate, before the first block and whenever it changes.
    // The filter keeps its memory; its coefficients are rebuilt for the new rate.
    void prepare (double newSampleRate) noexcept;

    // Audio thread: channels 0 and 1 in place. A buffer with fewer channels is left alone.
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    // Any thread: asks for SAFE BASS coefficients for this normalised "SafeBassFreq"
    // value. The audio thread builds them at its next block; a non-finite value keeps the
    // coefficients in force.
    void requestSafeBassCoefficients (double normalisedSafeBassFreq) noexcept;

    // The largest absolute samples since the last call, after the input stage and after
    // the output gain; each call hands out a copy and clears the record.
    DvxStereoVuVisuals takeInputPeaks() noexcept;
    DvxStereoVuVisuals takeOutputPeaks() noexcept;

    // The stage uses eight lanes where the processor offers them and four otherwise, with
    // identical results. Tests turn the wide lanes off to check the narrow ones on a
    // machine that has both; nothing else needs this.
    static void setWideLanesAllowed (bool allowed) noexcept;

private:
    float valueOf (OrvelinParameters::Index index) const noexcept { return parameters[(size_t) index]->getValue(); }
    const DvxParameter& parameter (OrvelinParameters::Index index) const noexcept { return *parameters[(size_t) index]; }

    // Called at the start of a block; returns true when the filter then holds a complete
    // set for a known rate.
    bool applyRequestedSafeBassCoefficients() noexcept;

    // Taken once at construction, so that the audio thread never compares names: a direct
    // atomic read is far cheaper than the manager's bounds-checked lookup.
    std::array<const DvxParameter*, OrvelinParameters::numParameters> parameters {};

    //==============================================================================
    // SAFE BASS coefficients.
    //
    // Any thread may ask for new coefficients: host automation of "SafeBassFreq", a state
    // restore, or the audio thread itself. A request only stores the normalised frequency
    // in one atomic and then raises the valid flag. At the start of its next block the
    // audio thread builds a complete coefficient set from the latest request and the
    // current sample rate, and it is the only thread that ever touches the filter. So a
    // half-written set can never be filtered with, nobody locks, and a new host sample
    // rate re-tunes the filter as well.
    std::atomic<double> requestedSafeBassFreq { 0.0 };
    std::atomic<bool> coefficientsValid { false };

    // Audio thread only.
    double sampleRate = 0.0;
    SafeBassFilter safeBassFilter;
    juce::IIRCoefficients safeBassCoefficients;
    double appliedSafeBassFreq = std::numeric_limits<double>::quiet_NaN();
    double appliedSampleRate = 0.0;

    //==============================================================================
    // Audio thread only: values derived from parameters, recomputed only when their
    // input changes (the transcendental functions would otherwise dominate).
    float lastInputGainValue = std::numeric_limits<float>::quiet_NaN();
    float lastOutputGainValue = std::numeric_limits<float>::quiet_NaN();
    float cachedInputGain = 1.0f, cachedOutputGain = 1.0f;

    StereoStageFactors factors;

    // Raised by the audio thread, read and cleared by the editor's timer.
    DvxStereoVuVisuals inputPeaks, outputPeaks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelinStereoStage)
};

#pragma once

#include "processor/OrvelinAudioProcessor.h"

#include <atomic>
#include <cmath>
#include <limits>

//==============================================================================
// The SAFE BASS high-pass. Only the audio thread touches it (see SignalPathState), so it
// needs none of juce::IIRFilter's locking.
class SafeBassFilter : public juce::SingleThreadedIIRFilter
{
public:
    // The same arithmetic as processSingleSampleRaw(), with the state held in registers
    // for a run of samples instead of being stored and reloaded on every call.
    struct Run
    {
        float c0, c1, c2, c3, c4, v1, v2;

        float process (float in) noexcept
        {
            auto out = c0 * in + v1;

           #if JUCE_INTEL
            // JUCE_SNAP_TO_ZERO: the same test (NaN and |out| <= 1e-8 become 0), kept a
            // real branch. It is rarely taken, and the compiler would otherwise turn it
            // into a compare-and-blend that lengthens the chain from one sample to the
            // next; the empty asm statement is what stops that.
            if (! (std::abs (out) > 1.0e-8f))
            {
                asm volatile ("");
                out = 0.0f;
            }
           #else
            JUCE_SNAP_TO_ZERO (out);
           #endif

            v1 = c1 * in - c3 * out + v2;
            v2 = c2 * in - c4 * out;

            // A NaN or infinite sample would otherwise stay in v1/v2 (the snap above even
            // disguises it as a silent output): for a few samples where the framework
            // snaps to zero, for the rest of the session where it does not. Start again
            // from rest instead. Any non-finite input, output or v2 shows in v1.
            if (! std::isfinite (v1))
                v1 = v2 = 0.0f;

            return out;
        }
    };

    Run beginRun() const noexcept
    {
        const auto* c = coefficients.coefficients;
        return { c[0], c[1], c[2], c[3], c[4], v1, v2 };
    }

    void endRun (const Run& run) noexcept
    {
        v1 = run.v1;
        v2 = run.v2;
    }
};

//==============================================================================
// The stereo stage uses eight lanes where the processor offers them and four otherwise,
// with identical results. Tests turn the wide lanes off to check the narrow ones on a
// machine that has both; nothing else needs this.
void setSignalPathWideLanesAllowed (bool allowed) noexcept;

//==============================================================================
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

//==============================================================================
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

    // The parameters themselves, for the audio thread: it reads them every block (width
    // and pan every sample), and a direct atomic read is far cheaper than the manager's
    // out-of-line, bounds-checked lookup. Registration is over before these are taken, and
    // they are refreshed with the indices whenever the manager is rebuilt.
    struct Parameters
    {
        const DvxParameter *bypass = nullptr, *stereoWidth = nullptr, *pan = nullptr,
                           *inputGain = nullptr, *outputGain = nullptr, *swapLR = nullptr,
                           *phaseFlip = nullptr, *mono = nullptr, *muteAll = nullptr,
                           *muteMid = nullptr, *muteSide = nullptr, *panCurve = nullptr,
                           *panLaw = nullptr, *msMode = nullptr, *panMode = nullptr,
                           *phaseAlignSide = nullptr, *safeBassFreq = nullptr, *safeBass = nullptr;
    };

    Parameters parameters;

    //==============================================================================
    // SAFE BASS coefficients.
    //
    // Any thread may ask for new coefficients: host automation of "SafeBassFreq", a state
    // restore, or the audio thread itself. A request only stores the normalised frequency
    // in one atomic and then raises the valid flag. At the start of its next block the
    // audio thread builds a complete coefficient set from the latest request and that
    // block's sample rate, and it is the only thread that ever touches the filter. So a
    // half-written set can never be filtered with, nobody locks, and a new host sample
    // rate re-tunes the filter as well.
    std::atomic<double> requestedSafeBassFreq { 0.0 };
    std::atomic<bool> coefficientsValid { false };

    // Audio thread only.
    SafeBassFilter safeBassFilter;
    juce::IIRCoefficients safeBassCoefficients;
    double appliedSafeBassFreq = std::numeric_limits<double>::quiet_NaN();
    double appliedSampleRate = 0.0;

    // Called at the start of a block; returns true when the filter then holds a complete
    // set for a known rate.
    bool applyRequestedSafeBassCoefficients (double sampleRate) noexcept;

    //==============================================================================
    // Audio thread only: values derived from parameters, recomputed only when their
    // input changes (the transcendental functions would otherwise dominate).
    float lastInputGainValue = std::numeric_limits<float>::quiet_NaN();
    float lastOutputGainValue = std::numeric_limits<float>::quiet_NaN();
    float cachedInputGain = 1.0f, cachedOutputGain = 1.0f;

    StereoStageFactors factors;
};

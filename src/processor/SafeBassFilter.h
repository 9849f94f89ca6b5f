#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

// The SAFE BASS high-pass. Only the audio thread touches it (see OrvelinStereoStage), so it
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

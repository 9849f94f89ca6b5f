#include "processor/OrvelinStereoStage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#if ! (defined (__GNUC__) || defined (__clang__))
 #error "The stereo stage uses GCC/Clang vector extensions"
#endif

#if defined (__x86_64__) || defined (__i386__)
 #define ORVELIN_WIDE_LANES 1
#else
 #define ORVELIN_WIDE_LANES 0
#endif

OrvelinStereoStage::OrvelinStereoStage (const DvxParameterManager& manager)
{
    for (int i = 0; i < OrvelinParameters::numParameters; ++i)
    {
        parameters[(size_t) i] = manager.getParameter (i);

        // The manager must have been filled from the parameter table.
        jassert (parameters[(size_t) i] != nullptr
                  && parameters[(size_t) i]->getName() == OrvelinParameters::row ((OrvelinParameters::Index) i).name);
    }
}

void OrvelinStereoStage::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
}

void OrvelinStereoStage::requestSafeBassCoefficients (double normalisedSafeBassFreq) noexcept
{
    if (! std::isfinite (normalisedSafeBassFreq))
        return;

    requestedSafeBassFreq.store (normalisedSafeBassFreq, std::memory_order_relaxed);
    coefficientsValid.store (true, std::memory_order_release);
}

bool OrvelinStereoStage::applyRequestedSafeBassCoefficients() noexcept
{
    if (! coefficientsValid.load (std::memory_order_acquire))
        return false;

    // Keep the last good set rather than asking for a filter at a meaningless rate.
    if (! (sampleRate > 0.0))
        return appliedSampleRate > 0.0;

    const auto normalisedFreq = requestedSafeBassFreq.load (std::memory_order_relaxed);

    if (normalisedFreq == appliedSafeBassFreq && sampleRate == appliedSampleRate)
        return true;

    // The cut-off range is 10 Hz to 500 Hz. A stored value outside 0..1 (a foreign state,
    // a host that overshoots) would otherwise ask for a cut-off at or below 0 Hz or past
    // Nyquist, which gives an unstable filter; it is held to the range instead.
    auto cutOff = juce::jlimit (0.0, 1.0, normalisedFreq) * 490.0 + 10.0;
    cutOff = std::min (cutOff, sampleRate * 0.45);

    safeBassCoefficients = juce::IIRCoefficients::makeHighPass (sampleRate, cutOff);
    safeBassFilter.setCoefficients (safeBassCoefficients);
    appliedSafeBassFreq = normalisedFreq;
    appliedSampleRate = sampleRate;
    return true;
}

//==============================================================================
namespace
{
    std::atomic<bool> wideLanesAllowed { true };

   #if ORVELIN_WIDE_LANES
    // Decided once, while the library loads, so the audio thread only reads a bool.
    const bool cpuHasWideLanes = []
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports ("avx2") != 0;
    }();
   #endif

    bool isOn (float value) noexcept { return value > 0.5f; }

    // The linear factor of a gain parameter: -12 dB to +12 dB. The exponent is formed in
    // single precision, the power in double, the result narrowed to float.
    float dbGainFromNormalised (float normalisedValue) noexcept
    {
        const float exponent = (normalisedValue * 24.0f - 12.0f) / 20.0f;
        return (float) std::pow (10.0, (double) exponent);
    }

    // The switches and gains that hold for a whole block.
    struct BlockSettings
    {
        bool muteAll, muteMid, muteSide, phaseAlignSide, safeBassActive, swapLR, phaseFlip, mono;
        float inputGain, outputGain;

        bool swapsChannels() const noexcept           { return swapLR && ! mono; }
        bool rebuildsMidSide() const noexcept         { return safeBassActive || muteSide || muteMid; }
        bool filtersSide() const noexcept             { return safeBassActive && ! muteSide; }
        bool invertsLeftAfterRebuild() const noexcept { return phaseAlignSide && muteMid; }
    };

    struct Peaks
    {
        float left = 0.0f, right = 0.0f;

        // A NaN never becomes a peak: the comparison with it is false.
        void take (float l, float r) noexcept
        {
            if (std::abs (l) > left)  left = std::abs (l);
            if (std::abs (r) > right) right = std::abs (r);
        }
    };

    void storePeaks (DvxStereoVuVisuals& record, const Peaks& peaks) noexcept
    {
        if (peaks.left > record.getLeft())   record.setLeft (peaks.left);
        if (peaks.right > record.getRight()) record.setRight (peaks.right);
    }

    //==============================================================================
    // The width, pan-curve, pan-law and mid-level factors for one width and pan value.
    // The precision of each step is deliberate: the dual-pan and "-3dB" factors are formed
    // in double and narrowed, the sine is taken in double, everything else is float.
    void updateStereoStageFactors (StereoStageFactors& f, float widthValue, float panValue) noexcept
    {
        if (f.valid && widthValue == f.widthValue && panValue == f.panValue)
            return;

        auto w = 2.0f * widthValue;
        const auto p = 2.0f * panValue - 1.0f;
        const auto a = std::abs (p);

        if (f.panMode == 0.0f)                       // dual pan narrows towards the sides
            w = (float) (w * (1.0 - a));

        auto midGain = 1.0f;

        if (f.msMode == 0.1f)                        // bind levels
            midGain = w > 1.0f ? 1.0f / w : (w < 1.0f ? 1.5f - 0.5f * w : 1.0f);

        float farSide;

        if (f.panCurve == 0.0f)
            farSide = 1.0f - a;
        else if (f.panCurve == 0.1f)
            farSide = std::sqrt (std::max (0.0f, 1.0f - a)); // a pan value beyond 0..1 must not give NaN
        else
            farSide = (float) std::sin ((double) ((1.0f - a) * 3.1415927f * 0.25f));

        auto nearSide = 1.0f;

        if (f.panLaw == 0.1f)
            nearSide = (float) (1.0 + 0.5 * a);
        else if (f.panLaw == 0.2f)
            nearSide = 1.0f + a;

        // Each side gets at most one of the two factors; at the exact centre neither.
        f.w = w;
        f.midGain = midGain;
        f.leftGain  = p > 0.0f ? farSide : (p < 0.0f ? nearSide : 1.0f);
        f.rightGain = p < 0.0f ? farSide : (p > 0.0f ? nearSide : 1.0f);
        f.widthValue = widthValue;
        f.panValue = panValue;
        f.valid = true;
    }

    //==============================================================================
    // What the samples of one block share.
    struct BlockContext
    {
        const BlockSettings& settings;
        StereoStageFactors& factors;
        const DvxParameter& width;
        const DvxParameter& pan;
        SafeBassFilter::Run& filter;
        bool wideLanes;
        Peaks inputPeaks, outputPeaks;
    };

    // One non-silent sample pair, not bypassed, with the factors already set for it. This
    // is the plain statement of the path; the lane version below must match it exactly.
    void processSample (BlockContext& c, float& leftSample, float& rightSample) noexcept
    {
        const auto& s = c.settings;
        const auto& f = c.factors;

        auto l = leftSample * s.inputGain;
        auto r = rightSample * s.inputGain;

        if (! s.muteAll)
        {
            if (s.swapsChannels())
                std::swap (l, r);

            if (s.phaseFlip)
            {
                l = -l;
                r = -r;
            }

            if (s.mono)
                l = r = (l + r) * 0.5f;
        }

        c.inputPeaks.take (l, r);

        if (s.muteAll)
            l = r = 0.0f;

        const auto mid0  = (l + r) * 0.5f * f.midGain;
        const auto side0 = (r - l) * 0.5f * f.w;
        auto newR = (mid0 + side0) * f.rightGain;
        auto newL = (mid0 - side0) * f.leftGain;

        if (s.rebuildsMidSide())
        {
            auto side = s.muteSide ? 0.0f : (newR - newL) * 0.5f;
            const auto mid = s.muteMid ? 0.0f : (newL + newR) * 0.5f;

            if (s.filtersSide())
                side = c.filter.process (side);

            newR = mid + side;
            newL = mid - side;

            if (s.invertsLeftAfterRebuild())
                newL = -newL;
        }

        newL *= s.outputGain;
        newR *= s.outputGain;
        c.outputPeaks.take (newL, newR);

        leftSample = newL;
        rightSample = newR;
    }

    std::uint32_t bitsOf (float value) noexcept
    {
        std::uint32_t bits;
        std::memcpy (&bits, &value, sizeof (bits));
        return bits;
    }

    //==============================================================================
    // Several samples at a time (numSamples a multiple of the lane count; mute-all off),
    // with the factors of the given width and pan values. Every sample still reads width
    // and pan, a group of lanes just before it is processed; when any read differs from
    // the given values, the run stops at that group, unprocessed, and the number of
    // samples done is returned.
    //
    // Each lane performs the same float operations in the same order as processSample, so
    // the results are identical to it. Swap and phase flip are folded into which channel
    // is read and into the sign of the input gain, both exact. Silent pairs are computed
    // along but never written, never raise a peak (their values are zero) and never reach
    // the filter.
    //
    // The SAFE BASS filter is a chain of dependent operations from one sample to the next;
    // keeping its steps in the same loop as the lane work lets the processor do the
    // neighbouring samples' lane work while it waits on that chain.
    //
    // Only built-in operators on the vector types are used here, and the function is
    // always inlined into its caller, so the same code compiles for whichever instruction
    // set the caller is built for.
    template <bool filterSide, typename Lane, typename Mask>
    inline __attribute__ ((always_inline)) int processSteadyLanes (BlockContext& c, float* left, float* right, int numSamples,
                                                                   std::uint32_t widthBits, std::uint32_t panBits) noexcept
    {
        constexpr int laneCount = (int) (sizeof (Lane) / sizeof (float));
        const auto& s = c.settings;
        const auto& f = c.factors;

        const float* sourceL = s.swapsChannels() ? right : left;
        const float* sourceR = s.swapsChannels() ? left : right;
        const Lane inGain = Lane {} + (s.phaseFlip ? -s.inputGain : s.inputGain);
        const Lane outGain = Lane {} + s.outputGain;
        const Lane midGain = Lane {} + f.midGain, w = Lane {} + f.w;
        const Lane leftGain = Lane {} + f.leftGain, rightGain = Lane {} + f.rightGain;
        const Lane zero {};
        const Mask magnitudeBits = Mask {} + 0x7fffffff;
        const Mask signBit = Mask {} + (std::int32_t) 0x80000000;
        const bool mono = s.mono, rebuild = s.rebuildsMidSide(), muteSide = s.muteSide,
                   muteMid = s.muteMid, invertLeft = s.invertsLeftAfterRebuild();

        Lane inPeakL {}, inPeakR {}, outPeakL {}, outPeakR {};
        auto filter = c.filter;
        int i = 0;

        // One read of each per sample of the group; compare-and-branch is the cheapest way
        // to look at them, and the branches are all but never taken.
        const auto groupMoved = [&c, widthBits, panBits]
        {
            #pragma GCC unroll 8
            for (int k = 0; k < laneCount; ++k)
                if (bitsOf (c.width.getValue()) != widthBits || bitsOf (c.pan.getValue()) != panBits)
                    return true;

            return false;
        };

        for (; i < numSamples; i += laneCount)
        {
            if (groupMoved())
                break;

            Lane inL, inR, l, r;
            std::memcpy (&inL, left + i, sizeof (Lane));
            std::memcpy (&inR, right + i, sizeof (Lane));
            std::memcpy (&l, sourceL + i, sizeof (Lane));
            std::memcpy (&r, sourceR + i, sizeof (Lane));
            const Mask isSilent = (inL == zero) & (inR == zero);

            l *= inGain;
            r *= inGain;

            if (mono)
                l = r = (l + r) * 0.5f;

            // Peaks: a NaN compares false and leaves the peak as it was.
            const Lane absL = (Lane) ((Mask) l & magnitudeBits), absR = (Lane) ((Mask) r & magnitudeBits);
            inPeakL = absL > inPeakL ? absL : inPeakL;
            inPeakR = absR > inPeakR ? absR : inPeakR;

            const Lane mid0 = (l + r) * 0.5f * midGain;
            const Lane side0 = (r - l) * 0.5f * w;
            Lane newR = (mid0 + side0) * rightGain;
            Lane newL = (mid0 - side0) * leftGain;

            if (rebuild)
            {
                Lane side = muteSide ? zero : (newR - newL) * 0.5f;
                const Lane mid = muteMid ? zero : (newL + newR) * 0.5f;

                if constexpr (filterSide)
                {
                    bool anySilent = false;

                    for (int k = 0; k < laneCount; ++k)
                        anySilent |= isSilent[k] != 0;

                    // Straight-line code for the usual case keeps the filter's steps close
                    // together; silent lanes are left out of the chain one by one.
                    if (! anySilent)
                    {
                        for (int k = 0; k < laneCount; ++k)
                            side[k] = filter.process (side[k]);
                    }
                    else
                    {
                        for (int k = 0; k < laneCount; ++k)
                            if (isSilent[k] == 0)
                                side[k] = filter.process (side[k]);
                    }
                }

                newR = mid + side;
                newL = mid - side;

                if (invertLeft)
                    newL = (Lane) ((Mask) newL ^ signBit);
            }

            newL *= outGain;
            newR *= outGain;

            const Lane absOutL = (Lane) ((Mask) newL & magnitudeBits), absOutR = (Lane) ((Mask) newR & magnitudeBits);
            outPeakL = absOutL > outPeakL ? absOutL : outPeakL;
            outPeakR = absOutR > outPeakR ? absOutR : outPeakR;

            const Lane outL = isSilent ? inL : newL;
            const Lane outR = isSilent ? inR : newR;
            std::memcpy (left + i, &outL, sizeof (Lane));
            std::memcpy (right + i, &outR, sizeof (Lane));
        }

        for (int k = 0; k < laneCount; ++k)
        {
            c.inputPeaks.take (inPeakL[k], inPeakR[k]);
            c.outputPeaks.take (outPeakL[k], outPeakR[k]);
        }

        c.filter = filter;
        return i;
    }

    using NarrowLane = float __attribute__ ((vector_size (16)));
    using NarrowMask = std::int32_t __attribute__ ((vector_size (16)));

    template <bool filterSide>
    int processSteadyNarrow (BlockContext& c, float* left, float* right, int numSamples,
                             std::uint32_t widthBits, std::uint32_t panBits) noexcept
    {
        return processSteadyLanes<filterSide, NarrowLane, NarrowMask> (c, left, right, numSamples, widthBits, panBits);
    }

   #if ORVELIN_WIDE_LANES
    using WideLane = float __attribute__ ((vector_size (32)));
    using WideMask = std::int32_t __attribute__ ((vector_size (32)));

    // Eight lanes where the processor has them; chosen at run time, so the plug-in still
    // runs on any x86-64 machine.
    template <bool filterSide>
    __attribute__ ((target ("avx2")))
    int processSteadyWide (BlockContext& c, float* left, float* right, int numSamples,
                           std::uint32_t widthBits, std::uint32_t panBits) noexcept
    {
        return processSteadyLanes<filterSide, WideLane, WideMask> (c, left, right, numSamples, widthBits, panBits);
    }
   #endif

    // numSamples: a multiple of 8. Returns the number of samples done.
    int processSteady (BlockContext& c, float* left, float* right, int numSamples, float widthValue, float panValue) noexcept
    {
        const bool filterSide = c.settings.filtersSide();
        const auto widthBits = bitsOf (widthValue), panBits = bitsOf (panValue);

       #if ORVELIN_WIDE_LANES
        if (c.wideLanes)
            return filterSide ? processSteadyWide<true> (c, left, right, numSamples, widthBits, panBits)
                              : processSteadyWide<false> (c, left, right, numSamples, widthBits, panBits);
       #endif

        return filterSide ? processSteadyNarrow<true> (c, left, right, numSamples, widthBits, panBits)
                          : processSteadyNarrow<false> (c, left, right, numSamples, widthBits, panBits);
    }

    //==============================================================================
    void takeBypassedPeaks (const float* left, const float* right, int numSamples,
                            Peaks& inputPeaks, Peaks& outputPeaks) noexcept
    {
        for (int i = 0; i < numSamples; ++i)
        {
            if (left[i] == 0.0f && right[i] == 0.0f)
                continue;

            inputPeaks.take (left[i], right[i]);
            outputPeaks.take (left[i], right[i]);
        }
    }

    void processMuted (BlockContext& c, float* left, float* right, int numSamples) noexcept
    {
        for (int i = 0; i < numSamples; ++i)
            if (left[i] != 0.0f || right[i] != 0.0f)
                processSample (c, left[i], right[i]);
    }

    // Width and pan are read for every sample. Runs in which they hold still (the usual
    // case, even under automation, which moves them once per block) go through the lane
    // version with the factors of their values. The group of samples in which a write
    // lands, and any odd tail, go sample by sample, so that a change takes effect from the
    // sample that reads it.
    void processUnmuted (BlockContext& c, float* left, float* right, int numSamples) noexcept
    {
        constexpr int group = 8;
        int i = 0;

        while (i < numSamples)
        {
            const int laneSamples = (numSamples - i) - (numSamples - i) % group;

            if (laneSamples > 0)
            {
                const float widthValue = c.width.getValue(), panValue = c.pan.getValue();
                updateStereoStageFactors (c.factors, widthValue, panValue);
                i += processSteady (c, left + i, right + i, laneSamples, widthValue, panValue);
            }

            // Either the group in which a value moved, or the last few samples.
            const int end = std::min (numSamples, i + group);

            for (; i < end; ++i)
            {
                const float widthValue = c.width.getValue(), panValue = c.pan.getValue();

                if (left[i] == 0.0f && right[i] == 0.0f)
                    continue;

                updateStereoStageFactors (c.factors, widthValue, panValue);
                processSample (c, left[i], right[i]);
            }
        }
    }
}

void OrvelinStereoStage::setWideLanesAllowed (bool allowed) noexcept
{
    wideLanesAllowed.store (allowed, std::memory_order_relaxed);
}

//==============================================================================
void OrvelinStereoStage::process (juce::AudioBuffer<float>& buffer) noexcept
{
    using namespace OrvelinParameters;

    // Until anyone has asked for coefficients, ask for those of the current frequency.
    if (sampleRate != 0.0 && ! coefficientsValid.load (std::memory_order_acquire))
        requestSafeBassCoefficients ((double) valueOf (safeBassFreq));

    // True once the filter holds a complete set for a known rate.
    const bool filterReady = applyRequestedSafeBassCoefficients();

    // Exponent in single precision, power in double; the power is only taken again when
    // the value has moved.
    const auto inputGainValue = valueOf (inputGain);
    const auto outputGainValue = valueOf (outputGain);

    if (inputGainValue != lastInputGainValue)
    {
        lastInputGainValue = inputGainValue;
        cachedInputGain = dbGainFromNormalised (inputGainValue);
    }

    if (outputGainValue != lastOutputGainValue)
    {
        lastOutputGainValue = outputGainValue;
        cachedOutputGain = dbGainFromNormalised (outputGainValue);
    }

    const bool bypassed       = isOn (valueOf (bypass));
    const bool muteAllOn      = isOn (valueOf (muteAll));
    const bool muteMidOn      = isOn (valueOf (muteMid));
    const bool muteSideOn     = isOn (valueOf (muteSide));
    const bool phaseAlignOn   = isOn (valueOf (phaseAlignSide));
    const bool safeBassOn     = isOn (valueOf (safeBass));
    const auto safeBassValue  = valueOf (safeBassFreq);
    const bool swapOn         = isOn (valueOf (swapLR));
    const bool phaseFlipOn    = isOn (valueOf (phaseFlip));
    const bool monoOn         = isOn (valueOf (mono));
    const auto panCurveValue  = valueOf (panCurve);
    const auto panLawValue    = valueOf (panLaw);
    const auto panModeValue   = valueOf (panMode);
    const auto msModeValue    = valueOf (msMode);
    const auto widthValue     = valueOf (stereoWidth);
    const auto panValue       = valueOf (pan);

    const BlockSettings settings { muteAllOn, muteMidOn, muteSideOn, phaseAlignOn,
                                   filterReady && safeBassOn && safeBassValue > 0.0f,
                                   swapOn, phaseFlipOn, monoOn,
                                   cachedInputGain, cachedOutputGain };

    if (! (panModeValue == factors.panMode && msModeValue == factors.msMode
            && panCurveValue == factors.panCurve && panLawValue == factors.panLaw))
    {
        factors.panMode = panModeValue;
        factors.msMode = msModeValue;
        factors.panCurve = panCurveValue;
        factors.panLaw = panLawValue;
        factors.valid = false;
    }

    // The block's first reading; the samples read width and pan again as they go.
    updateStereoStageFactors (factors, widthValue, panValue);

    const int numSamples = buffer.getNumSamples();

    // The only offered layout is stereo; anything narrower is left alone rather than read
    // past its end.
    if (buffer.getNumChannels() < 2 || numSamples <= 0)
        return;

    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getWritePointer (1);
    Peaks blockInputPeaks, blockOutputPeaks;

    if (bypassed)
    {
        takeBypassedPeaks (left, right, numSamples, blockInputPeaks, blockOutputPeaks);
    }
    else
    {
       #if ORVELIN_WIDE_LANES
        const bool wideLanes = cpuHasWideLanes && wideLanesAllowed.load (std::memory_order_relaxed);
       #else
        const bool wideLanes = false;
       #endif

        auto filterRun = safeBassFilter.beginRun();
        BlockContext context { settings, factors, parameter (stereoWidth), parameter (pan),
                               filterRun, wideLanes, {}, {} };

        if (muteAllOn)
            processMuted (context, left, right, numSamples);
        else
            processUnmuted (context, left, right, numSamples);

        if (settings.filtersSide())
            safeBassFilter.endRun (filterRun);

        blockInputPeaks = context.inputPeaks;
        blockOutputPeaks = context.outputPeaks;
    }

    storePeaks (inputPeaks, blockInputPeaks);
    storePeaks (outputPeaks, blockOutputPeaks);
}

DvxStereoVuVisuals OrvelinStereoStage::takeInputPeaks() noexcept
{
    DvxStereoVuVisuals copy (inputPeaks);
    inputPeaks.reset();
    return copy;
}

DvxStereoVuVisuals OrvelinStereoStage::takeOutputPeaks() noexcept
{
    DvxStereoVuVisuals copy (outputPeaks);
    outputPeaks.reset();
    return copy;
}

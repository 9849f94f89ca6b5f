// The signal path per stereo frame, next to the cheapest thing a plug-in can do to the
// same buffer (one gain on both channels), so that the figures mean something on any
// machine. The stereo stage runs on its own parameters, as the processor's processBlock
// runs it, without a processor.

#include "SignalPathBench.h"

#include "processor/OrvelinParameterTable.h"
#include "processor/OrvelinStereoStage.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <functional>

namespace
{
    constexpr double sampleRate = 48000.0;

    // The buffer is processed in place over and over, so it is refilled from the source
    // every few blocks: often enough that gains above or below one never carry the signal
    // far from its level (a side signal shrunk to 1e-8 would make the filter's
    // snap-to-zero branch, and so the timing, depend on the drift), rarely enough that
    // the copy costs next to nothing even beside the plain gain loop.
    constexpr int refillEvery = 4;

    struct StereoBlock
    {
        explicit StereoBlock (int numSamples) : source (2, numSamples), buffer (2, numSamples)
        {
            juce::Random random (2024);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < numSamples; ++i)
                    source.setSample (channel, i, random.nextFloat() * 1.6f - 0.8f);

            refill();
        }

        void refill()
        {
            for (int channel = 0; channel < 2; ++channel)
                std::memcpy (buffer.getWritePointer (channel), source.getReadPointer (channel),
                             sizeof (float) * (size_t) source.getNumSamples());
        }

        juce::AudioBuffer<float> source, buffer;
    };

    // Everything engaged: 150 % width, pan 0.3 with the sin/cos curve, the "-3dB" law,
    // bind levels and SAFE BASS.
    void engageEverything (DvxParameterManager& parameters)
    {
        using namespace OrvelinParameters;
        parameters.setParameterValue (stereoWidth, 0.75f);
        parameters.setParameterValue (pan, 0.3f);
        parameters.setParameterValue (panCurve, 0.2f);
        parameters.setParameterValue (panLaw, 0.1f);
        parameters.setParameterValue (msMode, 0.1f);
        parameters.setParameterValue (safeBass, 1.0f);
    }

    void measureProcessBlock (benchmark::State& state, const std::function<void (DvxParameterManager&)>& setUp,
                              bool automatePan)
    {
        const int blockSize = (int) state.range (0);
        DvxParameterManager parameters (nullptr);
        OrvelinParameters::registerAll (parameters);
        setUp (parameters);

        OrvelinStereoStage stage (parameters);
        stage.prepare (sampleRate);

        StereoBlock block (blockSize);
        stage.process (block.buffer);   // the first block computes the coefficients

        // A host ramp: a new pan value for every block.
        std::array<float, 256> panRamp;
        for (size_t k = 0; k < panRamp.size(); ++k)
            panRamp[k] = 0.25f + 0.1f * (float) k / (float) panRamp.size();

        size_t iteration = 0;

        for (auto _ : state)
        {
            if (++iteration % refillEvery == 0)
                block.refill();

            if (automatePan)
                parameters.setParameterValue (OrvelinParameters::pan, panRamp[iteration % panRamp.size()]);

            stage.process (block.buffer);
            benchmark::DoNotOptimize (block.buffer.getReadPointer (0));
            benchmark::ClobberMemory();
        }

        state.SetItemsProcessed ((int64_t) state.iterations() * blockSize);
    }

    void baselineGain (benchmark::State& state)
    {
        const int blockSize = (int) state.range (0);
        StereoBlock block (blockSize);
        const float gain = 0.999f;
        size_t iteration = 0;

        for (auto _ : state)
        {
            if (++iteration % refillEvery == 0)
                block.refill();

            auto* left = block.buffer.getWritePointer (0);
            auto* right = block.buffer.getWritePointer (1);

            for (int i = 0; i < blockSize; ++i)
            {
                left[i] *= gain;
                right[i] *= gain;
            }

            benchmark::DoNotOptimize (left);
            benchmark::ClobberMemory();
        }

        state.SetItemsProcessed ((int64_t) state.iterations() * blockSize);
    }

    void defaults (benchmark::State& state)          { measureProcessBlock (state, [] (auto&) {}, false); }
    void everythingEngaged (benchmark::State& state) { measureProcessBlock (state, engageEverything, false); }
    void everythingEngagedPanAutomated (benchmark::State& state) { measureProcessBlock (state, engageEverything, true); }
}

BENCHMARK (baselineGain)->Arg (64)->Arg (512);
BENCHMARK (defaults)->Arg (64)->Arg (512);
BENCHMARK (everythingEngaged)->Arg (64)->Arg (512);
BENCHMARK (everythingEngagedPanAutomated)->Arg (64)->Arg (512);

namespace benchcases
{
    const std::vector<std::pair<std::string, std::string>>& caseNames()
    {
        static const std::vector<std::pair<std::string, std::string>> names {
            { "baselineGain", "baseline: one gain on both channels" },
            { "defaults", "(a) defaults" },
            { "everythingEngaged", "(b) everything engaged" },
            { "everythingEngagedPanAutomated", "(c) (b) with Pan automated every block" },
        };
        return names;
    }

    const std::vector<int>& blockSizes()
    {
        static const std::vector<int> sizes { 64, 512 };
        return sizes;
    }

    std::string baselineName() { return "baselineGain"; }
}

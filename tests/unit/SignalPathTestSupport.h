#pragma once

#include "processor/OrvelinParameterTable.h"
#include "processor/OrvelinStereoStage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

// Shared by the signal-path test files: the stereo stage on the plug-in's parameters at a
// known rate (as the processor builds it, without the processor), parameter writes by
// name the way a host automates them, and stereo test signals.
namespace signaltest
{
    struct SignalPath
    {
        static std::unique_ptr<DvxParameterManager> registeredParameters()
        {
            auto manager = std::make_unique<DvxParameterManager> (nullptr);
            OrvelinParameters::registerAll (*manager);
            return manager;
        }

        std::unique_ptr<DvxParameterManager> parameters = registeredParameters();
        OrvelinStereoStage stage { *parameters };
    };

    inline std::unique_ptr<SignalPath> makeSignalPath (double sampleRate = 44100.0)
    {
        auto s = std::make_unique<SignalPath>();
        s->stage.prepare (sampleRate);
        return s;
    }

    inline int indexOf (SignalPath& s, const char* name)
    {
        const int index = s.parameters->getParameterIndex (name);
        EXPECT_GE (index, 0) << name;
        return index;
    }

    // Host automation as the processor passes it on: the value into the manager and, for
    // "SafeBassFreq", a request for new coefficients.
    inline void set (SignalPath& s, const char* name, float value)
    {
        const int index = indexOf (s, name);
        s.parameters->setParameterValue (index, value);

        if (index == OrvelinParameters::safeBassFreq)
            s.stage.requestSafeBassCoefficients ((double) value);
    }

    inline void process (SignalPath& s, juce::AudioBuffer<float>& buffer)
    {
        s.stage.process (buffer);
    }

    inline juce::AudioBuffer<float> randomStereo (juce::Random& random, int numSamples)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < numSamples; ++i)
                buffer.setSample (channel, i, random.nextFloat() * 2.0f - 1.0f);

        return buffer;
    }

    // Left = mid + side, right = mid - side, each a sine of its own frequency (0 = none).
    inline juce::AudioBuffer<float> midSideSines (double sampleRate, int numSamples, int64_t startSample,
                                                  double midHz, double sideHz, float amplitude = 0.5f)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);
        const auto twoPi = 2.0 * juce::MathConstants<double>::pi;

        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = (double) (startSample + i) / sampleRate;
            const auto mid  = midHz  > 0.0 ? amplitude * std::sin (twoPi * midHz * t) : 0.0;
            const auto side = sideHz > 0.0 ? amplitude * std::sin (twoPi * sideHz * t) : 0.0;
            buffer.setSample (0, i, (float) (mid + side));
            buffer.setSample (1, i, (float) (mid - side));
        }

        return buffer;
    }

    inline bool sameBits (float a, float b)
    {
        return std::memcmp (&a, &b, sizeof (float)) == 0;
    }

    // Both stereo buffers hold the same bits in every sample (so even the sign of a zero).
    inline ::testing::AssertionResult sameBitsEverywhere (const juce::AudioBuffer<float>& actual,
                                                          const juce::AudioBuffer<float>& expected)
    {
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < expected.getNumSamples(); ++i)
                if (! sameBits (actual.getSample (channel, i), expected.getSample (channel, i)))
                    return ::testing::AssertionFailure() << "channel " << channel << " sample " << i;

        return ::testing::AssertionSuccess();
    }

    // Agreement to float rounding: a few ulps of the larger magnitude, with a floor for
    // results that cancel to near zero.
    inline bool closeToRounding (float actual, float expected)
    {
        if (std::isnan (actual) || std::isnan (expected))
            return std::isnan (actual) && std::isnan (expected);

        const auto scale = std::max ({ 1.0f, std::abs (actual), std::abs (expected) });
        return std::abs (actual - expected) <= 4.0e-7f * scale;
    }
}

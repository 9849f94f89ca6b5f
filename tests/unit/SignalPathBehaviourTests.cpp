// The signal path's rules checked on values worked out by hand, and the properties a host
// relies on: transparency at the defaults, an exact bypass, untouched silence, meters
// that read and reset, extra channels cleared, and no crash on odd input.

#include "SignalPathTestSupport.h"

#include <functional>
#include <string>

using namespace signaltest;

namespace
{
    juce::AudioBuffer<float> constantStereo (float left, float right, int numSamples = 8)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);
        juce::FloatVectorOperations::fill (buffer.getWritePointer (0), left, numSamples);
        juce::FloatVectorOperations::fill (buffer.getWritePointer (1), right, numSamples);
        return buffer;
    }

    struct HandCase
    {
        std::string name;
        std::vector<std::pair<const char*, float>> settings;
        float left, right;              // input, constant over the block
        float expectedLeft, expectedRight;
    };

    // Inputs L = 0.6, R = 0.2 unless stated: mid M = 0.4, side S = (R - L) / 2 = -0.2,
    // so at the defaults L' = M - S and R' = M + S give the input back.
    const std::vector<HandCase>& handCases()
    {
        static const std::vector<HandCase> cases {
            { "width 0 folds to the mid",           { { "StereoWidth", 0.0f } },                0.6f, 0.2f, 0.4f, 0.4f },
            { "width 200 % doubles the side",       { { "StereoWidth", 1.0f } },                0.6f, 0.2f, 0.8f, 0.0f },
            { "width 150 %",                        { { "StereoWidth", 0.75f } },               0.6f, 0.2f, 0.7f, 0.1f },
            { "pan hard left, linear: right silent", { { "Pan", 0.0f }, { "PanCurve", 0.0f } }, 0.6f, 0.2f, 0.6f, 0.0f },
            { "pan hard left, -6dB law doubles left", { { "Pan", 0.0f }, { "PanCurve", 0.0f }, { "PanLaw", 0.2f } }, 0.6f, 0.2f, 1.2f, 0.0f },
            { "pan hard left, -3dB law",            { { "Pan", 0.0f }, { "PanLaw", 0.1f } },    0.6f, 0.2f, 0.9f, 0.0f },
            { "pan hard right, logarithmic",        { { "Pan", 1.0f } },                        0.6f, 0.2f, 0.0f, 0.2f },
            { "pan quarter left, linear",           { { "Pan", 0.25f }, { "PanCurve", 0.0f } }, 0.6f, 0.2f, 0.6f, 0.1f },
            { "pan quarter left, logarithmic",      { { "Pan", 0.25f } },                       0.6f, 0.2f, 0.6f, 0.2f * 0.70710678f },
            { "pan quarter left, sin/cos",          { { "Pan", 0.25f }, { "PanCurve", 0.2f } }, 0.6f, 0.2f, 0.6f, 0.2f * 0.38268343f },
            { "between steps is processed as sin/cos", { { "Pan", 0.25f }, { "PanCurve", 0.15f } }, 0.6f, 0.2f, 0.6f, 0.2f * 0.38268343f },
            { "just off centre, sin/cos: far side at 0.707",
                                                    { { "Pan", std::nextafter (0.5f, 0.0f) }, { "PanCurve", 0.2f } }, 0.6f, 0.2f, 0.6f, 0.2f * 0.70710678f },
            { "dual pan hard right: width 0, then the pan", { { "Pan", 1.0f }, { "PanMode", 0.0f }, { "PanCurve", 0.0f } }, 0.6f, 0.2f, 0.0f, 0.4f },
            { "dual pan half right halves the width", { { "Pan", 0.75f }, { "PanMode", 0.0f }, { "PanCurve", 0.0f } }, 0.6f, 0.2f, 0.25f, 0.3f },
            { "bind levels at 200 % halves the mid", { { "StereoWidth", 1.0f }, { "MsMode", 0.1f } }, 0.6f, 0.2f, 0.6f, -0.2f },
            { "bind levels at 0 % lifts the mid by 1.5", { { "StereoWidth", 0.0f }, { "MsMode", 0.1f } }, 0.6f, 0.2f, 0.6f, 0.6f },
            { "bind levels at 100 % changes nothing", { { "MsMode", 0.1f } },                   0.6f, 0.2f, 0.6f, 0.2f },
            { "between mid-level steps is fix mid", { { "StereoWidth", 1.0f }, { "MsMode", 0.15f } }, 0.6f, 0.2f, 0.8f, 0.0f },
            { "mute mid leaves -side, +side",       { { "MuteMid", 1.0f } },                    0.6f, 0.2f, 0.2f, -0.2f },
            { "mute mid with phase align",          { { "MuteMid", 1.0f }, { "PhaseAlignSide", 1.0f } }, 0.6f, 0.2f, -0.2f, -0.2f },
            { "phase align alone does nothing",     { { "PhaseAlignSide", 1.0f } },             0.6f, 0.2f, 0.6f, 0.2f },
            { "mute side leaves the mid",           { { "MuteSide", 1.0f } },                   0.6f, 0.2f, 0.4f, 0.4f },
            { "mute mid and side",                  { { "MuteSide", 1.0f }, { "MuteMid", 1.0f } }, 0.6f, 0.2f, 0.0f, 0.0f },
            { "swap",                               { { "SwapLR", 1.0f } },                     0.6f, 0.2f, 0.2f, 0.6f },
            { "phase flip",                         { { "PhaseFlip", 1.0f } },                  0.6f, 0.2f, -0.6f, -0.2f },
            { "mono",                               { { "Mono", 1.0f } },                       0.6f, 0.2f, 0.4f, 0.4f },
            { "mute all",                           { { "MuteAll", 1.0f } },                    0.6f, 0.2f, 0.0f, 0.0f },
            { "input gain +12 dB",                  { { "InputGain", 1.0f } },                  0.6f, 0.2f, 0.6f * 3.9810717f, 0.2f * 3.9810717f },
            { "output gain -12 dB",                 { { "OutputGain", 0.0f } },                 0.6f, 0.2f, 0.6f * 0.25118864f, 0.2f * 0.25118864f },
            { "SAFE BASS at 0 Hz setting does nothing", { { "SafeBass", 1.0f }, { "SafeBassFreq", 0.0f } }, 0.6f, 0.2f, 0.6f, 0.2f },
            { "a switch at exactly 0.5 is off",     { { "PhaseFlip", 0.5f }, { "Mono", 0.5f } }, 0.6f, 0.2f, 0.6f, 0.2f },
        };
        return cases;
    }
}

TEST (SignalPath, RulesOnHandWorkedValues)
{
    for (const auto& c : handCases())
    {
        SCOPED_TRACE (c.name);
        auto path = makeSignalPath();

        for (const auto& [name, value] : c.settings)
            set (*path, name, value);

        auto buffer = constantStereo (c.left, c.right);
        process (*path, buffer);

        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            EXPECT_NEAR (buffer.getSample (0, i), c.expectedLeft, 2.0e-6f) << "sample " << i;
            EXPECT_NEAR (buffer.getSample (1, i), c.expectedRight, 2.0e-6f) << "sample " << i;
        }
    }
}

TEST (SignalPath, DefaultsAreTransparent)
{
    auto path = makeSignalPath();
    juce::Random random (7);

    for (const int numSamples : { 512, 441, 3, 1 })
    {
        auto buffer = randomStereo (random, numSamples);
        const auto input = buffer;
        process (*path, buffer);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < numSamples; ++i)
                ASSERT_TRUE (closeToRounding (buffer.getSample (channel, i), input.getSample (channel, i)))
                    << "channel " << channel << " sample " << i << ": " << buffer.getSample (channel, i)
                    << " instead of " << input.getSample (channel, i);

        const auto in = path->stage.takeInputPeaks();
        EXPECT_FLOAT_EQ (in.getLeft(), input.getMagnitude (0, 0, numSamples));
        EXPECT_FLOAT_EQ (in.getRight(), input.getMagnitude (1, 0, numSamples));
    }
}

TEST (SignalPath, BypassPassesEverySampleBitExactAndStillMeters)
{
    auto path = makeSignalPath();

    // Every other stage set to something audible, so that any leak shows.
    set (*path, "Bypass", 1.0f);
    set (*path, "InputGain", 1.0f);
    set (*path, "OutputGain", 0.1f);
    set (*path, "StereoWidth", 0.9f);
    set (*path, "Pan", 0.2f);
    set (*path, "MuteAll", 1.0f);
    set (*path, "PhaseFlip", 1.0f);
    set (*path, "SafeBass", 1.0f);

    juce::Random random (11);
    auto buffer = randomStereo (random, 300);
    buffer.setSample (0, 5, -0.0f);
    buffer.setSample (1, 5, 0.0f);
    buffer.setSample (0, 6, std::numeric_limits<float>::quiet_NaN());
    const auto input = buffer;

    process (*path, buffer);

    ASSERT_TRUE (sameBitsEverywhere (buffer, input));

    const auto in = path->stage.takeInputPeaks();
    const auto out = path->stage.takeOutputPeaks();
    EXPECT_EQ (in.getLeft(), out.getLeft());
    EXPECT_EQ (in.getRight(), out.getRight());
    EXPECT_EQ (in.getRight(), input.getMagnitude (1, 0, 300));
    EXPECT_FALSE (std::isnan (in.getLeft()));
    EXPECT_GT (in.getLeft(), 0.9f);
}

// Digital silence must cost nothing and change nothing: not the samples (not even the
// sign of a zero), not the meters, not the SAFE BASS filter's memory.
TEST (SignalPath, SilenceLeavesBufferPeaksAndFilterUntouched)
{
    auto withSilence = makeSignalPath();
    auto withoutSilence = makeSignalPath();

    for (auto* p : { withSilence.get(), withoutSilence.get() })
    {
        set (*p, "SafeBass", 1.0f);
        set (*p, "StereoWidth", 0.8f);
        set (*p, "Pan", 0.4f);
    }

    // A low side tone leaves the filter with plenty of state.
    auto first = midSideSines (44100.0, 333, 0, 50.0, 80.0);
    auto firstCopy = first;
    process (*withSilence, first);
    process (*withoutSilence, firstCopy);
    withSilence->stage.takeInputPeaks();
    withSilence->stage.takeOutputPeaks();

    juce::AudioBuffer<float> silence (2, 256);
    silence.clear();

    for (int i = 0; i < 256; i += 3)
        silence.setSample (i % 2, i, -0.0f);

    const auto silenceBefore = silence;
    process (*withSilence, silence);

    ASSERT_TRUE (sameBitsEverywhere (silence, silenceBefore));

    const auto in = withSilence->stage.takeInputPeaks();
    const auto out = withSilence->stage.takeOutputPeaks();
    EXPECT_EQ (in.getLeft(), 0.0f);
    EXPECT_EQ (in.getRight(), 0.0f);
    EXPECT_EQ (out.getLeft(), 0.0f);
    EXPECT_EQ (out.getRight(), 0.0f);

    // Had the filter moved during the silence, the two would now differ.
    auto next = midSideSines (44100.0, 512, 333, 50.0, 80.0);
    auto nextCopy = next;
    process (*withSilence, next);
    process (*withoutSilence, nextCopy);

    ASSERT_TRUE (sameBitsEverywhere (next, nextCopy));
}

// Silent pairs scattered through a block are skipped one by one: the other samples come
// out as if the silent ones had never been there.
TEST (SignalPath, SilentPairsInsideABlockAreSkipped)
{
    auto gapped = makeSignalPath();
    auto dense = makeSignalPath();

    for (auto* p : { gapped.get(), dense.get() })
    {
        set (*p, "SafeBass", 1.0f);
        set (*p, "SafeBassFreq", 0.6f);
        set (*p, "StereoWidth", 0.7f);
    }

    juce::Random random (5);
    const auto signal = randomStereo (random, 200);

    // Every third pair silent in the gapped version.
    juce::AudioBuffer<float> gappedBuffer (2, 300);
    for (int i = 0, source = 0; i < 300; ++i)
    {
        const bool silent = i % 3 == 1;
        for (int channel = 0; channel < 2; ++channel)
            gappedBuffer.setSample (channel, i, silent ? 0.0f : signal.getSample (channel, source));
        source += silent ? 0 : 1;
    }

    auto denseBuffer = signal;
    process (*gapped, gappedBuffer);
    process (*dense, denseBuffer);

    for (int i = 0, source = 0; i < 300; ++i)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            const auto expected = i % 3 == 1 ? 0.0f : denseBuffer.getSample (channel, source);
            ASSERT_TRUE (sameBits (gappedBuffer.getSample (channel, i), expected)) << "channel " << channel << " sample " << i;
        }

        source += i % 3 == 1 ? 0 : 1;
    }
}

TEST (SignalPath, PeaksFollowTheirStageAndResetOnRead)
{
    auto path = makeSignalPath();
    set (*path, "InputGain", 1.0f);    // x 3.981072
    set (*path, "OutputGain", 0.0f);   // x 0.25118864

    auto buffer = constantStereo (0.1f, -0.2f, 64);
    buffer.setSample (0, 10, -0.25f);
    process (*path, buffer);

    const auto in = path->stage.takeInputPeaks();
    EXPECT_FLOAT_EQ (in.getLeft(), 0.25f * 3.9810717f);
    EXPECT_FLOAT_EQ (in.getRight(), 0.2f * 3.9810717f);

    const auto out = path->stage.takeOutputPeaks();
    EXPECT_NEAR (out.getLeft(), 0.25f * 3.9810717f * 0.25118864f, 1.0e-6f);
    EXPECT_NEAR (out.getRight(), 0.2f * 3.9810717f * 0.25118864f, 1.0e-6f);

    // Each read takes the record away.
    const auto inAgain = path->stage.takeInputPeaks();
    const auto outAgain = path->stage.takeOutputPeaks();
    EXPECT_EQ (inAgain.getLeft(), 0.0f);
    EXPECT_EQ (inAgain.getRight(), 0.0f);
    EXPECT_EQ (outAgain.getLeft(), 0.0f);
    EXPECT_EQ (outAgain.getRight(), 0.0f);

    // Peaks gather across blocks until read.
    auto loud = constantStereo (0.5f, 0.0f, 16);
    auto quiet = constantStereo (0.1f, 0.05f, 16);
    process (*path, loud);
    process (*path, quiet);
    EXPECT_FLOAT_EQ (path->stage.takeInputPeaks().getLeft(), 0.5f * 3.9810717f);
}

TEST (SignalPath, MuteAllSilencesTheOutputButMetersTheInput)
{
    auto path = makeSignalPath();
    set (*path, "MuteAll", 1.0f);
    set (*path, "InputGain", 0.75f);   // +6 dB

    auto buffer = constantStereo (0.3f, -0.4f, 32);
    process (*path, buffer);

    EXPECT_EQ (buffer.getMagnitude (0, 32), 0.0f);
    const auto in = path->stage.takeInputPeaks();
    const auto gain = (float) std::pow (10.0, 6.0 / 20.0);
    EXPECT_NEAR (in.getLeft(), 0.3f * gain, 1.0e-6f);
    EXPECT_NEAR (in.getRight(), 0.4f * gain, 1.0e-6f);
    EXPECT_EQ (path->stage.takeOutputPeaks().getLeft(), 0.0f);
}

TEST (SignalPath, MuteAllLetsTheSafeBassTailRingOut)
{
    auto path = makeSignalPath();
    set (*path, "SafeBass", 1.0f);

    auto loud = midSideSines (44100.0, 512, 0, 0.0, 300.0);
    process (*path, loud);

    set (*path, "MuteAll", 1.0f);
    auto next = constantStereo (0.3f, 0.1f, 2048);
    process (*path, next);

    // The filter's input is zero now, so only its decaying response remains, as -side on
    // the left and +side on the right.
    EXPECT_GT (std::abs (next.getSample (1, 0)), 1.0e-4f);
    EXPECT_FLOAT_EQ (next.getSample (0, 0), -next.getSample (1, 0));
    EXPECT_LT (std::abs (next.getSample (1, 2047)), 1.0e-6f);
}

TEST (SignalPath, OddBuffersAreHandledSafely)
{
    auto path = makeSignalPath();
    set (*path, "StereoWidth", 1.0f);

    juce::AudioBuffer<float> mono (1, 32);
    juce::FloatVectorOperations::fill (mono.getWritePointer (0), 0.25f, 32);
    process (*path, mono);
    EXPECT_EQ (mono.getSample (0, 31), 0.25f);

    juce::AudioBuffer<float> empty (2, 0);
    process (*path, empty);

    juce::AudioBuffer<float> none (0, 0);
    process (*path, none);
}

// Values outside 0..1 can arrive from a foreign state or an overshooting host; they must
// give finite audio, not NaN, and must not trip the framework's filter checks.
TEST (SignalPath, OutOfRangeParameterValuesStayFinite)
{
    const std::vector<std::vector<std::pair<const char*, float>>> settings {
        { { "Pan", 1.5f } },                                   // logarithmic curve past hard right
        { { "Pan", -0.7f }, { "PanCurve", 0.2f } },
        { { "StereoWidth", 3.0f }, { "MsMode", 0.1f } },
        { { "StereoWidth", -1.0f }, { "MsMode", 0.1f } },
        { { "SafeBass", 1.0f }, { "SafeBassFreq", -0.5f } },   // below 0 Hz: SAFE BASS stays off
    };

    for (const auto& s : settings)
    {
        SCOPED_TRACE (s.front().first + std::string (" = ") + std::to_string (s.front().second));
        auto path = makeSignalPath();

        for (const auto& [name, value] : s)
            set (*path, name, value);

        juce::Random random (3);

        for (int block = 0; block < 20; ++block)
        {
            auto buffer = randomStereo (random, 256);
            process (*path, buffer);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < 256; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i))) << "block " << block << " sample " << i;
        }
    }
}

TEST (SignalPath, TheCachedGainsFollowTheParametersEveryBlock)
{
    auto path = makeSignalPath();
    auto* manager = path->parameters.get();

    // Written behind setParameter's back, as a state restore does: the block itself must
    // pick the new gain up.
    manager->setParameterValue (indexOf (*path, "InputGain"), 0.0f);
    auto buffer = constantStereo (0.5f, 0.5f);
    process (*path, buffer);
    EXPECT_NEAR (buffer.getSample (0, 0), 0.5f * 0.25118864f, 1.0e-7f);

    manager->setParameterValue (indexOf (*path, "InputGain"), 0.5f);
    manager->setParameterValue (indexOf (*path, "OutputGain"), 1.0f);
    buffer = constantStereo (0.5f, 0.5f);
    process (*path, buffer);
    EXPECT_NEAR (buffer.getSample (0, 0), 0.5f * 3.9810717f, 1.0e-6f);
}

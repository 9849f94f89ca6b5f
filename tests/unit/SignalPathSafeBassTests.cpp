// SAFE BASS measured from the outside: sine tones through the stage, the gain of the
// mid and of the side read off the output, compared with the response a second-order
// Butterworth high-pass must have at the selected cut-off.

#include "SignalPathTestSupport.h"

using namespace signaltest;

namespace
{
    double cutOffFor (float normalised) { return (double) normalised * 490.0 + 10.0; }

    // The magnitude of a bilinear-transformed Butterworth high-pass (Q = 1/sqrt 2) whose
    // cut-off is pre-warped to be exact.
    double expectedHighPassGain (double frequency, double cutOff, double sampleRate)
    {
        const auto omega = std::tan (juce::MathConstants<double>::pi * frequency / sampleRate)
                         / std::tan (juce::MathConstants<double>::pi * cutOff / sampleRate);
        return omega * omega / std::sqrt (1.0 + std::pow (omega, 4.0));
    }

    double toDecibels (double gain) { return 20.0 * std::log10 (gain); }

    struct Gains { double mid, side; };

    // Plays mid and side tones for the given time and compares the output's mid and side
    // levels with the input's over the second half, once the filter has settled.
    Gains measureGains (SignalPath& path, double sampleRate, double midHz, double sideHz,
                        double seconds, int64_t& position)
    {
        const auto total = (int64_t) (sampleRate * seconds);
        const auto measureFrom = position + total / 2;
        const auto end = position + total;
        double inMid = 0, inSide = 0, outMid = 0, outSide = 0;

        while (position < end)
        {
            const int n = (int) std::min<int64_t> (512, end - position);
            auto buffer = midSideSines (sampleRate, n, position, midHz, sideHz);
            const auto input = buffer;
            process (path, buffer);

            for (int i = 0; i < n; ++i)
            {
                if (position + i < measureFrom)
                    continue;

                const auto square = [] (double x) { return x * x; };
                inMid   += square (0.5 * (input.getSample (0, i) + input.getSample (1, i)));
                inSide  += square (0.5 * (input.getSample (0, i) - input.getSample (1, i)));
                outMid  += square (0.5 * (buffer.getSample (0, i) + buffer.getSample (1, i)));
                outSide += square (0.5 * (buffer.getSample (0, i) - buffer.getSample (1, i)));
            }

            position += n;
        }

        return { inMid > 0 ? std::sqrt (outMid / inMid) : 0.0, inSide > 0 ? std::sqrt (outSide / inSide) : 0.0 };
    }

    Gains measureGains (SignalPath& path, double sampleRate, double midHz, double sideHz, double seconds = 1.0)
    {
        int64_t position = 0;
        return measureGains (path, sampleRate, midHz, sideHz, seconds, position);
    }

    std::unique_ptr<SignalPath> makeSafeBassPath (double sampleRate)
    {
        auto path = makeSignalPath (sampleRate);
        set (*path, "SafeBass", 1.0f);
        return path;
    }
}

// At the cut-off the side is 3 dB down, a decade above it passes, a decade below it is
// 40 dB down; the mid passes untouched at every frequency.
TEST (SafeBass, HighPassesOnlyTheSideAtTheSelectedCutOff)
{
    const auto cutOff = cutOffFor (0.286f);

    for (const double rate : { 44100.0, 96000.0 })
    {
        for (const double factor : { 1.0, 10.0, 0.1 })
        {
            const auto frequency = cutOff * factor;
            SCOPED_TRACE (juce::String (rate) + " Hz, tone at " + juce::String (frequency) + " Hz");

            auto path = makeSafeBassPath (rate);
            const auto gains = measureGains (*path, rate, frequency, frequency, factor < 1.0 ? 3.0 : 1.0);

            EXPECT_NEAR (toDecibels (gains.mid), 0.0, 0.001);
            EXPECT_NEAR (toDecibels (gains.side), toDecibels (expectedHighPassGain (frequency, cutOff, rate)),
                         factor < 1.0 ? 0.2 : 0.02);
        }
    }

    // The expectations themselves, as a reminder of what is being asked for.
    EXPECT_NEAR (toDecibels (expectedHighPassGain (cutOff, cutOff, 44100.0)), -3.01, 0.01);
    EXPECT_NEAR (toDecibels (expectedHighPassGain (cutOff / 10, cutOff, 44100.0)), -40.0, 0.1);
}

TEST (SafeBass, IsOffUnlessSwitchedOnWithANonZeroFrequency)
{
    for (const auto& [on, freq] : { std::pair { 0.0f, 0.286f }, std::pair { 1.0f, 0.0f } })
    {
        auto path = makeSignalPath (44100.0);
        set (*path, "SafeBass", on);
        set (*path, "SafeBassFreq", freq);
        const auto gains = measureGains (*path, 44100.0, 20.0, 20.0, 0.5);
        EXPECT_NEAR (gains.side, 1.0, 1.0e-4) << "SafeBass " << on << ", frequency " << freq;
    }
}

TEST (SafeBass, FollowsAutomationOfTheFrequency)
{
    auto path = makeSafeBassPath (48000.0);
    int64_t position = 0;
    measureGains (*path, 48000.0, 0.0, 200.0, 0.2, position);

    set (*path, "SafeBassFreq", 1.0f);   // 500 Hz
    const auto gains = measureGains (*path, 48000.0, 0.0, 500.0, 1.0, position);
    EXPECT_NEAR (toDecibels (gains.side), -3.01, 0.02);
}

// The coefficients are for a sample rate; when the host changes it, the cut-off must stay
// where the user put it instead of moving with the rate.
TEST (SafeBass, FollowsAHostSampleRateChange)
{
    const auto cutOff = cutOffFor (0.286f);
    auto path = makeSafeBassPath (44100.0);
    int64_t position = 0;
    measureGains (*path, 44100.0, 0.0, cutOff, 0.2, position);

    path->stage.prepare (96000.0);
    position = 0;
    const auto gains = measureGains (*path, 96000.0, 0.0, cutOff, 1.0, position);
    EXPECT_NEAR (toDecibels (gains.side), -3.01, 0.02);
}

// One bad sample must cost one bad sample. Without care the filter's memory turns NaN:
// where the framework snaps tiny outputs to zero that silences the side for the next
// samples, and where it does not (non-Intel builds) for the rest of the session.
TEST (SafeBass, RecoversFromANonFiniteSample)
{
    for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        SCOPED_TRACE (bad);
        auto path = makeSafeBassPath (44100.0);
        int64_t position = 0;
        measureGains (*path, 44100.0, 0.0, 1500.0, 0.1, position);

        auto buffer = midSideSines (44100.0, 256, position, 0.0, 1500.0);
        buffer.setSample (0, 7, bad);
        process (*path, buffer);
        position += 256;

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 8; i < 256; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i))) << "channel " << channel << " sample " << i;

        // The input is pure side, so the samples right after the bad one are the side.
        for (int i = 8; i < 12; ++i)
            EXPECT_GT (std::abs (buffer.getSample (1, i)), 0.01f) << "sample " << i;

        const auto gains = measureGains (*path, 44100.0, 0.0, 1500.0, 0.2, position);
        EXPECT_NEAR (toDecibels (gains.side), toDecibels (expectedHighPassGain (1500.0, cutOffFor (0.286f), 44100.0)), 0.02);
    }
}

TEST (SafeBass, ANaNSampleNeverBecomesAPeak)
{
    auto path = makeSafeBassPath (44100.0);
    auto buffer = midSideSines (44100.0, 64, 0, 100.0, 700.0, 0.25f);
    buffer.setSample (0, 3, std::numeric_limits<float>::quiet_NaN());
    process (*path, buffer);

    const auto in = path->stage.takeInputPeaks();
    const auto out = path->stage.takeOutputPeaks();
    EXPECT_TRUE (std::isfinite (in.getLeft()));
    EXPECT_TRUE (std::isfinite (out.getLeft()));
    EXPECT_TRUE (std::isfinite (out.getRight()));
    EXPECT_GT (in.getLeft(), 0.0f);
}

// A stored value outside 0..1 (a foreign state, an overshooting host) is held to the
// cut-off range instead of asking the framework for a filter past Nyquist or below 0 Hz.
TEST (SafeBass, AFrequencyValueOutsideTheRangeIsHeldToIt)
{
    for (const auto& [value, cutOff] : { std::pair { 40.0f, 500.0 }, std::pair { 1.0e30f, 500.0 } })
    {
        SCOPED_TRACE (value);
        auto path = makeSafeBassPath (44100.0);
        set (*path, "SafeBassFreq", value);
        const auto gains = measureGains (*path, 44100.0, 0.0, cutOff, 1.0);
        EXPECT_NEAR (toDecibels (gains.side), -3.01, 0.02);
    }
}

// The stereo stage against a plain, sample-by-sample statement of the same
// rules written independently here, over random blocks and a grid of settings that
// reaches every switch, every choice value (and a value between the steps), and the
// widths and pans at and near the places where the rules change.

#include "SignalPathTestSupport.h"

#include <array>
#include <sstream>
#include <string>

using namespace signaltest;

namespace
{
    struct Settings
    {
        float bypass = 0.0f, width = 0.5f, pan = 0.5f, inputGain = 0.5f, outputGain = 0.5f;
        float swapLR = 0.0f, phaseFlip = 0.0f, mono = 0.0f, muteAll = 0.0f, muteMid = 0.0f, muteSide = 0.0f;
        float panCurve = 0.1f, panLaw = 0.0f, msMode = 0.0f, panMode = 0.1f, phaseAlignSide = 0.0f;
        float safeBassFreq = 0.286f, safeBass = 0.0f;

        std::string describe() const
        {
            std::ostringstream s;
            s << "bypass " << bypass << " width " << width << " pan " << pan << " in " << inputGain
              << " out " << outputGain << " swap " << swapLR << " flip " << phaseFlip << " mono " << mono
              << " muteAll " << muteAll << " muteMid " << muteMid << " muteSide " << muteSide
              << " curve " << panCurve << " law " << panLaw << " msMode " << msMode << " panMode " << panMode
              << " align " << phaseAlignSide << " sbFreq " << safeBassFreq << " safeBass " << safeBass;
            return s.str();
        }

        void applyTo (SignalPath& p) const
        {
            set (p, "Bypass", bypass);         set (p, "StereoWidth", width);  set (p, "Pan", pan);
            set (p, "InputGain", inputGain);   set (p, "OutputGain", outputGain);
            set (p, "SwapLR", swapLR);         set (p, "PhaseFlip", phaseFlip); set (p, "Mono", mono);
            set (p, "MuteAll", muteAll);       set (p, "MuteMid", muteMid);    set (p, "MuteSide", muteSide);
            set (p, "PanCurve", panCurve);     set (p, "PanLaw", panLaw);      set (p, "MsMode", msMode);
            set (p, "PanMode", panMode);       set (p, "PhaseAlignSide", phaseAlignSide);
            set (p, "SafeBassFreq", safeBassFreq);
            set (p, "SafeBass", safeBass);
        }
    };

    // The rules, one sample at a time, exactly as the stage is meant to apply them;
    // deliberately without any caching or batching.
    class ReferencePath
    {
    public:
        explicit ReferencePath (double rate) : sampleRate (rate) {}

        void setSettings (const Settings& newSettings)
        {
            if (! hasCoefficients || newSettings.safeBassFreq != settings.safeBassFreq)
            {
                const double cutOff = (double) newSettings.safeBassFreq * 490.0 + 10.0;
                filter.setCoefficients (juce::IIRCoefficients::makeHighPass (sampleRate, cutOff));
                hasCoefficients = true;
            }

            settings = newSettings;
        }

        void process (float* left, float* right, int numSamples)
        {
            const auto& s = settings;
            const auto gain = [] (float v) { return (float) std::pow (10.0, (double) ((v * 24.0f - 12.0f) / 20.0f)); };
            const float inGain = gain (s.inputGain), outGain = gain (s.outputGain);

            const bool bypass = s.bypass > 0.5f, muteAll = s.muteAll > 0.5f, muteMid = s.muteMid > 0.5f,
                       muteSide = s.muteSide > 0.5f, align = s.phaseAlignSide > 0.5f, swap = s.swapLR > 0.5f,
                       flip = s.phaseFlip > 0.5f, mono = s.mono > 0.5f;
            const bool safeBassActive = hasCoefficients && s.safeBass > 0.5f && s.safeBassFreq > 0.0f;

            float w = 2.0f * s.width;
            float p = 2.0f * s.pan - 1.0f;

            for (int i = 0; i < numSamples; ++i)
            {
                float L = left[i], R = right[i];

                if (L == 0.0f && R == 0.0f)
                    continue;

                if (! bypass)
                {
                    L *= inGain;
                    R *= inGain;
                }

                if (! bypass && ! muteAll)
                {
                    w = 2.0f * s.width;
                    p = 2.0f * s.pan - 1.0f;

                    if (swap && ! mono)
                        std::swap (L, R);

                    if (flip)
                    {
                        L = -L;
                        R = -R;
                    }

                    if (mono)
                        L = R = (L + R) * 0.5f;
                }

                if (std::abs (L) > inputPeakL) inputPeakL = std::abs (L);
                if (std::abs (R) > inputPeakR) inputPeakR = std::abs (R);

                if (muteAll && ! bypass)
                    L = R = 0.0f;

                if (! bypass)
                {
                    const float a = std::abs (p);
                    float ws = w;

                    if (s.panMode == 0.0f)
                        ws = (float) ((double) ws * (1.0 - (double) a));

                    float M = (L + R) * 0.5f;

                    if (s.msMode == 0.1f)
                    {
                        float g = 1.0f;
                        if (ws > 1.0f) g = 1.0f / ws;
                        else if (ws < 1.0f) g = 1.5f - 0.5f * ws;
                        M *= g;
                    }

                    float f;
                    if (s.panCurve == 0.0f)      f = 1.0f - a;
                    else if (s.panCurve == 0.1f) f = std::sqrt (1.0f - a);
                    else                         f = (float) std::sin ((double) ((1.0f - a) * 3.1415927f * 0.25f));

                    const float S = (R - L) * 0.5f * ws;
                    float Rn = M + S;
                    float Ln = M - S;

                    if (p < 0.0f) Rn *= f;
                    if (p > 0.0f) Ln *= f;

                    float b = 1.0f;
                    if (s.panLaw == 0.1f)      b = (float) (1.0 + 0.5 * (double) a);
                    else if (s.panLaw == 0.2f) b = 1.0f + a;

                    if (p < 0.0f) Ln *= b;
                    if (p > 0.0f) Rn *= b;

                    if (safeBassActive || muteSide || muteMid)
                    {
                        float side = muteSide ? 0.0f : (Rn - Ln) * 0.5f;
                        const float mid = muteMid ? 0.0f : (Ln + Rn) * 0.5f;

                        if (! muteSide && safeBassActive)
                            side = filter.processSingleSampleRaw (side);

                        Rn = mid + side;
                        Ln = mid - side;

                        if (align && muteMid)
                            Ln = -Ln;
                    }

                    L = Ln * outGain;
                    R = Rn * outGain;
                }

                if (std::abs (L) > outputPeakL) outputPeakL = std::abs (L);
                if (std::abs (R) > outputPeakR) outputPeakR = std::abs (R);

                left[i] = L;
                right[i] = R;
            }
        }

        float inputPeakL = 0, inputPeakR = 0, outputPeakL = 0, outputPeakR = 0;

        void resetPeaks() { inputPeakL = inputPeakR = outputPeakL = outputPeakR = 0.0f; }

    private:
        double sampleRate;
        Settings settings;
        juce::IIRFilter filter;
        bool hasCoefficients = false;
    };

    // Random stereo with a sprinkling of the awkward cases: silent pairs (both signs of
    // zero), one-sided zeros and quiet samples.
    juce::AudioBuffer<float> testBlock (juce::Random& random, int numSamples)
    {
        auto buffer = randomStereo (random, numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            const int kind = random.nextInt (20);

            if (kind == 0)      { buffer.setSample (0, i, 0.0f);  buffer.setSample (1, i, 0.0f); }
            else if (kind == 1) { buffer.setSample (0, i, -0.0f); buffer.setSample (1, i, 0.0f); }
            else if (kind == 2) { buffer.setSample (0, i, 0.0f); }
            else if (kind == 3) { buffer.setSample (1, i, 1.0e-4f * buffer.getSample (1, i)); }
        }

        return buffer;
    }

    // Run once with the stage's widest lanes and once with the narrow ones, which are
    // what machines without the wider instructions use.
    class SignalPathAgainstReference : public ::testing::TestWithParam<bool>
    {
    protected:
        static constexpr double rate = 48000.0;

        void SetUp() override    { OrvelinStereoStage::setWideLanesAllowed (GetParam()); }
        void TearDown() override { OrvelinStereoStage::setWideLanesAllowed (true); }

        void runBlock (const Settings& settings, int numSamples)
        {
            settings.applyTo (*path);
            reference.setSettings (settings);

            auto actual = testBlock (random, numSamples);
            auto expected = actual;

            process (*path, actual);
            reference.process (expected.getWritePointer (0), expected.getWritePointer (1), numSamples);

            // Both sides perform the same float operations in the same order and at the
            // same precision, so they agree bit for bit, signs of zero included. A looser
            // comparison would let a wrong precision or a rewritten silent pair through.
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < numSamples; ++i)
                    if (! sameBits (actual.getSample (channel, i), expected.getSample (channel, i)))
                        fail (settings, channel, i, actual.getSample (channel, i), expected.getSample (channel, i));

            const auto in = path->stage.takeInputPeaks();
            const auto out = path->stage.takeOutputPeaks();

            if (! (sameBits (in.getLeft(), reference.inputPeakL) && sameBits (in.getRight(), reference.inputPeakR)
                    && sameBits (out.getLeft(), reference.outputPeakL) && sameBits (out.getRight(), reference.outputPeakR)))
                fail (settings, -1, -1, in.getLeft(), reference.inputPeakL);

            reference.resetPeaks();
            ++blocks;
        }

        void fail (const Settings& settings, int channel, int sample, float actual, float expected)
        {
            // Report only the first few; one wrong rule would otherwise flood the log.
            if (++failures <= 5)
                ADD_FAILURE() << (channel < 0 ? std::string ("peaks") : "channel " + std::to_string (channel) + " sample " + std::to_string (sample))
                              << ": stage " << actual << ", reference " << expected << "\n  " << settings.describe();
        }

        std::unique_ptr<SignalPath> path = makeSignalPath (rate);
        ReferencePath reference { rate };
        juce::Random random { 0x51a7e };
        int blocks = 0, failures = 0;

        static constexpr std::array<float, 4> choices { 0.0f, 0.1f, 0.2f, 0.15f };
        static constexpr std::array<float, 3> widths { 0.0f, 0.5f, 1.0f };
        static constexpr std::array<float, 4> safeBassFreqs { 0.286f, 0.0f, 1.0f, 0.05f };
        static constexpr std::array<float, 3> gains { 0.5f, 0.3f, 0.8f };
        // Block sizes around the stage's internal grouping: single samples, odd
        // tails, whole groups and more than one group.
        static constexpr std::array<int, 6> blockSizes { 64, 37, 5, 1, 128, 33 };

        static std::array<float, 5> pans() { return { 0.0f, 0.25f, 0.5f, std::nextafter (0.5f, 0.0f), 1.0f }; }

        // Nine switches, in the order of the bits of a mask.
        static void setSwitches (Settings& s, int mask)
        {
            float* switches[] = { &s.swapLR, &s.phaseFlip, &s.mono, &s.muteMid, &s.muteSide,
                                  &s.phaseAlignSide, &s.safeBass, &s.muteAll, &s.bypass };

            for (int bit = 0; bit < 9; ++bit)
                *switches[bit] = (mask >> bit) & 1 ? 1.0f : 0.0f;
        }
    };
}

// Every combination of the four choices (each at 0.0, 0.1, 0.2 and between steps) with
// every width and pan, the seven switches that leave the stereo stage running cycled
// through all their combinations along the way.
TEST_P (SignalPathAgainstReference, StereoStageChoicesWidthsAndPans)
{
    int k = 0;

    for (auto panMode : choices)
      for (auto msMode : choices)
        for (auto panCurve : choices)
          for (auto panLaw : choices)
            for (auto width : widths)
              for (auto pan : pans())
              {
                  Settings s;
                  setSwitches (s, (k * 37) % 128);
                  s.panMode = panMode; s.msMode = msMode; s.panCurve = panCurve; s.panLaw = panLaw;
                  s.width = width; s.pan = pan;
                  s.safeBassFreq = safeBassFreqs[(size_t) (k % 4)];
                  s.inputGain = gains[(size_t) (k % 3)];
                  s.outputGain = gains[(size_t) ((k / 3) % 3)];
                  runBlock (s, blockSizes[(size_t) (k % 6)]);
                  ++k;
              }

    EXPECT_EQ (blocks, 4 * 4 * 4 * 4 * 3 * 5);
    EXPECT_EQ (failures, 0);
}

// Every combination of the nine switches, including bypass and mute-all, against each
// width and pan, the choices and SAFE BASS frequencies rotating underneath.
TEST_P (SignalPathAgainstReference, EverySwitchCombination)
{
    int k = 0;

    for (int mask = 0; mask < 512; ++mask)
        for (auto width : widths)
            for (auto pan : pans())
            {
                Settings s;
                setSwitches (s, mask);
                s.width = width; s.pan = pan;
                s.panMode  = choices[(size_t) (k % 4)];
                s.msMode   = choices[(size_t) ((k / 4) % 4)];
                s.panCurve = choices[(size_t) ((k / 2) % 4)];
                s.panLaw   = choices[(size_t) ((k / 8) % 4)];
                s.safeBassFreq = safeBassFreqs[(size_t) ((k / 3) % 4)];
                s.inputGain = gains[(size_t) ((k / 5) % 3)];
                s.outputGain = gains[(size_t) (k % 3)];
                runBlock (s, blockSizes[(size_t) (k % 6)]);
                ++k;
            }

    EXPECT_EQ (blocks, 512 * 15);
    EXPECT_EQ (failures, 0);
}

// Long runs with one setting, so that the SAFE BASS filter state carries over many
// blocks, with width and pan moving between blocks as automation moves them.
TEST_P (SignalPathAgainstReference, AutomatedWidthAndPanAcrossBlocks)
{
    Settings s;
    s.safeBass = 1.0f;
    s.panCurve = 0.2f;
    s.panLaw = 0.1f;
    s.msMode = 0.1f;
    s.panMode = 0.0f;

    for (int k = 0; k < 400; ++k)
    {
        s.width = (float) k / 399.0f;
        s.pan = 0.5f + 0.5f * (float) std::sin (k * 0.05);
        runBlock (s, k % 2 == 0 ? 256 : 61);
    }

    EXPECT_EQ (failures, 0);
}

INSTANTIATE_TEST_SUITE_P (Lanes, SignalPathAgainstReference, ::testing::Values (true, false),
                          [] (const ::testing::TestParamInfo<bool>& paramInfo) { return paramInfo.param ? "Wide" : "Narrow"; });

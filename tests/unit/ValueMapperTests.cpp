#include "parameters/DvxParameterManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
    using M = DvxParameterValueMapper;

    struct TextCase
    {
        M::DvxMappingENUM kind;
        float value;
        const char* text;
    };

    struct ParseCase
    {
        M::DvxMappingENUM kind;
        const char* text;
        float value;
    };

    std::string describe (M::DvxMappingENUM kind, float v)
    {
        return "kind " + std::to_string ((int) kind) + " value " + std::to_string (v);
    }
}

TEST (ValueMapper, DisplayTextsOfEveryKind)
{
    const TextCase cases[] = {
        { M::mapPercent100, 0.5f, "50 %" },         { M::mapPercent100, 0.123f, "12 %" },
        { M::mapPercent200, 0.5f, "100 %" },        { M::mapPercent200, 0.0f, "0 %" },
        { M::mapPercent200, 1.0f, "200 %" },        { M::mapPercent200, 0.625f, "125 %" },
        { M::mapPlain, 0.5f, "0.50" },              { M::mapPlain, 0.126f, "0.13" },
        { M::mapOnOff, 0.51f, "ON" },               { M::mapOnOff, 0.5f, "OFF" },
        { M::mapBypass, 1.0f, "BYPASS ACTIVE" },    { M::mapBypass, 0.5f, "BYPASS OFF" },
        { M::mapMute, 1.0f, "MUTE ACTIVE" },        { M::mapMute, 0.0f, "UN-MUTE" },
        { M::mapMuteAll, 1.0f, "MUTE-ALL ACTIVE" }, { M::mapMuteAll, 0.0f, "NO MUTE-ALL" },
        { M::mapMuteMid, 1.0f, "MUTE-MID ACTIVE" }, { M::mapMuteMid, 0.0f, "NO MUTE-MID" },
        { M::mapMuteSide, 1.0f, "MUTE-SIDE ACTIVE" }, { M::mapMuteSide, 0.0f, "NO MUTE-SIDE" },
        { M::mapSafeBass, 1.0f, "SAFE BASS ON" },   { M::mapSafeBass, 0.0f, "SAFE BASS OFF" },
        { M::mapSwap, 1.0f, "SWAP ACTIVE" },        { M::mapSwap, 0.0f, "NO SWAP" },
        { M::mapPhaseFlip, 1.0f, "PHASE FLIPPED" }, { M::mapPhaseFlip, 0.0f, "PHASE NORMAL" },
        { M::mapMono, 1.0f, "MONO ACTIVE" },        { M::mapMono, 0.0f, "MONO OFF" },
        { M::mapPhaseAlignSide, 1.0f, "ALIGN PHASE ACTIVE" }, { M::mapPhaseAlignSide, 0.5f, "NO PHASE ALIGN" },
        { M::mapChannelSelect, 0.29f, "L" },        { M::mapChannelSelect, 0.3f, "L+R" },
        { M::mapChannelSelect, 0.7f, "L+R" },       { M::mapChannelSelect, 0.71f, "R" },
        { M::mapPan99, 0.0f, "L99" },               { M::mapPan99, 0.5f, "C" },   { M::mapPan99, 1.0f, "R99" },
        { M::mapPan100, 0.5f, "C" },                { M::mapPan100, 0.0f, "L100" },
        { M::mapPan100, 0.75f, "R50" },             { M::mapPan100, 1.0f, "R100" }, { M::mapPan100, 0.25f, "L50" },
        { M::mapLevelDb, 0.0f, "-INF" },            { M::mapLevelDb, 1.0f, "+12.0" },   { M::mapLevelDb, 0.1f, "-8.0" },
        { M::mapGainDb12, 0.5f, "0.0dB" },          { M::mapGainDb12, 0.0f, "-12.0dB" },
        { M::mapGainDb12, 1.0f, "+12.0dB" },        { M::mapGainDb12, 0.625f, "+3.0dB" },
        { M::mapGainDb24, 0.5f, "+/-0dB" },         { M::mapGainDb24, 1.0f, "+24.0dB" },
        { M::mapGainDb24, 0.0f, "-24.0dB" },        { M::mapGainDb24, 0.75f, "+12.0dB" },
        { M::mapGainDb24, 0.501f, "+0.0dB" },       { M::mapGainDb24, 0.499f, "0.0dB" },
        { M::mapSafeBassFreq, 0.0f, "OFF" },        { M::mapSafeBassFreq, 1.0f, "500Hz" },
        { M::mapSafeBassFreq, 0.286f, "150Hz" },    { M::mapSafeBassFreq, 0.4898f, "250Hz" },
        { M::mapSafeBassFreq, 0.142f, "80Hz" },     { M::mapSafeBassFreq, 0.183f, "100Hz" },
        { M::mapFrequencyBySampleRate, 0.5f, "0Hz" },
        { M::mapPanCurve, 0.0f, "linear" },         { M::mapPanCurve, 0.1f, "logarithmic" },
        { M::mapPanCurve, 0.15f, "logarithmic" },   { M::mapPanCurve, 0.2f, "sin/cos" },
        { M::mapPanLaw, 0.0f, "-0dB" },             { M::mapPanLaw, 0.1f, "-3dB" },   { M::mapPanLaw, 0.2f, "-6dB" },
        { M::mapMsMode, 0.05f, "fix mid" },         { M::mapMsMode, 0.1f, "bind levels" }, { M::mapMsMode, 0.2f, "bind levels" },
        { M::mapPanMode, 0.0f, "dual pan" },        { M::mapPanMode, 0.1f, "balance" },
    };

    for (const auto& c : cases)
    {
        DvxParameterValueMapper mapper (nullptr, c.kind);
        EXPECT_EQ (mapper.normed2RealValueAsString (c.value), juce::String (c.text)) << describe (c.kind, c.value);
    }
}

TEST (ValueMapper, NonFiniteValuesNeverTurnIntoNumbers)
{
    // A NaN or infinity must not be rounded into a made-up integer such as "-2147483648 %".
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };

    for (int k = 1; k <= 26; ++k)
    {
        DvxParameterValueMapper mapper (nullptr, (M::DvxMappingENUM) k);

        for (float v : bad)
        {
            const auto text = mapper.normed2RealValueAsString (v);
            EXPECT_FALSE (text.contains ("2147483")) << describe ((M::DvxMappingENUM) k, v) << " -> " << text;
            EXPECT_TRUE (text.isNotEmpty());
        }
    }

    DvxParameterValueMapper pan (nullptr, M::mapPan100);
    EXPECT_EQ (pan.normed2RealValueAsString (std::nanf ("")), juce::String (std::nanf (""), 2));
}

TEST (ValueMapper, TypedTextBackToNormalisedValues)
{
    // Hundreds of zeros after the point: below the smallest double, yet no far end.
    const auto tinyDecimal = "0." + std::string (400, '0') + "1";

    const ParseCase cases[] = {
        { M::mapPercent200, "150 %", 0.75f }, { M::mapPercent200, "500", 1.0f },
        { M::mapPercent200, "-20", 0.0f },    { M::mapPercent200, "wide", 0.0f },
        { M::mapPan100, "L50", 0.25f },   { M::mapPan100, "R50", 0.75f },  { M::mapPan100, "50", 0.75f },
        { M::mapPan100, "C", 0.5f },      { M::mapPan100, "center", 0.5f }, { M::mapPan100, "L50.7", 0.25f },
        { M::mapPan100, "L 50", 0.5f },   { M::mapPan100, "left", 0.5f },  { M::mapPan100, "-100", 0.0f },
        { M::mapPan100, "R300", 1.0f },   { M::mapPan100, "  r25 ", 0.625f }, { M::mapPan100, "++R20", 0.6f },
        { M::mapGainDb12, "3", 0.625f },  { M::mapGainDb12, "24", 1.5f },  { M::mapGainDb12, "-12dB", 0.0f },
        { M::mapGainDb12, "+6.0dB", 0.75f }, { M::mapGainDb12, "inf", 0.5f },
        // Beyond a float or a double: the end of the range it points to, or 0 when tiny.
        { M::mapPercent200, "1e39", 1.0f },  { M::mapPercent200, "1e99999999999", 1.0f },
        { M::mapPercent200, "-1e999", 0.0f }, { M::mapPercent200, "1e-999", 0.0f },
        { M::mapPercent200, tinyDecimal.c_str(), 0.0f }, { M::mapGainDb12, tinyDecimal.c_str(), 0.5f },
        { M::mapPan100, "L99999999999999999999999999999999999999999", 0.0f },
        { M::mapPan100, "99999999999999999999999999999999999999999", 1.0f }, { M::mapSafeBassFreq, "1E+999 Hz", 1.0f },
        { M::mapSafeBassFreq, "OFF", 0.0f }, { M::mapSafeBassFreq, "off", 0.0f }, { M::mapSafeBassFreq, "5", 0.0f },
        { M::mapSafeBassFreq, "600", 1.0f }, { M::mapSafeBassFreq, "150Hz", 140.0f / 490.0f },
        { M::mapSafeBassFreq, "10", 0.0f },
        { M::mapBypass, "BYPASS ACTIVE", 0.5f }, { M::mapPanCurve, "sin/cos", 0.5f }, { M::mapNone, "1", 0.5f },
    };

    for (const auto& c : cases)
    {
        DvxParameterValueMapper mapper (nullptr, c.kind);
        EXPECT_FLOAT_EQ (mapper.string2normedValueAsFloat (c.text), c.value) << "kind " << (int) c.kind << " text '" << c.text << "'";
    }
}

TEST (ValueMapper, TextsSurviveARoundTripThroughTheParser)
{
    // What the knob shows, typed back in, must give the same text again.
    for (auto kind : { M::mapPercent200, M::mapPan100, M::mapGainDb12, M::mapSafeBassFreq })
    {
        DvxParameterValueMapper mapper (nullptr, kind);

        for (int i = 0; i <= 40; ++i)
        {
            const float v = (float) i / 40.0f;
            const auto shown = mapper.normed2RealValueAsString (v);
            const auto reparsed = mapper.string2normedValueAsFloat (shown);
            EXPECT_EQ (mapper.normed2RealValueAsString (reparsed), shown) << describe (kind, v);
        }
    }
}

TEST (ValueMapper, DecibelTextOfALevel)
{
    EXPECT_EQ (M::valueToDBString (1.0f, 1), "0.0");
    EXPECT_EQ (M::valueToDBString (0.5f, 1), "-6.0");
    EXPECT_EQ (M::valueToDBString (2.0f, 1), "6.0");
    EXPECT_EQ (M::valueToDBString (0.0f, 1), "-INF");
}

TEST (ValueMapper, FrequencyKindFollowsTheProcessorsSampleRate)
{
    struct RateOnlyProcessor : juce::AudioProcessor
    {
        const juce::String getName() const override { return {}; }
        void prepareToPlay (double, int) override {}
        void releaseResources() override {}
        using AudioProcessor::processBlock;
        void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
        double getTailLengthSeconds() const override { return 0; }
        bool acceptsMidi() const override { return false; }
        bool producesMidi() const override { return false; }
        juce::AudioProcessorEditor* createEditor() override { return nullptr; }
        bool hasEditor() const override { return false; }
        int getNumPrograms() override { return 1; }
        int getCurrentProgram() override { return 0; }
        void setCurrentProgram (int) override {}
        const juce::String getProgramName (int) override { return {}; }
        void changeProgramName (int, const juce::String&) override {}
        void getStateInformation (juce::MemoryBlock&) override {}
        void setStateInformation (const void*, int) override {}
    } processor;

    processor.setRateAndBufferSizeDetails (48000.0, 512);
    DvxParameterManager manager (&processor);
    DvxParameter p (&manager, M::mapFrequencyBySampleRate);

    p.setValue (1.0f);
    EXPECT_EQ (p.getValueAsText(), "24.0kHz");
    p.setValue (0.25f);
    EXPECT_EQ (p.getValueAsText(), "6000Hz");
    p.setValue (0.0f);
    EXPECT_EQ (p.getValueAsText(), "0Hz");
}

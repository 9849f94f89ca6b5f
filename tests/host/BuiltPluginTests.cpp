#include "LoadedPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// Loads the plug-in that the build produced, in every format, and checks that the host
// sees exactly what the processor exposes. Each test runs once per format on a fresh
// instance, so a format whose wrapper shifts, hides or renames something stands out.

using namespace orvelin::host;

namespace
{
    struct ExpectedParameter
    {
        const char* name;
        float defaultValue;
        const char* defaultText;
    };

    // The processor's parameter table as a host must see it, slot by slot.
    const ExpectedParameter expectedParameters[] = {
        { "Bypass",         0.0f,   "BYPASS OFF" },
        { "StereoWidth",    0.5f,   "100 %" },
        { "Pan",            0.5f,   "C" },
        { "InputGain",      0.5f,   "0.0dB" },
        { "OutputGain",     0.5f,   "0.0dB" },
        { "SwapLR",         0.0f,   "NO SWAP" },
        { "PhaseFlip",      0.0f,   "PHASE NORMAL" },
        { "Mono",           0.0f,   "MONO OFF" },
        { "MuteAll",        0.0f,   "NO MUTE-ALL" },
        { "MuteMid",        0.0f,   "NO MUTE-MID" },
        { "MuteSide",       0.0f,   "NO MUTE-SIDE" },
        { "PanCurve",       0.1f,   "logarithmic" },
        { "PanLaw",         0.0f,   "-0dB" },
        { "MsMode",         0.0f,   "fix mid" },
        { "PanMode",        0.1f,   "balance" },
        { "PhaseAlignSide", 0.0f,   "NO PHASE ALIGN" },
        { "SafeBassFreq",   0.286f, "150Hz" },
        { "SafeBass",       0.0f,   "SAFE BASS OFF" },
    };

    constexpr int numRealParameters = (int) std::size (expectedParameters);
    constexpr int numParameterSlots = 50;

    // Slots past the table are placeholders that keep the host's parameter list stable.
    ExpectedParameter expectedParameter (int index)
    {
        if (index < numRealParameters)
            return expectedParameters[index];

        return { "reserved", 0.0f, "" };
    }

    // The ID under which a host stores a slot in its sessions. Changing one breaks every
    // saved session that automates that slot, so they are spelled out here once more.
    std::optional<juce::String> expectedParameterID (PluginFormat format, int index)
    {
        const juce::String stableID = index < numRealParameters ? juce::String (expectedParameters[index].name)
                                                                : "reserved" + juce::String (index);
        switch (format)
        {
            case PluginFormat::vst3: return juce::String (index);                            // the slot index
            case PluginFormat::lv2:  return juce::String (lv2PluginUri) + ":" + stableID;    // a URI per slot
            case PluginFormat::vst2: return std::nullopt;                                    // by index only
        }

        return std::nullopt;
    }

    // What each format's host is expected to see besides the processor's own slots.
    struct FormatTraits
    {
        PluginFormat format;

        // Index-based hosts (VST3 with legacy IDs, VST2) list the slots in order and
        // automate by position; an LV2 host lists parameters in its own order and finds
        // them by URI.
        bool keepsSlotOrder;

        // The host's bypass: VST3 gets a parameter after ours, an LV2 host turns the
        // "enabled" port into one, VST2 hosts bypass through effSetBypass instead.
        int wrapperParameters;

        // JUCE's VST3 host learns programs only from a program-change parameter, which
        // the wrapper adds only when there are two programs or more; VST2 and LV2 (one
        // preset in the bundle) list the single program.
        int programs;
    };

    const FormatTraits everyFormat[] = {
        { PluginFormat::vst3, true,  1, 0 },
        { PluginFormat::lv2,  false, 1, 1 },
        { PluginFormat::vst2, true,  0, 1 },
    };

    std::string formatName (const ::testing::TestParamInfo<FormatTraits>& info)
    {
        return getFormatName (info.param.format);
    }

    //==============================================================================
    class BuiltPlugin : public ::testing::TestWithParam<FormatTraits>
    {
    protected:
        void SetUp() override
        {
            juce::String error;
            plugin = loadBuiltPlugin (format(), error);
            ASSERT_NE (plugin, nullptr) << error;
        }

        void TearDown() override
        {
            plugin.reset();
        }

        PluginFormat format() const { return GetParam().format; }

        // Where the host lists a slot of the processor, or -1 when it lists it nowhere.
        int hostIndexOf (int slot)
        {
            if (GetParam().keepsSlotOrder)
                return slot < plugin->getNumParameters() ? slot : -1;

            const auto wanted = expectedParameterID (format(), slot);

            for (int index = 0; index < plugin->getNumParameters(); ++index)
                if (plugin->getParameterID (index) == wanted)
                    return index;

            return -1;
        }

        std::unique_ptr<LoadedPlugin> plugin;
    };

    //==============================================================================
    TEST_P (BuiltPlugin, IsAStereoEffectNamedOrvelin)
    {
        EXPECT_EQ (plugin->getPluginName(), "Orvelin");
        EXPECT_EQ (plugin->getNumInputChannels(), 2);
        EXPECT_EQ (plugin->getNumOutputChannels(), 2);
    }

    TEST_P (BuiltPlugin, ListsTheFiftySlotsAndOnlyTheWrappersBypassBesides)
    {
        EXPECT_EQ (plugin->getNumParameters(), numParameterSlots + GetParam().wrapperParameters);

        const int bypass = plugin->getWrapperBypassIndex();

        if (GetParam().wrapperParameters == 0)
        {
            EXPECT_EQ (bypass, -1);
        }
        else if (GetParam().keepsSlotOrder)
        {
            // After our slots, so that index-based automation keeps addressing them.
            EXPECT_EQ (bypass, numParameterSlots);
        }
        else
        {
            // Anywhere: the host finds the slots by URI.
            EXPECT_GE (bypass, 0);
        }
    }

    TEST_P (BuiltPlugin, ShowsNamesDefaultsAndTextsOfTheParameterTable)
    {
        for (int slot = 0; slot < numParameterSlots; ++slot)
        {
            SCOPED_TRACE ("slot " + std::to_string (slot));
            const auto expected = expectedParameter (slot);
            const int index = hostIndexOf (slot);
            ASSERT_GE (index, 0);

            EXPECT_EQ (plugin->getParameterName (index), expected.name);

            // A fresh instance starts at the defaults, which is all a VST2 host can learn of them.
            EXPECT_FLOAT_EQ (plugin->getParameterValue (index), expected.defaultValue);

            if (const auto declaredDefault = plugin->getParameterDefault (index))
            {
                EXPECT_FLOAT_EQ (*declaredDefault, expected.defaultValue);
            }

            if (const auto text = plugin->getParameterText (index))
            {
                EXPECT_EQ (*text, expected.defaultText);
            }
        }
    }

    TEST_P (BuiltPlugin, AutomationReachesTheSlotItWasMeantFor)
    {
        struct Automation
        {
            int slot;
            float value;
            const char* text;
        };

        // Neighbouring slots, so that an index shifted by a wrapper shows up as a wrong
        // text: 2 is the slot that a hashed VST3 ID would hide behind the host's bypass.
        const Automation automations[] = {
            { 3,  1.0f, "+12.0dB" },
            { 2,  0.0f, "L100" },
            { 4,  0.0f, "-12.0dB" },
            { 16, 1.0f, "500Hz" },
            { 17, 1.0f, "SAFE BASS ON" },
        };

        plugin->prepare (44100.0, 512);
        juce::AudioBuffer<float> block (2, 64);

        for (const auto& automation : automations)
        {
            SCOPED_TRACE ("slot " + std::to_string (automation.slot));
            const int index = hostIndexOf (automation.slot);
            ASSERT_GE (index, 0);

            // A host hands automation over with the next audio block; some formats only
            // pass it to the processor there.
            plugin->setParameterValue (index, automation.value);
            block.clear();
            plugin->process (block);

            EXPECT_FLOAT_EQ (plugin->getParameterValue (index), automation.value);

            if (const auto text = plugin->getParameterText (index))
            {
                EXPECT_EQ (*text, automation.text);
            }
        }

        // Every slot that no automation touched still shows its default.
        for (int slot = 0; slot < numRealParameters; ++slot)
        {
            const bool touched = std::any_of (std::begin (automations), std::end (automations),
                                              [slot] (const auto& a) { return a.slot == slot; });
            const int index = hostIndexOf (slot);

            if (touched || index < 0)
                continue;

            if (const auto text = plugin->getParameterText (index))
            {
                EXPECT_EQ (*text, expectedParameters[slot].defaultText) << "slot " << slot;
            }
        }

        plugin->release();
    }

    TEST_P (BuiltPlugin, ParameterIDsAreTheStableOnesThatSessionsStore)
    {
        juce::StringArray ids;

        for (int index = 0; index < plugin->getNumParameters(); ++index)
            if (const auto id = plugin->getParameterID (index))
                ids.add (*id);

        // Every slot under its own ID (in an index-based host, at its own index)...
        for (int slot = 0; slot < numParameterSlots; ++slot)
        {
            const auto expected = expectedParameterID (format(), slot);

            if (GetParam().keepsSlotOrder)
            {
                EXPECT_EQ (plugin->getParameterID (slot), expected) << "slot " << slot;
            }
            else
            {
                ASSERT_TRUE (expected.has_value());
                EXPECT_TRUE (ids.contains (*expected)) << *expected;
            }
        }

        // ...and no two parameters under one ID: the host would merge them and lose one.
        const auto numIDs = ids.size();
        ids.removeDuplicates (false);
        EXPECT_EQ (ids.size(), numIDs);
    }

    TEST_P (BuiltPlugin, ListsTheInitProgram)
    {
        ASSERT_EQ (plugin->getNumPrograms(), GetParam().programs);

        for (int program = 0; program < GetParam().programs; ++program)
            EXPECT_EQ (plugin->getProgramName (program), "Init");
    }

    TEST_P (BuiltPlugin, DefaultSettingsPassStereoAudioUnchanged)
    {
        constexpr double sampleRate = 44100.0;
        constexpr int maximumBlockSize = 512;
        plugin->prepare (sampleRate, maximumBlockSize);

        // A full block, an odd one and a single sample; left and right carry different
        // signals, so that swapped, mixed or dropped channels show.
        juce::Random random (0x0bad5eed);
        int64_t position = 0;

        for (const int numSamples : { maximumBlockSize, 441, 1 })
        {
            juce::AudioBuffer<float> input (2, numSamples);

            for (int i = 0; i < numSamples; ++i)
            {
                const auto t = (double) (position + i) / sampleRate;
                input.setSample (0, i, 0.5f * (float) std::sin (2.0 * juce::MathConstants<double>::pi * 997.0 * t));
                input.setSample (1, i, random.nextFloat() * 1.6f - 0.8f);
            }

            position += numSamples;

            auto output = input;
            plugin->process (output);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < numSamples; ++i)
                    ASSERT_NEAR (output.getSample (channel, i), input.getSample (channel, i), 1.0e-6f)
                        << "block of " << numSamples << ", channel " << channel << ", sample " << i;
        }

        plugin->release();
    }

    // State round trips through each host (getState / setState) belong here once the
    // processor stores its state: save from one instance after automation, restore into
    // a fresh one and compare every slot's value and text.

    INSTANTIATE_TEST_SUITE_P (EveryFormat, BuiltPlugin, ::testing::ValuesIn (everyFormat), formatName);

    //==============================================================================
    // lilv finding the plug-in by its URI already proves that the turtle files are sound;
    // this checks that the manifest a host reads first publishes the plug-in under the
    // URI that sessions store, not the build folder's file:// path.
    TEST (Lv2Bundle, ManifestPublishesThePluginUnderItsUri)
    {
        const auto manifest = getBuiltLv2Bundle().getChildFile ("manifest.ttl");
        ASSERT_TRUE (manifest.existsAsFile()) << manifest.getFullPathName();

        const auto text = manifest.loadFileAsString();
        const auto subject = "<" + juce::String (lv2PluginUri) + ">";

        ASSERT_TRUE (text.contains (subject)) << text;
        EXPECT_TRUE (text.fromFirstOccurrenceOf (subject, false, false).upToFirstOccurrenceOf (".\n", false, false)
                         .contains ("lv2:Plugin")) << text;
        EXPECT_FALSE (text.contains ("file://")) << text;
    }
}

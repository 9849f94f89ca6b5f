#include "LoadedPlugin.h"
#include "ScreenPointer.h"
#include "helpers/AllocationCounter.h"
#include "helpers/ExpectedParameterTable.h"
#include "helpers/TestData.h"
#include "helpers/TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cmath>

// Loads the plug-in that the build produced, in every format, and checks that the host
// sees exactly what the processor exposes. Each test runs once per format on a fresh
// instance, so a format whose wrapper shifts, hides or renames something stands out.

using namespace orvelin::host;
using orvelin::test::ExpectedParameter;
using orvelin::test::expectedParameters;
using orvelin::test::numRealParameters;
using orvelin::test::numParameterSlots;

namespace
{
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

    struct Automation
    {
        int slot;
        float value;
        const char* text;
    };

    // Neighbouring slots, so that an index shifted by a wrapper shows up as a wrong text
    // (2 is the slot that a hashed VST3 ID would hide behind the host's bypass), and a
    // choice set to its second step.
    const Automation automations[] = {
        { 3,  1.0f, "+12.0dB" },
        { 2,  0.0f, "L100" },
        { 4,  0.0f, "-12.0dB" },
        { 13, 0.1f, "bind levels" },
        { 16, 1.0f, "500Hz" },
        { 17, 1.0f, "SAFE BASS ON" },
    };

    // Values that hosts sent beyond 0..1 (the gains by 100 overflowed into NaN and infinity,
    // an OutputGain of 3 gave +54 dB); each must act as the nearest end of the range.
    struct OutOfRange
    {
        int slot;
        float value;
        float nearestEnd;
    };

    const OutOfRange outOfRangeValues[] = {
        { 4, 3.0f,       1.0f },
        { 4, 100.0f,     1.0f },
        { 3, 1.0e6f,     1.0f },
        { 3, -100.0f,    0.0f },
        { 1, 100.0f,     1.0f },
        { 1, -3.4e38f,   0.0f },
        { 1, -INFINITY,  0.0f },
    };

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

        // Whether the host sees restored parameter values. A VST2 host reads them from the
        // plug-in, the VST3 wrapper hands them to its controller. An LV2 host only hears of
        // values the plug-in reports as changed, and the restore stores them without
        // telling anyone, so the host keeps showing what it had before.
        bool hostSeesRestoredValues;
    };

    const FormatTraits everyFormat[] = {
        { PluginFormat::vst3, true,  1, 0, true },
        { PluginFormat::lv2,  false, 1, 1, false },
        { PluginFormat::vst2, true,  0, 1, true },
    };

    std::string formatName (const ::testing::TestParamInfo<FormatTraits>& info)
    {
        return getFormatName (info.param.format);
    }

    // A state followed by the VST3 wrapper's private-data section (8 zero bytes, the data,
    // its size in 8 bytes, the identifier), here with no data and the given size.
    juce::MemoryBlock withVst3PrivateDataSize (const juce::MemoryBlock& state, juce::uint64 size)
    {
        juce::MemoryOutputStream out;
        out << state;
        out.writeInt64 (0);
        out.writeInt64 ((juce::int64) size);
        out << "JUCEPrivateData";
        return out.getMemoryBlock();
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
        int hostIndexOf (int slot)                          { return hostIndexOf (*plugin, slot); }

        int hostIndexOf (LoadedPlugin& instance, int slot)
        {
            if (GetParam().keepsSlotOrder)
                return slot < instance.getNumParameters() ? slot : -1;

            const auto wanted = expectedParameterID (format(), slot);

            for (int index = 0; index < instance.getNumParameters(); ++index)
                if (instance.getParameterID (index) == wanted)
                    return index;

            return -1;
        }

        // The automated slots show their new values, every other slot its default.
        void expectAutomatedValues (LoadedPlugin& instance)
        {
            for (int slot = 0; slot < numRealParameters; ++slot)
            {
                SCOPED_TRACE ("slot " + std::to_string (slot));
                const int index = hostIndexOf (instance, slot);
                ASSERT_GE (index, 0);

                const auto* automation = std::find_if (std::begin (automations), std::end (automations),
                                                       [slot] (const Automation& a) { return a.slot == slot; });
                const bool touched = automation != std::end (automations);

                EXPECT_FLOAT_EQ (instance.getParameterValue (index),
                                 touched ? automation->value : expectedParameters[slot].defaultValue);

                if (const auto text = instance.getParameterText (index))
                {
                    EXPECT_EQ (*text, touched ? automation->text : expectedParameters[slot].defaultText);
                }
            }
        }

        // One block, the way a host hands over automation and picks up what the plug-in
        // reports back.
        static void processOneBlock (LoadedPlugin& instance)
        {
            juce::AudioBuffer<float> block (2, 64);
            block.clear();
            instance.process (block);
        }

        // At the default settings the audio passes unchanged.
        static void expectAudioPassesUnchanged (LoadedPlugin& instance)
        {
            constexpr double sampleRate = 44100.0;
            constexpr int maximumBlockSize = 512;
            instance.prepare (sampleRate, maximumBlockSize);

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
                instance.process (output);

                for (int channel = 0; channel < 2; ++channel)
                    for (int i = 0; i < numSamples; ++i)
                        ASSERT_NEAR (output.getSample (channel, i), input.getSample (channel, i), 1.0e-6f)
                            << "block of " << numSamples << ", channel " << channel << ", sample " << i;
            }

            instance.release();
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
        expectAudioPassesUnchanged (*plugin);
    }

    // A block on the host's audio thread allocates nothing inside the plug-in or its wrapper
    // (JUCE 7.0.5's VST3 wrapper copied a channel mapping, and with it a vector, every block).
    TEST_P (BuiltPlugin, ProcessingAllocatesNothing)
    {
        plugin->prepare (44100.0, 512);
        juce::AudioBuffer<float> block (2, 512);

        // In its first block JUCE's VST3 host sizes lists of its own.
        processOneBlock (*plugin);
        const auto before = orvelin::test::allocationsOnWatchedThreads();

        for (int i = 0; i < 20; ++i)
        {
            block.clear();
            orvelin::test::WatchAllocations watch;
            plugin->process (block);
        }

        EXPECT_EQ (orvelin::test::allocationsOnWatchedThreads() - before, 0);
        plugin->release();
    }

    TEST_P (BuiltPlugin, AutomationReachesItsSlotAndTheSessionStateRestoresIntoAFreshInstance)
    {
        plugin->prepare (44100.0, 512);

        for (const auto& automation : automations)
        {
            SCOPED_TRACE ("slot " + std::to_string (automation.slot));
            const int index = hostIndexOf (automation.slot);
            ASSERT_GE (index, 0);

            // A host hands automation over with the next audio block; some formats only
            // pass it to the processor there.
            plugin->setParameterValue (index, automation.value);
            processOneBlock (*plugin);

            EXPECT_FLOAT_EQ (plugin->getParameterValue (index), automation.value);

            if (const auto text = plugin->getParameterText (index))
            {
                EXPECT_EQ (*text, automation.text);
            }
        }

        expectAutomatedValues (*plugin);

        const auto state = plugin->getState();
        ASSERT_GT (state.getSize(), 0u);

        if (format() == PluginFormat::vst2)
        {
            // A VST2 host stores the plug-in's own blob unchanged, so every session saved
            // by one holds exactly this element.
            const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
            ASSERT_NE (xml, nullptr);
            EXPECT_EQ (xml->getTagName(), "QZPLUGINSETTINGS");
        }

        plugin->release();
        plugin.reset();

        juce::String error;
        auto restored = loadBuiltPlugin (format(), error);
        ASSERT_NE (restored, nullptr) << error;

        // The automation is in the saved state: a fresh instance saves something else.
        EXPECT_FALSE (restored->getState() == state);

        // Hosts restore a session before they start the audio, then run it.
        restored->setState (state);
        restored->prepare (44100.0, 512);
        processOneBlock (*restored);

        // The restored instance saves what it was given: nothing lost or changed on the
        // way through the wrapper, whatever the host itself shows.
        EXPECT_TRUE (restored->getState() == state);

        if (GetParam().hostSeesRestoredValues)
            expectAutomatedValues (*restored);

        restored->release();
    }

    // JUCE's LV2 host keeps what it sends to the declared range, so the LV2 build is
    // automated through a raw host here. Both list the slots in order.
    std::unique_ptr<AutomatedPlugin> loadForAutomation (PluginFormat format, juce::String& error)
    {
        if (format != PluginFormat::lv2)
            return loadBuiltPlugin (format, error);

        juce::StringArray uris;

        for (int slot = 0; slot < numRealParameters; ++slot)
            uris.add (*expectedParameterID (format, slot));

        return loadWithRawLv2Host (uris, 44100.0, 512, error);
    }

    // One instance gets the value beyond the range, another the nearest end of it: on the
    // same noise at -6 dBFS both must sound and save exactly alike. The plug-in's text and a
    // VST2 host, which asks the plug-in, show the end too (VST3 and LV2 hosts show what they
    // sent).
    TEST_P (BuiltPlugin, AValueBeyondTheRangeSoundsShowsAndSavesAsItsNearestEnd)
    {
        juce::String error;
        auto beyond = loadForAutomation (format(), error);
        ASSERT_NE (beyond, nullptr) << error;
        auto atTheEnd = loadForAutomation (format(), error);
        ASSERT_NE (atTheEnd, nullptr) << error;

        beyond->prepare (44100.0, 512);
        atTheEnd->prepare (44100.0, 512);
        juce::Random random (0x5eed);

        for (const auto& row : outOfRangeValues)
        {
            SCOPED_TRACE ("slot " + std::to_string (row.slot) + " = " + std::to_string (row.value));
            beyond->setParameterValue (row.slot, row.value);
            atTheEnd->setParameterValue (row.slot, row.nearestEnd);

            juce::AudioBuffer<float> expected (2, 512);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < expected.getNumSamples(); ++i)
                    expected.setSample (channel, i, random.nextFloat() - 0.5f);

            auto output = expected;
            beyond->process (output);
            atTheEnd->process (expected);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < expected.getNumSamples(); ++i)
                    ASSERT_EQ (output.getSample (channel, i), expected.getSample (channel, i))
                        << "channel " << channel << ", sample " << i << "; peak " << output.getMagnitude (0, 512);

            EXPECT_TRUE (beyond->getState() == atTheEnd->getState());
            EXPECT_EQ (beyond->getParameterText (row.slot), atTheEnd->getParameterText (row.slot));

            if (format() == PluginFormat::vst2)
            {
                EXPECT_EQ (beyond->getParameterValue (row.slot), row.nearestEnd);
            }

            // Each row on its own.
            beyond->setParameterValue (row.slot, expectedParameters[row.slot].defaultValue);
            atTheEnd->setParameterValue (row.slot, expectedParameters[row.slot].defaultValue);
        }

        beyond->release();
        atTheEnd->release();
    }

    // Inputs that crashed hosts through an earlier build (tests/data). The plug-in must come
    // up with hostile preset files in its presets folder (its constructor scans the folder),
    // refuse hostile state blobs, keep its state and pass audio as before.
    TEST_P (BuiltPlugin, HostilePresetFilesAndStateBlobsAreRefused)
    {
        using orvelin::test::testData;
        const char* hostilePresets[] = { "hostile-entity-loop.qzp", "hostile-deep-nesting.qzp" };

        // The default presets folder in the test home, made by the instance SetUp loaded.
        const auto presets = juce::File (juce::String (orvelin::test::temporaryHome())).getChildFile (".config/Velmora/Orvelin Presets");
        ASSERT_TRUE (presets.isDirectory());

        for (auto* name : hostilePresets)
            ASSERT_TRUE (orvelin::test::testDataFile (name).copyFileTo (presets.getChildFile (name)));

        juce::String error;
        auto instance = loadBuiltPlugin (format(), error);
        ASSERT_NE (instance, nullptr) << error;

        const auto before = instance->getState();

        for (auto* name : { "hostile-entity-loop.state", "hostile-deep-nesting.state" })
        {
            instance->setPluginState (testData (name));
            EXPECT_TRUE (instance->getState() == before) << name;
        }

        // Base64 texts whose declared size the text can't hold: decoding asked for that much
        // memory and std::bad_alloc ended the host. (The VST3 plug-in gets them as bytes.)
        for (auto* text : { "-1.VMjLgXj", "-2147483648.VMjLgXj", "3000000000.VMjLgXj" })
        {
            if (instance->setPluginStateText (text))
            {
                EXPECT_TRUE (instance->getState() == before) << text;
            }
        }

        expectAudioPassesUnchanged (*instance);

        // The blobs did reach the plug-in: a state it saved itself changes it.
        const auto saved = testData ("saved-state.bin");
        instance->setPluginState (saved);
        const auto restored = instance->getState();
        EXPECT_FALSE (restored == before);

        // The same state followed by the section in which the VST3 wrapper keeps its own data,
        // with a forged size: the wrapper subtracted it unchecked and read far outside the
        // state. Such a section is no section, and the state in front of it still restores.
        for (const auto forgedSize : { (juce::uint64) saved.getSize() + 8, (juce::uint64) 1 << 30, ~(juce::uint64) 0 })
        {
            instance->setState (before);
            instance->setPluginState (withVst3PrivateDataSize (saved, forgedSize));
            EXPECT_TRUE (instance->getState() == restored) << forgedSize;
        }

        for (auto* name : hostilePresets)
            presets.getChildFile (name).deleteFile();
    }

    // Runs the editor's events until the host's window for it has the size, or a few
    // seconds have passed.
    bool editorWindowReaches (LoadedPlugin& instance, int width, int height)
    {
        const auto giveUpAt = juce::Time::getMillisecondCounter() + 5000;

        while (juce::Time::getMillisecondCounter() < giveUpAt)
        {
            instance.handleEditorEvents();

            if (instance.getEditorWindowArea().getWidth() == width && instance.getEditorWindowArea().getHeight() == height)
                return true;

            juce::Thread::sleep (5);
        }

        ADD_FAILURE() << "the editor's window is " << instance.getEditorWindowArea().toString() << ", not "
                      << width << " x " << height;
        return false;
    }

    TEST_P (BuiltPlugin, EditorOpensAtItsStoredSizeAndTheHostsWindowFollowsItsResizeCorner)
    {
        ScreenPointer pointer;

        if (! pointer.isAvailable())
            GTEST_SKIP() << "needs an X display with the XTest extension (xvfb-run)";

        // At first half the height of xvfb-run's 1080-pixel screen, 1.5 times as wide.
        const juce::Point<int> topLeft (100, 100);
        ASSERT_TRUE (plugin->openEditor (topLeft));
        ASSERT_TRUE (editorWindowReaches (*plugin, 810, 540));

        // A drag on the corner at the bottom right, as a user makes it, in a few steps,
        // once the plug-in's own window lies inside the host's at that point.
        const auto start = plugin->getEditorWindowArea().getPosition() + juce::Point<int> (791, 521);
        const auto giveUpAt = juce::Time::getMillisecondCounter() + 5000;

        while (pointer.countWindowsAt (start.x, start.y) < 2 && juce::Time::getMillisecondCounter() < giveUpAt)
        {
            plugin->handleEditorEvents();
            juce::Thread::sleep (5);
        }

        ASSERT_GE (pointer.countWindowsAt (start.x, start.y), 2) << "the plug-in's window never appeared";

        pointer.moveTo (start.x, start.y);
        plugin->handleEditorEvents();
        pointer.pressLeftButton();

        for (int step = 1; step <= 5; ++step)
        {
            juce::Thread::sleep (20);
            plugin->handleEditorEvents();
            pointer.moveTo (start.x + 30 * step, start.y + 20 * step);
        }

        juce::Thread::sleep (20);
        plugin->handleEditorEvents();
        pointer.releaseLeftButton();

        EXPECT_TRUE (editorWindowReaches (*plugin, 960, 640));
        plugin->closeEditor();

        // The size travels with the session into a fresh instance.
        const auto state = plugin->getState();
        plugin.reset();

        juce::String error;
        auto restored = loadBuiltPlugin (format(), error);
        ASSERT_NE (restored, nullptr) << error;
        restored->setState (state);

        ASSERT_TRUE (restored->openEditor (topLeft));
        EXPECT_TRUE (editorWindowReaches (*restored, 960, 640));
        restored->closeEditor();
    }

    INSTANTIATE_TEST_SUITE_P (EveryFormat, BuiltPlugin, ::testing::ValuesIn (everyFormat), formatName);

    //==============================================================================
    // Each binary exports its format's entry points and nothing else: lv2lint fails a bundle
    // whose library exports more, and one plug-in's symbols could bind to another's.
    TEST (BuiltBinaries, ExportOnlyTheirEntryPoints)
    {
        // The entry points in sorted order.
        const std::pair<juce::File, std::string> binaries[] = {
            { getBuiltVst3Bundle().findChildFiles (juce::File::findFiles, true, "*.so")[0], "GetPluginFactory ModuleEntry ModuleExit" },
            { getBuiltLv2Bundle().getChildFile ("libOrvelin.so"),                           "lv2_descriptor lv2ui_descriptor" },
            { getBuiltVst2Module(),                                                         "VSTPluginMain main" },
        };

        for (const auto& [binary, entryPoints] : binaries)
        {
            juce::ChildProcess nm;
            ASSERT_TRUE (nm.start (juce::StringArray { "nm", "-D", "--defined-only", "--format=posix", binary.getFullPathName() }));

            juce::StringArray exported;
            exported.addLines (nm.readAllProcessOutput().trim());

            for (auto& line : exported)
                line = line.upToFirstOccurrenceOf (" ", false, false);

            exported.sort (false);
            EXPECT_EQ (exported.joinIntoString (" ").toStdString(), entryPoints) << binary.getFullPathName();
        }
    }

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

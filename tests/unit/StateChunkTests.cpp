#include "PresetsTestSupport.h"
#include "helpers/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    using orvelin::test::everythingALoadOrRestoreMayChange;
    using orvelin::test::expectedParameters;
    using orvelin::test::numRealParameters;
    using orvelin::test::restore;
    using orvelin::test::stateOf;

    juce::MemoryBlock blobFor (const juce::XmlElement& xml)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (xml, block);
        return block;
    }

    // A blob with the magic number and length field of the framework's format around
    // arbitrary bytes.
    juce::MemoryBlock blobAround (const juce::MemoryBlock& text, juce::uint32 lengthField)
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt ((int) lengthField);
        out << text;
        return out.getMemoryBlock();
    }

    float parameter (const OrvelinAudioProcessor& p, const char* name)
    {
        return p.getParameterManager()->getParameterValue (name);
    }

    float treeValue (const OrvelinAudioProcessor& p, const char* name)
    {
        return p.getParamValueFromValueTree (p.getCurrentPresetValueTree(), p.getParameterManager()->getParameterIndex (name));
    }

    // A state element with nothing but the given attributes.
    juce::MemoryBlock stateWith (std::initializer_list<std::pair<const char*, const char*>> attributes)
    {
        juce::XmlElement xml ("QZPLUGINSETTINGS");

        for (const auto& [name, value] : attributes)
            xml.setAttribute (name, value);

        return blobFor (xml);
    }
}

//==============================================================================
TEST (StateChunk, WritesSevenSettingsThenEveryParameterInOrder)
{
    OrvelinAudioProcessor p;
    const auto blob = stateOf (p);

    ASSERT_GT (blob.getSize(), 9u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (blob.getData()), 0x21324356u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (blob.getData(), 4)), (juce::uint32) blob.getSize() - 9);
    EXPECT_EQ (static_cast<const char*> (blob.getData())[blob.getSize() - 1], 0);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int) blob.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("QZPLUGINSETTINGS"));

    juce::StringArray expected { "defaultEditorHeight", "lastEditorHeight", "colourSchemeBrightnessAsDouble",
                                 "programName", "channelName", "expertModeAsDouble", "stepFactoryPresets" };
    for (const auto& entry : expectedParameters)
        expected.add (entry.name);

    juce::StringArray written;
    for (int i = 0; i < xml->getNumAttributes(); ++i)
        written.add (xml->getAttributeName (i));

    EXPECT_EQ (written.joinIntoString (" "), expected.joinIntoString (" "));

    EXPECT_EQ (xml->getStringAttribute ("programName"), "Init");
    EXPECT_EQ (xml->getStringAttribute ("channelName"), "No Channel Name");
    EXPECT_EQ (xml->getStringAttribute ("stepFactoryPresets"), "1");
    EXPECT_EQ (xml->getStringAttribute ("defaultEditorHeight"), juce::String (p.getDefaultEditorHeight()));
    EXPECT_EQ ((float) xml->getDoubleAttribute ("colourSchemeBrightnessAsDouble"), 0.3f);
    EXPECT_EQ (xml->getDoubleAttribute ("expertModeAsDouble"), 0.0);
    EXPECT_EQ ((float) xml->getDoubleAttribute ("SafeBassFreq"), 0.286f);
}

TEST (StateChunk, AFreshInstanceGetsEveryValueBackExactly)
{
    OrvelinAudioProcessor saved;

    for (int i = 0; i < numRealParameters; ++i)
        saved.setParamAndNotifyHost (expectedParameters[i].name, std::nextafter ((float) (i + 1) / 19.0f, 1.0f), false);

    saved.setCurrentPresetNameUndoable ("Odd * name");
    saved.setEditorHeight (777);
    saved.setCurrentColourSchemeBrightness (0.0f);
    saved.setChannelName (juce::String::fromUTF8 ("Bus 3 & <Dr\xc3\xbc" "ms>\n\"quoted\""));
    saved.setExpertMode (true);

    ASSERT_TRUE (saved.currentPresetWasModified());
    const auto blob = stateOf (saved);

    OrvelinAudioProcessor restored;
    restore (restored, blob);

    for (const auto& [name, defaultValue, defaultText] : expectedParameters)
    {
        EXPECT_EQ (parameter (restored, name), parameter (saved, name)) << name;
        EXPECT_EQ (treeValue (restored, name), parameter (saved, name)) << name;
    }

    // The shown name comes back with its "*", although the new instance is not modified.
    EXPECT_EQ (restored.getCurrentPresetName(), "Odd  name*");
    EXPECT_FALSE (restored.currentPresetWasModified());
    EXPECT_TRUE (restored.currentPresetIsFactory());
    EXPECT_EQ (restored.getCurrentPresetID(), 0);

    EXPECT_EQ (restored.getEditorHeight(), 777);
    EXPECT_EQ (restored.getCurrentColourSchemeBrightness(), 0.0f);
    EXPECT_EQ (restored.getChannelName(), saved.getChannelName());
    EXPECT_TRUE (restored.getExpertMode());

    EXPECT_EQ (stateOf (restored), blob) << "saving again gives the same bytes";
}

TEST (StateChunk, AUserPresetIsFoundInTheUserList)
{
    OrvelinAudioProcessor saved;
    const auto name = "State chunk user preset " + juce::String::toHexString (juce::Random().nextInt());
    ASSERT_TRUE (saved.saveCurrentPresetFromValueTreeToDisk (name, true));
    ASSERT_FALSE (saved.currentPresetIsFactory());

    OrvelinAudioProcessor restored;
    restore (restored, stateOf (saved));

    EXPECT_FALSE (restored.currentPresetIsFactory());
    EXPECT_EQ (restored.getCurrentPresetName(), name);
    EXPECT_EQ (restored.getCurrentPresetID(), restored.getAllUserPresetNames().indexOf (name));
    EXPECT_GE (restored.getCurrentPresetID(), 0);

    saved.getUserPresetsFolder().getChildFile (name + ".qzp").deleteFile();
}

// Names come from hosts and from typing: with characters XML can't carry, and of any length
// that fits the restore's 1 MiB limit. Saved whole, a control character made the state
// unreadable, and 700,000 ">" became 2.8 MB of "&gt;"; either way the next load reset
// everything. Such characters are left out and names kept to 256 characters, at the save and
// at the restore, so that what a restore takes saves within the limit and reads back.
TEST (StateChunk, NamesOfAnyLengthAndCharactersSaveWithinTheLimitAndReadBack)
{
    const auto control = [] (int c) { return juce::String::charToString ((juce::juce_wchar) c); };
    const auto euros = [] (int n) { return juce::String::repeatedString (juce::String::fromUTF8 ("\xe2\x82\xac"), n); };

    OrvelinAudioProcessor saved;
    saved.setParamAndNotifyHost ("Pan", 0.25f, true);
    saved.setCurrentPresetNameUndoable ("Ctrl" + control (1) + "Name" + control (0xffff));
    saved.setChannelName ("Bus" + control (0x1f) + "\t1" + juce::String::repeatedString (">", 700000));

    OrvelinAudioProcessor restored;
    restore (restored, stateOf (saved));
    EXPECT_EQ (restored.getCurrentPresetName(), "CtrlName*");
    EXPECT_EQ (restored.getChannelName(), "Bus\t1" + juce::String::repeatedString (">", 251));
    EXPECT_EQ (parameter (restored, "Pan"), 0.25f);

    juce::MemoryOutputStream text;
    text << "<QZPLUGINSETTINGS programName=\"" << juce::String::repeatedString (">", 700000)
         << "\" channelName=\"" << euros (100000) << "\" Pan=\"0.25\"/>";
    text.writeByte (0);
    const auto hostile = blobAround (text.getMemoryBlock(), (juce::uint32) text.getDataSize());
    ASSERT_LT (hostile.getSize(), (size_t) 1 << 20);

    OrvelinAudioProcessor first;
    restore (first, hostile);
    EXPECT_EQ (first.getCurrentPresetName(), juce::String::repeatedString (">", 256));
    EXPECT_EQ (first.getChannelName(), euros (256));
    EXPECT_EQ (parameter (first, "Pan"), 0.25f);

    const auto state = stateOf (first);
    EXPECT_LT (state.getSize(), 8192u);

    OrvelinAudioProcessor second;
    restore (second, state);
    EXPECT_EQ (stateOf (second), state);
}

//==============================================================================
TEST (StateChunk, MissingAttributesTakeTheirDefaults)
{
    const struct
    {
        const char* description;
        juce::MemoryBlock blob;
        int defaultHeight, editorHeight;   // -1: the instance's own default height
        const char* name;
        bool factory;
        int id;
    } cases[] =
    {
        { "nothing but the tag", stateWith ({}), -1, -1, "(NO NAME)", false, 7 },
        { "only the default height", stateWith ({ { "defaultEditorHeight", "600" } }), 600, 600, "(NO NAME)", false, 7 },
        { "both heights", stateWith ({ { "defaultEditorHeight", "600" }, { "lastEditorHeight", "700" } }), 600, 700, "(NO NAME)", false, 7 },
        { "factory name and flag", stateWith ({ { "programName", "TRACK Stereo 150%" }, { "stepFactoryPresets", "1" } }), -1, -1, "TRACK Stereo 150%", true, 2 },
        { "factory name without flag", stateWith ({ { "programName", "TRACK Stereo 150%" } }), -1, -1, "TRACK Stereo 150%", false, 7 },
        { "unknown name with flag", stateWith ({ { "programName", "Nowhere" }, { "stepFactoryPresets", "1" } }), -1, -1, "Nowhere", true, 7 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);

        OrvelinAudioProcessor p;
        p.loadFactoryPresetUndoableWithID (7);
        p.setChannelName ("Kept");
        p.setExpertMode (true);
        const int ownDefault = p.getDefaultEditorHeight();

        restore (p, c.blob);

        EXPECT_EQ (p.getDefaultEditorHeight(), c.defaultHeight < 0 ? ownDefault : c.defaultHeight);
        EXPECT_EQ (p.getEditorHeight(), c.editorHeight < 0 ? ownDefault : c.editorHeight);
        EXPECT_EQ (p.getCurrentColourSchemeBrightness(), 0.0f);
        EXPECT_EQ (p.getCurrentPresetName(), c.name);
        EXPECT_EQ (p.getChannelName(), "Kept");
        EXPECT_FALSE (p.getExpertMode());
        EXPECT_EQ (p.currentPresetIsFactory(), c.factory);
        EXPECT_EQ (p.getCurrentPresetID(), c.id);

        // A missing parameter is 0.0, not its default.
        for (const auto& [name, defaultValue, defaultText] : expectedParameters)
        {
            EXPECT_EQ (parameter (p, name), 0.0f) << name;
            EXPECT_EQ (treeValue (p, name), 0.0f) << name;
        }
    }
}

TEST (StateChunk, AbsurdNumbersAreKeptWithinWhatThePluginCanUse)
{
    OrvelinAudioProcessor p;
    const int ownDefault = p.getDefaultEditorHeight();

    restore (p, stateWith ({ { "defaultEditorHeight", "1e12" }, { "lastEditorHeight", "-300" },
                             { "colourSchemeBrightnessAsDouble", "nan" }, { "expertModeAsDouble", "inf" },
                             { "stepFactoryPresets", "-2147483648" },
                             { "StereoWidth", "nan" }, { "Pan", "-inf" }, { "InputGain", "-5" }, { "OutputGain", "7" },
                             { "SafeBassFreq", "garbage" }, { "Mono", "1e400" }, { "PanCurve", "0.2" } }));

    EXPECT_EQ (p.getDefaultEditorHeight(), ownDefault);
    EXPECT_EQ (p.getEditorHeight(), ownDefault);
    EXPECT_EQ (p.getCurrentColourSchemeBrightness(), 0.0f);
    EXPECT_FALSE (p.getExpertMode());
    EXPECT_FALSE (p.currentPresetIsFactory());

    // Not a number: the parameter's default. Out of range: the nearest end.
    EXPECT_EQ (parameter (p, "StereoWidth"), 0.5f);
    EXPECT_EQ (parameter (p, "Pan"), 0.5f);
    EXPECT_EQ (parameter (p, "SafeBassFreq"), 0.286f);
    EXPECT_EQ (parameter (p, "Mono"), 0.0f);
    EXPECT_EQ (parameter (p, "InputGain"), 0.0f);
    EXPECT_EQ (parameter (p, "OutputGain"), 1.0f);
    EXPECT_EQ (parameter (p, "PanCurve"), 0.2f);

    restore (p, stateWith ({ { "lastEditorHeight", "10001" }, { "colourSchemeBrightnessAsDouble", "5" },
                             { "expertModeAsDouble", "0.5" } }));

    EXPECT_EQ (p.getEditorHeight(), ownDefault);
    EXPECT_EQ (p.getCurrentColourSchemeBrightness(), 1.0f);

    // Only exactly 1.0 means on, and the restore stores it as 0.0 or 1.0.
    EXPECT_FALSE (p.getExpertMode());
    const auto state = stateOf (p);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getDoubleAttribute ("expertModeAsDouble"), 0.0);
}

TEST (StateChunk, OneUndoBringsBackTheNameAndValuesBeforeTheRestore)
{
    OrvelinAudioProcessor other;
    other.setParamAndNotifyHost ("StereoWidth", 0.3f, true);
    other.setCurrentPresetNameUndoable ("From the project");
    const auto blob = stateOf (other);

    OrvelinAudioProcessor p;
    p.loadFactoryPresetUndoableWithID (3);
    restore (p, blob);

    ASSERT_EQ (p.getCurrentPresetName(), "From the project*");
    ASSERT_EQ (parameter (p, "StereoWidth"), 0.3f);
    ASSERT_TRUE (p.canUndo());

    p.undoLastParameterChange();

    EXPECT_EQ (p.getCurrentPresetName(), "TRACK Stereo 200%");
    EXPECT_EQ (treeValue (p, "StereoWidth"), 1.0f);
    EXPECT_EQ (parameter (p, "StereoWidth"), 1.0f);

    p.redoLastParameterChange();
    EXPECT_EQ (p.getCurrentPresetName(), "From the project*");
    EXPECT_EQ (parameter (p, "StereoWidth"), 0.3f);
}

// Hosts may restore again and again (A/B comparisons, whole-state automation): each
// restore is one undo step, and the history keeps to its limits instead of growing.
TEST (StateChunk, EachRestoreIsOneUndoStepAndTheHistoryStaysBounded)
{
    const auto stateWithEveryValueAt = [] (const char* value)
    {
        juce::XmlElement xml ("QZPLUGINSETTINGS");
        xml.setAttribute ("programName", juce::String ("Everything at ") + value);

        for (const auto& entry : expectedParameters)
            xml.setAttribute (entry.name, value);

        return blobFor (xml);
    };

    const juce::MemoryBlock states[] = { stateWithEveryValueAt ("0.25"), stateWithEveryValueAt ("0.75") };
    constexpr int numRestores = 200;

    OrvelinAudioProcessor p;

    for (int i = 0; i < numRestores; ++i)
        restore (p, states[i % 2]);

    ASSERT_EQ (parameter (p, "StereoWidth"), 0.75f);

    p.undoLastParameterChange();
    EXPECT_EQ (parameter (p, "StereoWidth"), 0.25f);
    EXPECT_EQ (p.getCurrentPresetName(), "Everything at 0.25");

    int numUndoSteps = 1;

    while (p.canUndo() && numUndoSteps < numRestores)
    {
        p.undoLastParameterChange();
        ++numUndoSteps;
    }

    EXPECT_LT (numUndoSteps, numRestores / 2) << "the oldest restores leave the history";
}

//==============================================================================
TEST (StateChunk, ForeignTruncatedAndHostileBlobsChangeNothing)
{
    OrvelinAudioProcessor source;
    source.setParamAndNotifyHost ("Pan", 0.9f, true);
    const auto valid = stateOf (source);

    OrvelinAudioProcessor p;
    p.setParamAndNotifyHost ("StereoWidth", 0.7f, true);
    p.setChannelName ("Before");
    const auto before = everythingALoadOrRestoreMayChange (p);

    std::vector<std::pair<juce::String, juce::MemoryBlock>> blobs;

    // Every cut of a valid blob short of its final zero byte.
    for (size_t size = 0; size + 1 < valid.getSize(); ++size)
        blobs.emplace_back ("cut at " + juce::String ((int) size), juce::MemoryBlock (valid.getData(), size));

    juce::Random random (99);

    for (int i = 0; i < 300; ++i)
    {
        juce::MemoryBlock noise ((size_t) random.nextInt (3000));
        random.fillBitsRandomly (noise.getData(), noise.getSize());
        blobs.emplace_back ("noise", noise);
        blobs.emplace_back ("noise behind the magic number", blobAround (noise, (juce::uint32) noise.getSize()));
    }

    juce::XmlElement foreign ("SOMEOTHERPLUGIN");
    foreign.setAttribute ("programName", "Intruder");

    auto text = [] (const char* s) { return juce::MemoryBlock (s, std::strlen (s) + 1); };

    juce::MemoryBlock huge (2 << 20);
    huge.fillWith (' ');

    blobs.emplace_back ("foreign tag", blobFor (foreign));
    auto otherLetters = stateWith ({ { "programName", "Intruder" } });
    {
        auto* bytes = static_cast<char*> (otherLetters.getData());
        auto* tag = std::search (bytes, bytes + otherLetters.getSize(), "QZPLUGINSETTINGS", "QZPLUGINSETTINGS" + 16);
        ASSERT_NE (tag, bytes + otherLetters.getSize());
        std::memcpy (tag, "QzPluginSettings", 16);
    }
    blobs.emplace_back ("our tag in other letters", otherLetters);
    blobs.emplace_back ("length zero", blobAround (text ("<QZPLUGINSETTINGS programName=\"x\"/>"), 0));
    blobs.emplace_back ("negative length", blobAround (text ("<QZPLUGINSETTINGS programName=\"x\"/>"), 0xffffffffu));
    blobs.emplace_back ("length short of the element", blobAround (text ("<QZPLUGINSETTINGS programName=\"x\"/>"), 20));
    blobs.emplace_back ("broken UTF-8", blobAround (text ("<QZPLUGINSETTINGS programName=\"\xc3\"/>"), 40));
    blobs.emplace_back ("cut-off UTF-8 at the end", blobAround (juce::MemoryBlock ("<Q a=\"\xe2", 7), 7));
    blobs.emplace_back ("too big", blobAround (huge, (juce::uint32) huge.getSize()));
    blobs.emplace_back ("plain text", text ("<QZPLUGINSETTINGS programName=\"x\"/>"));

    // Blobs that crashed hosts through an earlier build.
    for (const char* name : { "hostile-entity-loop.state", "hostile-deep-nesting.state" })
    {
        blobs.emplace_back (name, orvelin::test::testData (name));
        ASSERT_GT (blobs.back().second.getSize(), 8u) << name;
    }

    for (const auto& [description, blob] : blobs)
    {
        restore (p, blob);
        ASSERT_EQ (everythingALoadOrRestoreMayChange (p), before) << description;
    }

    // Null data and nonsense sizes.
    p.setStateInformation (nullptr, 100);
    p.setStateInformation (valid.getData(), 0);
    p.setStateInformation (valid.getData(), -5);
    EXPECT_EQ (everythingALoadOrRestoreMayChange (p), before);
}

TEST (StateChunk, MutatedBlobsAlwaysLeaveUsableValues)
{
    OrvelinAudioProcessor source;
    source.setEditorHeight (640);
    const auto valid = stateOf (source);

    OrvelinAudioProcessor p;
    const int ownDefault = p.getDefaultEditorHeight();
    juce::Random random (7);
    const char alphabet[] = "0123456789.-+eE\"<>/&;#x naif";

    for (int round = 0; round < 1500; ++round)
    {
        juce::MemoryBlock blob (valid);
        auto* bytes = static_cast<char*> (blob.getData());

        for (int e = 1 + random.nextInt (4); --e >= 0;)
            bytes[8 + random.nextInt ((int) blob.getSize() - 9)] = alphabet[random.nextInt ((int) sizeof (alphabet) - 1)];

        restore (p, blob);

        for (int i = 0; i < numRealParameters; ++i)
        {
            const float v = p.getParameterManager()->getParameterValue (i);
            ASSERT_TRUE (v >= 0.0f && v <= 1.0f) << expectedParameters[i].name << " " << v;
        }

        ASSERT_TRUE (p.getEditorHeight() == ownDefault || (p.getEditorHeight() >= 100 && p.getEditorHeight() <= 10000));
        ASSERT_TRUE (p.getDefaultEditorHeight() == ownDefault || (p.getDefaultEditorHeight() >= 100 && p.getDefaultEditorHeight() <= 10000));

        const float brightness = p.getCurrentColourSchemeBrightness();
        ASSERT_TRUE (brightness >= 0.0f && brightness <= 1.0f);
    }
}

// An instance that has already computed its SAFE BASS filter must filter like a fresh one
// after a restore that moves the frequency.
TEST (StateChunk, RestoredSafeBassFrequencyReachesTheFilter)
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 8192;

    auto sideSignalLevel = [&] (OrvelinAudioProcessor& p)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);

        for (int n = 0; n < blockSize; ++n)
        {
            const auto s = 0.5f * (float) std::sin (2.0 * juce::MathConstants<double>::pi * 200.0 * n / rate);
            buffer.setSample (0, n, s);
            buffer.setSample (1, n, -s);
        }

        juce::MidiBuffer midi;
        p.processBlock (buffer, midi);

        // The level of the second half, after the filter has settled.
        return buffer.getRMSLevel (0, blockSize / 2, blockSize / 2);
    };

    OrvelinAudioProcessor source;
    source.setParamAndNotifyHost ("SafeBass", 1.0f, true);
    source.setParamAndNotifyHost ("SafeBassFreq", 1.0f, true);   // 500 Hz
    const auto blob = stateOf (source);

    OrvelinAudioProcessor running;
    running.setRateAndBufferSizeDetails (rate, blockSize);
    running.setParameter (running.getParameterManager()->getParameterIndex ("SafeBass"), 1.0f);
    const float at150Hz = sideSignalLevel (running);
    restore (running, blob);
    const float afterRestore = sideSignalLevel (running);

    OrvelinAudioProcessor fresh;
    fresh.setRateAndBufferSizeDetails (rate, blockSize);
    restore (fresh, blob);
    const float freshLevel = sideSignalLevel (fresh);

    EXPECT_NEAR (afterRestore, freshLevel, 0.05f * freshLevel);
    EXPECT_LT (afterRestore, 0.5f * at150Hz) << "200 Hz is cut far more at 500 Hz than at 150 Hz";
}

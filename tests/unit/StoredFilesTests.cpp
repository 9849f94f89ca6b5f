// Files from tests/data: what an earlier build saved reads back exactly, the hostile preset
// files found through hosts are refused, and values out of range are kept in range.

#include "PresetsTestSupport.h"
#include "helpers/TestData.h"

#include <cstring>
#include <map>

using namespace orvelin::test;

namespace
{
    // The XML text of a preset file as it was written: after the header's zero byte,
    // inflated when the header ends in "c", without the body's own zero byte.
    juce::String presetBodyText (const juce::MemoryBlock& file)
    {
        const auto* bytes = static_cast<const char*> (file.getData());
        const auto headerLength = std::strlen (bytes);
        juce::MemoryInputStream rest (bytes + headerLength + 1, file.getSize() - headerLength - 1, false);
        juce::MemoryOutputStream body;

        if (bytes[headerLength - 1] == 'c')
        {
            juce::GZIPDecompressorInputStream inflater (&rest, false, juce::GZIPDecompressorInputStream::zlibFormat);
            body.writeFromInputStream (inflater, -1);
        }
        else
        {
            body.writeFromInputStream (rest, -1);
        }

        return juce::String::fromUTF8 (static_cast<const char*> (body.getData()), (int) body.getDataSize() - 1);
    }

    // Every file of a folder with its bytes, to show that nothing was written or removed.
    std::map<juce::String, juce::MemoryBlock> contentsOf (const juce::File& folder)
    {
        std::map<juce::String, juce::MemoryBlock> contents;

        for (const auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            file.loadFileAsData (contents[file.getFileName()]);

        return contents;
    }

    class StoredFiles : public PresetsTestBase {};
}

TEST_F (StoredFiles, SavedPresetsReadBackAsTheyWereWritten)
{
    for (const char* name : { "saved-compressed.qzp", "saved-plain.qzp" })
    {
        SCOPED_TRACE (name);
        const auto bytes = testData (name);
        ASSERT_GT (bytes.getSize(), 30u);

        const auto file = writeRawPresetFile (userFolder(), "Fixture", bytes);
        const auto tree = p().loadUserPresetAsValueTree (file);

        // Written as the tree's XML text, so the tree read back writes the same text again.
        ASSERT_TRUE (tree.isValid());
        EXPECT_EQ (tree.toXmlString(), presetBodyText (bytes));
        EXPECT_TRUE (p().getAllUserPresetNames().contains ("Fixture"));

        p().loadFactoryPresetUndoableWithID (13);
        p().loadUserPresetUndoableWithName ("Fixture");

        ASSERT_EQ (tree.getNumChildren(), numRealParameters);

        for (const auto& child : tree)
            EXPECT_EQ (param (child["ParameterName"].toString()), (float) child["Value"]) << child["ParameterName"].toString();

        EXPECT_EQ (p().getCurrentPresetName(), tree["PresetName"].toString());
        expectProcessorAgreesWithTree();
    }
}

// The state with control characters is saved-state.bin with "&#1;" and "&#31;" put into
// both names, as an earlier build wrote names a host gave it: only those characters go.
TEST_F (StoredFiles, SavedStatesRestoreToTheStateThatWasSaved)
{
    const struct { const char* name; const char* savesAs; bool factory; int id; } cases[] = {
        { "saved-state.bin",                    "saved-state.bin",         false, 0 },
        { "saved-state-factory.bin",            "saved-state-factory.bin", true,  5 },
        { "saved-state-control-characters.bin", "saved-state.bin",         false, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto blob = testData (c.name);

        OrvelinAudioProcessor restored;
        restore (restored, blob);

        EXPECT_EQ (stateOf (restored), testData (c.savesAs)) << "every setting, name and value came back";
        EXPECT_EQ (restored.currentPresetIsFactory(), c.factory);
        EXPECT_EQ (restored.getCurrentPresetID(), c.id);
    }
}

//==============================================================================
// Each of these crashed the host in an earlier build, at construction (the folder scan) or
// on a load (the hostile state blobs are in StateChunkTests).
TEST_F (StoredFiles, HostilePresetFilesAreNotPresetsAndChangeNothing)
{
    for (const char* name : { "hostile-entity-loop.qzp", "hostile-deep-nesting.qzp" })
    {
        SCOPED_TRACE (name);
        writeUserPresets (1);
        const auto file = writeRawPresetFile (userFolder(), "Hostile", testData (name));
        const auto folderBefore = contentsOf (userFolder());

        OrvelinAudioProcessor scannedWhileBuilt;
        EXPECT_EQ (scannedWhileBuilt.getAllUserPresetNames(), juce::StringArray (userPresetName (0)));

        p().loadFactoryPresetUndoableWithID (3);
        p().setParamAndNotifyHost ("Pan", 0.25f, true);
        const auto before = everythingALoadOrRestoreMayChange (p());

        EXPECT_FALSE (p().loadUserPresetAsValueTree (file).isValid());
        p().loadUserPresetUndoableWithName ("Hostile");

        EXPECT_EQ (everythingALoadOrRestoreMayChange (p()), before);
        EXPECT_EQ (contentsOf (userFolder()), folderBefore);
    }
}

//==============================================================================
// A well-formed file with values no parameter can take: a load by name and a load by ID
// (and so next and previous) keep them to 0..1 and skip what is not a number.
TEST_F (StoredFiles, OutOfRangeValuesAreKeptInRangeOnEveryLoad)
{
    writeRawPresetFile (userFolder(), "Out of range", testData ("out-of-range-values.qzp"));

    const struct { const char* name; float expected; } values[] = {
        { "StereoWidth",  1.0f },       // "3e38"
        { "InputGain",    1.0f },       // "3e38"
        { "OutputGain",   1.0f },       // "1e39"
        { "Pan",          0.0f },       // "-0.5"
        { "Mono",         1.0f },       // "nan": as it was
        { "SafeBassFreq", 0.4898f },    // "1e400": as it was
    };

    for (const bool byID : { false, true })
    {
        SCOPED_TRACE (byID ? "by ID" : "by name");
        p().loadFactoryPresetUndoableWithID (13);
        p().setParamAndNotifyHost ("Mono", 1.0f, true);

        if (byID)
            p().loadUserPresetUndoableWithID (p().getAllUserPresetNames().indexOf ("Out of range"));
        else
            p().loadUserPresetUndoableWithName ("Out of range");

        ASSERT_EQ (p().getCurrentPresetName(), "Out of range");

        for (const auto& v : values)
            EXPECT_EQ (param (v.name), v.expected) << v.name;

        expectProcessorAgreesWithTree (false);
    }
}

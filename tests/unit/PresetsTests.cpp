// The current preset, the factory presets and every way of loading a preset.

#include "PresetsTestSupport.h"
#include "processor/OrvelinPresetCycle.h"

#include <fstream>
#include <limits>

using namespace orvelin::test;

namespace
{
    struct FactoryPresetRow
    {
        const char* name;
        float stereoWidth, safeBass, safeBassFreq;
    };

    const FactoryPresetRow factoryTable[] = {
        { "Init",                          0.5f,   0.0f, 0.286f },
        { "TRACK Stereo 125%",             0.625f, 0.0f, 0.286f },
        { "TRACK Stereo 150%",             0.75f,  0.0f, 0.286f },
        { "TRACK Stereo 200%",             1.0f,   0.0f, 0.286f },
        { "GROUP Stereo 125% + SafeBass",  0.625f, 1.0f, 0.4898f },
        { "GROUP Stereo 150% + SafeBass",  0.75f,  1.0f, 0.4898f },
        { "GROUP Stereo 200% + SafeBass",  1.0f,   1.0f, 0.4898f },
        { "MASTER Stereo 105% + SafeBass", 0.525f, 1.0f, 0.286f },
        { "MASTER Stereo 110% + SafeBass", 0.55f,  1.0f, 0.286f },
        { "MASTER Stereo 115% + SafeBass", 0.575f, 1.0f, 0.286f },
        { "MASTER SafeBass 80 Hz",         0.5f,   1.0f, 0.142f },
        { "MASTER SafeBass 100 Hz",        0.5f,   1.0f, 0.183f },
        { "MASTER SafeBass 150 Hz",        0.5f,   1.0f, 0.286f },
        { "MASTER SafeBass 250 Hz",        0.5f,   1.0f, 0.4898f },
    };

    class PresetsTest : public PresetsTestBase {};
}

//==============================================================================
TEST_F (PresetsTest, NewInstanceShowsInitAsFactoryPresetZeroWithNothingToUndo)
{
    EXPECT_EQ (p().getCurrentPresetName(), "Init");
    EXPECT_EQ (p().getProgramName (0), "Init");
    EXPECT_EQ (p().getCurrentPresetID(), 0);
    EXPECT_TRUE (p().currentPresetIsFactory());
    EXPECT_FALSE (p().currentPresetWasModified());
    EXPECT_FALSE (p().canUndo());
    EXPECT_FALSE (p().canRedo());

    // The current tree mirrors the parameters: root properties first, then one child per
    // parameter in index order.
    EXPECT_EQ (tree().getType().toString(), "VelmoraPreset");
    EXPECT_EQ (tree().getNumProperties(), 2);
    EXPECT_EQ (tree().getPropertyName (0).toString(), "QzPluginName");
    EXPECT_EQ (tree().getPropertyName (1).toString(), "PresetName");
    EXPECT_EQ (tree().getProperty ("QzPluginName").toString(), "Orvelin");
    ASSERT_EQ (tree().getNumChildren(), 18);

    for (int i = 0; i < 18; ++i)
    {
        const auto child = tree().getChild (i);
        EXPECT_EQ (child.getType().toString(), "Parameter");
        EXPECT_EQ (child.getProperty ("ParameterName").toString(), expectedParameters[i].name);
        EXPECT_EQ ((float) child.getProperty ("Value"), expectedParameters[i].defaultValue);
    }
}

TEST_F (PresetsTest, EachFactoryPresetLoadsItsValuesAndTellsTheHost)
{
    for (int id = 0; id < 14; ++id)
    {
        const auto& row = factoryTable[id];
        SCOPED_TRACE (row.name);

        // Start from something else each time, so every value really has to be written.
        p().setParamAndNotifyHost ("Pan", 0.9f, true);
        p().setParamAndNotifyHost ("MuteAll", 1.0f, true);
        host.clear();

        p().loadFactoryPresetUndoableWithID (id);

        EXPECT_EQ (p().getCurrentPresetID(), id);
        EXPECT_TRUE (p().currentPresetIsFactory());
        EXPECT_FALSE (p().currentPresetWasModified());
        EXPECT_EQ (p().getProgramName (0), row.name);
        EXPECT_EQ (p().getAllFactoryPresetNames()[id], row.name);

        for (int i = 0; i < 18; ++i)
        {
            const juce::String name = expectedParameters[i].name;
            float expected = expectedParameters[i].defaultValue;

            if (name == "StereoWidth")  expected = row.stereoWidth;
            if (name == "SafeBass")     expected = row.safeBass;
            if (name == "SafeBassFreq") expected = row.safeBassFreq;

            EXPECT_EQ (param (name), expected) << name;
        }

        expectProcessorAgreesWithTree();
        EXPECT_GT (host.numDisplayUpdates, 0) << "the host is asked to show the new program name";
    }
}

TEST_F (PresetsTest, FactoryIDsOutsideTheListChangeNothing)
{
    p().loadFactoryPresetUndoableWithID (3);
    const auto before = snapshot();
    const auto treeBefore = tree().toXmlString();

    for (int id : { -1, 14, 1000, std::numeric_limits<int>::min() })
    {
        p().loadFactoryPresetUndoableWithID (id);
        EXPECT_EQ (snapshot(), before) << id;
        EXPECT_EQ (tree().toXmlString(), treeBefore) << id;
    }
}

//==============================================================================
TEST_F (PresetsTest, ShownNameCarriesExactlyOneTrailingStarWhileModified)
{
    struct Case { const char* treeName; bool modify; const char* shown; };

    const Case cases[] = {
        { "Init",       false, "Init" },
        { "Init",       true,  "Init*" },
        { "Wide*Mix",   true,  "WideMix*" },    // a star in the middle moves to the end
        { "**Wide**",   true,  "Wide*" },
        { "Restored*",  false, "Restored*" },   // e.g. from a host state saved while modified
        { "Restored*",  true,  "Restored*" },
        { "",           false, "" },
        { "*",          true,  "*" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.treeName);
        p().loadFactoryPresetUndoableWithID (0);
        p().setCurrentPresetNameUndoable (c.treeName);

        if (c.modify)
            p().setParamAndNotifyHost ("StereoWidth", 0.8f, true);

        EXPECT_EQ (p().currentPresetWasModified(), c.modify);
        EXPECT_EQ (p().getCurrentPresetName(), c.shown);
        EXPECT_EQ (p().getProgramName (7), c.shown);
        EXPECT_EQ (tree().getProperty ("PresetName").toString(), c.treeName) << "the stored name keeps its stars";
    }
}

TEST_F (PresetsTest, RenamingStoresAnyTextAndKeepsIdentityAndModifiedFlag)
{
    p().loadFactoryPresetUndoableWithID (5);
    p().setParamAndNotifyHost ("Pan", 0.3f, true);

    for (const juce::String& name : { juce::String ("My Mix"), juce::String(), juce::String (juce::CharPointer_UTF8 ("Br\xc3\xbc" "cke / \xe2\x82\xac")) })
    {
        p().setCurrentPresetNameUndoable (name);
        EXPECT_EQ (tree().getProperty ("PresetName").toString(), name);
        EXPECT_EQ (p().getCurrentPresetID(), 5);
        EXPECT_TRUE (p().currentPresetIsFactory());
        EXPECT_TRUE (p().currentPresetWasModified());
    }

    // The host's own rename goes the same way, whatever program index it names.
    p().changeProgramName (3, "From Host");
    EXPECT_EQ (p().getProgramName (0), "From Host*");
}

TEST_F (PresetsTest, UpdateCurrentPresetIDLooksTheShownNameUpInTheFlaggedList)
{
    p().loadFactoryPresetUndoableWithID (7);

    p().changeProgramName (0, "TRACK Stereo 150%");
    p().updateCurrentPresetID();
    EXPECT_EQ (p().getCurrentPresetID(), 2);

    // Unknown names, and names shown with the modified star, keep the ID.
    p().changeProgramName (0, "Nowhere");
    p().updateCurrentPresetID();
    EXPECT_EQ (p().getCurrentPresetID(), 2);

    p().changeProgramName (0, "TRACK Stereo 200%");
    p().setParamAndNotifyHost ("Mono", 1.0f, true);
    p().updateCurrentPresetID();
    EXPECT_EQ (p().getCurrentPresetID(), 2);
}

//==============================================================================
// User presets

TEST_F (PresetsTest, LoadByIDTakesTheListNameAndMarksTheTreeAsUser)
{
    writeUserPresets (3);
    const auto names = p().getAllUserPresetNames();
    ASSERT_EQ (names.size(), 3);

    // A file whose inner name differs from its file name is listed, and shown, by its file name.
    writeUncompressedPresetFile (userFolder(), names[1], makeUserPresetTree ("Inner Name", widthOfUserPresetNamed (names[1])));

    p().setParamAndNotifyHost ("Mono", 1.0f, true);
    p().loadUserPresetUndoableWithID (1);

    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetID(), 1);
    EXPECT_FALSE (p().currentPresetWasModified());
    EXPECT_EQ (p().getCurrentPresetName(), names[1]);
    EXPECT_EQ (tree().getProperty ("PresetType").toString(), "User");
    EXPECT_EQ ((int) tree().getProperty ("PresetID"), 1);
    EXPECT_EQ (param ("StereoWidth"), widthOfUserPresetNamed (names[1]));
    EXPECT_EQ (param ("Mono"), 0.0f);
    expectProcessorAgreesWithTree();

    const auto before = snapshot();

    for (int id : { -1, 3, 99 })
    {
        p().loadUserPresetUndoableWithID (id);
        EXPECT_EQ (snapshot(), before) << id;
    }
}

TEST_F (PresetsTest, LoadByNameCopiesTheFileRootAndMatchesParametersByName)
{
    const auto folder = userFolder();
    ASSERT_NE (folder, juce::File());

    // Children in reverse order, "Pan" missing, one unknown parameter, extra root
    // properties and no "QzPluginName".
    auto fileTree = makeUserPresetTree ("Odd", 0.875f, 0.25f);
    fileTree.removeProperty ("QzPluginName", nullptr);
    fileTree.setProperty ("LastSaved", "yesterday", nullptr);
    fileTree.setProperty ("PresetID", 42, nullptr);
    fileTree.removeChild (fileTree.getChildWithProperty ("ParameterName", "Pan"), nullptr);

    juce::ValueTree reversed (fileTree.getType());
    reversed.copyPropertiesFrom (fileTree, nullptr);

    for (int i = fileTree.getNumChildren(); --i >= 0;)
        reversed.appendChild (fileTree.getChild (i).createCopy(), nullptr);

    juce::ValueTree unknown ("Parameter");
    unknown.setProperty ("ParameterName", "NoSuchParameter", nullptr);
    unknown.setProperty ("Value", 0.75, nullptr);
    reversed.appendChild (unknown, nullptr);

    writeUncompressedPresetFile (folder, "Odd", reversed);

    p().setParamAndNotifyHost ("Pan", 0.7f, true);
    p().loadUserPresetUndoableWithName ("Odd");

    EXPECT_EQ (param ("StereoWidth"), 0.875f);
    EXPECT_EQ (param ("Pan"), 0.7f) << "a parameter the file lacks keeps its value";
    EXPECT_FALSE (tree().hasProperty ("QzPluginName"));
    EXPECT_EQ (tree().getProperty ("LastSaved").toString(), "yesterday");
    EXPECT_EQ (tree().getProperty ("PresetName").toString(), "Odd");

    // The ID is the file's place in the folder's list, not what the file says.
    EXPECT_EQ (p().getCurrentPresetID(), p().getAllUserPresetNames().indexOf ("Odd"));
    EXPECT_EQ ((int) tree().getProperty ("PresetID"), p().getCurrentPresetID());
    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_FALSE (p().currentPresetWasModified());
    EXPECT_EQ (tree().getNumChildren(), 18);
    EXPECT_FALSE (tree().getChildWithProperty ("ParameterName", "NoSuchParameter").isValid());
    expectProcessorAgreesWithTree (false);
}

// JUCE's own reading of "1e99999999999" overflows an int (the sanitizer builds report it),
// so the file's numbers must never reach it, not even in the tree's comparisons.
TEST_F (PresetsTest, ValuesThatAreNoFiniteNumbersLeaveTheParameterAsItWas)
{
    const auto folder = userFolder();
    ASSERT_NE (folder, juce::File());

    auto fileTree = makeUserPresetTree ("Broken Numbers", 0.25f);
    fileTree.getChildWithProperty ("ParameterName", "StereoWidth").setProperty ("Value", "nan", nullptr);
    fileTree.getChildWithProperty ("ParameterName", "Pan").setProperty ("Value", "-inf", nullptr);
    fileTree.getChildWithProperty ("ParameterName", "OutputGain").setProperty ("Value", "1e99999999999", nullptr);
    fileTree.getChildWithProperty ("ParameterName", "Mono").setProperty ("Value", "nan", nullptr);
    fileTree.setProperty ("PresetID", "99999999999999999999", nullptr);
    writeUncompressedPresetFile (folder, "Broken Numbers", fileTree);

    p().setParamAndNotifyHost ("StereoWidth", 0.6f, true);
    p().setParamAndNotifyHost ("OutputGain", 0.7f, true);

    // Automated by the host, so the tree still holds the 0.0 it was loaded with.
    p().setParameter (p().getParameterManager()->getParameterIndex ("Mono"), 1.0f);
    p().loadUserPresetUndoableWithName ("Broken Numbers");

    EXPECT_EQ (param ("StereoWidth"), 0.6f);
    EXPECT_EQ (param ("Pan"), 0.5f);
    EXPECT_EQ (param ("OutputGain"), 0.7f);
    EXPECT_EQ (param ("Mono"), 1.0f);
    EXPECT_EQ (p().getCurrentPresetName(), "Broken Numbers");
    expectProcessorAgreesWithTree (false);
}

TEST_F (PresetsTest, LoadByNameThatFindsNoUsablePresetChangesNothing)
{
    const auto folder = userFolder();
    ASSERT_NE (folder, juce::File());

    writeUserPresets (2);
    const auto names = p().getAllUserPresetNames();
    p().loadUserPresetUndoableWithID (1);
    p().setParamAndNotifyHost ("Pan", 0.2f, true);
    p().setParamAndNotifyHost ("Pan", 0.3f, true);
    p().undoLastParameterChange();

    const char garbage[] = "Velmora Preset File:::::\0<VelmoraPreset PresetName=\"cut off";
    writeRawPresetFile (folder, "Garbled", juce::MemoryBlock (garbage, sizeof (garbage)));
    writeRawPresetFile (folder, "Empty", {});

    // A proper preset one level up must not be reachable through the name.
    writeUncompressedPresetFile (folder.getParentDirectory(), "Outside", makeUserPresetTree ("Outside", 1.0f));

    const auto before = snapshot();
    const auto treeBefore = tree().toXmlString();
    const bool wasModified = p().currentPresetWasModified();
    const bool couldRedo = p().canRedo();

    for (const char* name : { "Garbled", "Empty", "Missing", "", "../Outside", "..", "/etc/passwd" })
    {
        SCOPED_TRACE (name);
        p().loadUserPresetUndoableWithName (name);

        EXPECT_EQ (snapshot(), before);
        EXPECT_EQ (tree().toXmlString(), treeBefore);
        EXPECT_EQ (p().currentPresetWasModified(), wasModified);
        EXPECT_EQ (p().canRedo(), couldRedo) << "a new undo step would have dropped the redo history";
    }

    // Undo still reaches back to the last real change.
    p().undoLastParameterChange();
    EXPECT_EQ (param ("Pan"), 0.5f);
}

TEST_F (PresetsTest, UserListIsRescannedWhenAskedFor)
{
    EXPECT_TRUE (p().getAllUserPresetNames().isEmpty());

    writeUserPresets (2);
    auto names = p().getAllUserPresetNames();
    names.sort (false);
    EXPECT_EQ (names, juce::StringArray (userPresetName (0), userPresetName (1)));

    userFolder().getChildFile (userPresetName (0) + ".qzp").deleteFile();
    EXPECT_EQ (p().getAllUserPresetNames(), juce::StringArray (userPresetName (1)));
}

// One rule for names: a file is listed only when a load by name and by ID take it, so that
// next and previous never stay on a preset they cannot load.
TEST_F (PresetsTest, OnlyFilesThatLoadByTheirNameAreListed)
{
    const auto folder = userFolder();
    ASSERT_NE (folder, juce::File());

    juce::MemoryOutputStream preset;
    preset << "Velmora Preset File:::::";
    preset.writeByte (0);
    preset << makeUserPresetTree ("Inner", 0.875f).toXmlString();
    preset.writeByte (0);

    // Raw bytes: some of these names are not UTF-8.
    for (const char* rawName : { "back\\slash", "caf\xe9", "\xa1", "\xef\xbf\xbf", "tab\there", ".", "..", "Kept",
                                 "\xc3\xa9t\xc3\xa9", "a..b" })
    {
        std::ofstream file (folder.getFullPathName().toStdString() + "/" + rawName + ".qzp", std::ios::binary);
        file.write (static_cast<const char*> (preset.getData()), (std::streamsize) preset.getDataSize());
        ASSERT_TRUE (file.good()) << rawName;
    }

    auto names = p().getAllUserPresetNames();
    names.sort (false);
    EXPECT_EQ (names, juce::StringArray ("Kept", "a..b", juce::String::fromUTF8 ("\xc3\xa9t\xc3\xa9")));

    // From the last factory preset, next visits each listed preset once and comes back.
    p().loadFactoryPresetUndoableWithID (13);
    juce::StringArray visited;

    for (int i = 0; i <= names.size(); ++i)
    {
        p().loadNextPreset();
        visited.add (p().getCurrentPresetName());
        EXPECT_EQ (param ("StereoWidth"), p().currentPresetIsFactory() ? 0.5f : 0.875f);
    }

    visited.sort (false);
    EXPECT_EQ (visited, juce::StringArray ("Init", "Kept", "a..b", juce::String::fromUTF8 ("\xc3\xa9t\xc3\xa9")));
}

//==============================================================================
// Next and previous

namespace
{
    struct PresetRef
    {
        bool isFactory;
        int id;
    };

    enum class Step { next, previous };

    struct WalkCase
    {
        const char* description;
        int numUserPresets;
        PresetRef start;
        int filesRemovedBeforeStep;
        Step step;
        PresetRef expected;
    };

    constexpr bool F = true, U = false;

    const WalkCase walkCases[] = {
        { "no user presets: previous from factory 0 wraps to factory 13", 0, { F, 0 },  0, Step::previous, { F, 13 } },
        { "no user presets: next from factory 13 wraps to factory 0",     0, { F, 13 }, 0, Step::next,     { F, 0 } },

        { "two: next from factory 13 gives user 0",                       2, { F, 13 }, 0, Step::next,     { U, 0 } },
        { "two: next from user 0 gives user 1",                           2, { U, 0 },  0, Step::next,     { U, 1 } },
        { "two: next from user 1 gives factory 0",                        2, { U, 1 },  0, Step::next,     { F, 0 } },
        { "two: previous from user 0 gives factory 13",                   2, { U, 0 },  0, Step::previous, { F, 13 } },
        { "two: previous from factory 0 gives user 1",                    2, { F, 0 },  0, Step::previous, { U, 1 } },
        { "two: previous from user 1 gives user 0",                       2, { U, 1 },  0, Step::previous, { U, 0 } },
        { "two, both removed: previous from user 1 gives factory 0",      2, { U, 1 },  2, Step::previous, { F, 0 } },
        { "two, both removed: previous from factory 0 gives factory 13",  2, { F, 0 },  2, Step::previous, { F, 13 } },
        { "two, both removed: next from factory 13 gives factory 0",      2, { F, 13 }, 2, Step::next,     { F, 0 } },

        { "five, one removed: previous from user 4 gives user 3",         5, { U, 4 },  1, Step::previous, { U, 3 } },
        { "five, one removed: next from user 4 gives factory 0",          5, { U, 4 },  1, Step::next,     { F, 0 } },
        { "five, two removed: previous from user 4 gives factory 0",      5, { U, 4 },  2, Step::previous, { F, 0 } },
        { "five, two removed: next from user 4 gives factory 0",          5, { U, 4 },  2, Step::next,     { F, 0 } },
        { "five, one removed: next from user 2 gives user 3",             5, { U, 2 },  1, Step::next,     { U, 3 } },
        { "five, one removed: previous from factory 0 gives user 3",      5, { F, 0 },  1, Step::previous, { U, 3 } },
    };

    void PrintTo (const WalkCase& c, std::ostream* os) { *os << c.description; }

    class PresetWalkTest : public PresetsTestBase,
                           public ::testing::WithParamInterface<WalkCase> {};
}

TEST_P (PresetWalkTest, StepsFollowTheCycleThroughTheFolderAsItIsNow)
{
    const auto& c = GetParam();

    if (c.numUserPresets > 0)
        writeUserPresets (c.numUserPresets);

    ASSERT_EQ (p().getAllUserPresetNames().size(), c.numUserPresets);

    if (c.start.isFactory)
        p().loadFactoryPresetUndoableWithID (c.start.id);
    else
        p().loadUserPresetUndoableWithID (c.start.id);

    ASSERT_EQ (p().currentPresetIsFactory(), c.start.isFactory);
    ASSERT_EQ (p().getCurrentPresetID(), c.start.id);

    // Another program (or instance) removes presets between two steps: the first files of
    // the folder's listing, which may include the current one.
    const auto listed = p().getAllUserPresetNames();

    for (int i = 0; i < c.filesRemovedBeforeStep; ++i)
        ASSERT_TRUE (userFolder().getChildFile (listed[i] + ".qzp").deleteFile());

    host.clear();

    if (c.step == Step::next)
        p().loadNextPreset();
    else
        p().loadPrevPreset();

    EXPECT_EQ (p().currentPresetIsFactory(), c.expected.isFactory);
    EXPECT_EQ (p().getCurrentPresetID(), c.expected.id);
    EXPECT_FALSE (p().currentPresetWasModified());

    if (c.expected.isFactory)
    {
        EXPECT_EQ (p().getCurrentPresetName(), p().getAllFactoryPresetNames()[c.expected.id]);
    }
    else
    {
        const auto name = p().getAllUserPresetNames()[c.expected.id];
        EXPECT_EQ (p().getCurrentPresetName(), name);
        EXPECT_EQ (param ("StereoWidth"), widthOfUserPresetNamed (name));
    }

    expectProcessorAgreesWithTree();
}

INSTANTIATE_TEST_SUITE_P (NextAndPrevious, PresetWalkTest, ::testing::ValuesIn (walkCases),
                          [] (const auto& testInfo) { return testNameFrom (testInfo.param.description); });

// A listed user preset whose file no longer loads is left out and the step goes on; the
// ID offered is the place in the list without the files that failed.
TEST (PresetCycle, AStepGoesOnPastUserPresetsThatFailToLoad)
{
    const struct
    {
        PresetRef from;
        Step step;
        const char* failing;   // of the user presets a, b, c, d
        const char* loads;     // in order: a user name with its ID, or F and a factory ID
    } cases[] = {
        { { U, 0 },  Step::next,     "b",    "b1 c1" },
        { { U, 3 },  Step::previous, "c",    "c2 b1" },
        { { U, 2 },  Step::next,     "d",    "d3 F0" },
        { { U, 1 },  Step::previous, "a",    "a0 F13" },
        { { F, 13 }, Step::next,     "abcd", "a0 b0 c0 d0 F0" },
        { { F, 0 },  Step::previous, "abcd", "d3 c2 b1 a0 F13" },
    };

    for (const auto& c : cases)
    {
        juce::StringArray loads;
        const OrvelinPresetCycle::Loads load {
            [&] (int id) { loads.add ("F" + juce::String (id)); },
            [&] (const juce::String& name, int id) { loads.add (name + juce::String (id)); return ! name.containsAnyOf (c.failing); }
        };

        OrvelinPresetCycle::step (c.from.isFactory, c.from.id, 14, { "a", "b", "c", "d" },
                                  c.step == Step::next ? OrvelinPresetCycle::Direction::next : OrvelinPresetCycle::Direction::previous,
                                  load);
        EXPECT_EQ (loads.joinIntoString (" "), juce::String (c.loads)) << (c.from.isFactory ? "F" : "U") << c.from.id << " failing " << c.failing;
    }
}

TEST_F (PresetsTest, WalkingVisitsEveryPresetOnceAndReturnsToTheStart)
{
    writeUserPresets (2);
    const auto users = p().getAllUserPresetNames();

    juce::StringArray expectedForward (p().getAllFactoryPresetNames());
    expectedForward.addArray (users);

    juce::StringArray visited;

    for (int i = 0; i < expectedForward.size(); ++i)
    {
        visited.add (p().getCurrentPresetName());
        p().loadNextPreset();
    }

    EXPECT_EQ (visited, expectedForward);
    EXPECT_EQ (p().getCurrentPresetName(), "Init");

    juce::StringArray visitedBackwards;

    for (int i = 0; i < expectedForward.size(); ++i)
    {
        p().loadPrevPreset();
        visitedBackwards.insert (0, p().getCurrentPresetName());
    }

    EXPECT_EQ (visitedBackwards, expectedForward);
}


// Undo and redo of the current preset: which actions are one step, which are none, and
// which preset the processor believes it shows afterwards.

#include "PresetsTestSupport.h"

#include <functional>

using namespace orvelin::test;

namespace
{
    struct UndoStepCase
    {
        const char* description;
        std::function<void (OrvelinAudioProcessor&)> action;
    };

    const UndoStepCase undoStepCases[] = {
        { "one editor change",
          [] (OrvelinAudioProcessor& p) { p.setParamAndNotifyHost ("StereoWidth", 0.9f, true); } },

        { "a knob gesture of many writes",
          [] (OrvelinAudioProcessor& p)
          {
              for (int i = 1; i <= 40; ++i)
                  p.setParamAndNotifyHost ("Pan", 0.5f + 0.01f * (float) i, false);

              p.beginNewTransaction();   // the drag ends
          } },

        { "a factory load",
          [] (OrvelinAudioProcessor& p) { p.loadFactoryPresetUndoableWithID (6); } },

        { "the next preset",
          [] (OrvelinAudioProcessor& p) { p.loadNextPreset(); } },

        { "a rename",
          [] (OrvelinAudioProcessor& p) { p.setCurrentPresetNameUndoable ("Renamed"); } },

        { "the mid/side mute choice",
          [] (OrvelinAudioProcessor& p) { p.setMuteMsOption (muteMsMid); } },

    };

    void PrintTo (const UndoStepCase& c, std::ostream* os) { *os << c.description; }

    class UndoStepTest : public PresetsTestBase,
                         public ::testing::WithParamInterface<UndoStepCase> {};

    class UndoTest : public PresetsTestBase {};
}

TEST_P (UndoStepTest, ActionIsExactlyOneUndoStep)
{
    const auto& c = GetParam();

    const auto atInit = snapshot();

    // A step to go back to, so that "exactly one" can be told from "more than one".
    p().loadFactoryPresetUndoableWithID (2);
    const auto before = snapshot();

    c.action (p());
    const auto after = snapshot();
    ASSERT_NE (after, before) << "the action changed nothing";
    ASSERT_TRUE (p().canUndo());

    host.clear();
    p().undoLastParameterChange();
    EXPECT_EQ (snapshot(), before);
    expectProcessorAgreesWithTree();
    EXPECT_TRUE (p().canRedo()) << "the restore after an undo must not start a new history";

    host.clear();
    p().redoLastParameterChange();
    EXPECT_EQ (snapshot(), after);
    expectProcessorAgreesWithTree();

    p().undoLastParameterChange();
    p().undoLastParameterChange();
    EXPECT_EQ (snapshot(), atInit);
    expectProcessorAgreesWithTree();
    EXPECT_FALSE (p().canUndo());
}

INSTANTIATE_TEST_SUITE_P (Actions, UndoStepTest, ::testing::ValuesIn (undoStepCases),
                          [] (const auto& testInfo) { return testNameFrom (testInfo.param.description); });

//==============================================================================
TEST_F (UndoTest, HostAutomationAndRestoringTheSameStateAddNoUndoStep)
{
    const auto atInit = snapshot();
    p().loadFactoryPresetUndoableWithID (2);
    const auto afterLoad = snapshot();

    p().setParameter (1, 0.123f);
    p().setParameter (16, 0.9f);
    EXPECT_FALSE (p().currentPresetWasModified());
    EXPECT_EQ ((float) tree().getChildWithProperty ("ParameterName", "StereoWidth").getProperty ("Value"), 0.75f);

    // Put the automated values back before saving, then restore that same state.
    p().setParameter (1, afterLoad.values[1]);
    p().setParameter (16, afterLoad.values[16]);
    restore (p(), stateOf (p()));
    EXPECT_FALSE (p().canRedo());

    // One undo goes straight back past the load: nothing else entered the history.
    p().undoLastParameterChange();
    EXPECT_EQ (snapshot(), atInit);
    expectProcessorAgreesWithTree();
    EXPECT_FALSE (p().canUndo());
}

TEST_F (UndoTest, UndoWithEmptyHistoryPushesTheTreeToTheHostAgain)
{
    p().setParameter (1, 0.2f);   // automation: not in the tree
    host.clear();

    p().undoLastParameterChange();

    EXPECT_EQ (param ("StereoWidth"), 0.5f);
    EXPECT_EQ (host.lastValues.size(), 18u);
    EXPECT_EQ (p().getCurrentPresetID(), 0);
    EXPECT_TRUE (p().currentPresetIsFactory());
    expectProcessorAgreesWithTree();

    host.clear();
    p().redoLastParameterChange();
    EXPECT_EQ (host.lastValues.size(), 18u);
}

//==============================================================================
// Which preset is shown after undoing or redoing across a load of a user preset. Next and
// previous must go on from the preset the user sees.

TEST_F (UndoTest, UndoingAFactoryLoadReturnsToTheUserPresetBefore)
{
    writeUserPresets (5);
    const auto users = p().getAllUserPresetNames();
    ASSERT_EQ (users.size(), 5);

    p().loadUserPresetUndoableWithID (1);
    p().loadFactoryPresetUndoableWithID (5);
    p().undoLastParameterChange();

    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetID(), 1);
    EXPECT_EQ (p().getCurrentPresetName(), users[1]);
    EXPECT_EQ (param ("StereoWidth"), widthOfUserPresetNamed (users[1]));
    expectProcessorAgreesWithTree();

    p().loadNextPreset();
    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetName(), users[2]);

    p().undoLastParameterChange();
    p().loadPrevPreset();
    EXPECT_EQ (p().getCurrentPresetName(), users[0]);

    // And forward again across the factory load.
    p().undoLastParameterChange();   // back to user 1
    p().redoLastParameterChange();   // user 0 again
    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetID(), 0);
}

TEST_F (UndoTest, UndoingAFactoryLoadReturnsToAPresetLoadedByName)
{
    writeUserPresets (3);
    const auto users = p().getAllUserPresetNames();

    // A file saved while another user preset was current still names that one's ID.
    auto stale = makeUserPresetTree (users[2], widthOfUserPresetNamed (users[2]));
    stale.setProperty ("PresetID", 0, nullptr);
    writeUncompressedPresetFile (userFolder(), users[2], stale);

    p().loadUserPresetUndoableWithName (users[2]);
    p().loadFactoryPresetUndoableWithID (1);
    p().undoLastParameterChange();

    EXPECT_FALSE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetID(), p().getAllUserPresetNames().indexOf (users[2]));
    EXPECT_EQ (p().getCurrentPresetName(), users[2]);
    expectProcessorAgreesWithTree();
}

TEST_F (UndoTest, UserLoadsAreOneStepAndLoadByNameJoinsTheOpenOne)
{
    writeUserPresets (2);
    const auto users = p().getAllUserPresetNames();

    p().loadUserPresetUndoableWithID (1);
    p().undoLastParameterChange();
    EXPECT_EQ (p().getCurrentPresetName(), "Init");
    EXPECT_TRUE (p().currentPresetIsFactory());
    EXPECT_FALSE (p().canUndo());

    // A load by name opens no step of its own: with a knob still held, both go together.
    p().setParamAndNotifyHost ("Pan", 0.8f, false);
    p().loadUserPresetUndoableWithName (users[0]);
    EXPECT_EQ (param ("StereoWidth"), widthOfUserPresetNamed (users[0]));
    p().undoLastParameterChange();
    EXPECT_EQ (param ("Pan"), 0.5f);
    EXPECT_EQ (p().getCurrentPresetName(), "Init");
    EXPECT_FALSE (p().canUndo());
}

//==============================================================================
// Loads, edits, a save and a host's state restore change which factory preset is shown. An
// undo of what follows must come back to that preset, and an undo of the save to the preset
// it was saved from.
namespace
{
    struct IdentityAfterUndoCase
    {
        const char* description;
        std::function<void (OrvelinAudioProcessor&)> steps;   // each ends with the step to undo
        const char* expectedName;
        int expectedFactoryID;
    };

    juce::MemoryBlock stateSavedOnFactoryPreset (int id)
    {
        OrvelinAudioProcessor saved;
        saved.loadFactoryPresetUndoableWithID (id);
        return stateOf (saved);
    }

    const IdentityAfterUndoCase identityAfterUndoCases[] = {
        { "undo of the first factory load",
          [] (OrvelinAudioProcessor& p) { p.loadFactoryPresetUndoableWithID (5); },
          "Init", 0 },

        { "undo of a factory load after another",
          [] (OrvelinAudioProcessor& p)
          {
              p.loadFactoryPresetUndoableWithID (3);
              p.loadFactoryPresetUndoableWithID (5);
          },
          "TRACK Stereo 200%", 3 },

        { "undo of an editor change",
          [] (OrvelinAudioProcessor& p)
          {
              p.loadFactoryPresetUndoableWithID (9);
              p.setParamAndNotifyHost ("StereoWidth", 0.7f, true);
          },
          "MASTER Stereo 115% + SafeBass", 9 },

        { "undo of a save from an edited factory preset",
          [] (OrvelinAudioProcessor& p)
          {
              p.loadFactoryPresetUndoableWithID (3);
              p.setParamAndNotifyHost ("StereoWidth", 0.3f, true);
              ASSERT_TRUE (p.saveCurrentPresetFromValueTreeToDisk ("Saved From Three", true));
              ASSERT_FALSE (p.currentPresetIsFactory());
          },
          "TRACK Stereo 200%", 3 },

        { "undo of an edit after restoring a state saved on another factory preset",
          [] (OrvelinAudioProcessor& p)
          {
              const auto state = stateSavedOnFactoryPreset (5);
              p.loadFactoryPresetUndoableWithID (2);
              restore (p, state);
              ASSERT_EQ (p.getCurrentPresetID(), 5);
              p.setParamAndNotifyHost ("StereoWidth", 0.3f, true);
          },
          "GROUP Stereo 150% + SafeBass", 5 },
    };

    void PrintTo (const IdentityAfterUndoCase& c, std::ostream* os) { *os << c.description; }

    class IdentityAfterUndoTest : public PresetsTestBase,
                                  public ::testing::WithParamInterface<IdentityAfterUndoCase> {};
}

TEST_P (IdentityAfterUndoTest, NextStateAndTreeFollowThePresetShown)
{
    const auto& c = GetParam();
    c.steps (p());
    p().undoLastParameterChange();

    EXPECT_EQ (tree().getProperty ("PresetName").toString(), c.expectedName);
    EXPECT_TRUE (p().currentPresetIsFactory());
    EXPECT_EQ (p().getCurrentPresetID(), c.expectedFactoryID);
    expectProcessorAgreesWithTree (false);

    const auto state = stateOf (p());
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getIntAttribute ("stepFactoryPresets"), 1);

    p().loadNextPreset();
    EXPECT_EQ (p().getCurrentPresetName(), p().getAllFactoryPresetNames()[c.expectedFactoryID + 1]);
}

INSTANTIATE_TEST_SUITE_P (Cases, IdentityAfterUndoTest, ::testing::ValuesIn (identityAfterUndoCases),
                          [] (const auto& testInfo) { return testNameFrom (testInfo.param.description); });

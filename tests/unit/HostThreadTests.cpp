// VST2, VST3 and LV2 hosts save and restore the state and ask for the program name on
// threads of their own, while the editor loads, renames, saves and undoes on the message
// thread. Run under ThreadSanitizer (./build.sh tsan) too, which reports any access to the
// preset tree, the undo history or the user list that the two threads make unguarded.

#include "PresetsTestSupport.h"

#include <atomic>
#include <thread>

using namespace orvelin::test;

namespace
{
    class HostThreadTest : public PresetsTestBase
    {
    protected:
        void SetUp() override
        {
            PresetsTestBase::SetUp();

            // The recorder is not made for two threads; these tests check the processor alone.
            processor->removeListener (&host);
        }

        // Runs editor rounds on this thread while a host thread runs its own, until each side
        // has run its share (unless the host thread never gets to run, which is reported).
        template <typename HostRound, typename EditorRound>
        void runTogether (int minEditorRounds, int minHostRounds, HostRound&& hostRound, EditorRound&& editorRound)
        {
            std::atomic<bool> editorDone { false };
            std::atomic<int> hostRounds { 0 };

            std::thread hostThread ([&]
            {
                for (; ! editorDone.load(); ++hostRounds)
                    hostRound (hostRounds.load());
            });

            for (int round = 0; (round < minEditorRounds || hostRounds.load() < minHostRounds) && round < 25 * minEditorRounds; ++round)
                editorRound (round);

            editorDone = true;
            hostThread.join();
            EXPECT_GE (hostRounds.load(), minHostRounds);
        }
    };
}

TEST_F (HostThreadTest, HostStateCallsWhileTheEditorWorksOnThePresets)
{
    writeUserPresets (3);

    OrvelinAudioProcessor other;
    other.loadFactoryPresetUndoableWithID (6);
    const auto otherState = stateOf (other);

    runTogether (40, 10, [&] (int hostRound)
    {
        const auto saved = stateOf (p());
        restore (p(), otherState);
        EXPECT_FALSE (p().getProgramName (0).isEmpty());
        p().changeProgramName (0, "From the host " + juce::String (hostRound));
        restore (p(), saved);
    },
    [&] (int round)
    {
        p().loadFactoryPresetUndoableWithID (round % 14);
        p().setParamAndNotifyHost ("StereoWidth", (float) (round % 8) / 8.0f, true);
        p().setCurrentPresetNameUndoable ("Round " + juce::String (round));
        p().saveCurrentPresetFromValueTreeToDisk ("Saved " + juce::String (round % 2), round % 3 == 0);
        p().loadUserPresetUndoableWithID (round % 3);
        p().loadNextPreset();
        p().undoLastParameterChange();
        p().undoLastParameterChange();
        p().redoLastParameterChange();
        EXPECT_FALSE (p().getAllUserPresetNames().isEmpty());
    });

    // Loads and restores store their values under the same lock as the tree, so however
    // the two threads met, the parameters, the tree and the identity agree at the end.
    expectProcessorAgreesWithTree (false);
}

// The editor's mid/side choice changes two parameters. A host saving its state between the
// two saw MUTE MID and MUTE SIDE both on, and the project reopened silent.
TEST_F (HostThreadTest, AStateSavedWhileTheMidSideChoiceChangesNeverMutesBoth)
{
    std::atomic<int> bothMuted { 0 };

    runTogether (4000, 100, [&] (int)
    {
        const auto state = stateOf (p());
        const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());

        if (xml == nullptr || (xml->getDoubleAttribute ("MuteMid") > 0.5 && xml->getDoubleAttribute ("MuteSide") > 0.5))
            ++bothMuted;
    },
    [&] (int round)
    {
        p().setMuteMsOption (round % 2 == 0 ? muteMsMid : muteMsSide);
    });

    EXPECT_EQ (bothMuted.load(), 0);
}

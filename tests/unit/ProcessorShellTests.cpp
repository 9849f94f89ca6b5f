#include "processor/OrvelinAudioProcessor.h"
#include "helpers/EditorFlags.h"
#include "helpers/ExpectedParameterTable.h"
#include "SignalPathTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace
{
    using orvelin::test::drainEditorFlags;
    using orvelin::test::expectedParameters;

    // Records the order in which values reach the parameters.
    struct RecordingProcessor : OrvelinAudioProcessor
    {
        void setParameter (int index, float value) override
        {
            writes.emplace_back (index, value);
            OrvelinAudioProcessor::setParameter (index, value);
        }

        std::vector<std::pair<int, float>> writes;
    };

    struct CountingListener : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { ++changes; lastIndex = index; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        int changes = 0;
        int lastIndex = -1;
    };
}

TEST (ProcessorShell, HostSeesFiftySlotsWithTheTableFirst)
{
    OrvelinAudioProcessor p;

    ASSERT_EQ (p.getNumParameters(), 50);
    ASSERT_EQ (p.getParameterManager()->getNumberOfParameters(), 18);

    for (int i = 0; i < 50; ++i)
    {
        SCOPED_TRACE (i);

        if (i < 18)
        {
            EXPECT_EQ (p.getParameterName (i), expectedParameters[i].name);
            EXPECT_EQ (p.getParameter (i), expectedParameters[i].defaultValue);
            EXPECT_EQ (p.getParameterDefaultValue (i), expectedParameters[i].defaultValue);
            EXPECT_EQ (p.getParameterText (i), expectedParameters[i].defaultText);
            EXPECT_EQ (p.getParameterID (i), expectedParameters[i].name);
        }
        else
        {
            EXPECT_EQ (p.getParameterName (i), "reserved");
            EXPECT_EQ (p.getParameter (i), 0.0f);
            EXPECT_EQ (p.getParameterDefaultValue (i), 0.0f);
            EXPECT_TRUE (p.getParameterText (i).isEmpty());
            // The host stores these IDs in its sessions, so each must be this exact,
            // distinct text.
            EXPECT_EQ (p.getParameterID (i), "reserved" + juce::String (i));
        }
    }
}

TEST (ProcessorShell, RefusesAnythingButStereo)
{
    OrvelinAudioProcessor p;

    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (juce::AudioChannelSet::mono());
    mono.outputBuses.add (juce::AudioChannelSet::mono());
    EXPECT_FALSE (p.checkBusesLayoutSupported (mono));
}

TEST (ProcessorShell, SetParameterIgnoresPlaceholdersAndBadValues)
{
    OrvelinAudioProcessor p;
    auto& m = *p.getParameterManager();
    drainEditorFlags (m);

    for (int index : { 18, 20, 49, 50, -1, 1000 })
        p.setParameter (index, 0.9f);

    EXPECT_FALSE (m.getParameterNeedsToBeUpdatedInEditor());
    EXPECT_EQ (p.getParameter (20), 0.0f);

    p.setParameter (1, std::nanf (""));
    EXPECT_EQ (p.getParameter (1), 0.5f) << "NaN has no nearest end and must not reach the signal path";
    EXPECT_FALSE (m.getParameterNeedsToBeUpdatedInEditor());

    p.setParameter (3, 1.0f);
    EXPECT_EQ (p.getParameterText (3), "+12.0dB");
    EXPECT_TRUE (m.getParameterNeedsToBeUpdatedInEditor());
    EXPECT_TRUE (m.getPresetNameNeedsToBeUpdatedInEditor());
    EXPECT_TRUE (m.getUndoButtonsNeedToBeUpdatedInEditor());
    EXPECT_FALSE (m.getSampleRateNeedsToBeUpdatedInEditor());
}

TEST (ProcessorShell, EditorWritesMarkThePresetAndFormUndoSteps)
{
    OrvelinAudioProcessor p;
    CountingListener listener;
    p.addListener (&listener);

    // A name nobody has changes nothing and informs nobody.
    p.setParamAndNotifyHost ("NoSuchParameter", 0.9f, true);
    EXPECT_EQ (listener.changes, 0);
    EXPECT_FALSE (p.canUndo());

    // Writing the value the tree already holds informs the host, and nothing else.
    p.setParamAndNotifyHost ("StereoWidth", 0.5f, true);
    EXPECT_EQ (listener.changes, 1);
    EXPECT_FALSE (p.currentPresetWasModified());
    EXPECT_FALSE (p.canUndo());

    // A non-finite value from a text field or a script never reaches the host or the tree.
    p.setParamAndNotifyHost ("StereoWidth", std::nanf (""), true);
    EXPECT_EQ (listener.changes, 1);
    EXPECT_FALSE (p.currentPresetWasModified());

    // The tree keeps what the parameter keeps.
    p.setParamAndNotifyHost ("StereoWidth", 7.0f, true);
    EXPECT_EQ (p.getParamValueFromValueTree (p.getCurrentPresetValueTree(), 1), 1.0f);

    p.setParamAndNotifyHost ("StereoWidth", 0.75f, true);
    EXPECT_EQ (listener.changes, 3);
    EXPECT_EQ (listener.lastIndex, 1);
    EXPECT_EQ (p.getParameter (1), 0.75f);
    EXPECT_TRUE (p.currentPresetWasModified());
    EXPECT_EQ (p.getCurrentPresetName(), "Init*");
    EXPECT_EQ (p.getProgramName (0), "Init*");
    EXPECT_EQ (p.getParamValueFromValueTree (p.getCurrentPresetValueTree(), 1), 0.75f);
    EXPECT_TRUE (p.canUndo());

    p.removeListener (&listener);
}

TEST (ProcessorShell, MidSideMuteChoiceWritesThePairAsOneStep)
{
    RecordingProcessor p;
    const auto muteMidAndSide = [&p] { return std::pair { p.getParameter (9), p.getParameter (10) }; };
    using Writes = std::vector<std::pair<int, float>>;

    // The mute switched off is stored first: the audio thread may run a block between the
    // two stores, and must not find both on.
    p.setMuteMsOption (muteMsMid);
    EXPECT_EQ (muteMidAndSide(), std::pair (1.0f, 0.0f));
    EXPECT_EQ (p.writes, (Writes { { 10, 0.0f }, { 9, 1.0f } }));

    // From mid to side both parameters change, in one step.
    p.writes.clear();
    p.setMuteMsOption (muteMsSide);
    EXPECT_EQ (muteMidAndSide(), std::pair (0.0f, 1.0f));
    EXPECT_EQ (p.writes, (Writes { { 9, 0.0f }, { 10, 1.0f } }));

    // Any other option writes nothing and adds no step.
    p.setMuteMsOption ((MuteMsOption) 3);
    EXPECT_EQ (muteMidAndSide(), std::pair (0.0f, 1.0f));

    // An undo back to mid stores the falling mute first too.
    p.writes.clear();
    p.undoLastParameterChange();
    EXPECT_EQ (muteMidAndSide(), std::pair (1.0f, 0.0f));
    const auto position = [&p] (std::pair<int, float> write) { return std::find (p.writes.begin(), p.writes.end(), write) - p.writes.begin(); };
    EXPECT_LT (position ({ 10, 0.0f }), position ({ 9, 1.0f }));
    p.undoLastParameterChange();
    EXPECT_EQ (muteMidAndSide(), std::pair (0.0f, 0.0f));
    EXPECT_FALSE (p.canUndo());

    p.redoLastParameterChange();
    p.redoLastParameterChange();
    EXPECT_EQ (muteMidAndSide(), std::pair (0.0f, 1.0f));

    p.setMuteMsOption (muteMsNone);
    EXPECT_EQ (muteMidAndSide(), std::pair (0.0f, 0.0f));
}

// Values and flags are shared without locks (run under ThreadSanitizer too): while the
// editor polls, every write from the host's thread arrives, and the editor hears of it.
TEST (ProcessorShell, AutomationFromAnotherThreadWhileTheEditorReads)
{
    OrvelinAudioProcessor p;
    auto& m = *p.getParameterManager();
    drainEditorFlags (m);

    constexpr int writes = 20000;
    const auto valueOfWrite = [] (int i) { return (float) (i % 100) / 100.0f; };
    std::atomic<bool> stop { false };

    std::thread host ([&]
    {
        for (int i = 0; i < writes; ++i)
            p.setParameter (i % 18, valueOfWrite (i));
        stop = true;
    });

    // What the editor's timer reads on each tick.
    int reports = 0;
    float valuesRead = 0.0f;
    while (! stop)
    {
        reports += m.getParameterNeedsToBeUpdatedInEditor() ? 1 : 0;
        for (int i = 0; i < 18; ++i)
            valuesRead += m.getParameter (i)->hasFlagChanged() ? p.getParameter (i) : 0.0f;
    }
    (void) valuesRead;

    host.join();
    reports += m.getParameterNeedsToBeUpdatedInEditor() ? 1 : 0;

    EXPECT_GT (reports, 0);

    // Each parameter holds the last value written to it.
    for (int index = 0; index < 18; ++index)
    {
        const int lastWrite = writes - 18 + (index - (writes - 18) % 18 + 18) % 18;
        EXPECT_EQ (p.getParameter (index), valueOfWrite (lastWrite)) << index;
    }
}

// processBlock is the stereo stage on the processor's parameters at the host's rate: the
// same samples as the stage alone, through a SAFE BASS request made before the rate was
// known (which asks for nothing), host automation of the frequency and a new host rate.
// The channels above the stereo pair are cleared.
TEST (ProcessorShell, ProcessBlockRunsTheStereoStageAtTheHostsRate)
{
    OrvelinAudioProcessor p;
    p.calculateSafeBassFilterCoefficients (1.0);
    p.setParameter (OrvelinParameters::safeBass, 1.0f);
    p.setParameter (OrvelinParameters::stereoWidth, 0.8f);
    p.setRateAndBufferSizeDetails (44100.0, 512);

    auto alone = signaltest::makeSignalPath (44100.0);
    signaltest::set (*alone, "SafeBass", 1.0f);
    signaltest::set (*alone, "StereoWidth", 0.8f);

    juce::Random random (8);
    juce::MidiBuffer midi;

    for (int block = 0; block < 12; ++block)
    {
        SCOPED_TRACE (block);

        if (block == 4)
        {
            p.setParameter (OrvelinParameters::safeBassFreq, 0.9f);
            signaltest::set (*alone, "SafeBassFreq", 0.9f);
        }

        if (block == 8)
        {
            p.setRateAndBufferSizeDetails (96000.0, 512);
            alone->stage.prepare (96000.0);
        }

        auto expected = signaltest::midSideSines (44100.0, 256, block * 256, 60.0, 90.0);
        juce::AudioBuffer<float> buffer (4, 256);

        for (int channel = 0; channel < 4; ++channel)
            buffer.copyFrom (channel, 0, expected, channel % 2, 0, 256);

        p.processBlock (buffer, midi);
        alone->stage.process (expected);

        ASSERT_TRUE (signaltest::sameBitsEverywhere (buffer, expected));
        EXPECT_EQ (buffer.getMagnitude (2, 0, 256), 0.0f);
        EXPECT_EQ (buffer.getMagnitude (3, 0, 256), 0.0f);
    }

    EXPECT_EQ (p.getOutputVuMeterVisuals().getLeft(), alone->stage.takeOutputPeaks().getLeft());
}

TEST (ProcessorShell, ANewSampleRateIsReportedOnce)
{
    OrvelinAudioProcessor p;
    p.setRateAndBufferSizeDetails (44100.0, 512);
    auto* manager = p.getParameterManager();
    EXPECT_EQ (p.getLastSampleRateString(), "(unknown)");
    EXPECT_FALSE (manager->getSampleRateNeedsToBeUpdatedInEditor());

    juce::AudioBuffer<float> buffer (2, 8);
    buffer.clear();
    juce::MidiBuffer midi;

    p.processBlock (buffer, midi);
    EXPECT_EQ (p.getLastSampleRateString(), "44100 Hz");
    EXPECT_TRUE (manager->getSampleRateNeedsToBeUpdatedInEditor());

    p.processBlock (buffer, midi);
    EXPECT_FALSE (manager->getSampleRateNeedsToBeUpdatedInEditor());

    // Shown in whole hertz, and only where that is a positive int: roundToInt would wrap
    // 1e10 and 3e9 around and make NaN 0.
    const std::pair<double, const char*> rates[] = {
        { 48000.4, "48000 Hz" }, { 2147483647.0, "2147483647 Hz" }, { 1.0e10, "(unknown)" }, { 3.0e9, "(unknown)" },
        { std::nan (""), "(unknown)" }, { -48000.0, "(unknown)" }, { HUGE_VAL, "(unknown)" },
    };

    for (const auto& [rate, shown] : rates)
    {
        p.setRateAndBufferSizeDetails (rate, 512);
        p.processBlock (buffer, midi);
        EXPECT_EQ (p.getLastSampleRateString(), shown) << rate;
        EXPECT_TRUE (manager->getSampleRateNeedsToBeUpdatedInEditor()) << rate;
    }
}

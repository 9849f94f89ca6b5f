// The main panel driven as a user and a host would drive it: synthesised clicks and knob
// drags, label edits, host automation, and timer ticks called directly.

#include "helpers/PresetTestHelpers.h"
#include "helpers/editor/EditorTestSupport.h"
#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxQzColours.h"
#include "widgets/StereoComponent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <tuple>

using namespace orvelin::test;

namespace
{
    // Press and release in the middle of a button the user can see.
    void click (juce::Component& panel, const juce::String& text)
    {
        auto& b = button (panel, text);
        ASSERT_TRUE (canBeSeen (b, panel)) << text;
        ASSERT_TRUE (b.isEnabled()) << text;

        // Button hides its mouse handlers; the framework reaches them as a Component's.
        auto& target = static_cast<juce::Component&> (b);
        const auto centre = b.getLocalBounds().getCentre().toFloat();
        target.mouseDown (makeMouseEvent (b, centre, juce::ModifierKeys::leftButtonModifier, centre));
        target.mouseUp (makeMouseEvent (b, centre, {}, centre));
    }

    // Each parameter's control, in the parameter table's order: a knob, a switch, or the
    // toggles of a choice.
    struct Control
    {
        const char* parameter;
        std::vector<const char*> buttons;
    };

    const Control controls[] = {
        { "Bypass", { "BYPASS" } }, { "StereoWidth", {} }, { "Pan", {} }, { "InputGain", {} }, { "OutputGain", {} },
        { "SwapLR", { "SWAP L-R" } }, { "PhaseFlip", { "PHASE FLIP" } }, { "Mono", { "MONO" } }, { "MuteAll", { "MUTE ALL" } },
        { "MuteMid", { "MUTE MID" } }, { "MuteSide", { "MUTE SIDE" } }, { "PanCurve", { "linear", "logarithmic", "sin / cos" } },
        { "PanLaw", { "PAN LAW -0 dB", "-3 dB slope", "-6 dB slope" } }, { "MsMode", { "fix MID level", "bind M/S levels" } },
        { "PanMode", { "dual pan", "balance" } }, { "PhaseAlignSide", { "align phase" } }, { "SafeBassFreq", {} },
        { "SafeBass", { "SAFE BASS" } },
    };

    // What the panel shows for a parameter as a normalised value: a knob's value, a switch
    // as 1 or 0, a choice as 0, 0.1 or 0.2 by its toggle that is on (-1 unless exactly one).
    float shownValue (juce::Component& panel, const juce::String& parameter)
    {
        for (const auto& c : controls)
        {
            if (parameter != c.parameter)
                continue;

            if (c.buttons.empty())
                return (float) knob (panel, parameter).getValue();

            if (c.buttons.size() == 1)
                return button (panel, c.buttons[0]).getToggleState() ? 1.0f : 0.0f;

            int on = -1, count = 0;

            for (size_t i = 0; i < c.buttons.size(); ++i)
                if (button (panel, c.buttons[i]).getToggleState())
                    on = (int) i, ++count;

            return count == 1 ? 0.1f * (float) on : -1.0f;
        }

        throw std::logic_error ("no parameter " + parameter.toStdString());
    }

    // The width and pan labels always say what their knobs show.
    void expectLabelsMatchKnobs (juce::Component& panel)
    {
        for (const auto& [labelName, parameter] : { std::pair ("Stereo Width Label ", "StereoWidth"), std::pair ("Pan", "Pan") })
        {
            auto& k = knob (panel, parameter);
            EXPECT_EQ (label (panel, labelName).getText(), k.getParameter()->getValueMapper()->normed2RealValueAsString ((float) k.getValue()))
                << parameter;
        }
    }

    // An open panel in expert mode, so that every control can be reached, with a host that
    // hears everything.
    struct PanelSession : EditorSession
    {
        explicit PanelSession (bool expert = true)
        {
            processor.setExpertMode (expert);
            open();
            processor.addListener (&host);
        }

        ~PanelSession() { processor.removeListener (&host); }

        void click (const juce::String& text)  { ::click (panel(), text); }
        void tick()                             { panel().timerCallback(); }
        float value (const char* parameter)     { return processor.getParameterManager()->getParameterValue (parameter); }
        int index (const char* parameter)       { return processor.getParameterManager()->getParameterIndex (parameter); }

        bool hostHeard (const char* parameter, float value)
        {
            const auto heard = host.lastValues.find (index (parameter));
            return heard != host.lastValues.end() && heard->second == value;
        }

        HostNotificationRecorder host;
    };

    using Values = std::vector<std::pair<const char*, float>>;
    using States = std::vector<std::pair<const char*, bool>>;
}

TEST (MainPanelBehaviour, EachClickWritesItsParameterAsOneUndoStepThatTheHostHears)
{
    struct Case
    {
        std::vector<const char*> before; // clicks that set the scene
        const char* click;
        Values written;                  // parameter values after the click
        States on;                       // toggle states after it
        States seen;                     // controls the user can see after it, or not
    };

    const Case cases[] = {
        { {}, "BYPASS", { { "Bypass", 1.0f } }, {}, { { "MUTE ALL", false }, { "MONO", false }, { "UNDO", true } } },
        { {}, "MUTE ALL", { { "MuteAll", 1.0f } }, {}, { { "BYPASS", true }, { "MONO", false } } },
        { {}, "SAFE BASS", { { "SafeBass", 1.0f } }, {}, {} },
        { {}, "SWAP L-R", { { "SwapLR", 1.0f } }, {}, {} },
        { {}, "PHASE FLIP", { { "PhaseFlip", 1.0f } }, {}, {} },
        { {}, "MONO", { { "Mono", 1.0f } }, {}, {} },
        { { "MONO" }, "MONO", { { "Mono", 0.0f } }, {}, {} },
        { {}, "MUTE MID", { { "MuteMid", 1.0f }, { "MuteSide", 0.0f } }, {}, { { "align phase", true } } },
        { { "MUTE MID" }, "MUTE MID", { { "MuteMid", 0.0f }, { "MuteSide", 0.0f } }, {}, { { "align phase", false } } },
        { { "MUTE MID" }, "MUTE SIDE", { { "MuteMid", 0.0f }, { "MuteSide", 1.0f } }, { { "MUTE MID", false } },
          { { "align phase", false } } },
        { { "MUTE SIDE" }, "MUTE MID", { { "MuteMid", 1.0f }, { "MuteSide", 0.0f } }, { { "MUTE SIDE", false } },
          { { "align phase", true } } },
        { { "MUTE MID" }, "align phase", { { "PhaseAlignSide", 1.0f } }, {}, {} },
        { {}, "-3 dB slope", { { "PanLaw", 0.1f } }, { { "PAN LAW -0 dB", false } }, {} },
        { {}, "-6 dB slope", { { "PanLaw", 0.2f } }, {}, {} },
        { { "-6 dB slope" }, "PAN LAW -0 dB", { { "PanLaw", 0.0f } }, { { "-6 dB slope", false } }, {} },
        { {}, "linear", { { "PanCurve", 0.0f } }, { { "logarithmic", false } }, {} },
        { {}, "sin / cos", { { "PanCurve", 0.2f } }, {}, {} },
        { {}, "bind M/S levels", { { "MsMode", 0.1f } }, { { "fix MID level", false } }, {} },
        { {}, "dual pan", { { "PanMode", 0.0f } }, { { "balance", false } }, {} },
        { {}, "EASY MODE", {}, { { "EASY MODE", true }, { "EXPERT MODE", false } }, { { "linear", false } } },
        { { "EASY MODE" }, "EXPERT MODE", {}, { { "EASY MODE", false }, { "EXPERT MODE", true } }, { { "linear", true } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (c.before.empty() ? "" : c.before[0]) + " then " + c.click);

        PanelSession s;
        auto& panel = s.panel();

        for (const auto* b : c.before)
            s.click (b);

        std::vector<float> valuesBefore;
        for (const auto& [name, value] : c.written)
            valuesBefore.push_back (s.value (name));

        const bool couldUndo = s.processor.canUndo();
        s.host.clear();

        s.click (c.click);

        for (const auto& [name, value] : c.written)
        {
            EXPECT_EQ (s.value (name), value) << name;
            EXPECT_TRUE (s.hostHeard (name, value)) << name;
        }

        for (const auto& [text, on] : c.on)
            EXPECT_EQ (button (panel, text).getToggleState(), on) << text;

        for (const auto& [text, seen] : c.seen)
            EXPECT_EQ (canBeSeen (button (panel, text), panel), seen) << text;

        EXPECT_EQ (s.processor.getExpertMode(), button (panel, "EXPERT MODE").getToggleState());

        if (c.written.empty())
        {
            EXPECT_EQ (s.processor.canUndo(), couldUndo);
            EXPECT_TRUE (s.host.lastValues.empty());
            continue;
        }

        // Written into the current preset: one undo takes the whole click back, one redo
        // brings it again.
        EXPECT_TRUE (s.processor.currentPresetWasModified());
        s.processor.undoLastParameterChange();

        for (size_t i = 0; i < c.written.size(); ++i)
            EXPECT_EQ (s.value (c.written[i].first), valuesBefore[i]) << c.written[i].first;

        s.processor.redoLastParameterChange();

        for (const auto& [name, value] : c.written)
            EXPECT_EQ (s.value (name), value) << name;
    }
}

TEST (MainPanelBehaviour, AKnobDragIsOneUndoStepBetweenOneBeginAndOneEndGesture)
{
    PanelSession s;
    auto& width = knob (s.panel(), "StereoWidth");
    const auto press = width.getLocalBounds().getCentre().toFloat();
    const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);

    width.mouseDown (makeMouseEvent (width, press, left, press));

    for (int move = 1; move <= 20; ++move)
        width.mouseDrag (makeMouseEvent (width, press.translated (0.0f, -3.0f * (float) move), left, press, 1, true));

    width.mouseUp (makeMouseEvent (width, press.translated (0.0f, -60.0f), {}, press, 1, true));

    const auto dragged = s.value ("StereoWidth");
    const auto slot = std::to_string (s.index ("StereoWidth"));

    EXPECT_EQ (s.host.gestures, (std::vector<std::string> { "+" + slot, "-" + slot }));
    EXPECT_GE (s.host.numValueChanges, 10);
    EXPECT_TRUE (s.hostHeard ("StereoWidth", dragged));
    EXPECT_NEAR (dragged, 0.5f + 60.0f / (float) DvxRotarySlider::dragPixelsForFullRange, 0.01f);
    expectLabelsMatchKnobs (s.panel());

    // The drag's step is closed: a click afterwards is a step of its own.
    s.click ("SWAP L-R");
    s.processor.undoLastParameterChange();
    EXPECT_EQ (s.value ("StereoWidth"), dragged);
    s.processor.undoLastParameterChange();
    EXPECT_EQ (s.value ("StereoWidth"), 0.5f);
    EXPECT_FALSE (s.processor.canUndo());

    // An Alt-click brings the default back, as a double-click does.
    s.processor.redoLastParameterChange();
    ASSERT_EQ (s.value ("StereoWidth"), dragged);
    width.mouseDown (makeMouseEvent (width, press, juce::ModifierKeys (juce::ModifierKeys::altModifier | juce::ModifierKeys::leftButtonModifier), press));
    width.mouseUp (makeMouseEvent (width, press, {}, press));
    EXPECT_EQ (s.value ("StereoWidth"), 0.5f);
}

TEST (MainPanelBehaviour, TypedWidthAndPanTakeOnlyNumbersHeldToTheirRangeAsOneUndoStep)
{
    struct Case { const char* label; const char* typed; float value; const char* shown; };

    // The width starts at 0.6 ("120 %"), the pan at 0.8 ("R60").
    const Case cases[] = {
        { "Stereo Width Label ", "150", 0.75f, "150 %" },
        { "Stereo Width Label ", " 150 % ", 0.75f, "150 %" },
        { "Stereo Width Label ", "-50", 0.0f, "0 %" },
        { "Stereo Width Label ", "999", 1.0f, "200 %" },
        { "Stereo Width Label ", "nan", 0.6f, "120 %" },
        { "Stereo Width Label ", "x150", 0.6f, "120 %" },
        { "Stereo Width Label ", "1e999", 1.0f, "200 %" },
        { "Pan", "L30", 0.35f, "L30" },
        { "Pan", "c", 0.5f, "C" },
        { "Pan", "R300", 1.0f, "R100" },
        { "Pan", "inf", 0.8f, "R60" },
        { "Pan", "left 5", 0.8f, "R60" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (c.label) + " <- " + c.typed);

        PanelSession s;
        s.processor.setParamAndNotifyHost ("StereoWidth", 0.6f, true);
        s.processor.setParamAndNotifyHost ("Pan", 0.8f, true);
        s.tick();
        s.host.clear();

        const char* parameter = juce::String (c.label) == "Pan" ? "Pan" : "StereoWidth";
        const auto before = s.value (parameter);

        label (s.panel(), c.label).setText (c.typed, juce::sendNotificationSync);

        EXPECT_FLOAT_EQ (s.value (parameter), c.value);
        EXPECT_EQ (label (s.panel(), c.label).getText(), c.shown);

        if (c.value == before)
        {
            EXPECT_EQ (s.host.numValueChanges, 0);
            continue;
        }

        // One undo step: the next undo goes back to the value from before.
        EXPECT_TRUE (s.hostHeard (parameter, c.value));
        s.processor.undoLastParameterChange();
        EXPECT_EQ (s.value (parameter), before);
    }
}

TEST (MainPanelBehaviour, EditedNamesRenameTheChannelAndThePresetAndAnEmptyPresetNameIsRefused)
{
    PanelSession s;
    auto& panel = s.panel();
    auto& channel = label (panel, "Channel Name Label");
    auto& preset = label (panel, "Preset Name Label");

    channel.setText ("  Drums ", juce::sendNotificationSync);
    EXPECT_EQ (s.processor.getChannelName(), "Drums");
    EXPECT_EQ (channel.getText(), "Drums");

    channel.setText (" ", juce::sendNotificationSync);
    EXPECT_EQ (s.processor.getChannelName(), "No Channel Name");
    EXPECT_EQ (channel.getText(), "No Channel Name");

    preset.setText ("Club*Mix/2", juce::sendNotificationSync);
    EXPECT_EQ (s.processor.getCurrentPresetName(), "ClubMix2");
    EXPECT_EQ (preset.getText(), "ClubMix2");

    preset.setText ("*/*", juce::sendNotificationSync);
    EXPECT_EQ (s.processor.getCurrentPresetName(), "ClubMix2");
    EXPECT_EQ (preset.getText(), "ClubMix2");
    EXPECT_EQ (label (panel, "Bottom Info Label").getText(), "PRESET NAME: new preset name not accepted !!!");

    // The rename is one undo step.
    s.processor.undoLastParameterChange();
    EXPECT_NE (s.processor.getCurrentPresetName(), "ClubMix2");
}

TEST (MainPanelBehaviour, InfoLineKeepsPinnedMessagesThreeSecondsOthersSixAndNothingIsClearedDuringAResize)
{
    PanelSession s;
    auto& panel = s.panel();
    auto& line = label (panel, "Bottom Info Label");
    auto& mono = button (panel, "MONO");
    const auto monoHelp = mono.getTooltip();

    auto time = juce::Time (2030, 0, 1, 12, 0);
    panel.setTimeSource ([&time] { return time; });

    const auto hover = [&panel] (juce::Component& c)
    {
        panel.mouseMove (makeMouseEvent (c, c.getLocalBounds().getCentre().toFloat(), {}, {}));
    };

    const auto textAfter = [&] (double seconds)
    {
        time = time + juce::RelativeTime::seconds (seconds);
        panel.timerCallback();
        return line.getText();
    };

    // Hover help comes from the control under the mouse and goes over the bare panel.
    hover (mono);
    EXPECT_EQ (line.getText(), monoHelp);
    hover (panel);
    EXPECT_EQ (line.getText(), "");

    panel.setNewInfoText ("DONE", true);
    hover (mono);
    EXPECT_EQ (textAfter (3.0), "DONE");
    EXPECT_EQ (textAfter (0.07), "");

    hover (mono);
    EXPECT_EQ (textAfter (6.0), monoHelp);
    EXPECT_EQ (textAfter (0.07), "");

    // A resize clears nothing until it ends; a pinned message outlasts its end, the size
    // message follows the next resize and keeps its 6 s.
    panel.setNewInfoText ("KEPT", true);
    panel.resizingStarted();
    EXPECT_EQ (textAfter (60.0), "KEPT");
    panel.resizingStopped();
    EXPECT_EQ (line.getText(), "KEPT");
    EXPECT_EQ (textAfter (0.07), "");

    panel.resizingStarted();
    panel.resizingStopped();
    EXPECT_EQ (textAfter (5.9), "Resizer: NEW SIZE set to 810x540");
    EXPECT_EQ (textAfter (0.2), "");

    // A press on the title opens the info screen.
    auto& title = label (panel, "Title Label");
    EXPECT_FALSE (panel.getChildComponent (36)->isVisible());
    panel.mouseDown (makeMouseEvent (title, {}, juce::ModifierKeys::leftButtonModifier, {}));
    EXPECT_TRUE (panel.getChildComponent (36)->isVisible());
}

TEST (MainPanelSync, HostAutomationReachesItsControlWithinOneTickWithoutBeingWrittenBack)
{
    struct Case { Values automated; Values shown; }; // automated one by one, a tick after each

    std::vector<Case> cases = {
        // MONO shows a width of 0 and keeps the automated width for later.
        { { { "Mono", 1.0f }, { "StereoWidth", 0.8f } }, { { "StereoWidth", 0.0f } } },
        { { { "Mono", 1.0f }, { "StereoWidth", 0.8f }, { "Mono", 0.0f } }, { { "StereoWidth", 0.8f } } },
        // SAFE BASS off shows "OFF" and keeps the frequency the same way.
        { { { "SafeBassFreq", 0.9f } }, { { "SafeBassFreq", 0.0f } } },
        { { { "SafeBassFreq", 0.9f }, { "SafeBass", 1.0f } }, { { "SafeBassFreq", 0.9f } } },
        // Choices by ranges, switches above 0.5.
        { { { "MuteMid", 1.0f }, { "MuteSide", 1.0f } }, { { "MuteMid", 1.0f }, { "MuteSide", 1.0f } } },
        { { { "PanLaw", 0.1f } }, { { "PanLaw", 0.1f } } },
        { { { "PanLaw", 0.19f } }, { { "PanLaw", 0.1f } } },
        { { { "PanCurve", 0.2f }, { "PanCurve", 0.1f } }, { { "PanCurve", 0.1f } } },
        { { { "MsMode", 0.2f } }, { { "MsMode", 0.1f } } },
        { { { "Mono", 0.5f } }, { { "Mono", 0.0f }, { "StereoWidth", 0.5f } } },
    };

    // And every parameter on its own (the frequency needs SAFE BASS on to be shown).
    const Values eachOnItsOwn = {
        { "Bypass", 1.0f }, { "StereoWidth", 0.8f }, { "Pan", 0.25f }, { "InputGain", 0.7f }, { "OutputGain", 0.3f },
        { "SwapLR", 1.0f }, { "PhaseFlip", 1.0f }, { "Mono", 1.0f }, { "MuteAll", 1.0f }, { "MuteMid", 1.0f },
        { "MuteSide", 1.0f }, { "PanCurve", 0.2f }, { "PanLaw", 0.2f }, { "MsMode", 0.1f }, { "PanMode", 0.0f },
        { "PhaseAlignSide", 1.0f }, { "SafeBass", 1.0f },
    };

    for (const auto& automation : eachOnItsOwn)
        cases.push_back ({ { automation }, { automation } });

    cases.push_back ({ { { "SafeBass", 1.0f }, { "SafeBassFreq", 0.9f } }, { { "SafeBassFreq", 0.9f } } });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (c.automated.back().first) + " " + std::to_string (c.automated.back().second)
                      + " after " + std::to_string (c.automated.size() - 1) + " more");

        PanelSession s;

        for (const auto& [name, value] : c.automated)
        {
            s.setParameter (name, value);
            s.tick();
        }

        for (const auto& [name, value] : c.shown)
            EXPECT_NEAR (shownValue (s.panel(), name), value, 1.0e-4f) << name;

        expectLabelsMatchKnobs (s.panel());
        EXPECT_EQ (s.host.numValueChanges, 0);
        EXPECT_FALSE (s.processor.canUndo());
        EXPECT_FALSE (s.processor.currentPresetWasModified());
    }
}

TEST (MainPanelSync, NextPrevUndoAndRedoEachRefreshEveryControl)
{
    // Values every control shows differently from the presets and the undo history below
    // (BYPASS and MUTE ALL stay off: they would hide the preset buttons).
    const Values scrambled = {
        { "StereoWidth", 0.9f }, { "Pan", 0.1f }, { "InputGain", 0.9f }, { "OutputGain", 0.1f }, { "SwapLR", 1.0f },
        { "PhaseFlip", 1.0f }, { "Mono", 1.0f }, { "MuteMid", 1.0f }, { "MuteSide", 1.0f }, { "PanCurve", 0.2f },
        { "PanLaw", 0.2f }, { "MsMode", 0.1f }, { "PanMode", 0.0f }, { "PhaseAlignSide", 1.0f },
        { "SafeBassFreq", 0.9f }, { "SafeBass", 1.0f },
    };

    // What the panel must show for the processor's value: switches and choices by their
    // ranges, and width and frequency as 0 while MONO is on or SAFE BASS off.
    const auto expectedShown = [] (DvxParameterManager& m, const juce::String& name)
    {
        const auto v = m.getParameterValue (name);
        const auto choice = [v] (float last) { return juce::jmin (last, v < 0.1f ? 0.0f : (v < 0.2f ? 0.1f : 0.2f)); };

        if (name == "StereoWidth" && m.getParameterValue ("Mono") > 0.5f)   return 0.0f;
        if (name == "SafeBassFreq" && m.getParameterValue ("SafeBass") <= 0.5f) return 0.0f;
        if (name == "PanCurve" || name == "PanLaw")                           return choice (0.2f);
        if (name == "MsMode" || name == "PanMode")                            return choice (0.1f);
        if (name == "StereoWidth" || name == "Pan" || name.contains ("Gain") || name == "SafeBassFreq") return v;
        return v > 0.5f ? 1.0f : 0.0f;
    };

    for (const juce::String action : { "NEXT", "PREV", "UNDO", "REDO" })
    {
        SCOPED_TRACE (action);

        PanelSession s;
        auto& panel = s.panel();
        s.click ("MONO");
        s.tick();

        if (action == "REDO")
        {
            s.click ("UNDO");
            s.tick();
        }

        for (const auto& [name, value] : scrambled)
            s.setParameter (name, value);

        s.tick();
        s.processor.setExpertMode (false);
        s.processor.setChannelName ("Bus 3");

        s.click (action);

        for (const auto& c : controls)
            EXPECT_NEAR (shownValue (panel, c.parameter), expectedShown (*s.processor.getParameterManager(), c.parameter), 1.0e-4f)
                << c.parameter;

        expectLabelsMatchKnobs (panel);
        EXPECT_EQ (label (panel, "Preset Name Label").getText(), s.processor.getCurrentPresetName());
        EXPECT_EQ (label (panel, "Channel Name Label").getText(), "Bus 3");
        EXPECT_TRUE (button (panel, "EASY MODE").getToggleState());
        EXPECT_EQ (button (panel, "UNDO").isEnabled(), s.processor.canUndo());
        EXPECT_EQ (button (panel, "REDO").isEnabled(), s.processor.canRedo());
    }
}

// The label's own refresh waits while it is typed into (see the typing table below); the
// knob and the picture still follow the host.
TEST (MainPanelBehaviour, AnAutomatedPanMovesItsKnobAndPictureWhileItsLabelIsTypedInto)
{
    if (! hasDisplay())
        GTEST_SKIP() << "the label's editor needs a window on a display";

    PanelSession s;
    putOnScreen (*s.editor);

    auto& panel = s.panel();
    auto& panLabel = label (panel, "Pan");
    auto& picture = find<StereoComponent> (panel, [] (StereoComponent&) { return true; }, "stereo display");
    const auto pictureBefore = picture.createComponentSnapshot (picture.getLocalBounds());

    panLabel.showEditor();
    auto* typing = panLabel.getCurrentTextEditor();
    ASSERT_NE (typing, nullptr);

    // The editor is outlined, focused or not, in the complement colour.
    for (const auto id : { juce::TextEditor::outlineColourId, juce::TextEditor::focusedOutlineColourId, juce::TextEditor::highlightColourId })
        EXPECT_EQ (typing->findColour (id), DvxQzColours::qzcomplementColourA) << id;

    for (const float automated : { 0.9f, 0.6f, 0.1f })
    {
        s.setParameter ("Pan", automated);
        s.tick();
    }

    ASSERT_TRUE (panLabel.isBeingEdited());
    EXPECT_FLOAT_EQ ((float) knob (panel, "Pan").getValue(), 0.1f);
    const auto pictureNow = picture.createComponentSnapshot (picture.getLocalBounds());
    int changedPixels = 0;

    for (int y = 0; y < pictureNow.getHeight(); ++y)
        for (int x = 0; x < pictureNow.getWidth(); ++x)
            changedPixels += pictureNow.getPixelAt (x, y) != pictureBefore.getPixelAt (x, y) ? 1 : 0;

    EXPECT_GT (changedPixels, 100);
}

namespace
{
    // A project as another instance saved it, with editor settings unlike a new one's.
    juce::MemoryBlock savedProject (const juce::String& channelName)
    {
        OrvelinAudioProcessor saved;
        saved.setChannelName (channelName);
        saved.setExpertMode (true);
        saved.setCurrentColourSchemeBrightness (0.0f);
        saved.setEditorHeight (600);
        saved.setCurrentPresetNameUndoable ("Wide Drums");

        juce::MemoryBlock state;
        saved.getStateInformation (state);
        return state;
    }

    // As a host does it: on a thread of its own while the editor is open.
    void restoreFromHostThread (OrvelinAudioProcessor& processor, const juce::MemoryBlock& state)
    {
        std::thread host ([&] { processor.setStateInformation (state.getData(), (int) state.getSize()); });
        host.join();
    }
}

TEST (MainPanelSync, AHostRestoreOrRenameReachesTheOpenEditorWithinOneTick)
{
    PanelSession s (false);
    auto& panel = s.panel();

    restoreFromHostThread (s.processor, savedProject ("Drums"));
    s.tick();

    EXPECT_EQ (label (panel, "Channel Name Label").getText(), "Drums");
    EXPECT_TRUE (button (panel, "EXPERT MODE").getToggleState());
    EXPECT_TRUE (canBeSeen (button (panel, "linear"), panel));
    EXPECT_EQ (button (panel, "SAFE BASS").findColour (juce::TextButton::buttonColourId), DvxQzColours::qzdarkGrey);
    EXPECT_EQ (label (panel, "Preset Name Label").getText(), "Wide Drums");

    // The project's editor size too, which the processor then keeps.
    EXPECT_EQ (s.editor->getBounds(), juce::Rectangle<int> (0, 0, 900, 600));
    EXPECT_EQ (s.processor.getEditorHeight(), 600);

    // During a corner drag the user's size stays, and the processor keeps it, although the
    // drag ends without another move.
    s.processor.setEditorHeight (540);
    s.editor->updateEditorSize();
    panel.resizingStarted();
    restoreFromHostThread (s.processor, savedProject ("Drums"));
    s.tick();
    panel.resizingStopped();
    EXPECT_EQ (s.editor->getHeight(), 540);
    EXPECT_EQ (s.processor.getEditorHeight(), 540);

    std::thread host ([&] { s.processor.changeProgramName (0, "From The Host"); });
    host.join();
    s.tick();
    EXPECT_EQ (label (panel, "Preset Name Label").getText(), "From The Host");
}

// A host may restore again from its thread while the editor takes in the restore before.
// Whenever the two met, the last restore is what the processor keeps and the editor shows.
TEST (MainPanelSync, TheLastOfRestoresMadeWhileTheEditorTicksAlwaysWins)
{
    using Settings = std::tuple<juce::String, bool, float, int>;
    const auto settingsOf = [] (OrvelinAudioProcessor& p)
    {
        return Settings (p.getChannelName(), p.getExpertMode(), p.getCurrentColourSchemeBrightness(), p.getEditorHeight());
    };

    // Unlike in every setting, the height included (a new instance's is half the display's).
    OrvelinAudioProcessor fresh;
    juce::MemoryBlock states[] = { savedProject ("Drums"), {} };
    fresh.getStateInformation (states[1]);
    const Settings expected[] = { { "Drums", true, 0.0f, 600 }, settingsOf (fresh) };

    // No host listener: the recorder is not made for two threads.
    EditorSession s;
    s.open();
    int lost = 0;

    for (int round = 0; round < 300; ++round)
    {
        // The host restores the two states in turn, at least eight times and until the
        // editor has ticked meanwhile.
        std::atomic<int> ticks { 0 };
        std::atomic<bool> hostDone { false };
        int restores = 0;

        std::thread host ([&]
        {
            for (; restores < 8 || ticks.load() < 2; ++restores)
                s.processor.setStateInformation (states[restores % 2].getData(), (int) states[restores % 2].getSize());

            hostDone = true;
        });

        while (! hostDone.load())
        {
            s.panel().timerCallback();
            ++ticks;
        }

        host.join();
        s.panel().timerCallback();

        const auto& last = expected[(restores - 1) % 2];
        lost += settingsOf (s.processor) != last || s.editor->getHeight() != std::get<3> (last) ? 1 : 0;
    }

    EXPECT_EQ (lost, 0) << "of 300 rounds";
}

TEST (MainPanelBehaviour, TypingSurvivesTheHostAndAnEditGivenUpShowsWhatTheHostSetMeanwhile)
{
    if (! hasDisplay())
        GTEST_SKIP() << "the editors need a window on a display";

    using Box = std::function<juce::Label& (MainEditorComponent&)>;
    const auto valueBoxOf = [] (const char* parameter) -> Box
    {
        return [parameter] (MainEditorComponent& p) -> juce::Label& { return dynamic_cast<juce::Label&> (*knob (p, parameter).getChildComponent (0)); };
    };
    const auto labelNamed = [] (const char* name) -> Box
    {
        return [name] (MainEditorComponent& p) -> juce::Label& { return label (p, name); };
    };

    struct Row
    {
        const char* what;
        Box box;
        std::function<void (PanelSession&)> host;  // what the host changes meanwhile
        int key;                                     // Escape gives the edit up, Return takes it
        const char* shownAfter;
        const char* typed = "3";
    };

    const Row rows[] = {
        { "input gain", valueBoxOf ("InputGain"), [] (PanelSession& s) { s.setParameter ("InputGain", 0.75f); },
          juce::KeyPress::escapeKey, "+6.0dB" },
        { "input gain", valueBoxOf ("InputGain"), [] (PanelSession& s) { s.setParameter ("InputGain", 0.75f); },
          juce::KeyPress::returnKey, "+3.0dB" },
        // The value the knob was held at, which the host has left meanwhile.
        { "input gain, typed as before", valueBoxOf ("InputGain"), [] (PanelSession& s) { s.setParameter ("InputGain", 0.75f); },
          juce::KeyPress::returnKey, "0.0dB", "0" },
        { "output gain", valueBoxOf ("OutputGain"), [] (PanelSession& s) { s.setParameter ("OutputGain", 0.25f); },
          juce::KeyPress::escapeKey, "-6.0dB" },
        { "frequency", valueBoxOf ("SafeBassFreq"), [] (PanelSession& s) { s.setParameter ("SafeBassFreq", 1.0f); },
          juce::KeyPress::escapeKey, "500Hz" },
        { "width", labelNamed ("Stereo Width Label "), [] (PanelSession& s) { s.setParameter ("StereoWidth", 1.0f); },
          juce::KeyPress::escapeKey, "200 %" },
        { "pan", labelNamed ("Pan"), [] (PanelSession& s) { s.setParameter ("Pan", 0.1f); }, juce::KeyPress::escapeKey, "L80" },
        { "pan", labelNamed ("Pan"), [] (PanelSession& s) { s.setParameter ("Pan", 0.1f); }, juce::KeyPress::returnKey, "R3" },
        { "preset name", labelNamed ("Preset Name Label"), [] (PanelSession& s) { s.processor.changeProgramName (0, "Host Name"); },
          juce::KeyPress::escapeKey, "Host Name" },
        { "channel name", labelNamed ("Channel Name Label"), [] (PanelSession& s) { restoreFromHostThread (s.processor, savedProject ("Bus 7")); },
          juce::KeyPress::escapeKey, "Bus 7" },
        // A host that restores the project again and again, with the editor's settings unchanged.
        { "input gain, restores", valueBoxOf ("InputGain"), [] (PanelSession& s)
          {
              s.setParameter ("InputGain", 0.75f);
              juce::MemoryBlock state;
              s.processor.getStateInformation (state);

              for (int i = 0; i < 3; ++i, s.tick())
                  restoreFromHostThread (s.processor, state);
          }, juce::KeyPress::escapeKey, "+6.0dB" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (std::string (row.what) + (row.key == juce::KeyPress::returnKey ? " taken" : " given up"));

        PanelSession s;
        s.setParameter ("SafeBass", 1.0f);
        putOnScreen (*s.editor);
        s.tick();

        auto& box = row.box (s.panel());
        box.showEditor();
        auto* typing = box.getCurrentTextEditor();
        ASSERT_NE (typing, nullptr);
        typing->setText (row.typed);

        // Automation of any parameter brings all of them back to the panel.
        s.setParameter ("Pan", 0.9f);
        row.host (s);
        s.tick();
        s.tick();

        ASSERT_TRUE (box.isBeingEdited());
        EXPECT_EQ (typing->getText(), row.typed);

        typing->keyPressed (juce::KeyPress (row.key));
        pumpMessages();
        s.tick();
        EXPECT_EQ (row.box (s.panel()).getText(), juce::String (row.shownAfter));
    }
}

TEST (MainPanelBehaviour, SnapshotsAfterMonoSafeBassOffExpertModeAndBrightEyes)
{
    PanelSession s (false);
    s.processor.setCurrentColourSchemeBrightness (0.0f);
    s.setParameter ("SafeBass", 1.0f);
    s.open();
    auto& panel = s.panel();
    auto& editor = *s.editor;

    // In the 810 x 540 editor: the captions above the width knob and the frequency knob,
    // black or dimmed to 20 %, and the channel name's frame.
    const juce::Rectangle<int> widthCaption (283, 384, 243, 24), frequencyCaption (575, 167, 113, 27);
    const juce::Point<int> channelFrame (700, 8);
    const auto blackIn = [] (const juce::Image& image, juce::Rectangle<int> caption)
    {
        return countPixelsNear (image, caption, juce::Colours::black, 8);
    };

    s.click ("MONO");
    s.tick();
    auto image = renderAndKeep (editor, "panel-clicks-1-mono-on");
    EXPECT_FALSE (knob (panel, "StereoWidth").isEnabled());
    EXPECT_EQ (label (panel, "Stereo Width Label ").getText(), "0 %");
    EXPECT_EQ (blackIn (image, widthCaption), 0);
    EXPECT_GT (blackIn (image, frequencyCaption), 20);
    EXPECT_TRUE (isNear (image.getPixelAt (channelFrame.x, channelFrame.y), DvxQzColours::qzmainColour.darker (0.2f), 2))
        << describe (image.getPixelAt (channelFrame.x, channelFrame.y));

    // The value boxes are 0.2 W wide; the frequency's is typed into only while SAFE BASS is on.
    auto& frequency = knob (panel, "SafeBassFreq");
    EXPECT_TRUE (frequency.isTextBoxEditable());
    EXPECT_TRUE (knob (panel, "InputGain").isTextBoxEditable());

    s.click ("SAFE BASS");
    s.tick();
    image = renderAndKeep (editor, "panel-clicks-2-safe-bass-off");
    EXPECT_FALSE (frequency.isEnabled());
    EXPECT_FALSE (frequency.isTextBoxEditable());
    EXPECT_EQ (frequency.getTextBoxWidth(), 162);
    EXPECT_EQ (frequency.getTextFromValue (frequency.getValue()), "OFF");
    EXPECT_EQ (blackIn (image, frequencyCaption), 0);

    s.click ("EXPERT MODE");
    s.tick();
    renderAndKeep (editor, "panel-clicks-3-expert-mode");
    EXPECT_TRUE (canBeSeen (button (panel, "balance"), panel));

    panel.useBrightEyesColourScheme();
    s.tick();
    renderAndKeep (editor, "panel-clicks-4-bright-eyes");
    EXPECT_EQ (button (panel, "SWAP L-R").findColour (juce::TextButton::buttonColourId), DvxQzColours::qzdarkGrey.brighter (0.3f));
    EXPECT_EQ (s.processor.getCurrentColourSchemeBrightness(), 0.3f);

    // MONO off gives the width caption its black back; a channel name frames it in black.
    s.click ("MONO");
    label (panel, "Channel Name Label").setText ("Drums", juce::sendNotificationSync);
    s.tick();
    image = renderAndKeep (editor, "panel-clicks-5-mono-off-channel-named");
    EXPECT_GT (blackIn (image, widthCaption), 20);
    EXPECT_EQ (image.getPixelAt (channelFrame.x, channelFrame.y), juce::Colours::black);
}

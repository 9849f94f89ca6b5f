// The main panel as built: every child in its stacking order with its name, text, tooltip
// and place, the state right after construction, and the processor's editor settings
// taken over at construction.

#include "helpers/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

using namespace orvelin::test;

namespace
{
    juce::String textOf (juce::Component& c)
    {
        if (auto* label = dynamic_cast<juce::Label*> (&c))
            return label->getText();

        if (auto* button = dynamic_cast<juce::Button*> (&c))
            return button->getButtonText();

        return {};
    }

    juce::String tooltipOf (juce::Component& c)
    {
        if (auto* client = dynamic_cast<juce::TooltipClient*> (&c))
            return client->getTooltip();

        return {};
    }

    struct Child
    {
        const char* name;
        const char* text;
        const char* tooltip;
        juce::Rectangle<int> bounds; // in an 810 x 540 panel
    };

    // Written out from the layout tables: positions are fractions of 810 x 540, rounded;
    // the layout manager's buttons take sizes in units of twice the height.
    const Child expectedChildren[] = {
        { "SettingsPopupButton", "SettingsPopupButton", "click to open the popup menu !", { 772, 9, 30, 30 } },
        { "Title Label", "Orvelin", "Orvelin v1.1 : Click for more infos !", { 304, 1, 202, 46 } },
        { "Bottom Info Label", "Orvelin v1.1", "", { 13, 498, 567, 32 } },
        { "Channel Name Label", "No Channel Name", "CHANNEL NAME: this can be used to set a name for this plugin channel", { 590, 8, 178, 32 } },
        { "Preset Name Label", "Init", "PRESET NAME: this is the name of the current preset, double-click to edit", { 243, 51, 324, 27 } },
        { "", "MUTE ALL", "MUTE ALL: this mutes the input signal", { 16, 454, 97, 38 } },
        { "", "BYPASS", "BYPASS: this bypasses the whole plugin", { 697, 454, 97, 38 } },
        { "", "SAFE BASS", "SAFE BASS: this activates the 'SAFE BASS' algorithm", { 583, 103, 97, 38 } },
        { "", "SWAP L-R", "SWAP L-R: this swaps LEFT and RIGHT channel of the input signal", { 130, 103, 97, 38 } },
        { "", "PHASE FLIP", "PHASE FLIP: this flips / inverts the phase of the input signal", { 130, 176, 97, 38 } },
        { "", "MONO", "MONO: this converts the input signal to mono, panning is still possible", { 130, 248, 97, 38 } },
        { "", "MUTE MID", "MUTE MID: this mutes only the MID signal of the output", { 583, 346, 97, 38 } },
        { "", "MUTE SIDE", "MUTE SIDE: this mutes only the SIDE signal of the output", { 583, 400, 97, 38 } },
        { "", "EASY MODE", "EASY MODE: this mode HIDES the expert options", { 130, 346, 97, 38 } },
        { "", "EXPERT MODE", "EXPERT MODE: this mode SHOWS the expert options", { 130, 400, 97, 38 } },
        { "", "SAVE", "SAVE: click to save as user preset", { 130, 52, 49, 25 } },
        { "", "", "", { 460, 316, 107, 81 } },   // PAN LAW options
        { "", "", "", { 243, 316, 107, 81 } },   // PAN CURVE options
        { "", "", "", { 243, 410, 107, 81 } },   // STEREOMODE options
        { "", "", "", { 460, 410, 107, 81 } },   // PAN MODE options
        { "", "align phase", "ALIGN PHASE: phase alignment for SIDE signal while MID is muted", { 591, 446, 78, 20 } },
        { "", "", "Stereo VU Meter", { 16, 173, 97, 270 } },
        { "", "", "Stereo VU Meter", { 697, 173, 97, 270 } },
        { "", "", "INPUT GAIN: this controls the level of the input signal", { 40, 81, 49, 86 } },
        { "", "", "OUTPUT GAIN: this controls the level of the output signal", { 721, 81, 49, 86 } },
        { "", "", "SAFE BASS FREQUENCY: all frequencies below this gets MONO", { 608, 200, 49, 86 } },
        { "", "", "STEREO WIDTH: =100% is normal, >100% is WIDER than normal stereo", { 360, 410, 89, 97 } },
        { "", "", "PAN: this controls the stereo panorama or balance", { 381, 332, 49, 86 } },
        { "", "", "this shows the stereo field", { 243, 86, 324, 216 } },
        { "Stereo Width Label ", "100 %", "STEREO WIDTH: Use slider below or double-click here to enter a value...", { 259, 118, 61, 35 } },
        { "Pan", "C", "PAN: Use slider below or double-click here to enter a value...", { 490, 118, 61, 35 } },
        { "UNDO", "UNDO", "UNDO: takes back the latest parameter change", { 522, 9, 30, 30 } },
        { "REDO", "REDO", "REDO: takes back the latest UNDO command", { 555, 9, 30, 30 } },
        { "NEXT", "NEXT", "NEXT PRESET: loads the next preset", { 628, 52, 49, 25 } },
        { "PREV", "PREV", "PREV PRESET: loads the previous preset", { 575, 52, 49, 25 } },
        { "", "", "", { 243, 86, 324, 216 } },   // save-preset dialog, over the stereo display
        { "", "", "", { 0, 0, 810, 540 } },      // info screen, over everything
    };

    struct Toggle
    {
        const char* text;
        const char* tooltip;
        int group;
        bool on;
    };

    const Toggle expectedToggles[] = {
        { "PAN LAW -0 dB", "PAN LAW -0dB: how much the mid signal is faded relative to hard left or right", 1, true },
        { "-3 dB slope", "PAN LAW -3dB: how much the mid signal is faded relative to hard left or right", 1, false },
        { "-6 dB slope", "PAN LAW -6dB: how much the mid signal is faded relative to hard left or right", 1, false },
        { "linear", "PAN CURVE: 'LINEAR' scale, how the pan slider affects the panning", 2, false },
        { "logarithmic", "PAN CURVE: 'LOGARITHMIC' scale, how the pan slider affects the panning", 2, true },
        { "sin / cos", "PAN CURVE: 'SIN / COS' scale, how the pan slider affects the panning", 2, false },
        { "fix MID level", "STEREOMODE: 'FIX MID LEVEL'= MID level is fixed, only SIDE level gets affected", 3, true },
        { "bind M/S levels", "STEREOMODE: 'BIND M/S LEVELS'= MID and SIDE levels get affected relatively", 3, false },
        { "dual pan", "PAN MODE: 'DUAL PAN'= L and R channels get panned separately", 4, false },
        { "balance", "PAN MODE: 'BALANCE'= L and R channels get adjusted in volume relatively", 4, true },
    };
}

TEST (MainPanel, BuildsEveryChildInOrderWithItsNameTextTooltipAndPlace)
{
    EditorSession session;
    session.open();
    auto& panel = session.panel();

    EXPECT_EQ (panel.getName(), "MainEditorComponent");
    ASSERT_EQ (panel.getNumChildComponents(), (int) std::size (expectedChildren));

    for (int i = 0; i < panel.getNumChildComponents(); ++i)
    {
        auto& child = *panel.getChildComponent (i);
        const auto& expected = expectedChildren[i];
        SCOPED_TRACE ("child " + std::to_string (i) + " " + expected.text);

        EXPECT_EQ (child.getName(), expected.name);
        EXPECT_EQ (textOf (child), expected.text);
        EXPECT_EQ (tooltipOf (child), expected.tooltip);
        EXPECT_EQ (child.getBounds(), expected.bounds);
    }

    // The option toggles, box by box; the first of each box starts on, then the
    // parameter values at construction choose (PanCurve and PanMode default to 0.1).
    std::vector<juce::ToggleButton*> toggles;
    for (int box = 16; box < 20; ++box)
        for (auto* toggle : panel.getChildComponent (box)->getChildren())
            toggles.push_back (dynamic_cast<juce::ToggleButton*> (toggle));

    ASSERT_EQ (toggles.size(), std::size (expectedToggles));

    for (size_t i = 0; i < toggles.size(); ++i)
    {
        SCOPED_TRACE (expectedToggles[i].text);
        ASSERT_NE (toggles[i], nullptr);
        EXPECT_EQ (toggles[i]->getButtonText(), expectedToggles[i].text);
        EXPECT_EQ (toggles[i]->getTooltip(), expectedToggles[i].tooltip);
        EXPECT_EQ (toggles[i]->getRadioGroupId(), expectedToggles[i].group);
        EXPECT_EQ (toggles[i]->getToggleState(), expectedToggles[i].on);
        EXPECT_TRUE (toggles[i]->getClickingTogglesState());
    }

    EXPECT_EQ (toggles[0]->getBounds(), juce::Rectangle<int> (5, 5, 98, 20));
    EXPECT_EQ (toggles[9]->getBounds(), juce::Rectangle<int> (5, 47, 98, 20));

    // A new instance: nothing to undo, both dialogs hidden, only EASY MODE on; the
    // option boxes and "align phase" wait for expert mode and MUTE MID.
    const auto button = [&panel] (int index) { return dynamic_cast<juce::Button*> (panel.getChildComponent (index)); };

    for (const int i : { 31, 32 })
        EXPECT_FALSE (button (i)->isEnabled()) << i;

    for (const int i : { 16, 17, 18, 19, 20, 35, 36 })
        EXPECT_FALSE (panel.getChildComponent (i)->isVisible()) << i;

    // Ten text buttons stay down when clicked; SAVE and the image buttons don't.
    for (int i = 5; i < 15; ++i)
    {
        EXPECT_TRUE (button (i)->getClickingTogglesState()) << i;
        EXPECT_EQ (button (i)->getToggleState(), i == 13) << i;
    }

    EXPECT_EQ (button (13)->getRadioGroupId(), 99);
    EXPECT_EQ (button (14)->getRadioGroupId(), 99);

    for (const int i : { 0, 15, 31, 32, 33, 34 })
        EXPECT_FALSE (button (i)->getClickingTogglesState()) << i;
}

TEST (MainPanel, TakesOverTheProcessorsEditorSettingsAndParameterValues)
{
    EditorSession session;
    session.processor.setExpertMode (true);
    session.processor.setCurrentColourSchemeBrightness (0.0f);
    session.processor.setChannelName ("Drums");
    session.setParameter ("PanLaw", 0.2f);
    session.setParameter ("MuteAll", 1.0f);

    // Changes made while the editor was closed: the reopened panel offers their undo.
    session.processor.setParamAndNotifyHost ("SwapLR", 1.0f, true);
    session.processor.getParameterManager()->getUndoButtonsNeedToBeUpdatedInEditor();
    session.open();
    auto& panel = session.panel();

    EXPECT_EQ (label (panel, "Channel Name Label").getText(), "Drums");
    EXPECT_TRUE (button (panel, "EXPERT MODE").getToggleState());
    EXPECT_FALSE (button (panel, "EASY MODE").getToggleState());
    EXPECT_TRUE (button (panel, "-6 dB slope").getToggleState());
    EXPECT_TRUE (button (panel, "UNDO").isEnabled());
    EXPECT_FALSE (button (panel, "REDO").isEnabled());

    // MUTE ALL leaves only what still acts: BYPASS and MUTE ALL itself, not the boxes.
    EXPECT_TRUE (button (panel, "MUTE ALL").getToggleState());
    EXPECT_TRUE (canBeSeen (button (panel, "MUTE ALL"), panel));
    EXPECT_TRUE (canBeSeen (button (panel, "BYPASS"), panel));
    EXPECT_FALSE (canBeSeen (button (panel, "SAFE BASS"), panel));
    EXPECT_FALSE (canBeSeen (button (panel, "-6 dB slope"), panel));

    // The scheme's grey replaces the one the buttons were made with.
    EXPECT_EQ (button (panel, "SAFE BASS").findColour (juce::TextButton::buttonColourId), juce::Colour (0xFF333333));
    EXPECT_EQ (session.processor.getCurrentColourSchemeBrightness(), 0.0f);
}

// The editor shell: its size from the stored height, the resize corner's limits and the
// panel's hand-over during a drag, the height reported to the processor, the peak
// hand-over to the meters, and a clean life cycle on a real (virtual) screen.

#include "helpers/editor/EditorTestSupport.h"
#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxQzLookAndFeelV1.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"
#include "widgets/StereoComponent.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orvelin::test;

namespace
{
    // A drag on the corner as the mouse would make it: press, move by (dx, dy), release.
    void dragCorner (EditorSession& session, int dx, int dy)
    {
        auto& corner = session.corner();
        const juce::Point<float> start (2.0f, 2.0f);
        const auto end = start + juce::Point<float> ((float) dx, (float) dy);

        corner.mouseDown (makeMouseEvent (corner, start, juce::ModifierKeys::leftButtonModifier, start));
        corner.mouseDrag (makeMouseEvent (corner, end, juce::ModifierKeys::leftButtonModifier, start, 1, true));
        corner.mouseUp (makeMouseEvent (corner, end, {}, start, 1, true));
    }

    template <typename ChildType>
    std::vector<ChildType*> childrenOfType (juce::Component& parent)
    {
        std::vector<ChildType*> found;

        for (auto* child : parent.getChildren())
            if (auto* typed = dynamic_cast<ChildType*> (child))
                found.push_back (typed);

        return found;
    }

    struct ResizeCounter : juce::ComponentListener
    {
        void componentMovedOrResized (juce::Component&, bool, bool wasResized) override { resizes += wasResized ? 1 : 0; }
        int resizes = 0;
    };
}

TEST (EditorShell, CornerLimitsAreAQuarterToFourFifthsOfTheDisplayHeightAtRatioOnePointFive)
{
    struct Case { int display, minWidth, minHeight, maxWidth, maxHeight; };

    // Truncated, not rounded: 0.25 x 1050 = 262.5 gives 262.
    for (const auto& c : { Case { 1080, 405, 270, 1296, 864 }, Case { 1050, 393, 262, 1260, 840 } })
    {
        juce::ComponentBoundsConstrainer limits;
        OrvelinAudioProcessorEditor::applyCornerLimits (limits, c.display);

        EXPECT_EQ (limits.getMinimumWidth(), c.minWidth) << c.display;
        EXPECT_EQ (limits.getMinimumHeight(), c.minHeight) << c.display;
        EXPECT_EQ (limits.getMaximumWidth(), c.maxWidth) << c.display;
        EXPECT_EQ (limits.getMaximumHeight(), c.maxHeight) << c.display;
        EXPECT_DOUBLE_EQ (limits.getFixedAspectRatio(), 1.5);
    }

    // The editor applies them to real drags (xvfb-run's screen is 1080 pixels high).
    if (! hasDisplay())
        GTEST_SKIP() << "needs a display";

    EditorSession session;
    auto& editor = session.open();

    dragCorner (session, 5000, 5000);
    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 1296, 864));

    dragCorner (session, -5000, -5000);
    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 405, 270));
}

TEST (EditorShell, OpensAtTheStoredHeightHeldToWhatAStateRestoreAccepts)
{
    struct Case { int stored, width, height; };

    const Case cases[] = {
        { 401, 602, 401 },     // 601.5 rounds to even
        { 403, 604, 403 },     // 604.5 too
        { 200, 300, 200 },     // below the corner's limits: kept
        { 2000, 3000, 2000 },  // above them: kept
        { std::numeric_limits<int>::max(), 15000, 10000 }, // a hand-edited ratio: no overflow
        { 50, 150, 100 },      // below what a restore accepts, yet positive
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("stored height " + std::to_string (c.stored));

        EditorSession session;
        session.processor.setEditorHeight (c.stored);
        auto& editor = session.open();

        EXPECT_EQ (editor.getWidth(), c.width);
        EXPECT_EQ (editor.getHeight(), c.height);
        EXPECT_EQ (session.processor.getEditorHeight(), c.height);
        EXPECT_EQ (session.panel().getBounds(), editor.getLocalBounds());

        // "Resize To Default" takes the same way and is held the same; the processor then
        // keeps the height the editor has, also where the editor's size did not change.
        session.processor.setEditorHeight (c.stored);
        editor.updateEditorSize();
        EXPECT_EQ (editor.getHeight(), c.height);
        EXPECT_EQ (session.processor.getEditorHeight(), c.height);
    }
}

TEST (EditorShell, EverySizeChangeReportsItsHeightToTheProcessorOnceAndReopeningKeepsIt)
{
    if (! hasDisplay())
        GTEST_SKIP() << "the corner drag needs a display";

    EditorSession session;
    ResizeCounter counter;
    session.open().addComponentListener (&counter);

    dragCorner (session, 150, 100);
    EXPECT_EQ (counter.resizes, 1);
    EXPECT_EQ (session.processor.getEditorHeight(), 640);

    session.close();
    auto& editor = session.open();
    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 960, 640));
    editor.addComponentListener (&counter);

    session.processor.setEditorHeight (500);
    editor.updateEditorSize();
    EXPECT_EQ (counter.resizes, 2);
    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 750, 500));
    EXPECT_EQ (session.processor.getEditorHeight(), 500);

    // The same height again only repaints, and the editor stays where its wrapper put it
    // (the Standalone, below its notification bar).
    editor.setTopLeftPosition (0, 30);
    editor.updateEditorSize();
    EXPECT_EQ (counter.resizes, 2);
    EXPECT_EQ (editor.getPosition(), juce::Point<int> (0, 30));

    editor.removeComponentListener (&counter);
}

TEST (EditorShell, ACornerPressHidesThePanelsControlsUntilTheRelease)
{
    EditorSession session;
    auto& editor = session.open();
    auto& corner = session.corner();
    auto* display = childrenOfType<StereoComponent> (session.panel()).at (0);
    const juce::Point<float> point (2.0f, 2.0f);

    // The corner lies on top of the panel, at its bottom right.
    EXPECT_EQ (editor.getIndexOfChildComponent (&corner), 1);
    EXPECT_EQ (corner.getBounds(), juce::Rectangle<int> (761, 491, 40, 40));

    corner.mouseDown (makeMouseEvent (corner, point, juce::ModifierKeys::leftButtonModifier, point));
    EXPECT_FALSE (display->isVisible());

    // Where the panel draws nothing now, the editor's resize picture shows: the arrow from
    // the centre to the top left passes through (0.3 w, 0.3 h).
    const auto picture = renderAndKeep (editor, "editor-while-resizing");
    EXPECT_TRUE (isNear (pixelAt (picture, 0.3f * 810.0f, 0.3f * 540.0f), juce::Colours::black, 8));

    corner.mouseUp (makeMouseEvent (corner, point, {}, point));
    EXPECT_TRUE (display->isVisible());
    EXPECT_EQ (label (session.panel(), "Bottom Info Label").getText(), "Resizer: NEW SIZE set to 810x540");
}

TEST (EditorShell, HandsBothPeakRecordsToTheirMetersAndTheLookAndFeelToTheChildren)
{
    EditorSession session;
    auto& editor = session.open();

    juce::AudioBuffer<float> block (2, 64);
    block.clear();
    block.setSample (0, 10, 0.5f);
    block.setSample (1, 20, -0.25f);
    session.setParameter ("OutputGain", 0.0f); // -12 dB: the output peaks differ from the input's
    juce::MidiBuffer midi;
    session.processor.processBlock (block, midi);

    editor.timerCallback();

    const auto meters = childrenOfType<DvxQzStereoVuMeterComponent> (session.panel());
    ASSERT_EQ (meters.size(), 2u);
    EXPECT_FLOAT_EQ (meters[0]->getLeftMeter().getVuLevel(), 0.5f);
    EXPECT_FLOAT_EQ (meters[0]->getRightMeter().getVuLevel(), 0.25f);
    EXPECT_NEAR (meters[1]->getLeftMeter().getVuLevel(), 0.5f * 0.2512f, 1.0e-3f);

    // Taken, not copied: the processor starts a new reading.
    EXPECT_EQ (session.processor.getInputVuMeterVisuals().getLeft(), 0.0f);

    // The editor's own accessor and JUCE's answer the same look and feel, which every
    // child inherits.
    EXPECT_EQ (&static_cast<juce::Component&> (editor).getLookAndFeel(), editor.getLookAndFeel());
    EXPECT_EQ (&meters[0]->getLeftMeter().getLookAndFeel(), editor.getLookAndFeel());
}

TEST (EditorShell, FiftyEditorsOnTheScreenComeAndGoWithoutLeaksOrAssertions)
{
    // Leaks and JUCE assertions only print; the test program fails on that output.
    if (! hasDisplay())
        GTEST_SKIP() << "needs a display";

    EditorSession session;

    // Closed as a host closes them, some in the middle of what the user does: a typed pan
    // whose label refreshes after its editor has gone, the save dialog holding the keyboard
    // focus, the settings menu open. What arrives after the close must touch nothing (run
    // by ./build.sh asan too).
    for (int i = 0; i < 50; ++i)
    {
        putOnScreen (session.open());
        auto& panel = session.panel();

        if (i % 4 == 1)
        {
            auto& pan = label (panel, "Pan");
            pan.showEditor();
            pan.getCurrentTextEditor()->setText ("L20");
            pan.hideEditor (false);
        }
        else if (i % 4 == 2)
        {
            panel.showManagePresetsComponent();
        }
        else if (i % 4 == 3)
        {
            panel.createAndShowSettingsPopupMenu();
        }

        session.close();
    }

    pumpMessages();
}

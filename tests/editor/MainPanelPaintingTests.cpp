// The main panel's painting: whole-editor snapshots in both colour schemes and modes,
// the top bar's height, what BYPASS and MUTE ALL take away, and the kept background
// against drawing it afresh.

#include "helpers/editor/EditorTestSupport.h"
#include "helpers/editor/WidgetTestSupport.h"

#include "editor/BackgroundTexture.h"
#include "widgets/DvxQzColours.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvelin::test;

namespace
{
    // Pixel for pixel: a's pixels against b's, b read from the offset on.
    bool sameImages (const juce::Image& a, juce::Image b, juce::Point<int> offsetInB = {})
    {
        const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData db (b, offsetInB.x, offsetInB.y, a.getWidth(), a.getHeight(),
                                          juce::Image::BitmapData::readOnly);

        if (a.getFormat() != juce::Image::ARGB || b.getFormat() != juce::Image::ARGB)
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            if (std::memcmp (da.getLinePointer (y), db.getLinePointer (y), (size_t) a.getWidth() * 4) != 0)
                return false;

        return true;
    }

    // The panel's own drawing, without its children.
    juce::Image paintPanelOnly (MainEditorComponent& panel)
    {
        juce::Image image (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
        juce::Graphics g (image);
        panel.paint (g);
        return image;
    }

    juce::Image drawBackground (BackgroundTexture* kept, juce::Rectangle<int> area, int height, juce::Colour base,
                                juce::Rectangle<int> region)
    {
        juce::Image image (juce::Image::ARGB, region.getWidth(), region.getHeight(), true);
        juce::Graphics g (image);

        // A partial repaint, as a window does it: the region's own picture, shifted, and
        // whatever colour the parent's painting left behind.
        g.setOrigin (-region.getPosition());
        g.reduceClipRegion (region);
        g.setColour (juce::Colours::red.withAlpha (0.5f));

        if (kept != nullptr)
            kept->draw (g, area, 1.5f * (float) height, (float) height, base);
        else
            BackgroundTexture::drawDirectly (g, area, 1.5f * (float) height, (float) height, base);

        return image;
    }
}

TEST (MainPanelPainting, SnapshotsInBothSchemesAndModesWithTheTopBarAtEightPercent)
{
    struct Case { int height; float brightness; bool expert; bool bypass; const char* name; };

    const Case cases[] = {
        { 540, 0.3f, false, false, "editor-540-bright-eyes-easy" },
        { 540, 0.3f, true,  false, "editor-540-bright-eyes-expert" },
        { 540, 0.0f, false, false, "editor-540-classic-dark-easy" },
        { 540, 0.0f, true,  false, "editor-540-classic-dark-expert" },
        { 540, 0.3f, true,  true,  "editor-540-bright-eyes-bypass" },
        { 864, 0.3f, false, false, "editor-864-bright-eyes-easy" },
        { 864, 0.3f, true,  false, "editor-864-bright-eyes-expert" },
        { 864, 0.0f, false, false, "editor-864-classic-dark-easy" },
        { 864, 0.0f, true,  false, "editor-864-classic-dark-expert" },
        { 864, 0.0f, true,  true,  "editor-864-classic-dark-bypass" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        EditorSession session;
        session.processor.setEditorHeight (c.height);
        session.processor.setCurrentColourSchemeBrightness (c.brightness);
        session.processor.setExpertMode (c.expert);
        session.setParameter ("Bypass", c.bypass ? 1.0f : 0.0f);
        auto& editor = session.open();

        const auto image = renderAndKeep (editor, c.name);
        const auto h = (float) c.height;

        // Between the title and UNDO only the bar is drawn: 0.08 h tall.
        const int x = juce::roundToInt (0.635f * 1.5f * h);
        EXPECT_EQ (image.getPixelAt (x, (int) (0.08f * h) - 1), DvxQzColours::qzmainColour);
        EXPECT_GT (colourDistance (image.getPixelAt (x, (int) (0.08f * h) + 2), DvxQzColours::qzmainColour), 100);

        // The same state paints the same pixels.
        EXPECT_TRUE (sameImages (image, editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f)));

        // The option boxes have their panels in expert mode only: the middle of PAN LAW's is
        // darker than in the other mode. BYPASS takes them away in both.
        auto& panel = session.panel();
        const auto ownDrawing = paintPanelOnly (panel);
        button (panel, c.expert ? "EASY MODE" : "EXPERT MODE").setToggleState (true, juce::sendNotificationSync);
        const auto otherMode = paintPanelOnly (panel);

        const juce::Point<int> optionPanel (juce::roundToInt (0.951f * h), juce::roundToInt (0.66f * h));
        const auto brightness = [&optionPanel] (const juce::Image& i) { return i.getPixelAt (optionPanel.x, optionPanel.y).getBrightness(); };
        const auto expert = brightness (c.expert ? ownDrawing : otherMode);
        const auto easy = brightness (c.expert ? otherMode : ownDrawing);

        EXPECT_EQ (expert < easy, ! c.bypass) << expert << " in expert mode, " << easy << " in easy mode";
    }
}

TEST (MainPanelPainting, BypassAndMuteAllTakeAwayTheGroupPanelsAndCaptionsOnly)
{
    for (const auto* switchName : { "Bypass", "MuteAll" })
    {
        SCOPED_TRACE (switchName);

        EditorSession session;
        session.open();
        const auto normal = paintPanelOnly (session.panel());

        session.close();
        session.setParameter (switchName, 1.0f);
        session.open();
        const auto reduced = paintPanelOnly (session.panel());

        // In an 810 x 540 panel: the middle of the SWAP L-R group panel is darker with it,
        // the preset name's background black, the "PAN" caption black.
        const juce::Point<int> groupPanel (178, 194), presetName (405, 64);
        const juce::Rectangle<int> panCaption (381, 306, 49, 26);

        EXPECT_LT (normal.getPixelAt (groupPanel.x, groupPanel.y).getBrightness(),
                   reduced.getPixelAt (groupPanel.x, groupPanel.y).getBrightness());
        EXPECT_EQ (normal.getPixelAt (presetName.x, presetName.y), juce::Colours::black);
        EXPECT_NE (reduced.getPixelAt (presetName.x, presetName.y), juce::Colours::black);
        EXPECT_GT (countPixelsNear (normal, panCaption, juce::Colours::black, 40), 20);
        EXPECT_EQ (countPixelsNear (reduced, panCaption, juce::Colours::black, 40), 0);

        // The top bar, the INPUT section, the channel-name frame and the border stay.
        for (const auto& unchanged : { juce::Point<int> (514, 20), juce::Point<int> (64, 90),
                                       juce::Point<int> (700, 8), juce::Point<int> (2, 270) })
            EXPECT_EQ (normal.getPixelAt (unchanged.x, unchanged.y), reduced.getPixelAt (unchanged.x, unchanged.y))
                << unchanged.toString();
    }
}

TEST (MainPanelPainting, KeptBackgroundHasThePixelsOfDrawingItAfresh)
{
    BackgroundTexture kept;

    // One object through changes of colour and size: a stale picture would show.
    struct Case { int height; float brightness; };

    for (const auto& c : { Case { 401, 0.3f }, Case { 401, 0.0f }, Case { 864, 0.0f }, Case { 864, 0.3f } })
    {
        SCOPED_TRACE ("height " + std::to_string (c.height) + ", brightness " + std::to_string (c.brightness));

        const juce::Rectangle<int> area (0, 0, juce::roundToInt (1.5f * (float) c.height), c.height);
        const auto base = DvxQzColours::qzdarkGrey.brighter (c.brightness);
        const auto reference = drawBackground (nullptr, area, c.height, base, area);

        // The first draw makes the picture, the second copies it; then the area behind a
        // meter alone, as the meters' repaints ask for it.
        EXPECT_TRUE (sameImages (drawBackground (&kept, area, c.height, base, area), reference));
        EXPECT_TRUE (sameImages (drawBackground (&kept, area, c.height, base, area), reference));

        const auto meterArea = area.getProportion (juce::Rectangle<float> (0.02f, 0.32f, 0.12f, 0.5f));
        EXPECT_TRUE (sameImages (drawBackground (&kept, area, c.height, base, meterArea), reference, meterArea.getPosition()));
    }
}

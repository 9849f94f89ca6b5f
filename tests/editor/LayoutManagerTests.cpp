// The proportional layout: positions are fractions of the editor's width and height,
// sizes fractions of a unit of height / heightRatio. Callers place against this exact
// arithmetic (including its odd centring rule), so the numbers are checked literally.

#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxLayoutManager.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
    using Align = DvxLayoutManager::Align;

    // The editor's manager on a 1080-pixel display: height ratio 0.5, aspect ratio 1.5.
    DvxLayoutManager makeEditorManager() { return DvxLayoutManager (1080, 0.5f, 1.5f); }

    juce::Rectangle<int> placeOne (float editorHeight, float x, float y, float w, float h, int align)
    {
        auto manager = makeEditorManager();
        juce::Component component;
        manager.addComponent (&component, x, y, w, h, (Align) align);
        manager.setNewHeightAndUpdateAllComponentBounds (editorHeight);
        return component.getBounds();
    }
}

TEST (LayoutManager, StartsAtHalfTheReferenceHeightAndPlacesNothingBeforeAHeightIsSet)
{
    auto manager = makeEditorManager();
    EXPECT_FLOAT_EQ (manager.getHeight(), 540.0f);
    EXPECT_FLOAT_EQ (manager.getScale(), 1.0f);

    juce::Component component;
    component.setBounds (1, 2, 3, 4);
    manager.addComponent (&component, 0.1f, 0.1f, 0.1f, 0.1f, Align (DvxLayoutManager::alignLeft | DvxLayoutManager::alignTop));

    EXPECT_EQ (component.getBounds(), juce::Rectangle<int> (1, 2, 3, 4));

    manager.setNewHeightAndUpdateAllComponentBounds (500.0f);
    EXPECT_EQ (component.getBounds(), juce::Rectangle<int> (75, 50, 100, 100));
    EXPECT_FLOAT_EQ (manager.getScale(), 500.0f / 1080.0f / 0.5f);
}

TEST (LayoutManager, PlacesByTheAlignRules)
{
    struct Case { const char* what; float height, x, y, w, h; int align; juce::Rectangle<int> expected; };

    const Case cases[] = {
        // Right + bottom (10): x and y measure to the component's left and top edges, so the
        // button's right edge lands at 0.98 W and its bottom at 0.91 of the height.
        { "right+bottom",  500.0f, 0.14f, 0.16f, 0.09f, 0.035f, 10, { 645, 420, 90, 35 } },
        { "left+top",      500.0f, 0.14f, 0.16f, 0.09f, 0.035f, 5,  { 105, 80, 90, 35 } },
        { "left+bottom",   500.0f, 0.14f, 0.16f, 0.09f, 0.035f, 9,  { 105, 420, 90, 35 } },
        // Centred (3) with size 0.2: half the size FRACTION is subtracted, so the left edge
        // is at 0.4 W (0.6 of the height) and the middle at 0.8 of the height, not 0.75.
        { "centred x",     500.0f, 0.9f,  0.2f,  0.2f,  0.1f,   3 | 4, { 300, 100, 200, 100 } },
        { "centred y",     500.0f, 0.1f,  0.9f,  0.1f,  0.2f,   1 | 12, { 75, 200, 100, 200 } },
        { "both centred",  400.0f, 0.7f,  0.7f,  0.25f, 0.5f,   15, { 225, 100, 200, 400 } },
        // A pair with neither bit set behaves like left or top.
        { "no bits",       500.0f, 0.14f, 0.16f, 0.09f, 0.035f, 0,  { 105, 80, 90, 35 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_EQ (placeOne (c.height, c.x, c.y, c.w, c.h, c.align), c.expected);
    }

    // The worked button's edges as fractions of the editor.
    const auto button = placeOne (500.0f, 0.14f, 0.16f, 0.09f, 0.035f, 10);
    EXPECT_EQ (button.getRight(), juce::roundToInt (0.98f * 750.0f));
    EXPECT_EQ (button.getBottom(), juce::roundToInt (0.91f * 500.0f));
}

TEST (LayoutManager, ExactHalvesRoundToTheEvenPixel)
{
    // Aspect ratio 1 and a reference of 100 keep every product an exact binary fraction.
    struct Case { float height, x, y, w, h; juce::Rectangle<int> expected; };

    const Case cases[] = {
        { 10.0f, 0.25f, 0.25f, 0.125f, 0.125f, { 2, 2, 2, 2 } },     // 2.5 -> 2 everywhere
        { 14.0f, 0.25f, 0.25f, 0.125f, 0.125f, { 4, 4, 4, 4 } },     // 3.5 -> 4
        { 18.0f, 0.25f, 0.75f, 0.25f,  0.375f, { 4, 14, 9, 14 } },   // 4.5 -> 4, 13.5 -> 14, 9 -> 9, 13.5 -> 14
    };

    for (const auto& c : cases)
    {
        DvxLayoutManager manager (100, 0.5f, 1.0f);
        juce::Component component;
        manager.addComponent (&component, c.x, c.y, c.w, c.h, Align (5));
        manager.setNewHeightAndUpdateAllComponentBounds (c.height);
        EXPECT_EQ (component.getBounds(), c.expected) << "height " << c.height;
    }
}

TEST (LayoutManager, ReplacingIsRepeatableAndTheLaterRegistrationWins)
{
    auto manager = makeEditorManager();
    juce::Component a, b;

    manager.addComponent (&a, 0.1f, 0.2f, 0.05f, 0.05f, Align (5));
    manager.addComponent (&b, 0.3f, 0.1f, 0.05f, 0.05f, Align (10));
    manager.addComponent (&a, 0.5f, 0.5f, 0.1f, 0.1f, Align (5));
    EXPECT_EQ (manager.getNumberOfComponents(), 3);

    manager.setNewHeightAndUpdateAllComponentBounds (600.0f);
    const auto first = a.getBounds();
    const auto second = b.getBounds();
    EXPECT_EQ (first, juce::Rectangle<int> (450, 300, 120, 120));

    manager.setNewHeightAndUpdateAllComponentBounds (600.0f);
    EXPECT_EQ (a.getBounds(), first);
    EXPECT_EQ (b.getBounds(), second);

    // Sizes follow the height, positions the height and the width.
    manager.setNewHeightAndUpdateAllComponentBounds (300.0f);
    EXPECT_EQ (a.getBounds(), juce::Rectangle<int> (225, 150, 60, 60));
}

TEST (LayoutManager, BadInputPlacesNothingStrangeAndNeverCrashes)
{
    auto manager = makeEditorManager();

    // No components: only the height and scale change.
    manager.setNewHeightAndUpdateAllComponentBounds (400.0f);
    EXPECT_FLOAT_EQ (manager.getHeight(), 400.0f);

    juce::Component component;
    manager.addComponent (nullptr, 0.1f, 0.1f, 0.1f, 0.1f, Align (5));
    manager.addComponent (&component, 0.1f, 0.1f, -0.1f, 0.1f, Align (5));
    manager.setNewBoundsForComponent (-1);
    manager.setNewBoundsForComponent (2);
    manager.setNewHeightAndUpdateAllComponentBounds (400.0f);
    EXPECT_EQ (component.getBounds(), juce::Rectangle<int> (60, 40, 0, 80));

    // No display known (reference height 0) or a NaN height: no NaN reaches setBounds.
    for (const auto& [reference, height] : { std::pair<int, float> { 0, 500.0f },
                                             std::pair<int, float> { 1080, std::numeric_limits<float>::quiet_NaN() },
                                             std::pair<int, float> { 1080, std::numeric_limits<float>::infinity() } })
    {
        DvxLayoutManager broken (reference, 0.5f, 1.5f);
        juce::Component c;
        broken.addComponent (&c, 0.5f, 0.5f, 0.1f, 0.1f, Align (10));
        broken.setNewHeightAndUpdateAllComponentBounds (height);

        const auto bounds = c.getBounds();
        EXPECT_GE (bounds.getWidth(), 0);
        EXPECT_GE (bounds.getHeight(), 0);
        EXPECT_LT (std::abs (bounds.getX()), 100000);
        EXPECT_LT (std::abs (bounds.getY()), 100000);

        juce::Image image (juce::Image::ARGB, 10, 10, true);
        juce::Graphics g (image);
        broken.drawSectionBackground (g, 0.1f, 0.1f, 0.5f, 0.5f);
        broken.drawText (g, "X", 0.1f, 0.1f, 0.5f, 0.5f, juce::Justification::centred, juce::Colours::black);
    }
}

TEST (LayoutManager, DrawsSectionPanelsAndTextInLayoutUnits)
{
    auto manager = makeEditorManager();
    manager.setNewHeightAndUpdateAllComponentBounds (200.0f);   // W = 300, size unit 400

    juce::Image image (juce::Image::RGB, 300, 200, true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        manager.drawSectionBackground (g, 0.1f, 0.1f, 0.25f, 0.25f);   // (30, 20) to (130, 120)
    }
    orvelin::test::keepImage (image, "layout-section-panel");

    using orvelin::test::pixelAt;
    const auto inside = pixelAt (image, 80.0f, 70.0f);
    EXPECT_NEAR (inside.getRed(), 255 * 0.93, 2.0);                         // black at 7 %
    EXPECT_EQ (pixelAt (image, 20.0f, 70.0f), juce::Colour (juce::Colours::white));
    EXPECT_EQ (pixelAt (image, 140.0f, 70.0f), juce::Colour (juce::Colours::white));
    EXPECT_LT (pixelAt (image, 80.0f, 20.0f).getRed(), inside.getRed());    // the outline is darker

    // Text: the font height becomes h x size unit, also for an empty text.
    juce::Image textImage (juce::Image::RGB, 300, 200, true);
    juce::Graphics g (textImage);
    g.fillAll (juce::Colours::white);
    manager.drawText (g, {}, 0.0f, 0.0f, 0.5f, 0.05f, juce::Justification::centred, juce::Colours::black);
    EXPECT_NEAR (g.getCurrentFont().getHeight(), 20.0f, 0.01f);
    EXPECT_TRUE (orvelin::test::findInk (textImage, juce::Colours::white, 10).isEmpty());

    manager.drawText (g, "INPUT", 0.0f, 0.0f, 0.5f, 0.1f, juce::Justification::centred, juce::Colours::black);
    EXPECT_NEAR (g.getCurrentFont().getHeight(), 40.0f, 0.01f);

    const auto ink = orvelin::test::findInk (textImage, juce::Colours::white, 60);
    EXPECT_FALSE (ink.isEmpty());
    EXPECT_LE (ink.getBottom(), 40);
    EXPECT_NEAR (ink.getCentreX(), 100, 3);   // centred in (0, 0, 200, 40)
}

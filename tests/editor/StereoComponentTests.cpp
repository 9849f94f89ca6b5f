// The stereo-field picture: the triangle's corners for width and pan, its colour, the
// BYPASS and MUTE ALL messages, and that broken values still draw a sane picture.

#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxQzColours.h"
#include "widgets/StereoComponent.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvelin::test;

namespace
{
    const auto blue = DvxQzColours::qzcomplementColourA;
    const auto orange = DvxQzColours::qzmainColour;

    struct Picture
    {
        Picture (int w, int h, juce::Font* font = nullptr)
            : component (font, nullptr, nullptr)
        {
            component.setBounds (0, 0, w, h);
        }

        // The drawing area: the component inset by 0.1 of its height.
        juce::Rectangle<float> area() const
        {
            const auto w = (float) component.getWidth(), h = (float) component.getHeight();
            return { 0.1f * h, 0.1f * h, w - 0.2f * h, h - 0.2f * h };
        }

        StereoComponent component;
    };

    juce::Font makeDisplayFont()
    {
        return juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                                    (size_t) BinaryData::kenyan_coffee_rg_ttfSize));
    }

    void expectPoint (juce::Point<float> actual, float x, float y)
    {
        EXPECT_NEAR (actual.x, x, 1.0e-3f);
        EXPECT_NEAR (actual.y, y, 1.0e-3f);
    }
}

TEST (StereoComponent, TriangleCornersFollowWidthAndPan)
{
    // A 260 x 160 area at (20, 20): ax 20, ay 20, aw 260, ah 160, apex (150, 180).
    const juce::Rectangle<float> a (20.0f, 20.0f, 260.0f, 160.0f);

    // Width 0.5 (100 %), centred: corners at 0.2475 and 0.7525 of the width, 0.303 down.
    auto t = StereoComponent::calculateTriangle (a, 0.5f, 0.5f);
    expectPoint (t.apex, 150.0f, 180.0f);
    expectPoint (t.left, 20.0f + 0.2475f * 260.0f, 20.0f + 0.303f * 160.0f);
    expectPoint (t.right, 20.0f + 0.7525f * 260.0f, 20.0f + 0.303f * 160.0f);

    // Width 0 (or MONO): a spike 0.01 of the width across, 0.006 down.
    t = StereoComponent::calculateTriangle (a, 0.0f, 0.5f);
    expectPoint (t.left, 20.0f + 0.495f * 260.0f, 20.0f + 0.006f * 160.0f);
    expectPoint (t.right, 20.0f + 0.505f * 260.0f, 20.0f + 0.006f * 160.0f);

    // Width 1 (200 %): corners at the area's sides, 0.6 down.
    t = StereoComponent::calculateTriangle (a, 1.0f, 0.5f);
    expectPoint (t.left, 20.0f, 20.0f + 0.6f * 160.0f);
    expectPoint (t.right, 280.0f, 20.0f + 0.6f * 160.0f);

    // Full right pan turns it a quarter clockwise about the apex: the left corner goes up
    // and right, the right corner would drop below the bottom and is held on it.
    t = StereoComponent::calculateTriangle (a, 1.0f, 1.0f);
    expectPoint (t.left, 150.0f + 0.4f * 160.0f, 180.0f - 130.0f);
    expectPoint (t.right, 150.0f + 0.4f * 160.0f, 180.0f);

    // Full left pan is the mirror image.
    t = StereoComponent::calculateTriangle (a, 1.0f, 0.0f);
    expectPoint (t.left, 150.0f - 0.4f * 160.0f, 180.0f);
    expectPoint (t.right, 150.0f - 0.4f * 160.0f, 180.0f - 130.0f);

    // Corners never leave the area's sides: a wide, flat area with a full pan.
    t = StereoComponent::calculateTriangle ({ 0.0f, 0.0f, 100.0f, 400.0f }, 1.0f, 1.0f);
    EXPECT_LE (t.left.x, 100.0f);
    EXPECT_LE (t.right.x, 100.0f);
}

TEST (StereoComponent, BrokenValuesDrawTheNearestSaneTriangle)
{
    const juce::Rectangle<float> a (20.0f, 20.0f, 260.0f, 160.0f);
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();

    const auto same = [] (const StereoComponent::Triangle& x, const StereoComponent::Triangle& y)
    {
        return x.left == y.left && x.right == y.right && x.apex == y.apex;
    };

    EXPECT_TRUE (same (StereoComponent::calculateTriangle (a, nan, nan), StereoComponent::calculateTriangle (a, 0.5f, 0.5f)));
    EXPECT_TRUE (same (StereoComponent::calculateTriangle (a, inf, -inf), StereoComponent::calculateTriangle (a, 1.0f, 0.0f)));
    EXPECT_TRUE (same (StereoComponent::calculateTriangle (a, 1.7f, 1.3f), StereoComponent::calculateTriangle (a, 1.0f, 1.0f)));
    EXPECT_TRUE (same (StereoComponent::calculateTriangle (a, -2.0f, 0.5f), StereoComponent::calculateTriangle (a, 0.0f, 0.5f)));

    EXPECT_EQ (StereoComponent::calculateLineColour (nan), StereoComponent::calculateLineColour (0.5f));
    EXPECT_EQ (StereoComponent::calculateLineColour (5.0f), blue);

    // And painting them neither crashes nor asserts.
    Picture p (300, 200);
    for (const auto& [width, pan] : { std::pair<float, float> { nan, nan }, { inf, -inf }, { -1.0e30f, 1.0e30f } })
    {
        p.component.setStereoWidth (width);
        p.component.setPan (pan);
        const auto image = p.component.createComponentSnapshot (p.component.getLocalBounds());
        EXPECT_FALSE (findInk (image, juce::Colours::black, 30).isEmpty());
    }

    // Nor do sizes too small for a picture.
    for (const auto& size : { juce::Point<int> (1, 1), juce::Point<int> (3, 200), juce::Point<int> (200, 3) })
    {
        Picture tiny (size.x, size.y);
        tiny.component.createComponentSnapshot (tiny.component.getLocalBounds());
    }
}

TEST (StereoComponent, LineTurnsBlueAboveFullWidth)
{
    EXPECT_EQ (StereoComponent::calculateLineColour (0.0f), juce::Colour (juce::Colours::grey));
    EXPECT_EQ (StereoComponent::calculateLineColour (0.49f), juce::Colour (juce::Colours::grey));
    EXPECT_EQ (StereoComponent::calculateLineColour (1.0f), blue);

    // At 100 % the tint is there but barely (alpha 0.01).
    const auto atDefault = StereoComponent::calculateLineColour (0.5f);
    EXPECT_NE (atDefault, juce::Colour (juce::Colours::grey));
    EXPECT_LE (colourDistance (atDefault, juce::Colours::grey), 2);

    const auto halfway = StereoComponent::calculateLineColour (0.75f);
    EXPECT_GT (colourDistance (halfway, juce::Colours::grey), 20);
    EXPECT_GT (colourDistance (halfway, blue), 20);
}

TEST (StereoComponent, RenderedTriangleHasItsCornersWhereTheyShouldBe)
{
    auto font = makeDisplayFont();

    struct Case { const char* name; float width, pan; };

    const Case cases[] = {
        { "width0-pan05",  0.0f, 0.5f },
        { "width05-pan05", 0.5f, 0.5f },
        { "width1-pan05",  1.0f, 0.5f },
        { "width1-pan0",   1.0f, 0.0f },
        { "width1-pan1",   1.0f, 1.0f },
    };

    for (const auto& size : { juce::Point<int> (300, 200), juce::Point<int> (540, 360) })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (juce::String (c.name) + " at " + juce::String (size.x) + "x" + juce::String (size.y));

            Picture p (size.x, size.y, &font);
            p.component.setStereoWidth (c.width);
            p.component.setPan (c.pan);

            const auto image = renderAndKeep (p.component, "stereo-" + juce::String (size.y) + "-" + c.name);
            const auto lineColour = StereoComponent::calculateLineColour (c.width);
            const auto t = StereoComponent::calculateTriangle (p.area(), c.width, c.pan);

            // The stroke (0.02 of the height, rounded joints) covers each corner.
            for (const auto& corner : { t.left, t.right, t.apex })
                EXPECT_TRUE (isNear (pixelAt (image, corner.x, corner.y), lineColour, 25))
                    << "corner " << corner.x << "," << corner.y << ": " << describe (pixelAt (image, corner.x, corner.y));

            // The middle of each side is on the line too; the triangle's inside is not.
            EXPECT_TRUE (isNear (pixelAt (image, (t.left.x + t.apex.x) * 0.5f, (t.left.y + t.apex.y) * 0.5f), lineColour, 25));

            const auto centroid = (t.left + t.right + t.apex) / 3.0f;
            if (c.width > 0.0f)
            {
                EXPECT_FALSE (isNear (pixelAt (image, centroid.x, centroid.y), lineColour, 25));
            }

            // Outside the line it is the dark panel, never the warning colour.
            EXPECT_EQ (countPixelsNear (image, image.getBounds(), orange, 30), 0);
        }
    }

    // The corners of a full pan really moved: where the centred corners were is dark now.
    Picture centred (300, 200, &font), panned (300, 200, &font);
    centred.component.setStereoWidth (1.0f);
    panned.component.setStereoWidth (1.0f);
    panned.component.setPan (1.0f);
    const auto before = StereoComponent::calculateTriangle (centred.area(), 1.0f, 0.5f);
    const auto image = panned.component.createComponentSnapshot (panned.component.getLocalBounds());
    EXPECT_FALSE (isNear (pixelAt (image, before.left.x + 3.0f, before.left.y), blue, 60));
}

TEST (StereoComponent, BypassWinsOverMuteAll)
{
    auto font = makeDisplayFont();

    for (const auto& size : { juce::Point<int> (300, 200), juce::Point<int> (540, 360) })
    {
        SCOPED_TRACE (size.y);
        Picture both (size.x, size.y, &font), mute (size.x, size.y, &font), neither (size.x, size.y, &font);

        both.component.setBypassState (true);
        both.component.setMuteAllState (true);
        mute.component.setMuteAllState (true);

        const auto bothImage = renderAndKeep (both.component, "stereo-" + juce::String (size.y) + "-bypass-and-muteall");
        const auto muteImage = renderAndKeep (mute.component, "stereo-" + juce::String (size.y) + "-muteall");
        const auto normalImage = neither.component.createComponentSnapshot (neither.component.getLocalBounds());

        const auto message = juce::Rectangle<float> (0.1f * (float) size.x, 0.15f * (float) size.y,
                                                     0.8f * (float) size.x, 0.7f * (float) size.y).toNearestInt();

        EXPECT_GT (countPixelsNear (bothImage, message, orange, 30), 50);
        EXPECT_EQ (countPixelsNear (bothImage, bothImage.getBounds(), blue, 30), 0);

        EXPECT_GT (countPixelsNear (muteImage, message, blue, 30), 50);
        EXPECT_EQ (countPixelsNear (muteImage, muteImage.getBounds(), orange, 30), 0);

        // Neither message draws the triangle or the captions: the apex is dark.
        const auto apex = StereoComponent::calculateTriangle (neither.area(), 0.5f, 0.5f).apex;
        EXPECT_TRUE (isNear (pixelAt (normalImage, apex.x, apex.y), StereoComponent::calculateLineColour (0.5f), 25));
        EXPECT_FALSE (isNear (pixelAt (bothImage, apex.x, apex.y), StereoComponent::calculateLineColour (0.5f), 25));
        EXPECT_FALSE (isNear (pixelAt (muteImage, apex.x, apex.y), StereoComponent::calculateLineColour (0.5f), 25));
    }
}

TEST (StereoComponent, PanelsAndCaptions)
{
    auto font = makeDisplayFont();

    for (auto* fontToUse : { &font, (juce::Font*) nullptr })
    {
        SCOPED_TRACE (fontToUse != nullptr ? "with font" : "without font");
        Picture p (300, 200, fontToUse);
        const auto image = renderAndKeep (p.component, fontToUse != nullptr ? "stereo-200-default" : "stereo-200-no-font");

        // Outer panel opaque black, inner panel white at 10 % over it.
        EXPECT_TRUE (isNear (image.getPixelAt (5, 100), juce::Colours::black, 2));
        const auto inner = juce::Colours::black.overlaidWith (juce::Colours::white.withAlpha (0.1f));
        EXPECT_TRUE (isNear (image.getPixelAt (15, 100), inner, 3)) << describe (image.getPixelAt (15, 100));

        // Captions in dark grey in their four places.
        const auto grey = juce::Colour (juce::Colours::darkgrey);
        const auto captionPixels = [&] (float x, float y, float w, float h)
        {
            return countPixelsNear (image, juce::Rectangle<float> (x * 300.0f, y * 200.0f, w * 300.0f, h * 200.0f).toNearestInt(), grey, 20);
        };

        EXPECT_GT (captionPixels (0.05f, 0.8f, 0.2f, 0.1f), 5);    // LEFT
        EXPECT_GT (captionPixels (0.75f, 0.8f, 0.2f, 0.1f), 5);    // RIGHT
        EXPECT_GT (captionPixels (0.05f, 0.07f, 0.28f, 0.1f), 5);  // STEREO WIDTH:
        EXPECT_GT (captionPixels (0.65f, 0.07f, 0.3f, 0.1f), 5);   // PAN:
    }

    // The help text is fixed.
    Picture p (10, 10);
    p.component.setTooltip ("anything");
    EXPECT_EQ (p.component.getTooltip(), "this shows the stereo field");
}

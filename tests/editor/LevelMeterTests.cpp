// The level meters: bars filled to the square root of the peak, dB texts under them, the
// over-full-scale colour, and sane pictures for NaN and infinite peaks.

#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzLookAndFeelV1.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvelin::test;

namespace
{
    const auto blue = DvxQzColours::qzcomplementColourA;
    const auto orange = DvxQzColours::qzmainColour;

    // Height of the coloured bar in the middle column of a rendered meter.
    int barHeight (const juce::Image& image, juce::Colour colour)
    {
        int filled = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            if (isNear (image.getPixelAt (image.getWidth() / 2, y), colour, 20))
                ++filled;

        return filled;
    }

    struct StereoMeter
    {
        StereoMeter (juce::LookAndFeel& lf, int w, int h)
            : meter (1.0f, juce::Colours::black.withAlpha (0.07f)), scoped (meter, lf)
        {
            meter.setBounds (0, 0, w, h);
            meter.setVisible (true);
        }

        DvxQzStereoVuMeterComponent meter;
        ScopedLookAndFeel scoped;
    };
}

TEST (LevelMeter, BarFillsToTheSquareRootOfTheLevel)
{
    struct Case { float level; double fraction; bool over; };

    const Case cases[] = {
        { 0.0f,  0.0,   false },
        { 0.25f, 0.5,   false },
        { 0.5f,  std::sqrt (0.5), false },
        { 1.0f,  1.0,   false },   // exactly full scale is still blue
        { 1.2f,  1.0,   true },    // above it: full bar in the warning colour
    };

    for (const auto& size : { juce::Point<int> (20, 100), juce::Point<int> (36, 317) })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE ("level " + std::to_string (c.level) + " at height " + std::to_string (size.y));

            DvxQzVuMeter meter (1.0f);
            meter.setBounds (0, 0, size.x, size.y);
            meter.setVisible (true);
            meter.setVuLevel (c.level);

            const auto image = renderAndKeep (meter, "meter-bar-" + juce::String (size.y) + "-" + juce::String (c.level, 2));
            const auto colour = c.over ? orange : blue;

            EXPECT_NEAR (barHeight (image, colour), c.fraction * size.y, 1.0);
            EXPECT_EQ (barHeight (image, c.over ? blue : orange), 0);

            // Black above the bar, coloured at the bottom when anything shows.
            EXPECT_TRUE (isNear (image.getPixelAt (size.x / 2, 0), c.fraction >= 1.0 ? colour : juce::Colours::black, 20));

            if (c.fraction > 0.0)
            {
                EXPECT_TRUE (isNear (image.getPixelAt (1, size.y - 1), colour, 20));
            }
        }
    }
}

TEST (LevelMeter, BrokenLevelsDrawASanePicture)
{
    struct Case { const char* what; float level; float maxLevel; int expectedFill; juce::Colour colour; };

    const auto inf = std::numeric_limits<float>::infinity();
    const auto nan = std::numeric_limits<float>::quiet_NaN();

    const Case cases[] = {
        { "NaN",            nan,   1.0f, 0,   blue },
        { "negative",      -0.5f,  1.0f, 0,   blue },
        { "infinite",       inf,   1.0f, 100, orange },
        { "max level 0",    0.5f,  0.0f, 100, blue },
        { "max level 0, 0", 0.0f,  0.0f, 0,   blue },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        DvxQzVuMeter meter (c.maxLevel);
        meter.setBounds (0, 0, 20, 100);
        meter.setVisible (true);
        meter.setVuLevel (c.level);

        const auto image = meter.createComponentSnapshot (meter.getLocalBounds());
        EXPECT_EQ (barHeight (image, c.colour), c.expectedFill);
    }
}

TEST (LevelMeter, HiddenMeterKeepsItsLastReading)
{
    DvxQzVuMeter meter (1.0f);
    meter.setVisible (true);
    meter.setVuLevel (0.3f);

    meter.setVisible (false);
    meter.setVuLevel (0.9f);
    EXPECT_FLOAT_EQ (meter.getVuLevel(), 0.3f);

    meter.setVisible (true);
    EXPECT_FLOAT_EQ (meter.getVuLevel(), 0.3f);
}

TEST (LevelMeter, StereoMeterShowsDbTextsAndColours)
{
    struct Case
    {
        float left, right;
        const char* leftText; const char* rightText;
        bool leftOver, rightOver;
        float leftShown, rightShown;
    };

    const auto inf = std::numeric_limits<float>::infinity();
    const auto nan = std::numeric_limits<float>::quiet_NaN();

    const Case cases[] = {
        { 0.0f,       0.0f,  "-INF", "-INF", false, false, 0.0f, 0.0f },
        { 0.0000005f, 0.5f,  "-INF", "-6.0", false, false, 0.0f, 0.5f },   // below 1e-6 is silence
        { 0.000001f,  0.25f, "-120.0", "-12.0", false, false, 0.000001f, 0.25f },
        { 1.2f,       0.9f,  "1.6",  "-0.9", true,  false, 1.2f, 0.9f },
        { 1.0f,       2.0f,  "0.0",  "6.0",  false, true,  1.0f, 2.0f },
        { nan,        -1.0f, "-INF", "-INF", false, false, 0.0f, 0.0f },   // a NaN peak reads as silence
        { inf,        0.5f,  nullptr, "-6.0", true, false, inf, 0.5f },
    };

    DvxQzLookAndFeelV1 lf;
    StereoMeter m (lf, 60, 250);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::to_string (c.left) + " / " + std::to_string (c.right));
        m.meter.setStereoVuVisuals (DvxStereoVuVisuals (c.left, c.right));

        if (c.leftText != nullptr)
            EXPECT_EQ (m.meter.getLeftLabel().getText(), c.leftText);
        else
            EXPECT_FALSE (m.meter.getLeftLabel().getText().isEmpty());

        EXPECT_EQ (m.meter.getRightLabel().getText(), c.rightText);
        EXPECT_EQ (m.meter.getLeftMeter().getVuLevel(), c.leftShown);
        EXPECT_EQ (m.meter.getRightMeter().getVuLevel(), c.rightShown);

        EXPECT_EQ (m.meter.getLeftLabel().findColour (juce::Label::textColourId),
                   c.leftOver ? orange : juce::Colour (juce::Colours::black));
        EXPECT_EQ (m.meter.getRightLabel().findColour (juce::Label::textColourId),
                   c.rightOver ? orange : juce::Colour (juce::Colours::black));
    }
}

TEST (LevelMeter, StereoMeterRendersBarsAndTextsAtTwoSizes)
{
    DvxQzLookAndFeelV1 lf;

    for (const auto& size : { juce::Point<int> (72, 200), juce::Point<int> (144, 400) })   // the panel's shape
    {
        SCOPED_TRACE ("height " + std::to_string (size.y));
        StereoMeter m (lf, size.x, size.y);
        m.meter.setStereoVuVisuals (DvxStereoVuVisuals (1.2f, 0.25f));

        const auto image = renderAndKeep (m.meter, "stereo-meter-" + juce::String (size.y));
        const auto leftBar = m.meter.getLeftMeter().getBounds();
        const auto rightBar = m.meter.getRightMeter().getBounds();

        // Children by fractions of the component: bars at 0.15 and 0.65, 0.2 wide, 0.83 high.
        EXPECT_EQ (leftBar, juce::Rectangle<int> (juce::roundToInt (0.15f * (float) size.x), juce::roundToInt (0.05f * (float) size.y),
                                                  juce::roundToInt (0.2f * (float) size.x), juce::roundToInt (0.83f * (float) size.y)));
        EXPECT_EQ (m.meter.getRightLabel().getRight(), juce::roundToInt (0.85f * (float) size.x));
        EXPECT_EQ (m.meter.getLeftLabel().getX(), juce::roundToInt (0.15f * (float) size.x));

        // Left over full scale: the whole bar in the warning colour; right at a quarter: half.
        const auto leftColumn = image.getClippedImage (leftBar);
        const auto rightColumn = image.getClippedImage (rightBar);
        EXPECT_NEAR (barHeight (leftColumn, orange), leftBar.getHeight(), 1.0);
        EXPECT_NEAR (barHeight (rightColumn, blue), 0.5 * rightBar.getHeight(), 1.0);

        // The left dB text is drawn in the warning colour, the right one in black.
        const auto leftText = m.meter.getLeftLabel().getBounds();
        const auto rightText = m.meter.getRightLabel().getBounds();
        EXPECT_GT (countPixelsNear (image, leftText, orange, 60), 0);
        EXPECT_GT (countPixelsNear (image, rightText, juce::Colours::black, 60), 0);
        EXPECT_EQ (countPixelsNear (image, rightText, orange, 60), 0);

        // The rounded background is black at 7 %: translucent, present between the bars.
        const auto between = image.getPixelAt (size.x / 2, size.y / 2);
        EXPECT_NEAR (between.getAlpha(), 0.07 * 255, 2.0);
    }
}

TEST (LevelMeter, HiddenStereoMeterIgnoresRecordsAndTooltipsAreFixed)
{
    DvxQzStereoVuMeterComponent meter (1.0f, juce::Colours::black);
    meter.setBounds (0, 0, 50, 200);
    meter.setVisible (true);
    meter.setStereoVuVisuals (DvxStereoVuVisuals (0.5f, 0.5f));

    meter.setVisible (false);
    meter.setStereoVuVisuals (DvxStereoVuVisuals (0.0f, 1.5f));
    EXPECT_EQ (meter.getRightLabel().getText(), "-6.0");
    EXPECT_FLOAT_EQ (meter.getRightMeter().getVuLevel(), 0.5f);

    meter.setVisible (true);
    EXPECT_EQ (meter.getRightLabel().getText(), "-6.0");

    meter.setTooltip ("something else");
    meter.getLeftMeter().setTooltip ("something else");
    EXPECT_EQ (meter.getTooltip(), "Stereo VU Meter");
    EXPECT_EQ (meter.getLeftMeter().getTooltip(), "Stereo VU Meter");
    EXPECT_EQ (meter.getRightMeter().getTooltip(), "Stereo VU Meter");
}

// The look and feel: fonts from the embedded face, and what each drawing override puts
// on screen, checked on rendered pixels.

#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzLookAndFeelV1.h"
#include "widgets/DvxRotarySlider.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvelin::test;

namespace
{
    juce::String embeddedFamily()
    {
        auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                                (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
        return typeface->getName();
    }

    // A knob as the main panel sets one up, without a text box so the knob fills it.
    struct Knob
    {
        explicit Knob (juce::LookAndFeel& lf, int size, double value, bool enabled = true)
            : slider (nullptr), scoped (slider, lf)
        {
            slider.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
            slider.setRange (0.0, 1.0, (double) 0.0001f);
            slider.setValue (value, juce::dontSendNotification);
            slider.setColour (juce::Slider::backgroundColourId, DvxQzColours::qzdarkGrey);
            slider.setEnabled (enabled);
            slider.setBounds (0, 0, size, size);
        }

        // The pixel at a clock angle (radians clockwise from twelve) and a radius as a
        // fraction of the knob's half width.
        static juce::Point<float> at (int size, float angle, float radiusFraction)
        {
            const auto r = (float) size * 0.5f;
            return { r + radiusFraction * r * std::sin (angle), r - radiusFraction * r * std::cos (angle) };
        }

        DvxRotarySlider slider;
        ScopedLookAndFeel scoped;
    };

    constexpr float pi = juce::MathConstants<float>::pi;
}

TEST (LookAndFeel, FontsComeFromTheEmbeddedFaceAtTheirHeights)
{
    DvxQzLookAndFeelV1 lf;

    juce::Label label;
    label.setSize (100, 30);
    const auto labelFont = lf.getLabelFont (label);
    EXPECT_EQ (labelFont.getTypefaceName(), embeddedFamily());
    EXPECT_FLOAT_EQ (labelFont.getHeight(), 27.0f);

    juce::TextButton button;
    const auto buttonFont = lf.getTextButtonFont (button, 25);
    EXPECT_EQ (buttonFont.getTypefaceName(), embeddedFamily());
    EXPECT_FLOAT_EQ (buttonFont.getHeight(), 20.0f);

    EXPECT_EQ (lf.getPopupMenuFont().getTypefaceName(), embeddedFamily());
}

TEST (LookAndFeel, PopupMenuFontFollowsTheMainDisplay)
{
    struct Case { int displayHeight, fontHeight; };

    for (const auto& c : { Case { 0, 27 }, Case { 900, 27 }, Case { 1080, 27 }, Case { 1099, 27 },
                           Case { 1100, 28 }, Case { 1440, 36 }, Case { 2160, 54 } })
        EXPECT_EQ (DvxQzLookAndFeelV1::getPopupMenuFontHeightForDisplayHeight (c.displayHeight), c.fontHeight)
            << "display " << c.displayHeight;

    // Under xvfb-run the screen is 1080 high; without any display the minimum applies.
    DvxQzLookAndFeelV1 lf;
    EXPECT_FLOAT_EQ (lf.getPopupMenuFont().getHeight(), 27.0f);
}

TEST (LookAndFeel, KnobArcShowsTheValue)
{
    DvxQzLookAndFeelV1 lf;
    const auto blue = DvxQzColours::qzcomplementColourA;

    for (const int size : { 60, 140 })
    {
        SCOPED_TRACE ("size " + std::to_string (size));

        Knob atZero (lf, size, 0.0);
        Knob atOne (lf, size, 1.0);
        Knob atHalf (lf, size, 0.5);

        const auto zero = renderAndKeep (atZero.slider, "knob-" + juce::String (size) + "-value0");
        const auto one = renderAndKeep (atOne.slider, "knob-" + juce::String (size) + "-value1");
        const auto half = renderAndKeep (atHalf.slider, "knob-" + juce::String (size) + "-value05");

        // The visible part of the arc lies between the body (0.8 r) and the arc's edge (0.97 r).
        // JUCE's default rotary range runs from 1.2 pi to 2.8 pi.
        for (const auto angle : { 1.3f * pi, 1.5f * pi, 2.0f * pi, 2.5f * pi, 2.7f * pi })
        {
            const auto p = Knob::at (size, angle, 0.885f);
            EXPECT_TRUE (isNear (pixelAt (one, p.x, p.y), blue, 12)) << "value 1 at angle " << angle / pi << " pi: " << describe (pixelAt (one, p.x, p.y));
            EXPECT_LT (pixelAt (zero, p.x, p.y).getBrightness(), 0.15f) << "value 0 at angle " << angle / pi << " pi";
        }

        // Half way: blue up to twelve o'clock, dark after it.
        const auto before = Knob::at (size, 1.8f * pi, 0.885f);
        const auto after = Knob::at (size, 2.2f * pi, 0.885f);
        EXPECT_TRUE (isNear (pixelAt (half, before.x, before.y), blue, 12));
        EXPECT_LT (pixelAt (half, after.x, after.y).getBrightness(), 0.15f);

        // The gap at six o'clock has no arc, even at full value.
        const auto bottom = Knob::at (size, pi, 0.885f);
        EXPECT_FALSE (isNear (pixelAt (one, bottom.x, bottom.y), blue, 40));

        // The white pointer of the half-way knob points at twelve o'clock.
        const auto pointer = Knob::at (size, 2.0f * pi, 0.4f);
        EXPECT_TRUE (isNear (pixelAt (half, pointer.x, pointer.y), juce::Colours::white, 30))
            << describe (pixelAt (half, pointer.x, pointer.y));
    }
}

TEST (LookAndFeel, DisabledKnobHasNoShadowAndNoPointer)
{
    DvxQzLookAndFeelV1 lf;
    Knob enabled (lf, 100, 0.5, true);
    Knob disabled (lf, 100, 0.5, false);

    const auto on = renderAndKeep (enabled.slider, "knob-100-enabled");
    const auto off = renderAndKeep (disabled.slider, "knob-100-disabled");

    const auto pointer = Knob::at (100, 2.0f * pi, 0.4f);
    EXPECT_TRUE (isNear (pixelAt (on, pointer.x, pointer.y), juce::Colours::white, 30));
    EXPECT_FALSE (isNear (pixelAt (off, pointer.x, pointer.y), juce::Colours::white, 80));

    // The shadow falls down and right of the body, in the track's gap at the bottom.
    const auto shadow = Knob::at (100, pi * 0.92f, 0.92f).translated (3.0f, 3.0f);
    EXPECT_GT (pixelAt (on, shadow.x, shadow.y).getAlpha(), pixelAt (off, shadow.x, shadow.y).getAlpha());

    // Track, arc, body and rim stay.
    const auto arc = Knob::at (100, 1.5f * pi, 0.885f);
    EXPECT_TRUE (isNear (pixelAt (off, arc.x, arc.y), DvxQzColours::qzcomplementColourA, 12));
}

TEST (LookAndFeel, KnobIsLaidOutFromItsWidthAlone)
{
    // 100 wide and 60 high: the knob is the 100 x 100 square from the top-left corner, so
    // its centre is at (50, 50) and only the top of it shows.
    DvxQzLookAndFeelV1 lf;
    juce::Image image (juce::Image::ARGB, 100, 60, true);
    juce::Slider slider;
    slider.setColour (juce::Slider::backgroundColourId, DvxQzColours::qzdarkGrey);
    {
        juce::Graphics g (image);
        lf.drawRotarySlider (g, 0, 0, 100, 60, 1.0f, 1.2f * pi, 2.8f * pi, slider);
    }
    keepImage (image, "knob-100x60");

    // The track ring reaches the square's left edge at nine o'clock (radius 50 at y 50)...
    EXPECT_TRUE (isNear (pixelAt (image, 5.0f, 50.0f), DvxQzColours::qzcomplementColourA, 12));
    // ...and the body (diameter 80) starts at x 10.
    EXPECT_FALSE (isNear (pixelAt (image, 14.0f, 50.0f), DvxQzColours::qzcomplementColourA, 30));
    // The top of the track sits at y 0..15 above the centre.
    EXPECT_TRUE (isNear (pixelAt (image, 50.0f, 4.0f), DvxQzColours::qzcomplementColourA, 12));
}

TEST (LookAndFeel, ButtonBackgroundDarkensOnlyWhenPressed)
{
    DvxQzLookAndFeelV1 lf;
    juce::TextButton button;
    button.setSize (80, 30);
    const auto colour = DvxQzColours::qzdarkGrey.brighter (0.3f);

    const auto draw = [&] (bool over, bool down)
    {
        juce::Image image (juce::Image::ARGB, 80, 30, true);
        juce::Graphics g (image);
        lf.drawButtonBackground (g, button, colour, over, down);
        return image;
    };

    const auto idle = draw (false, false);
    const auto hover = draw (true, false);
    const auto pressed = draw (true, true);
    keepImage (idle, "button-idle");
    keepImage (pressed, "button-pressed");

    for (const auto y : { 5, 15, 25 })
    {
        EXPECT_EQ (idle.getPixelAt (40, y), hover.getPixelAt (40, y));
        EXPECT_LT (pressed.getPixelAt (40, y).getBrightness(), idle.getPixelAt (40, y).getBrightness());
    }

    // A vertical gradient: lighter at the top than at the bottom.
    EXPECT_GT (idle.getPixelAt (40, 4).getBrightness(), idle.getPixelAt (40, 26).getBrightness());

    // The middle of the pressed button is close to the colour darkened by 0.4.
    EXPECT_TRUE (isNear (pressed.getPixelAt (40, 15), colour.darker (0.4f), 12))
        << describe (pressed.getPixelAt (40, 15));

    // Buttons of one pixel or less in either direction get no background at all.
    for (const auto& size : { juce::Point<int> (1, 30), juce::Point<int> (80, 1), juce::Point<int> (0, 0) })
    {
        button.setSize (size.x, size.y);
        juce::Image image (juce::Image::ARGB, 80, 30, true);
        juce::Graphics g (image);
        lf.drawButtonBackground (g, button, colour, false, false);
        EXPECT_TRUE (findInk (image, juce::Colours::transparentBlack, 0).isEmpty());
    }
}

TEST (LookAndFeel, ToggleSphereIsBlueWhenTickedAndGreyWhenNot)
{
    DvxQzLookAndFeelV1 lf;

    for (const int h : { 25, 50 })
    {
        juce::ToggleButton toggle ("linear");
        ScopedLookAndFeel scoped (toggle, lf);
        toggle.setBounds (0, 0, 4 * h, h);

        // Sphere: diameter 0.56 h, left edge 0, top 0.22 h; its plain colour shows at 0.4 of
        // its height, in the middle.
        const auto d = 0.56f * (float) h;
        const juce::Point<float> probe (0.5f * d, 0.22f * (float) h + 0.4f * d);

        toggle.setToggleState (false, juce::dontSendNotification);
        const auto unticked = renderAndKeep (toggle, "toggle-" + juce::String (h) + "-off");
        toggle.setToggleState (true, juce::dontSendNotification);
        const auto ticked = renderAndKeep (toggle, "toggle-" + juce::String (h) + "-on");

        EXPECT_TRUE (isNear (pixelAt (ticked, probe.x, probe.y), DvxQzColours::qzcomplementColourA, 25))
            << describe (pixelAt (ticked, probe.x, probe.y));
        EXPECT_TRUE (isNear (pixelAt (unticked, probe.x, probe.y), DvxQzColours::qzdarkGrey.brighter (0.65f), 25))
            << describe (pixelAt (unticked, probe.x, probe.y));

        // The text is black and starts at 0.8 h.
        const auto textArea = juce::Rectangle<int> (juce::roundToInt (0.8f * (float) h), 0, 4 * h, h);
        EXPECT_GT (countPixelsNear (ticked, textArea, juce::Colours::black, 40), 0);
        EXPECT_EQ (countPixelsNear (ticked, { 0, 0, juce::roundToInt (0.78f * (float) h), h }, juce::Colours::black, 10), 0);
    }
}

TEST (LookAndFeel, LabelTextFillsTheLabelHeightWithoutBackground)
{
    DvxQzLookAndFeelV1 lf;

    for (const int h : { 20, 30 })
    {
        juce::Label label ({}, "HX");
        ScopedLookAndFeel scoped (label, lf);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::red);
        label.setColour (juce::Label::outlineColourId, juce::Colours::red);
        label.setColour (juce::Label::textColourId, juce::Colours::black);
        label.setBounds (0, 0, 200, h);

        const auto image = renderAndKeep (label, "label-" + juce::String (h));
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
        EXPECT_EQ (image.getPixelAt (199, h - 1).getAlpha(), 0);
        EXPECT_EQ (countPixelsNear (image, image.getBounds(), juce::Colours::red, 60), 0);

        // Same glyphs as drawing the text with the display font at the label's full height.
        juce::Image reference (juce::Image::ARGB, 200, h, true);
        {
            juce::Graphics g (reference);
            g.setColour (juce::Colours::black);
            g.setFont (lf.getLabelFont (label).withHeight ((float) h));
            g.drawFittedText ("HX", reference.getBounds(), label.getJustificationType(), 1);
        }

        const auto ink = findInk (image, juce::Colours::transparentBlack, 0);
        const auto referenceInk = findInk (reference, juce::Colours::transparentBlack, 0);
        EXPECT_FALSE (ink.isEmpty());
        EXPECT_NEAR (ink.getHeight(), referenceInk.getHeight(), 1);
        EXPECT_NEAR (ink.getWidth(), referenceInk.getWidth(), 1);
    }

    // A zero-height label draws nothing and does not divide by zero.
    juce::Label empty ({}, "text");
    empty.setSize (50, 0);
    juce::Image image (juce::Image::ARGB, 50, 10, true);
    juce::Graphics g (image);
    lf.drawLabel (g, empty);
}

// Checked against JUCE's own fitting, which ends a line that it has to cut in "...".
TEST (LookAndFeel, ALabelShowsATextWholeExactlyWhenItSaysSo)
{
    DvxQzLookAndFeelV1 lf;
    juce::Label label;
    label.setBounds (0, 0, 300, 20);
    juce::String text;

    for (int length = 1; length < 80; ++length)
    {
        text << (length % 5 == 0 ? "/" : "w");
        juce::GlyphArrangement drawn;
        drawn.addFittedText (lf.getLabelFont (label).withHeight (20.0f), text, 0.0f, 0.0f, 300.0f, 20.0f,
                             label.getJustificationType(), 1, label.getMinimumHorizontalScale());
        const bool whole = drawn.getGlyph (drawn.getNumGlyphs() - 1).getCharacter() == text.getLastCharacter();
        EXPECT_EQ (lf.showsWholeOnOneLine (label, text), whole) << length;
    }
}

TEST (LookAndFeel, ResizeCornerArrowsFollowTheMouseAndTheScheme)
{
    DvxQzLookAndFeelV1 lf;

    const auto drawCorner = [&] (int side, bool over, bool dragging)
    {
        juce::Image image (juce::Image::ARGB, side, side, true);
        juce::Graphics g (image);
        lf.drawCornerResizer (g, side, side, over, dragging);
        return image;
    };

    for (const int side : { 30, 60 })
    {
        // On the diagonal between the two arrows' starts (0.585 s and 0.59 s).
        const auto s = (float) side;
        const auto shaft = [&] (const juce::Image& image) { return pixelAt (image, 0.6f * s, 0.6f * s); };

        const auto idle = drawCorner (side, false, false);
        keepImage (idle, "corner-" + juce::String (side));
        EXPECT_TRUE (isNear (shaft (idle), juce::Colour (0xFFFF2222).darker (0.4f), 3)) << describe (shaft (idle));
        EXPECT_TRUE (isNear (shaft (drawCorner (side, true, false)), DvxQzColours::qzmainColour, 3));
        EXPECT_TRUE (isNear (shaft (drawCorner (side, true, true)), juce::Colours::black, 3));
        EXPECT_TRUE (isNear (shaft (drawCorner (side, false, true)), juce::Colours::black, 3));

        // Nothing but the arrows: the top-left corner and the far corners stay empty.
        EXPECT_EQ (idle.getPixelAt (1, 1).getAlpha(), 0);
        EXPECT_EQ (idle.getPixelAt (side - 2, 1).getAlpha(), 0);
        EXPECT_EQ (idle.getPixelAt (1, side - 2).getAlpha(), 0);
    }

    const auto grey = juce::Colours::darkgrey.brighter (0.3f);
    lf.setCurrentLightGrey (grey);
    const auto schemed = drawCorner (40, false, false);
    EXPECT_TRUE (isNear (pixelAt (schemed, 24.0f, 24.0f), grey.darker (0.4f), 3));
}

TEST (LookAndFeel, LinearFaderDrawsGrooveAndCap)
{
    DvxQzLookAndFeelV1 lf;
    juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    ScopedLookAndFeel scoped (fader, lf);
    fader.setColour (juce::Slider::trackColourId, juce::Colours::lightgrey);
    fader.setRange (0.0, 1.0);
    fader.setValue (0.5, juce::dontSendNotification);
    fader.setBounds (0, 0, 40, 200);

    const auto image = renderAndKeep (fader, "fader-40x200");

    // The white cap at the value's position with a black line through it.
    const auto capY = image.getHeight() / 2;
    EXPECT_TRUE (isNear (image.getPixelAt (5, capY - 4), juce::Colours::white, 10)) << describe (image.getPixelAt (5, capY - 4));
    EXPECT_TRUE (isNear (image.getPixelAt (5, capY), juce::Colours::black, 10)) << describe (image.getPixelAt (5, capY));

    // The groove runs along the middle, away from the cap.
    EXPECT_GT (image.getPixelAt (20, 20).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (2, 20).getAlpha(), 0);
}

#include "widgets/DvxQzLookAndFeelV1.h"
#include "processor/DvxMainDisplay.h"
#include "widgets/DvxQzColours.h"

#include "BinaryData.h"

#include <cmath>

namespace
{
    // Float to whole pixels toward zero, as the drawing code wants it; a value that is not
    // a finite number (a component of absurd size) gives 0 rather than undefined behaviour.
    int truncToInt (float value) noexcept
    {
        if (! std::isfinite (value) || std::abs (value) > 1.0e9f)
            return 0;

        return (int) value;
    }
}

DvxQzLookAndFeelV1::DvxQzLookAndFeelV1()
{
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                            (size_t) BinaryData::kenyan_coffee_rg_ttfSize);

    // The bytes are compiled in, so this cannot really fail; if FreeType ever refused
    // them, JUCE's default font is still better than a dead editor.
    font = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();
    font->setHeight (40.0f);

    currentLightGrey = juce::Colour (0xFFFF2222);
}

DvxQzLookAndFeelV1::~DvxQzLookAndFeelV1() = default;

void DvxQzLookAndFeelV1::setCurrentLightGrey (const juce::Colour& colour)
{
    currentLightGrey = colour;
}

//==============================================================================
juce::Font DvxQzLookAndFeelV1::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return font->withHeight (0.8f * (float) buttonHeight);
}

juce::Font DvxQzLookAndFeelV1::getLabelFont (juce::Label& label)
{
    return font->withHeight (0.9f * (float) label.getHeight());
}

juce::Font DvxQzLookAndFeelV1::getPopupMenuFont()
{
    return font->withHeight ((float) getPopupMenuFontHeightForDisplayHeight (DvxMainDisplay::getTotalArea().getHeight()));
}

int DvxQzLookAndFeelV1::getPopupMenuFontHeightForDisplayHeight (int mainDisplayTotalHeight) noexcept
{
    return juce::jmax (27, juce::roundToInt (0.025f * (float) mainDisplayTotalHeight));
}

//==============================================================================
void DvxQzLookAndFeelV1::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                               const juce::Colour& backgroundColour,
                                               bool /*isMouseOverButton*/, bool isButtonDown)
{
    // Hover, focus and the enabled state deliberately change nothing: the panel shows its
    // switch states through the button colours, and a pressed button only darkens.
    auto base = isButtonDown ? backgroundColour.darker (0.4f) : backgroundColour;

    const auto width  = (float) button.getWidth() - 1.0f;
    const auto height = (float) button.getHeight() - 1.0f;

    if (width <= 0.0f || height <= 0.0f)
        return;

    const bool flatOnLeft   = button.isConnectedOnLeft();
    const bool flatOnRight  = button.isConnectedOnRight();
    const bool flatOnTop    = button.isConnectedOnTop();
    const bool flatOnBottom = button.isConnectedOnBottom();

    juce::Path outline;
    outline.addRoundedRectangle (0.5f, 0.5f, width, height, 4.0f, 4.0f,
                                 ! (flatOnLeft || flatOnTop),
                                 ! (flatOnRight || flatOnTop),
                                 ! (flatOnLeft || flatOnBottom),
                                 ! (flatOnRight || flatOnBottom));

    g.setGradientFill (juce::ColourGradient (base.brighter (0.2f), 0.0f, 0.0f,
                                             base.darker (0.25f), 0.0f, height, false));
    g.fillPath (outline);

    const auto brightness = base.getBrightness();
    g.setColour (juce::Colours::white.withAlpha (0.4f * base.getFloatAlpha() * brightness * brightness));
    g.strokePath (outline, juce::PathStrokeType (1.0f),
                  juce::AffineTransform::translation (0.0f, 1.0f)
                      .scaled (1.0f, (height - 1.6f) / height));

    g.setColour (juce::Colours::black.withAlpha (0.4f * base.getFloatAlpha()));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}

void DvxQzLookAndFeelV1::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                           bool /*isMouseOverButton*/, bool /*isButtonDown*/)
{
    const auto h = (float) button.getHeight();
    const auto tick = 0.8f * h;

    drawRadioTickBox (g, button, 0.0f, (h - tick) * 0.5f, tick, tick, button.getToggleState());

    g.setColour (juce::Colours::black);
    g.setFont (font->withHeight (h));

    const auto textLeft = truncToInt (tick);
    g.drawText (button.getButtonText(),
                juce::Rectangle<int> (textLeft, 0, button.getWidth() - 2 - textLeft, button.getHeight()),
                juce::Justification::centredLeft, false);
}

void DvxQzLookAndFeelV1::drawRadioTickBox (juce::Graphics& g, juce::Component&, float x, float y,
                                           float w, float h, bool ticked)
{
    const auto diameter = 0.7f * w;
    const auto colour = ticked ? DvxQzColours::qzcomplementColourA
                               : DvxQzColours::qzdarkGrey.brighter (0.65f);

    // Centred vertically only; the sphere's left edge stays at x.
    juce::LookAndFeel_V2::drawGlassSphere (g, x, y + (h - diameter) * 0.5f, diameter, colour, 1.1f);
}

void DvxQzLookAndFeelV1::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const auto bounds = label.getLocalBounds();
    const auto labelFont = getLabelFont (label);

    // The text fills the label's full height, not the 0.9 that getLabelFont reports.
    g.setFont (labelFont);
    g.setFont ((float) label.getHeight());
    g.setColour (label.findColour (juce::Label::textColourId));

    int maximumLines = 1;

    if (labelFont.getHeight() > 0.0f)
        maximumLines = juce::jmax (1, truncToInt ((float) label.getHeight() / labelFont.getHeight()));

    g.drawFittedText (label.getText(), bounds, label.getJustificationType(),
                      maximumLines, label.getMinimumHorizontalScale());
}

bool DvxQzLookAndFeelV1::showsWholeOnOneLine (juce::Label& label, const juce::String& text)
{
    // JUCE's fitting squashes a line down to the minimum scale (0: its default) and only
    // then cuts it; drawLabel measures at the label's full height.
    auto minimumScale = label.getMinimumHorizontalScale();

    if (minimumScale <= 0.0f)
        minimumScale = juce::Font::getDefaultMinimumHorizontalScaleFactor();

    const auto width = getLabelFont (label).withHeight ((float) label.getHeight()).getStringWidthFloat (text.trim());
    return width * minimumScale < (float) label.getWidth();
}

juce::Label* DvxQzLookAndFeelV1::createSliderTextBox (juce::Slider& slider)
{
    auto* box = new juce::Label();

    box->setJustificationType (juce::Justification::centred);
    box->setEditable (false, true, true);

    box->setColour (juce::Label::textColourId, slider.findColour (juce::Slider::textBoxTextColourId));
    box->setColour (juce::TextEditor::textColourId, slider.findColour (juce::Slider::textBoxTextColourId));
    box->setColour (juce::TextEditor::backgroundColourId, slider.findColour (juce::Slider::textBoxBackgroundColourId));
    box->setColour (juce::Label::outlineColourId, slider.findColour (juce::Slider::textBoxOutlineColourId));
    box->setColour (juce::Label::outlineWhenEditingColourId, slider.findColour (juce::Slider::textBoxOutlineColourId));
    box->setColour (juce::TextEditor::outlineColourId, slider.findColour (juce::Slider::textBoxOutlineColourId));
    box->setColour (juce::TextEditor::highlightColourId, slider.findColour (juce::Slider::textBoxHighlightColourId));

    return box;
}

//==============================================================================
void DvxQzLookAndFeelV1::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                           float sliderPos, float minSliderPos, float maxSliderPos,
                                           const juce::Slider::SliderStyle style, juce::Slider& slider)
{
    drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
    drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void DvxQzLookAndFeelV1::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                                     float, float, float,
                                                     const juce::Slider::SliderStyle, juce::Slider& slider)
{
    const auto r = (float) (getSliderThumbRadius (slider) - 2);
    const auto track = slider.findColour (juce::Slider::trackColourId);
    const auto c1 = track.overlaidWith (juce::Colour (slider.isEnabled() ? 0x13000000u : 0x09000000u));
    const auto c2 = track.overlaidWith (juce::Colour (0x06000000u));

    juce::Path groove;

    if (slider.isHorizontal())
    {
        const auto iy = (float) y + (float) height * 0.5f - r * 0.5f;
        g.setGradientFill (juce::ColourGradient (c1, 0.0f, iy, c2, 0.0f, iy + r, false));
        groove.addRoundedRectangle ((float) x - r * 0.5f, iy, (float) width + r, r, 5.0f);
    }
    else
    {
        const auto ix = (float) x + (float) width * 0.5f - r * 0.5f;
        g.setGradientFill (juce::ColourGradient (c1, ix, 0.0f, c2, ix + r, 0.0f, false));
        groove.addRoundedRectangle (ix, (float) y - r * 0.5f, r, (float) height + r, 5.0f);
    }

    g.fillPath (groove);
    g.setColour (track.contrasting (0.5f));
    g.strokePath (groove, juce::PathStrokeType (0.5f));
}

void DvxQzLookAndFeelV1::drawLinearSliderThumb (juce::Graphics& g, int x, int /*y*/, int width, int height,
                                                float sliderPos, float, float,
                                                const juce::Slider::SliderStyle, juce::Slider&)
{
    if (! std::isfinite (sliderPos))
        return;

    const auto t = 0.2f * (float) height;

    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle ((float) x, sliderPos - 0.5f * t, (float) width, t, 5.0f);

    g.setColour (juce::Colours::black);
    g.drawHorizontalLine (truncToInt (sliderPos), (float) x, (float) (x + width));
}

//==============================================================================
void DvxQzLookAndFeelV1::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                           float sliderPos, float rotaryStartAngle, float rotaryEndAngle,
                                           juce::Slider& slider)
{
    // Laid out from the width alone: the knob is a square at the top-left of the area, so
    // a text box below it never squeezes the knob. The height only sets the pointer.
    const auto w = (float) width;
    const auto r = w * 0.5f;
    const auto left = (float) x;
    const auto top = (float) y;
    const auto centre = juce::Point<float> (left + r, top + r);
    const juce::Rectangle<float> knobSquare (left, top, w, w);

    // A slider value that is not a number must not turn into a path full of NaNs.
    const auto position = std::isfinite (sliderPos) ? juce::jlimit (0.0f, 1.0f, sliderPos) : 0.0f;
    const auto angle = rotaryStartAngle + position * (rotaryEndAngle - rotaryStartAngle);
    const auto bg = slider.findColour (juce::Slider::backgroundColourId);
    const bool enabled = slider.isEnabled();

    juce::Path body;
    body.addEllipse (knobSquare.reduced (0.2f * r));

    const auto shadowRadius = truncToInt (0.2f * r);

    // JUCE's shadow blur needs a radius of at least 1; a knob under 10 pixels wide has none.
    if (enabled && shadowRadius > 0)
    {
        const auto shadowOffset = truncToInt (0.13f * r);
        juce::DropShadow (juce::Colours::black, shadowRadius, { shadowOffset, shadowOffset }).drawForPath (g, body);
    }

    juce::Path track;
    track.addPieSegment (knobSquare, rotaryStartAngle, rotaryEndAngle, 0.7f);
    g.setColour (juce::Colours::black.overlaidWith (DvxQzColours::qzcomplementColourA.withAlpha (0.05f)));
    g.fillPath (track);

    juce::Path valueArc;
    valueArc.addPieSegment (left + 0.03f * r, top + 0.03f * r, w - 0.06f * r, w - 0.06f * r,
                            rotaryStartAngle, angle, 0.7f);
    g.setColour (DvxQzColours::qzcomplementColourA);
    g.fillPath (valueArc);

    g.setGradientFill (juce::ColourGradient (bg.brighter (1.0f), left, top,
                                             bg.darker (1.0f), left + w, top + w, false));
    g.fillPath (body);

    juce::Path rim;
    rim.addEllipse (knobSquare.reduced (0.25f * r));
    g.setColour (bg.brighter (0.4f).withAlpha (1.0f));
    g.strokePath (rim, juce::PathStrokeType (0.05f * r, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));

    if (enabled)
    {
        juce::Path pointer;
        pointer.startNewSubPath (0.0f, -0.15f * r);
        pointer.lineTo (0.0f, -0.6f * r);
        pointer.applyTransform (juce::AffineTransform::rotation (angle).translated (centre));

        g.setColour (juce::Colours::white);
        g.strokePath (pointer, juce::PathStrokeType ((float) height / 25.0f,
                                                     juce::PathStrokeType::curved,
                                                     juce::PathStrokeType::rounded));
    }
}

//==============================================================================
void DvxQzLookAndFeelV1::drawCornerResizer (juce::Graphics& g, int w, int h, bool isMouseOver, bool isMouseDragging)
{
    auto colour = currentLightGrey.darker (0.4f);

    if (isMouseOver)
        colour = DvxQzColours::qzmainColour;

    if (isMouseDragging)
        colour = juce::Colours::black;

    const auto fw = (float) w;
    const auto fh = (float) h;
    const auto thickness = 0.24f * fw;
    const auto head = 0.44f * fw;

    g.setColour (colour);
    g.drawArrow ({ 0.585f * fw, 0.585f * fh, fw - 0.1f * fw, fh - 0.1f * fw }, thickness, head, head);
    g.drawArrow ({ 0.59f * fw, 0.59f * fh, 0.1f * fw + 0.2f * fh, 0.1f * fw + 0.2f * fh }, thickness, head, head);
}

#include "widgets/StereoComponent.h"
#include "widgets/DvxQzColours.h"

#include <cmath>

namespace
{
    // Parameter values are stored unclamped (hosts and old states may hold anything), but
    // the picture only makes sense for 0..1.
    float drawableValue (float value) noexcept
    {
        return std::isnan (value) ? 0.5f : juce::jlimit (0.0f, 1.0f, value);
    }

    // The width as drawn: 0 still leaves a sliver of 0.01, 1 stays 1.
    float effectiveWidth (float normalisedWidth) noexcept
    {
        return 0.99f * drawableValue (normalisedWidth) + 0.01f;
    }
}

StereoComponent::StereoComponent (juce::Font* fontToUse, DvxParameterValueMapper* widthMapper,
                                  DvxParameterValueMapper* panMapperToUse)
    : font (fontToUse), stereoWidthMapper (widthMapper), panMapper (panMapperToUse)
{
}

StereoComponent::~StereoComponent() = default;

void StereoComponent::setStereoWidth (float normalisedWidth)
{
    stereoWidth = normalisedWidth;
    repaint();
}

void StereoComponent::setPan (float normalisedPan)
{
    pan = normalisedPan;
    repaint();
}

void StereoComponent::setBypassState (bool isOn)
{
    bypassOn = isOn;
    repaint();
}

void StereoComponent::setMuteAllState (bool isOn)
{
    muteAllOn = isOn;
    repaint();
}

void StereoComponent::resized()
{
    width = (float) getWidth();
    height = (float) getHeight();
}

void StereoComponent::setTooltip (const juce::String&)
{
}

juce::String StereoComponent::getTooltip()
{
    return "this shows the stereo field";
}

//==============================================================================
StereoComponent::Triangle StereoComponent::calculateTriangle (juce::Rectangle<float> area,
                                                              float normalisedWidth, float normalisedPan)
{
    const auto s = effectiveWidth (normalisedWidth);
    const auto ax = area.getX();
    const auto ay = area.getY();
    const auto aw = area.getWidth();
    const auto ah = area.getHeight();
    const auto by = ay + ah;

    Triangle t;
    t.apex = { ax + 0.5f * aw, by };

    const auto cornerY = ay + 0.6f * ah * s;
    t.left  = { ax + (1.0f - s) * aw * 0.5f, cornerY };
    t.right = { ax + 0.5f * aw + s * aw * 0.5f, cornerY };

    // Clockwise on screen for a pan to the right; a full pan lays the triangle on its side.
    const auto turn = juce::AffineTransform::rotation ((drawableValue (normalisedPan) - 0.5f) * 3.1415927f,
                                                       t.apex.x, t.apex.y);
    t.left.applyTransform (turn);
    t.right.applyTransform (turn);

    // The turned corners stay inside the area's sides and never drop below its bottom.
    for (auto* corner : { &t.left, &t.right })
    {
        corner->x = juce::jlimit (ax, ax + aw, corner->x);
        corner->y = juce::jmin (by, corner->y);
    }

    return t;
}

juce::Colour StereoComponent::calculateLineColour (float normalisedWidth)
{
    const auto s = effectiveWidth (normalisedWidth);

    if (s > 0.5f)
        return juce::Colours::grey.overlaidWith (DvxQzColours::qzcomplementColourA.withAlpha (2.0f * (s - 0.5f)));

    return juce::Colours::grey;
}

//==============================================================================
void StereoComponent::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    // Both panels' corners follow the main panel's height, so they match its other panels.
    const auto parentHeight = getParentComponent() != nullptr ? (float) getParentHeight() : h;
    const auto corner = 0.01f * parentHeight;

    if (font != nullptr)
        g.setFont (font->withHeight (0.1f * h));

    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, corner);

    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.fillRoundedRectangle (0.05f * h, 0.05f * h, juce::jmax (0.0f, w - 0.1f * h), juce::jmax (0.0f, h - 0.1f * h), corner);

    const juce::Rectangle<float> messageArea (0.1f * w, 0.15f * h, 0.8f * w, 0.7f * h);

    if (bypassOn)
    {
        g.setColour (DvxQzColours::qzmainColour);
        g.setFont (0.35f * h);
        g.drawText ("BYPASS", messageArea, juce::Justification::centred, false);
        return;
    }

    if (muteAllOn)
    {
        g.setColour (DvxQzColours::qzcomplementColourA);
        g.setFont (0.35f * h);
        g.drawText ("MUTE ALL", messageArea, juce::Justification::centred, false);
        return;
    }

    drawStereoPicture (g, w, h);
}

void StereoComponent::drawStereoPicture (juce::Graphics& g, float w, float h)
{
    const juce::Rectangle<float> area (0.1f * h, 0.1f * h, juce::jmax (0.0f, w - 0.2f * h), juce::jmax (0.0f, h - 0.2f * h));
    const auto cx = area.getX() + 0.5f * area.getWidth();

    const float dashes[] = { 0.03f * h, 0.015f * h };

    if (dashes[0] > 0.0f)
    {
        g.setColour (juce::Colours::darkgrey);
        g.drawDashedLine ({ cx, area.getY(), cx, area.getBottom() }, dashes, 2, 1.0f, 0);
    }

    const auto triangle = calculateTriangle (area, stereoWidth, pan);

    juce::Path outline;
    outline.startNewSubPath (triangle.left);
    outline.lineTo (triangle.right);
    outline.lineTo (triangle.apex);
    outline.closeSubPath();

    g.setColour (calculateLineColour (stereoWidth));
    g.strokePath (outline, juce::PathStrokeType (0.02f * h, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    g.setColour (juce::Colours::darkgrey);

    const auto caption = [&] (const char* text, float x, float y, float cw, float ch, juce::Justification justification)
    {
        g.drawText (text, juce::Rectangle<float> (x * width, y * height, cw * width, ch * height), justification, false);
    };

    caption ("LEFT",          0.05f, 0.8f,  0.2f,  0.1f, juce::Justification::left);
    caption ("RIGHT",         0.75f, 0.8f,  0.2f,  0.1f, juce::Justification::right);
    caption ("STEREO WIDTH:", 0.05f, 0.07f, 0.28f, 0.1f, juce::Justification::left);
    caption ("PAN:",          0.65f, 0.07f, 0.3f,  0.1f, juce::Justification::right);
}

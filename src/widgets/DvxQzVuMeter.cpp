#include "widgets/DvxQzVuMeter.h"
#include "widgets/DvxQzColours.h"

#include <cmath>

DvxQzVuMeter::DvxQzVuMeter (float maxLevelToUse)
    : maxLevel (maxLevelToUse)
{
}

DvxQzVuMeter::~DvxQzVuMeter() = default;

void DvxQzVuMeter::setVuLevel (float newLevel)
{
    if (! isVisible())
        return;

    level = newLevel;
    repaint();
}

void DvxQzVuMeter::resized()
{
}

void DvxQzVuMeter::setTooltip (const juce::String&)
{
}

juce::String DvxQzVuMeter::getTooltip()
{
    return "Stereo VU Meter";
}

void DvxQzVuMeter::paint (juce::Graphics& g)
{
    if (! isVisible())
        return;

    g.fillAll (juce::Colours::black);

    const auto colour = level > 1.0f ? DvxQzColours::qzmainColour : DvxQzColours::qzcomplementColourA;
    const auto w = (double) getWidth();
    const auto h = (double) getHeight();

    // Anything above full scale runs past the top and is cut off there; clamping the top
    // to the meter first draws the same picture and keeps infinities (an infinite peak,
    // a maxLevel of 0) out of the path. A NaN or negative level has no bar at all.
    auto top = h - std::sqrt ((double) level) * h / (double) maxLevel;

    if (std::isnan (top))
        top = h;

    top = juce::jlimit (0.0, h, top);

    if (top >= h)
        return;

    juce::Path bar;
    bar.addLineSegment (juce::Line<float> ((float) (0.5 * w), (float) h, (float) (0.5 * w), (float) top), (float) w);

    g.setColour (colour);
    g.fillPath (bar);
}

#include "widgets/DvxQzStereoVuMeterComponent.h"
#include "parameters/DvxParameterValueMapper.h"
#include "widgets/DvxQzColours.h"

namespace
{
    // Peaks below -120 dB read as silence. The comparison is written so that a NaN peak
    // (a broken signal upstream) also counts as silence instead of reaching the text and
    // the bar; an infinite peak stays and shows as over full scale.
    float levelForDisplay (float peak) noexcept
    {
        return peak >= 0.000001f ? peak : 0.0f;
    }
}

DvxQzStereoVuMeterComponent::DvxQzStereoVuMeterComponent (float maxLevel, juce::Colour backgroundColourToUse)
    : backgroundColour (backgroundColourToUse)
{
    leftMeter = std::make_unique<DvxQzVuMeter> (maxLevel);
    addAndMakeVisible (*leftMeter);

    rightMeter = std::make_unique<DvxQzVuMeter> (maxLevel);
    addAndMakeVisible (*rightMeter);

    addAndMakeVisible (leftLabel);
    addAndMakeVisible (rightLabel);
    leftLabel.setJustificationType (juce::Justification::left);
    rightLabel.setJustificationType (juce::Justification::right);
}

DvxQzStereoVuMeterComponent::~DvxQzStereoVuMeterComponent()
{
    rightMeter.reset();
    leftMeter.reset();
}

void DvxQzStereoVuMeterComponent::setTooltip (const juce::String&)
{
}

juce::String DvxQzStereoVuMeterComponent::getTooltip()
{
    return "Stereo VU Meter";
}

void DvxQzStereoVuMeterComponent::resized()
{
    width = (float) getWidth();
    height = (float) getHeight();

    leftMeter->setBoundsRelative (0.15f, 0.05f, 0.2f, 0.83f);
    rightMeter->setBoundsRelative (0.65f, 0.05f, 0.2f, 0.83f);

    // Just below 0.5, so the right label ends exactly at 0.85 and the two labels meet.
    leftLabel.setBoundsRelative (0.15f, 0.9f, 0.35f, 0.1f);
    rightLabel.setBoundsRelative (0.49999997f, 0.9f, 0.35f, 0.1f);
}

void DvxQzStereoVuMeterComponent::paint (juce::Graphics& g)
{
    drawBackground (g);
}

void DvxQzStereoVuMeterComponent::drawBackground (juce::Graphics& g)
{
    g.setColour (backgroundColour);
    g.fillRoundedRectangle (0.0f, 0.0f, width, height, 0.02f * height);
}

void DvxQzStereoVuMeterComponent::setStereoVuVisuals (DvxStereoVuVisuals record)
{
    if (! isVisible())
        return;

    const auto left = levelForDisplay (record.getLeft());
    const auto right = levelForDisplay (record.getRight());

    leftMeter->setVuLevel (left);
    rightMeter->setVuLevel (right);

    leftLabel.setText (DvxParameterValueMapper::valueToDBString (left, 1), juce::dontSendNotification);
    rightLabel.setText (DvxParameterValueMapper::valueToDBString (right, 1), juce::dontSendNotification);

    leftLabel.setColour (juce::Label::textColourId, left > 1.0f ? DvxQzColours::qzmainColour : juce::Colours::black);
    rightLabel.setColour (juce::Label::textColourId, right > 1.0f ? DvxQzColours::qzmainColour : juce::Colours::black);
}

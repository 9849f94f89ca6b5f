#pragma once

#include "widgets/DvxQzVuMeter.h"
#include "parameters/DvxStereoVuVisuals.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A stereo level meter: two bars (left, right) with each channel's peak in dB below its
// bar. It shows one peak record per call and keeps nothing between calls.
class DvxQzStereoVuMeterComponent : public juce::Component,
                                    public juce::SettableTooltipClient
{
public:
    DvxQzStereoVuMeterComponent (float maxLevel, juce::Colour backgroundColour);
    ~DvxQzStereoVuMeterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void setTooltip (const juce::String&) override;
    juce::String getTooltip() override;

    void drawBackground (juce::Graphics&);

    // Shows one peak record; ignored while this meter is hidden.
    void setStereoVuVisuals (DvxStereoVuVisuals record);

    // For the panel's layout checks and tests: the bars and the dB labels.
    DvxQzVuMeter& getLeftMeter() noexcept  { return *leftMeter; }
    DvxQzVuMeter& getRightMeter() noexcept { return *rightMeter; }
    juce::Label& getLeftLabel() noexcept   { return leftLabel; }
    juce::Label& getRightLabel() noexcept  { return rightLabel; }

private:
    float width = 0.0f;
    float height = 0.0f;
    std::unique_ptr<DvxQzVuMeter> leftMeter;
    std::unique_ptr<DvxQzVuMeter> rightMeter;
    juce::Label leftLabel;
    juce::Label rightLabel;
    juce::Colour backgroundColour;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxQzStereoVuMeterComponent)
};

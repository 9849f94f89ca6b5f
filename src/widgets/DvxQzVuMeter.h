#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// One vertical level bar. No ballistics: it shows exactly the level it was last given,
// filled to the square root of the level so that quiet signals still show.
class DvxQzVuMeter : public juce::Component,
                     public juce::SettableTooltipClient
{
public:
    explicit DvxQzVuMeter (float maxLevel);
    ~DvxQzVuMeter() override;

    // Ignored while the meter is hidden, so a shown-again meter keeps its last reading.
    void setVuLevel (float newLevel);
    float getVuLevel() const noexcept { return level; }

    void paint (juce::Graphics&) override;
    void resized() override;

    // The help text is fixed; the panel's hover help must not be able to change it.
    void setTooltip (const juce::String&) override;
    juce::String getTooltip() override;

private:
    float maxLevel;
    float level = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxQzVuMeter)
};

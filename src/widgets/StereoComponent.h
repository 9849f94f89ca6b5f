#pragma once

#include "parameters/DvxParameterValueMapper.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The picture of the stereo field: a triangle outline whose apex sits at the bottom
// centre. Wider stereo makes it wider, flatter and bluer; the pan turns it about its apex.
// "BYPASS" or "MUTE ALL" replace the picture while those switches are on. It only shows
// what the main panel pushes into it and has no input of its own.
class StereoComponent : public juce::Component,
                        public juce::SettableTooltipClient
{
public:
    // Neither the font nor the mappers are owned; the font may be null.
    StereoComponent (juce::Font* font, DvxParameterValueMapper* widthMapper, DvxParameterValueMapper* panMapper);
    ~StereoComponent() override;

    void setStereoWidth (float normalisedWidth);
    void setPan (float normalisedPan);
    void setBypassState (bool isOn);
    void setMuteAllState (bool isOn);

    void paint (juce::Graphics&) override;
    void resized() override;

    void setTooltip (const juce::String&) override;
    juce::String getTooltip() override;

    // The triangle for a drawing area, as painted: top corners after the pan turn and the
    // clamping, and the apex. Values outside 0..1 are drawn as the nearest end, and a NaN
    // as the neutral 0.5, so the path never holds a non-finite point.
    struct Triangle
    {
        juce::Point<float> left, right, apex;
    };

    static Triangle calculateTriangle (juce::Rectangle<float> area, float normalisedWidth, float normalisedPan);

    // The triangle's line colour for a width: grey, turning blue above 100 % width.
    static juce::Colour calculateLineColour (float normalisedWidth);

private:
    void drawStereoPicture (juce::Graphics&, float w, float h);

    juce::Font* font;
    float width = 0.0f;
    float height = 0.0f;
    float stereoWidth = 0.5f;
    DvxParameterValueMapper* stereoWidthMapper;
    float pan = 0.5f;
    DvxParameterValueMapper* panMapper;
    bool bypassOn = false;
    bool muteAllOn = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StereoComponent)
};

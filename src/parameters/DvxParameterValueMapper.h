#pragma once

#include <juce_core/juce_core.h>

class DvxParameter;

// Turns a parameter's normalised value (0..1) into the text shown to the host and the
// editor, and typed text back into a normalised value. One mapper serves one parameter
// and is fixed to one mapping kind for its whole life.
class DvxParameterValueMapper
{
public:
    enum DvxMappingENUM
    {
        mapNone = 0,
        mapPercent100 = 1,
        mapPercent200 = 2,
        mapPlain = 3,
        mapOnOff = 4,
        mapBypass = 5,
        mapMute = 6,
        mapMuteAll = 7,
        mapMuteMid = 8,
        mapMuteSide = 9,
        mapSafeBass = 10,
        mapSwap = 11,
        mapPhaseFlip = 12,
        mapMono = 13,
        mapChannelSelect = 14,
        mapPan99 = 15,
        mapPan100 = 16,
        mapLevelDb = 17,
        mapGainDb12 = 18,
        mapGainDb24 = 19,
        mapSafeBassFreq = 20,
        mapFrequencyBySampleRate = 21,
        mapPanCurve = 22,
        mapPanLaw = 23,
        mapMsMode = 24,
        mapPanMode = 25,
        mapPhaseAlignSide = 26
    };

    DvxParameterValueMapper (DvxParameter* owner, DvxMappingENUM mappingKind);

    juce::String normed2RealValueAsString (float normedValue) const;
    float string2normedValueAsFloat (juce::String text) const;

    // True when the typed text holds a value of this kind (a number, or "C" for a pan);
    // string2normedValueAsFloat reads anything else as a made-up 0.
    bool textHoldsValue (const juce::String& text) const;

    // A linear level (not normalised) as decibel text without a unit; "-INF" for silence.
    static juce::String valueToDBString (float level, int numberOfDecimalPlaces);

    DvxMappingENUM getMappingKind() const noexcept { return kind; }

private:
    double getSampleRateOfOwner() const;

    DvxParameter* parameter;
    DvxMappingENUM kind;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxParameterValueMapper)
};

#include "parameters/DvxParameterValueMapper.h"
#include "parameters/DvxParameterManager.h"
#include "parameters/DvxStoredValues.h"

#include <cmath>
#include <limits>

namespace
{
    juce::String plain (float x, int decimals) { return juce::String (x, decimals); }

    const char* onOff (float x, const char* onText, const char* offText)
    {
        return x > 0.5f ? onText : offText;
    }

    // Whether a text starts, after blanks and a sign, with a number rather than a word.
    bool startsWithNumber (const juce::String& text)
    {
        auto s = text.trimStart();

        if (s.startsWithChar ('+') || s.startsWithChar ('-'))
            s = s.substring (1);

        if (s.startsWithChar ('.'))
            s = s.substring (1);

        return juce::CharacterFunctions::isDigit (s[0]);
    }

    // The number at the start of a text, 0 when there is none. A typed "inf" or "nan"
    // counts as no number, so a text field can never push a non-finite value into a
    // parameter. A number too large for a float ("1e39", "1e999", forty nines) is the
    // largest float of its sign, so that it ends up at the end of the range it points to;
    // one too small for a double ("1e-999", or hundreds of zeros after the point) is 0.
    // JUCE's own reader is not used: a long exponent overflows its int arithmetic.
    float leadingNumber (const juce::String& text)
    {
        constexpr auto largest = (double) std::numeric_limits<float>::max();
        double v = 0.0;

        if (DvxStoredValues::parseFiniteNumber (text, v))
            return (float) juce::jlimit (-largest, largest, v);

        if (! startsWithNumber (text))
            return 0.0f;

        // A number all the same, but beyond a double: too small when its exponent is
        // negative, or without one when it has no whole part.
        const auto number = text.trim().initialSectionContainingOnly ("0123456789.eE+-");
        const bool tooSmall = number.containsAnyOf ("eE")
                                ? number.fromFirstOccurrenceOf ("e", false, true).startsWithChar ('-')
                                : number.trimCharactersAtStart ("+-").upToFirstOccurrenceOf (".", false, false).containsOnly ("0");

        if (tooSmall)
            return 0.0f;

        return (float) (number.startsWithChar ('-') ? -largest : largest);
    }

    // A typed pan as a signed number: "L" counts as minus, "R" as plus and "C" as 0.
    juce::String panNumberText (const juce::String& text)
    {
        auto s = text.trim().toLowerCase().replace ("l", "-").replace ("r", "+");

        if (s.startsWith ("c"))
            s = "0";

        while (s.startsWith ("+"))
            s = s.substring (1);

        return s.initialSectionContainingOnly ("0123456789-");
    }

    juce::String panText (float x, float scale)
    {
        if (x < 0.5f)
            return "L" + juce::String (juce::roundToInt ((0.5f - x) * scale));

        if (x > 0.5f)
            return "R" + juce::String (juce::roundToInt ((x - 0.5f) * scale));

        if (x == 0.5f)
            return "C";

        return plain (x, 2);
    }

    juce::String signedDb (float d, const char* unit, bool positive)
    {
        return (positive ? "+" : "") + juce::String (d, 1) + unit;
    }
}

DvxParameterValueMapper::DvxParameterValueMapper (DvxParameter* owner, DvxMappingENUM mappingKind)
    : parameter (owner), kind (mappingKind)
{
}

double DvxParameterValueMapper::getSampleRateOfOwner() const
{
    if (parameter != nullptr)
        if (auto* manager = parameter->getParameterManager())
            if (auto* processor = manager->getAudioProcessor())
                return processor->getSampleRate();

    return 0.0;
}

juce::String DvxParameterValueMapper::normed2RealValueAsString (float x) const
{
    // Kinds that compute a number from x have no sensible text for NaN or infinity; they
    // fall back to the plain text rather than rounding garbage into an integer.
    const bool finite = std::isfinite (x);

    switch (kind)
    {
        case mapPercent100:     if (finite) return juce::String (juce::roundToInt (x * 100.0f)) + " %"; break;
        case mapPercent200:     if (finite) return juce::String (juce::roundToInt (x * 200.0f)) + " %"; break;
        case mapOnOff:          return onOff (x, "ON", "OFF");
        case mapBypass:         return onOff (x, "BYPASS ACTIVE", "BYPASS OFF");
        case mapMute:           return onOff (x, "MUTE ACTIVE", "UN-MUTE");
        case mapMuteAll:        return onOff (x, "MUTE-ALL ACTIVE", "NO MUTE-ALL");
        case mapMuteMid:        return onOff (x, "MUTE-MID ACTIVE", "NO MUTE-MID");
        case mapMuteSide:       return onOff (x, "MUTE-SIDE ACTIVE", "NO MUTE-SIDE");
        case mapSafeBass:       return onOff (x, "SAFE BASS ON", "SAFE BASS OFF");
        case mapSwap:           return onOff (x, "SWAP ACTIVE", "NO SWAP");
        case mapPhaseFlip:      return onOff (x, "PHASE FLIPPED", "PHASE NORMAL");
        case mapMono:           return onOff (x, "MONO ACTIVE", "MONO OFF");
        case mapPhaseAlignSide: return onOff (x, "ALIGN PHASE ACTIVE", "NO PHASE ALIGN");

        case mapChannelSelect:
            if (x < 0.3f) return "L";
            if (x >= 0.3f && x <= 0.7f) return "L+R";
            if (x > 0.7f) return "R";
            break;

        case mapPan99:  if (finite) return panText (x, 198.0f); break;
        case mapPan100: if (finite) return panText (x, 200.0f); break;

        case mapLevelDb:
            if (x == 0.0f)
                return "-INF";

            if (finite)
            {
                const auto db = (float) (20.0 * std::log10 ((double) (x * 3.9810717f)));

                if (std::isfinite (db))
                {
                    const auto rounded = (float) juce::roundToInt (db * 10.0f) / 10.0f;
                    return signedDb (rounded, "", rounded > 0.0f);
                }
            }
            break;

        case mapGainDb12:
            if (x == 0.5f)
                return "0.0dB";

            if (finite)
                return signedDb ((x - 0.5f) * 24.0f, "dB", x > 0.5f);
            break;

        case mapGainDb24:
            if (x == 0.5f)
                return "+/-0dB";

            // The sign follows the value, not the rounded number: just above 0.5 is "+0.0dB".
            if (finite)
                return signedDb ((float) juce::roundToInt ((48.0f * x - 24.0f) * 10.0f) / 10.0f, "dB", x > 0.5f);
            break;

        case mapSafeBassFreq:
            if (x == 0.0f)
                return "OFF";

            if (finite)
                return juce::String (juce::roundToInt (x * 490.0f + 10.0f)) + "Hz";
            break;

        case mapFrequencyBySampleRate:
        {
            const auto f = (double) x * getSampleRateOfOwner() * 0.5;

            if (! std::isfinite (f) || std::abs (f) > 1.0e9)
                break;

            const auto hz = (int) f;

            if (hz > 9999)
                return juce::String ((float) hz / 1000.0f, 1) + "kHz";

            return juce::String (hz) + "Hz";
        }

        case mapPanCurve:
            if (x < 0.1f) return "linear";
            if (x < 0.2f) return "logarithmic";
            return "sin/cos";

        case mapPanLaw:
            if (x < 0.1f) return "-0dB";
            if (x < 0.2f) return "-3dB";
            return "-6dB";

        case mapMsMode:   return x < 0.1f ? "fix mid" : "bind levels";
        case mapPanMode:  return x < 0.1f ? "dual pan" : "balance";

        case mapNone:
        case mapPlain:
        default:
            break;
    }

    return plain (x, 2);
}

float DvxParameterValueMapper::string2normedValueAsFloat (juce::String text) const
{
    switch (kind)
    {
        case mapPercent200:
            return juce::jlimit (0.0f, 1.0f, leadingNumber (text) / 200.0f);

        case mapPan100:
            return juce::jlimit (0.0f, 1.0f, leadingNumber (panNumberText (text)) / 200.0f + 0.5f);

        case mapGainDb12:
            return leadingNumber (text) / 24.0f + 0.5f;

        case mapSafeBassFreq:
        {
            if (text == "OFF")
                return 0.0f;

            const auto v = leadingNumber (text);

            if (v < 10.0f)
                return 0.0f;

            return juce::jmin (1.0f, (v - 10.0f) / 490.0f);
        }

        default:
            break;
    }

    return 0.5f;
}

bool DvxParameterValueMapper::textHoldsValue (const juce::String& text) const
{
    if (kind == mapPan100)
        return startsWithNumber (panNumberText (text));

    return startsWithNumber (text);
}

juce::String DvxParameterValueMapper::valueToDBString (float level, int numberOfDecimalPlaces)
{
    if (level == 0.0f)
        return "-INF";

    return juce::String ((float) (20.0 * std::log10 ((double) level)), numberOfDecimalPlaces);
}

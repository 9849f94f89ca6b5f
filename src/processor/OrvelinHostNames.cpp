#include "processor/OrvelinHostNames.h"

namespace OrvelinHostNames
{

juce::String getNameForLegacyHostNumber (int legacyHostNumber)
{
    static const char* const names[numNamedHosts] =
    {
        "Ableton Live 6", "Ableton Live 7", "Ableton Live 8", "Ableton Live",
        "Adobe Audition", "Adobe Premiere", "Apple Logic",
        "Unknown",                                  // 8: Ardour, deliberately unnamed
        "Cakewalk Sonar 8", "Cakewalk Sonar", "ProTools", "DigitalPerformer", "FruityLoops",
        "Magix Samplitude", "Pyramix", "Muse Receptor", "Reaper",
        "Steinberg Cubase 4", "Steinberg Cubase 5", "Steinberg Cubase 5 Bridged",
        "Steinberg Cubase 6", "Steinberg Cubase 7", "Steinberg Cubase",
        "Steinberg Nuendo 3", "Steinberg Nuendo 4", "Steinberg Nuendo 5", "Steinberg Nuendo",
        "Steinberg Wavelab 5", "Steinberg Wavelab 6", "Steinberg Wavelab 7", "Steinberg Wavelab 8",
        "Steinberg Wavelab", "Steinberg TestHost", "Studio One", "Tracktion 3", "Tracktion",
        "WaveBurner", "VBVSTScanner"
    };

    if (legacyHostNumber >= 1 && legacyHostNumber <= numNamedHosts)
        return names[legacyHostNumber - 1];

    return "Unknown";
}

int getLegacyHostNumber (juce::PluginHostType::HostType type) noexcept
{
    using H = juce::PluginHostType;

    // JUCE 7 numbers its hosts differently from the table and knows many more. Each of its
    // types maps to the table entry that means the same product; a later version of a
    // product the table only knows generically gets the generic entry (as JUCE's own
    // isAbletonLive(), isCubase(), isSonar(), isTracktion() ... group them), and products
    // the table does not know at all give 0, "Unknown". No default: a host type added by a
    // future JUCE shows up here as a warning.
    switch (type)
    {
        case H::AbletonLive6:               return 1;
        case H::AbletonLive7:               return 2;
        case H::AbletonLive8:               return 3;
        case H::AbletonLive9:
        case H::AbletonLive10:
        case H::AbletonLive11:
        case H::AbletonLiveGeneric:         return 4;
        case H::AdobeAudition:              return 5;
        case H::AdobePremierePro:           return 6;
        case H::AppleLogic:                 return 7;
        case H::Ardour:                     return 8;
        case H::CakewalkSonar8:             return 9;
        case H::CakewalkSonarGeneric:
        case H::CakewalkByBandlab:          return 10;
        case H::AvidProTools:               return 11;
        case H::DigitalPerformer:           return 12;
        case H::FruityLoops:                return 13;
        case H::MagixSamplitude:            return 14;
        case H::MergingPyramix:             return 15;
        case H::MuseReceptorGeneric:        return 16;
        case H::Reaper:                     return 17;
        case H::SteinbergCubase4:           return 18;
        case H::SteinbergCubase5:           return 19;
        case H::SteinbergCubase5Bridged:    return 20;
        case H::SteinbergCubase6:           return 21;
        case H::SteinbergCubase7:           return 22;
        case H::SteinbergCubase8:
        case H::SteinbergCubase8_5:
        case H::SteinbergCubase9:
        case H::SteinbergCubase9_5:
        case H::SteinbergCubase10:
        case H::SteinbergCubase10_5:
        case H::SteinbergCubaseGeneric:     return 23;
        case H::SteinbergNuendo3:           return 24;
        case H::SteinbergNuendo4:           return 25;
        case H::SteinbergNuendo5:           return 26;
        case H::SteinbergNuendoGeneric:     return 27;
        case H::SteinbergWavelab5:          return 28;
        case H::SteinbergWavelab6:          return 29;
        case H::SteinbergWavelab7:          return 30;
        case H::SteinbergWavelab8:          return 31;
        case H::SteinbergWavelabGeneric:    return 32;
        case H::SteinbergTestHost:          return 33;
        case H::StudioOne:                  return 34;
        case H::Tracktion3:                 return 35;
        case H::TracktionGeneric:
        case H::TracktionWaveform:          return 36;
        case H::WaveBurner:                 return 37;
        case H::VBVSTScanner:               return 38;

        case H::UnknownHost:
        case H::AppleGarageBand:
        case H::AppleInfoHelper:
        case H::AppleMainStage:
        case H::AULab:
        case H::AUVal:
        case H::BitwigStudio:
        case H::DaVinciResolve:
        case H::FinalCut:
        case H::JUCEPluginHost:
        case H::MagixSequoia:
        case H::pluginval:
        case H::Reason:
        case H::Renoise:
        case H::SADiE:
        case H::ViennaEnsemblePro:
            return 0;
    }

    return 0;
}

juce::String getNameForHostType (juce::PluginHostType::HostType type)
{
    return getNameForLegacyHostNumber (getLegacyHostNumber (type));
}

juce::String getNameOfCurrentHost()
{
    return getNameForHostType (juce::PluginHostType().type);
}

} // namespace OrvelinHostNames

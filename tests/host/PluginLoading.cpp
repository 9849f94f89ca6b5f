#include "LoadedPlugin.h"

namespace orvelin::host
{
    const char* getFormatName (PluginFormat format)
    {
        switch (format)
        {
            case PluginFormat::vst3: return "VST3";
            case PluginFormat::lv2:  return "LV2";
            case PluginFormat::vst2: return "VST2";
        }

        return "?";
    }

    juce::File getBuiltVst3Bundle() { return juce::File (ORVELIN_VST3_BUNDLE); }
    juce::File getBuiltLv2Bundle()  { return juce::File (ORVELIN_LV2_BUNDLE); }
    juce::File getBuiltVst2Module() { return juce::File (ORVELIN_VST2_MODULE); }

    std::unique_ptr<LoadedPlugin> loadBuiltPlugin (PluginFormat format, juce::String& error)
    {
        if (format == PluginFormat::vst2)
            return loadWithRawVst2Host (getBuiltVst2Module(), error);

        return loadWithJuceHost (format, error);
    }
}

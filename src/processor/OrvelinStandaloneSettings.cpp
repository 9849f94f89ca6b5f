#include "processor/OrvelinStandaloneSettings.h"
#include "processor/DvxSafeXmlReader.h"

namespace
{
    // The values JUCE's StandalonePluginHolder reads with PropertySet::getXmlValue.
    const char* const keysReadAsXml[] = { "audioSetup" };

    void keepOnlyXmlTheSafeReaderTakes (juce::PropertySet& settings, const char* key)
    {
        const auto text = settings.getValue (key);

        // JUCE saves an empty setup when no device was open, and reads it as none.
        if (text.isEmpty())
            return;

        if (const auto xml = DvxSafeXmlReader::parse (text.toRawUTF8(), text.getNumBytesAsUTF8()))
            settings.setValue (key, xml.get());
        else
            settings.removeValue (key);
    }
}

juce::PropertiesFile::Options OrvelinStandaloneSettings::getSettingsFileOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Orvelin";
    options.filenameSuffix = ".settings";
    options.osxLibrarySubFolder = "Application Support";
   #if JUCE_LINUX || JUCE_BSD
    options.folderName = "~/.config";
   #endif
    return options;
}

std::unique_ptr<DvxSafePropertiesFile> OrvelinStandaloneSettings::openSettingsFile()
{
    const auto options = getSettingsFileOptions();
    auto settings = std::make_unique<DvxSafePropertiesFile> (options.getDefaultFile(), options);

    for (const auto* key : keysReadAsXml)
        keepOnlyXmlTheSafeReaderTakes (*settings, key);

    return settings;
}

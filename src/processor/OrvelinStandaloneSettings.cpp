#include "processor/OrvelinStandaloneSettings.h"
#include "processor/DvxSafeXmlReader.h"

#include <cstdlib>

namespace
{
    // The values JUCE's StandalonePluginHolder reads with PropertySet::getXmlValue.
    const char* const keysReadAsXml[] = { "audioSetup" };

    // The window's place, which JUCE's StandaloneFilterWindow adds the window's size to in
    // int arithmetic: near the end of the int range that overflows.
    const char* const keysOfWindowPlace[] = { "windowX", "windowY" };

    // Far beyond any desktop, and JUCE clamps the place to the screen anyway.
    constexpr int maxWindowCoordinate = 1 << 16;

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

    void keepOnlyAPlausibleCoordinate (juce::PropertySet& settings, const char* key)
    {
        const auto text = settings.getValue (key);

        // Seven characters at most, so that reading it as an int can't overflow either.
        if (text.length() > 7 || std::abs (text.getIntValue()) > maxWindowCoordinate)
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

    for (const auto* key : keysOfWindowPlace)
        keepOnlyAPlausibleCoordinate (*settings, key);

    return settings;
}

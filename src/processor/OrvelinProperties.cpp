#include "processor/OrvelinAudioProcessor.h"
#include "processor/DvxMainDisplay.h"

#include <cmath>
#include <limits>

// Per-user properties and the editor's size settings.
//
// The properties file is shared by every instance of the plug-in on the machine. It only
// remembers the default editor size (as a fraction of the main display's height) and the
// presets folder; everything else travels with the host's project.

namespace
{
    const char* const ratioKey = "DefaultEditorDesktopHeightRatio";
    constexpr float defaultRatio = 0.5f;

    // Used when the main display can't be asked: there is no X display, or we are not on
    // the message thread (VST3 and LV2 hosts construct plug-ins on their own threads).
    constexpr int fallbackDisplayHeight = 1080;

    juce::File getPropertiesFileLocation (const juce::PropertiesFile::Options& options)
    {
       #if JUCE_LINUX || JUCE_BSD
        // JUCE would put the file straight into the home folder on Linux; keep it with the
        // user's other configuration instead (~/.config unless the user moved it).
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                   .getChildFile (options.folderName)
                   .getChildFile (options.applicationName + "." + options.filenameSuffix);
       #else
        return options.getDefaultFile();
       #endif
    }

    int heightForRatio (float ratio, int displayHeight) noexcept
    {
        // A hand-edited ratio may be absurdly large; keep the result a usable int instead of
        // letting the conversion wrap around.
        const auto height = (double) ((float) displayHeight * ratio);
        return juce::roundToInt (juce::jlimit (0.0, (double) std::numeric_limits<int>::max(), height));
    }
}

void OrvelinAudioProcessor::initPropertiesFile()
{
    propertiesFileOptions.applicationName = "Orvelin";
    propertiesFileOptions.filenameSuffix = "qzproperties";
    propertiesFileOptions.folderName = "Velmora";
    propertiesFileOptions.osxLibrarySubFolder = "Application Support";
    propertiesFileOptions.commonToAllUsers = false;
    propertiesFileOptions.storageFormat = juce::PropertiesFile::storeAsXML;

    const auto file = getPropertiesFileLocation (propertiesFileOptions);
    const bool isFirstRun = ! file.existsAsFile();

    // A file that exists but doesn't parse simply loads as empty, so every key takes its
    // default; the next save replaces it. JUCE writes through a temporary file, so an
    // interrupted save never leaves a truncated file behind for the other instances.
    propertiesFile = std::make_unique<juce::PropertiesFile> (file, propertiesFileOptions);

    if (isFirstRun)
    {
        propertiesFile->setValue (ratioKey, defaultRatio);
        propertiesFile->setNeedsToBeSaved (true);
        propertiesFile->saveIfNeeded();
    }
}

float OrvelinAudioProcessor::getDefaultEditorDesktopHeightRatioFromPropertiesFile() const
{
    if (propertiesFile == nullptr)
        return defaultRatio;

    const float ratio = propertiesFile->getValue (ratioKey).getFloatValue();

    // Missing, empty, non-numeric, zero, negative and non-finite values all fall back.
    if (std::isfinite (ratio) && ratio > 0.0f)
        return ratio;

    return defaultRatio;
}

int OrvelinAudioProcessor::getMainDisplayTotalHeight (bool& isFallback)
{
    const int height = DvxMainDisplay::getTotalArea().getHeight();
    isFallback = height <= 0;
    return isFallback ? fallbackDisplayHeight : height;
}

void OrvelinAudioProcessor::updateDefaultEditorSizes()
{
    bool isFallback = false;
    const int displayHeight = getMainDisplayTotalHeight (isFallback);

    updateDefaultEditorSizesForDisplayHeight (displayHeight);
    editorSizesUseFallbackDisplay.store (isFallback, std::memory_order_relaxed);
}

void OrvelinAudioProcessor::updateDefaultEditorSizesForDisplayHeight (int mainDisplayTotalHeight)
{
    const float ratio = getDefaultEditorDesktopHeightRatio();

    defaultEditorHeight.store (heightForRatio (ratio, mainDisplayTotalHeight), std::memory_order_relaxed);
    editorSizesUseFallbackDisplay.store (false, std::memory_order_relaxed);

    if (propertiesFile != nullptr)
    {
        propertiesFile->setValue (ratioKey, ratio);
        propertiesFile->setNeedsToBeSaved (true);
    }
}

void OrvelinAudioProcessor::setCurrentAsDefaultEditorDesktopHeightRatio()
{
    bool isFallback = false;
    const int displayHeight = getMainDisplayTotalHeight (isFallback);

    setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (displayHeight);
    editorSizesUseFallbackDisplay.store (isFallback, std::memory_order_relaxed);
}

void OrvelinAudioProcessor::setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (int mainDisplayTotalHeight)
{
    if (mainDisplayTotalHeight > 0)
    {
        const float ratio = (float) getEditorHeight() / (float) mainDisplayTotalHeight;

        // A zero or negative editor height would store a ratio that the next instance
        // rejects anyway; keep the one we have instead.
        if (ratio > 0.0f)
            defaultEditorDesktopHeightRatio.store (ratio, std::memory_order_relaxed);
    }

    updateDefaultEditorSizesForDisplayHeight (mainDisplayTotalHeight);
}

void OrvelinAudioProcessor::resetDefaultEditorDesktopHeightRatio()
{
    defaultEditorDesktopHeightRatio.store (defaultRatio, std::memory_order_relaxed);
    updateDefaultEditorSizes();
}

void OrvelinAudioProcessor::rederiveEditorSizesIfDisplayWasUnavailable() const
{
    // The sizes were computed for the fallback display because the processor was built
    // off the message thread or without a display. Now that we're asked on the message
    // thread, use the real display, but only for values that nobody has replaced since
    // (a resize or a restored project keeps its own height).
    if (! editorSizesUseFallbackDisplay.load (std::memory_order_relaxed))
        return;

    bool isFallback = true;
    const int displayHeight = getMainDisplayTotalHeight (isFallback);

    if (isFallback)
        return;

    editorSizesUseFallbackDisplay.store (false, std::memory_order_relaxed);

    const float ratio = getDefaultEditorDesktopHeightRatio();
    const int fallbackHeight = heightForRatio (ratio, fallbackDisplayHeight);
    const int realHeight = heightForRatio (ratio, displayHeight);

    int expected = fallbackHeight;
    defaultEditorHeight.compare_exchange_strong (expected, realHeight, std::memory_order_relaxed);

    expected = fallbackHeight;
    editorHeight.compare_exchange_strong (expected, realHeight, std::memory_order_relaxed);
}

int OrvelinAudioProcessor::getDefaultEditorHeight() const
{
    rederiveEditorSizesIfDisplayWasUnavailable();
    return defaultEditorHeight.load (std::memory_order_relaxed);
}

int OrvelinAudioProcessor::getEditorHeight() const
{
    rederiveEditorSizesIfDisplayWasUnavailable();
    return editorHeight.load (std::memory_order_relaxed);
}

juce::String OrvelinAudioProcessor::getChannelName() const
{
    const juce::SpinLock::ScopedLockType lock (channelNameLock);
    return channelName;
}

void OrvelinAudioProcessor::setChannelName (const juce::String& newName)
{
    const juce::SpinLock::ScopedLockType lock (channelNameLock);
    channelName = newName;
}

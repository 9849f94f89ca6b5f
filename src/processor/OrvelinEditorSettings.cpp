#include "processor/OrvelinEditorSettings.h"
#include "processor/DvxMainDisplay.h"
#include "parameters/DvxStoredValues.h"

#include <cmath>
#include <limits>

// The properties file is shared by every instance of the plug-in on the machine. It only
// remembers the default editor size (as a fraction of the main display's height) and the
// presets folder; everything else travels with the host's project.

namespace
{
    const char* const ratioKey = "DefaultEditorDesktopHeightRatio";
    constexpr float defaultRatio = 0.5f;

    // Used when the main display can't be asked: there is no X display, or we are not on
    // the message thread (VST3 and LV2 hosts construct plug-ins on their own threads).
    constexpr int fallbackDisplayHeight = DvxMainDisplay::fallbackTotalHeight;

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

    int limitEditorHeight (int height) noexcept
    {
        return juce::jlimit (OrvelinEditorSettings::minimumEditorHeight, OrvelinEditorSettings::maximumEditorHeight, height);
    }

    int heightForRatio (float ratio, int displayHeight) noexcept
    {
        // A hand-edited ratio may be absurdly large; keep the result a usable int instead of
        // letting the conversion wrap around.
        const auto height = (double) ((float) displayHeight * ratio);
        return juce::roundToInt (juce::jlimit (0.0, (double) std::numeric_limits<int>::max(), height));
    }
}

OrvelinEditorSettings::OrvelinEditorSettings (DisplayHeightSource mainDisplayTotalHeight)
    : displayHeight (std::move (mainDisplayTotalHeight))
{
    if (! displayHeight)
        displayHeight = [] { return DvxMainDisplay::getTotalArea().getHeight(); };
}

OrvelinEditorSettings::~OrvelinEditorSettings() = default;

//==============================================================================
void OrvelinEditorSettings::initPropertiesFile()
{
    propertiesFileOptions.applicationName = "Orvelin";
    propertiesFileOptions.filenameSuffix = "qzproperties";
    propertiesFileOptions.folderName = "Velmora";
    propertiesFileOptions.osxLibrarySubFolder = "Application Support";
    propertiesFileOptions.commonToAllUsers = false;
    propertiesFileOptions.storageFormat = juce::PropertiesFile::storeAsXML;

    const auto file = getPropertiesFileLocation (propertiesFileOptions);
    const bool isFirstRun = ! file.existsAsFile();

    // A file that exists but can't be read (corrupt, or refused as unsafe) loads as empty,
    // so every key takes its default; the next save keeps it aside and writes a new one.
    // Saves go through a temporary file, so an interrupted one never leaves a truncated
    // file behind for the other instances.
    propertiesFile = std::make_unique<DvxSafePropertiesFile> (file, propertiesFileOptions);

    // Created at once with the default ratio, unless another instance has just done so.
    if (isFirstRun && ! propertiesFile->containsKey (ratioKey))
    {
        propertiesFile->setValue (ratioKey, defaultRatio);
        propertiesFile->saveIfNeeded();
    }
}

std::optional<float> OrvelinEditorSettings::getStoredRatio() const
{
    // Not juce::String::getFloatValue: anybody may write this file, and JUCE's reader
    // overflows an int on an exponent with many digits.
    double stored = 0.0;

    if (propertiesFile == nullptr || ! DvxStoredValues::parseFiniteNumber (propertiesFile->getValue (ratioKey), stored))
        return std::nullopt;

    return (float) stored;
}

float OrvelinEditorSettings::getDefaultEditorDesktopHeightRatioFromPropertiesFile() const
{
    // Empty, non-numeric, zero, negative and beyond a float all fall back.
    const auto ratio = getStoredRatio();
    return ratio.has_value() && std::isfinite (*ratio) && *ratio > 0.0f ? *ratio : defaultRatio;
}

void OrvelinEditorSettings::initEditorSizes()
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        defaultEditorDesktopHeightRatio = getDefaultEditorDesktopHeightRatioFromPropertiesFile();
    }

    updateDefaultEditorSizes();

    const std::lock_guard<std::mutex> guard (lock);
    editorHeight = defaultEditorHeight;
    editorHeightFollowsFallback = defaultHeightFollowsFallback;
}

//==============================================================================
int OrvelinEditorSettings::getMainDisplayTotalHeight (bool& isFallback) const
{
    const int height = displayHeight();
    isFallback = height <= 0;
    return isFallback ? fallbackDisplayHeight : height;
}

void OrvelinEditorSettings::applyDefaultEditorSizes (int mainDisplayTotalHeight, bool isFallback, bool chosenHere)
{
    float ratio;

    {
        const std::lock_guard<std::mutex> guard (lock);
        ratio = defaultEditorDesktopHeightRatio;
        defaultEditorHeight = heightForRatio (ratio, mainDisplayTotalHeight);
        defaultHeightFollowsFallback = isFallback;
    }

    // Every instance writes back the ratio it uses, but one that the file already holds is
    // no change: saving it would undo what another instance saved since this one read it.
    // A ratio the user chose here is saved even then.
    if (propertiesFile == nullptr)
        return;

    if (chosenHere)
        propertiesFile->setValueChosenHere (ratioKey, ratio);
    else if (getStoredRatio() != ratio)
        propertiesFile->setValue (ratioKey, ratio);
}

void OrvelinEditorSettings::applyDefaultEditorSizesForMainDisplay (bool chosenHere)
{
    bool isFallback = false;
    const int height = getMainDisplayTotalHeight (isFallback);
    applyDefaultEditorSizes (height, isFallback, chosenHere);
}

void OrvelinEditorSettings::updateDefaultEditorSizes()
{
    applyDefaultEditorSizesForMainDisplay (false);
}

void OrvelinEditorSettings::updateDefaultEditorSizesForDisplayHeight (int mainDisplayTotalHeight)
{
    applyDefaultEditorSizes (mainDisplayTotalHeight, false, false);
}

void OrvelinEditorSettings::setCurrentAsDefaultEditorDesktopHeightRatio()
{
    bool isFallback = false;
    const int height = getMainDisplayTotalHeight (isFallback);
    setCurrentAsDefaultRatio (height, isFallback);
}

void OrvelinEditorSettings::setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (int mainDisplayTotalHeight)
{
    setCurrentAsDefaultRatio (mainDisplayTotalHeight, false);
}

void OrvelinEditorSettings::setCurrentAsDefaultRatio (int mainDisplayTotalHeight, bool isFallback)
{
    if (mainDisplayTotalHeight > 0)
    {
        const float ratio = (float) getEditorHeight() / (float) mainDisplayTotalHeight;

        // A zero or negative editor height would store a ratio that the next instance
        // rejects anyway; keep the one we have instead.
        if (ratio > 0.0f)
        {
            const std::lock_guard<std::mutex> guard (lock);
            defaultEditorDesktopHeightRatio = ratio;
        }
    }

    applyDefaultEditorSizes (mainDisplayTotalHeight, isFallback, true);
}

void OrvelinEditorSettings::resetDefaultEditorDesktopHeightRatio()
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        defaultEditorDesktopHeightRatio = defaultRatio;
    }

    applyDefaultEditorSizesForMainDisplay (true);
}

//==============================================================================
void OrvelinEditorSettings::rederiveHeightsIfDisplayWasUnavailable() const
{
    // Called with the lock held. Heights that still follow the fallback display are
    // derived again, as the default height of the display there is, once one can be asked.
    if (! (defaultHeightFollowsFallback || editorHeightFollowsFallback))
        return;

    bool isFallback = true;
    const int height = getMainDisplayTotalHeight (isFallback);

    if (isFallback)
        return;

    const int realHeight = heightForRatio (defaultEditorDesktopHeightRatio, height);

    if (defaultHeightFollowsFallback)
        defaultEditorHeight = realHeight;

    if (editorHeightFollowsFallback)
        editorHeight = realHeight;

    defaultHeightFollowsFallback = editorHeightFollowsFallback = false;
}

float OrvelinEditorSettings::getDefaultEditorDesktopHeightRatio() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return defaultEditorDesktopHeightRatio;
}

int OrvelinEditorSettings::getDefaultEditorHeight() const
{
    const std::lock_guard<std::mutex> guard (lock);
    rederiveHeightsIfDisplayWasUnavailable();
    return defaultEditorHeight;
}

int OrvelinEditorSettings::getEditorHeight() const
{
    const std::lock_guard<std::mutex> guard (lock);
    rederiveHeightsIfDisplayWasUnavailable();
    return editorHeight;
}

void OrvelinEditorSettings::setEditorHeight (int newHeight)
{
    const std::lock_guard<std::mutex> guard (lock);
    editorHeight = newHeight;
    editorHeightFollowsFallback = false;
}

void OrvelinEditorSettings::restoreEditorHeights (std::optional<int> defaultHeight, std::optional<int> newEditorHeight)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (defaultHeight.has_value())
    {
        defaultEditorHeight = *defaultHeight;
        defaultHeightFollowsFallback = false;
    }

    // Without a height of its own the editor takes the default, and follows it while the
    // default still follows the fallback display. The default comes from the ratio, which
    // has no limit of its own; what the restore leaves the editor can take as it is.
    if (newEditorHeight.has_value())
    {
        editorHeight = *newEditorHeight;
        editorHeightFollowsFallback = false;
    }
    else
    {
        editorHeight = limitEditorHeight (defaultEditorHeight);
        editorHeightFollowsFallback = defaultHeightFollowsFallback;
    }
}

//==============================================================================
juce::String OrvelinEditorSettings::getChannelName() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return channelName;
}

void OrvelinEditorSettings::setChannelName (const juce::String& newName)
{
    const std::lock_guard<std::mutex> guard (lock);
    channelName = newName;
}

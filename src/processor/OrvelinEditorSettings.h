#pragma once

#include "processor/DvxSafePropertiesFile.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The settings the processor keeps for its editor, which exists only while the host
// shows it: the editor height, the default editor height with the desktop-height ratio it
// comes from, the colour-scheme brightness, the channel name and expert mode. The ratio
// (and the presets folder) are remembered across instances in the per-user properties
// file; the rest travels with the host's project in the state chunk.
//
// The message thread and the host's state calls use these from different threads, so the
// heights and the name are guarded by one lock; the audio thread never comes here.
class OrvelinEditorSettings
{
public:
    // The main display's total height in pixels, or 0 when it can't be asked (no display,
    // or not on the message thread). Empty: ask the real main display.
    using DisplayHeightSource = std::function<int()>;

    explicit OrvelinEditorSettings (DisplayHeightSource mainDisplayTotalHeight = {});
    ~OrvelinEditorSettings();

    //==============================================================================
    // Fills the options and opens the properties file; on the first run creates it with
    // the default ratio.
    void initPropertiesFile();
    DvxSafePropertiesFile* getPropertiesFile() const noexcept { return propertiesFile.get(); }
    float getDefaultEditorDesktopHeightRatioFromPropertiesFile() const;

    // The ratio from the properties file, the default editor height derived from it (the
    // ratio written back when the file holds another), and the editor height set to that
    // default.
    void initEditorSizes();

    //==============================================================================
    void updateDefaultEditorSizes();
    void updateDefaultEditorSizesForDisplayHeight (int mainDisplayTotalHeight);
    void setCurrentAsDefaultEditorDesktopHeightRatio();
    void setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (int mainDisplayTotalHeight);
    void resetDefaultEditorDesktopHeightRatio();

    float getDefaultEditorDesktopHeightRatio() const;
    int getDefaultEditorHeight() const;
    int getEditorHeight() const;
    void setEditorHeight (int newHeight);

    // The heights saved in a host's project; either may be missing. A missing editor
    // height takes the default editor height, held to the editor's range.
    void restoreEditorHeights (std::optional<int> defaultHeight, std::optional<int> editorHeight);

    // Heights the rest of the plug-in can live with: the editor keeps to them, and a
    // restore takes no other.
    static constexpr int minimumEditorHeight = 100;
    static constexpr int maximumEditorHeight = 10000;

    //==============================================================================
    float getCurrentColourSchemeBrightness() const noexcept { return colourSchemeBrightness.load (std::memory_order_relaxed); }
    void setCurrentColourSchemeBrightness (float newBrightness) noexcept { colourSchemeBrightness.store (newBrightness, std::memory_order_relaxed); }

    juce::String getChannelName() const;
    void setChannelName (const juce::String& newName);

    // Stored as a double, as the state chunk keeps it: only exactly 1.0 is on.
    bool getExpertMode() const noexcept { return getExpertModeAsDouble() == 1.0; }
    void setExpertMode (bool shouldBeOn) noexcept { setExpertModeAsDouble (shouldBeOn ? 1.0 : 0.0); }
    double getExpertModeAsDouble() const noexcept { return expertMode.load (std::memory_order_relaxed); }
    void setExpertModeAsDouble (double newValue) noexcept { expertMode.store (newValue, std::memory_order_relaxed); }

private:
    // The display height, or the fallback height with isFallback set when there is none.
    int getMainDisplayTotalHeight (bool& isFallback) const;
    std::optional<float> getStoredRatio() const;
    // chosenHere: the user chose the ratio, which is then saved even when the file holds it.
    void applyDefaultEditorSizes (int mainDisplayTotalHeight, bool isFallback, bool chosenHere);
    void applyDefaultEditorSizesForMainDisplay (bool chosenHere);
    void setCurrentAsDefaultRatio (int mainDisplayTotalHeight, bool isFallback);
    void rederiveHeightsIfDisplayWasUnavailable() const;

    DisplayHeightSource displayHeight;

    std::unique_ptr<DvxSafePropertiesFile> propertiesFile;
    juce::PropertiesFile::Options propertiesFileOptions;

    mutable std::mutex lock;
    juce::String channelName;
    float defaultEditorDesktopHeightRatio = 0.5f;

    // A height computed while no display could be asked (the instance was built off the
    // message thread, or without a display) follows that fallback: the first read on the
    // message thread derives it again from the real display. Anything that sets a height
    // on purpose (a resize, a restored project) ends that for the height it sets.
    mutable int defaultEditorHeight = 0;
    mutable int editorHeight = 0;
    mutable bool defaultHeightFollowsFallback = false;
    mutable bool editorHeightFollowsFallback = false;

    std::atomic<double> expertMode { 0.0 };
    std::atomic<float> colourSchemeBrightness { 0.3f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelinEditorSettings)
};

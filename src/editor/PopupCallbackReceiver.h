#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;

// Receives the settings menu's result and hands it to the main panel. JUCE owns it from
// showMenuAsync on and calls it once, after the menu has closed. The host may have closed
// the editor by then, so the panel is held by a SafePointer and a late result does nothing.
class PopupCallbackReceiver : public juce::ModalComponentManager::Callback
{
public:
    explicit PopupCallbackReceiver (MainEditorComponent* mainEditorComponent);
    ~PopupCallbackReceiver() override;

    void modalStateFinished (int result) override;

    // The settings menu's item ids. 0 is JUCE's "closed without a choice".
    enum ItemID
    {
        titleID = -1,
        resizeToDefaultID = 1,
        showInfoID = 2,
        classicDarkID = 3,
        brightEyesID = 4,
        saveCurrentPresetAsID = 5,
        revealUserPresetsFolderID = 6,
        firstFactoryPresetID = 100,   // room for 100 factory presets
        firstUserPresetID = 200       // no upper limit
    };

private:
    juce::Component::SafePointer<MainEditorComponent> mainEditorComponent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PopupCallbackReceiver)
};

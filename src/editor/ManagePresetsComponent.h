#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;
class OrvelinAudioProcessor;

// The in-window dialog that names the current settings for saving as a user preset. It
// has no content yet; the panel makes it and keeps it hidden.
class ManagePresetsComponent : public juce::Component
{
public:
    // None of the pointers is owned; all must outlive the dialog.
    ManagePresetsComponent (OrvelinAudioProcessor* processor, MainEditorComponent* mainEditorComponent, juce::Font* font);
    ~ManagePresetsComponent() override;

    void show();
    void hide();

    // The name to save under; empty while the dialog has no name field.
    juce::String getPresetName();

private:
    OrvelinAudioProcessor* processor;
    MainEditorComponent* mainEditorComponent;
    juce::Font* font;
    juce::String presetName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ManagePresetsComponent)
};

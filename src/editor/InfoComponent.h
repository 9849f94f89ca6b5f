#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;
class OrvelinAudioProcessor;

// The info and settings screen that covers the main panel when shown. It has no content
// yet; the panel makes it and keeps it hidden.
class InfoComponent : public juce::Component
{
public:
    // None of the pointers is owned; all must outlive the screen.
    InfoComponent (OrvelinAudioProcessor* processor, MainEditorComponent* mainEditorComponent, juce::Font* font);
    ~InfoComponent() override;

    // Enables the screen's command buttons from the processor's state (it has none yet).
    void updateAllButtons();

private:
    OrvelinAudioProcessor* processor;
    MainEditorComponent* mainEditorComponent;
    juce::Font* font;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InfoComponent)
};

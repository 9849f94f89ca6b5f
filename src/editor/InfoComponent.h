#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class MainEditorComponent;
class OrvelinAudioProcessor;

// The info and settings screen that covers the whole main panel when shown: the plug-in's
// name, version, format and credits, the editor's current and default sizes with three
// buttons that manage the default, what the plug-in runs in, a button that clears the undo
// history, and CLOSE. Its texts are fixed when it is built; the values are read afresh on
// every paint.
class InfoComponent : public juce::Component,
                      public juce::Button::Listener
{
public:
    // None of the pointers is owned; all must outlive the screen.
    InfoComponent (OrvelinAudioProcessor* processor, MainEditorComponent* mainEditorComponent, juce::Font* font);
    ~InfoComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;
    bool keyPressed (const juce::KeyPress&) override;

    // Enables the four command buttons from the processor's state.
    void updateAllButtons();

    // The values that paint shows, as it shows them.
    struct PaintedValues
    {
        juce::String currentSize, defaultSize, sampleRate, operatingSystem, wordSize, hostName, channels;
    };

    PaintedValues getPaintedValues() const;

private:
    OrvelinAudioProcessor* processor;
    MainEditorComponent* mainEditorComponent;
    float height = 0.0f;
    juce::Font* font;
    std::unique_ptr<juce::TextButton> closeButton, resizeToDefaultButton, setCurrentAsDefaultButton,
                                      resetDefaultSizeButton, clearUndoHistoryButton;
    juce::TextEditor upperTextBox, lowerTextBox;
    std::unique_ptr<juce::Drawable> logo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InfoComponent)
};

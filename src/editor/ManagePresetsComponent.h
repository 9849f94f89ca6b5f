#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class MainEditorComponent;
class OrvelinAudioProcessor;

// The in-window dialog that names the current settings for saving as a user preset. It
// lies over the stereo-field picture and writes nothing itself: SAVE, Return and CANCEL
// hand over to the main panel, which closes the dialog and saves through the processor.
class ManagePresetsComponent : public juce::Component,
                               public juce::TextEditor::Listener,
                               public juce::Button::Listener
{
public:
    // None of the pointers is owned; all must outlive the dialog. The font is the panel's
    // shared display font, whose height this dialog sets in resized().
    ManagePresetsComponent (OrvelinAudioProcessor* processor, MainEditorComponent* mainEditorComponent, juce::Font* font);
    ~ManagePresetsComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void buttonClicked (juce::Button*) override;

    // Proposes the current preset's name, without its modified mark, fully selected.
    void initPresetName();

    void show();
    void hide();

    // What the field holds; an empty field gives the name proposed last (the processor's
    // save drops a modified mark still in it).
    juce::String getPresetName();

    // Puts the keyboard focus in the name field, when the field is on the screen.
    void grabFocusForTyping();

private:
    OrvelinAudioProcessor* processor;
    MainEditorComponent* mainEditorComponent;
    float width = 0.0f;
    float height = 0.0f;
    std::unique_ptr<juce::TextButton> saveButton;
    std::unique_ptr<juce::TextButton> cancelButton;
    juce::TextEditor presetNameEditor;
    juce::String presetName;
    juce::Font* font;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ManagePresetsComponent)
};

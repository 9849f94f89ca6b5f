#include "editor/ManagePresetsComponent.h"
#include "editor/MainEditorComponent.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxPresetNameLabel.h"
#include "widgets/DvxQzColours.h"

ManagePresetsComponent::ManagePresetsComponent (OrvelinAudioProcessor* processorToUse,
                                                MainEditorComponent* mainEditorComponentToUse, juce::Font* fontToUse)
    : processor (processorToUse),
      mainEditorComponent (mainEditorComponentToUse),
      font (fontToUse)
{
    jassert (processor != nullptr && mainEditorComponent != nullptr && font != nullptr);

    initPresetName();

    addAndMakeVisible (presetNameEditor);
    presetNameEditor.setFont (*font);

    // Return and Escape also travel on to the parents, as an unhandled key would.
    presetNameEditor.setEscapeAndReturnKeysConsumed (false);
    presetNameEditor.setMultiLine (false, false);
    presetNameEditor.setPopupMenuEnabled (false);
    presetNameEditor.setSelectAllWhenFocused (true);

    presetNameEditor.setColour (juce::TextEditor::outlineColourId, juce::Colours::darkgrey);
    presetNameEditor.setColour (juce::TextEditor::focusedOutlineColourId, DvxQzColours::qzcomplementColourA);
    presetNameEditor.setColour (juce::TextEditor::highlightColourId, DvxQzColours::qzcomplementColourA);

    // Only what a file name and the preset-name label accept can be typed or pasted.
    presetNameEditor.setInputRestrictions (DvxPresetNameLabel::maximumPresetNameLength, processor->getAllowedCharsForPresetNames());
    presetNameEditor.addListener (this);

    const auto addButton = [this] (std::unique_ptr<juce::TextButton>& button, const char* text, const char* tooltip)
    {
        button = std::make_unique<juce::TextButton> (text);
        addAndMakeVisible (*button);
        button->setTooltip (tooltip);
        button->setColour (juce::TextButton::buttonColourId, DvxQzColours::qzdarkGrey.brighter (0.3f));
        button->addListener (this);
    };

    addButton (saveButton, "SAVE", "SAVE: click to save this as a user preset");
    addButton (cancelButton, "CANCEL", "CANCEL: DO NOT SAVE this preset and close dialog");

    presetNameEditor.setFont (*font);
    presetNameEditor.applyFontToAllText (*font);
}

ManagePresetsComponent::~ManagePresetsComponent() = default;

//==============================================================================
void ManagePresetsComponent::initPresetName()
{
    presetName = processor->getProgramName (processor->getCurrentProgram());

    // Put in as it is, unfiltered: the restrictions apply to typing only.
    const auto shown = presetName.removeCharacters ("*");
    presetNameEditor.setText (shown, false);
    presetNameEditor.setHighlightedRegion ({ 0, shown.length() });
}

void ManagePresetsComponent::show()
{
    initPresetName();
    setVisible (true);
    grabFocusForTyping();
}

void ManagePresetsComponent::grabFocusForTyping()
{
    // Only a field on the screen can take the focus; an editor that the host has not put
    // on the screen (yet) simply has none.
    if (presetNameEditor.isShowing())
        presetNameEditor.grabKeyboardFocus();
}

void ManagePresetsComponent::hide()
{
    setVisible (false);
}

juce::String ManagePresetsComponent::getPresetName()
{
    if (presetNameEditor.getText().isNotEmpty())
        presetName = presetNameEditor.getText();

    return presetName;
}

//==============================================================================
void ManagePresetsComponent::textEditorReturnKeyPressed (juce::TextEditor&)
{
    mainEditorComponent->saveUserPreset();
}

void ManagePresetsComponent::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    initPresetName();
    grabFocusForTyping();
}

void ManagePresetsComponent::buttonClicked (juce::Button* button)
{
    if (button == saveButton.get())
        mainEditorComponent->saveUserPreset();
    else if (button == cancelButton.get())
        mainEditorComponent->cancelUserPresetSaving();
}

//==============================================================================
void ManagePresetsComponent::resized()
{
    width = (float) getWidth();
    height = (float) getHeight();

    font->setHeight ((height * 0.2f) * 0.7f);
    presetNameEditor.applyFontToAllText (*font);

    presetNameEditor.setBoundsRelative (0.05f, 0.25f, 0.9f, 0.22000001f);
    saveButton->setBoundsRelative (0.05f, 0.7f, 0.425f, 0.2f);
    cancelButton->setBoundsRelative (0.525f, 0.7f, 0.425f, 0.2f);
}

void ManagePresetsComponent::paint (juce::Graphics& g)
{
    // The panel changes the shared font's height too; whatever it holds now is used.
    g.setFont (*font);

    const float cornerSize = getParentComponent() != nullptr ? 0.01f * (float) getParentHeight() : 0.0f;
    auto panel = juce::Rectangle<float> (0.0f, 0.0f, width, height);

    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (panel, cornerSize);

    panel = panel.reduced (0.05f * height);

    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.fillRoundedRectangle (panel, cornerSize);

    // Its top and height are measured on the width, like its left and width.
    g.setColour (juce::Colours::darkgrey);
    g.drawFittedText ("Preset Name:", juce::roundToInt (0.05f * width), juce::roundToInt (0.04f * width),
                      juce::roundToInt (0.9f * width), juce::roundToInt (0.2f * width),
                      juce::Justification::topLeft, 1, 1.0f);
}

#include "editor/ManagePresetsComponent.h"

ManagePresetsComponent::ManagePresetsComponent (OrvelinAudioProcessor* processorToUse,
                                                MainEditorComponent* mainEditorComponentToUse, juce::Font* fontToUse)
    : processor (processorToUse),
      mainEditorComponent (mainEditorComponentToUse),
      font (fontToUse)
{
}

ManagePresetsComponent::~ManagePresetsComponent() = default;

void ManagePresetsComponent::show() { setVisible (true); }
void ManagePresetsComponent::hide() { setVisible (false); }

juce::String ManagePresetsComponent::getPresetName() { return presetName; }

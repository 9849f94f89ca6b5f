#include "editor/InfoComponent.h"

InfoComponent::InfoComponent (OrvelinAudioProcessor* processorToUse, MainEditorComponent* mainEditorComponentToUse,
                              juce::Font* fontToUse)
    : processor (processorToUse),
      mainEditorComponent (mainEditorComponentToUse),
      font (fontToUse)
{
    updateAllButtons();
}

InfoComponent::~InfoComponent() = default;

void InfoComponent::updateAllButtons() {}

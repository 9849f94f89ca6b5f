#include "editor/ResizerForEditor.h"
#include "editor/MainEditorComponent.h"

ResizerForEditor::ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainer,
                                    MainEditorComponent* mainEditorComponentToTell)
    : juce::ResizableCornerComponent (componentToResize, constrainer),
      mainEditorComponent (mainEditorComponentToTell)
{
}

ResizerForEditor::~ResizerForEditor() = default;

void ResizerForEditor::mouseDown (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseDown (e);

    if (mainEditorComponent != nullptr)
        mainEditorComponent->resizingStarted();
}

void ResizerForEditor::mouseUp (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseUp (e);

    if (mainEditorComponent != nullptr)
        mainEditorComponent->resizingStopped();
}

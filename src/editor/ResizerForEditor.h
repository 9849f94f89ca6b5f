#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;

// The editor's resize corner. Besides resizing through the constrainer, it tells the
// main panel when a drag starts and ends, so that the panel can hide its controls
// while the size changes.
class ResizerForEditor : public juce::ResizableCornerComponent
{
public:
    // The panel is not owned and may be null.
    ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainer,
                      MainEditorComponent* mainEditorComponent);
    ~ResizerForEditor() override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    MainEditorComponent* mainEditorComponent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ResizerForEditor)
};

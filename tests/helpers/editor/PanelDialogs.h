#pragma once

#include "helpers/editor/EditorTestSupport.h"

#include "editor/InfoComponent.h"
#include "editor/ManagePresetsComponent.h"

// The panel's save dialog and info screen, and what the tests of them share.
namespace orvelin::test
{
    inline void click (juce::Component& button)
    {
        dynamic_cast<juce::Button&> (button).triggerClick();
        pumpMessages();
    }

    inline juce::Label& infoLine (MainEditorComponent& panel)       { return label (panel, "Bottom Info Label"); }
    inline juce::Component& saveButton (MainEditorComponent& panel) { return button (panel, "SAVE"); }

    // The panel's last two children.
    inline ManagePresetsComponent& saveDialog (MainEditorComponent& panel)
    {
        return dynamic_cast<ManagePresetsComponent&> (*panel.getChildComponent (35));
    }
    inline InfoComponent& infoScreen (MainEditorComponent& panel)
    {
        return dynamic_cast<InfoComponent&> (*panel.getChildComponent (36));
    }

    // The dialog's name field, then SAVE and CANCEL.
    inline juce::TextEditor& nameField (ManagePresetsComponent& dialog) { return dynamic_cast<juce::TextEditor&> (*dialog.getChildComponent (0)); }
    inline juce::Component& dialogSaveButton (ManagePresetsComponent& dialog)   { return *dialog.getChildComponent (1); }
    inline juce::Component& dialogCancelButton (ManagePresetsComponent& dialog) { return *dialog.getChildComponent (2); }
}

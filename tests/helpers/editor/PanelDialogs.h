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

    // The panel's children 2 (info line), 15 (SAVE), 35 (save dialog) and 36 (info screen).
    inline juce::Label& infoLine (MainEditorComponent& panel)     { return dynamic_cast<juce::Label&> (*panel.getChildComponent (2)); }
    inline juce::Component& saveButton (MainEditorComponent& panel) { return *panel.getChildComponent (15); }
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

#pragma once

#include "helpers/editor/EditorTestSupport.h"

#include "editor/InfoComponent.h"
#include "editor/ManagePresetsComponent.h"

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

// The panel's save dialog and info screen, and what the tests of them share: the JUCE
// calls that answer through the message queue (key presses, clicks, menu results) are
// finished by pumping it.
namespace orvelin::test
{
    inline void pumpMessages()
    {
        while (juce::dispatchNextMessageOnSystemQueue (true)) {}
    }

    // Keyboard focus and the menu's windows need a window on the (virtual) screen.
    inline void putOnScreen (juce::Component& window)
    {
        window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        window.setVisible (true);
        pumpMessages();
    }

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

#pragma once

#include "editor/MainEditorComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "processor/OrvelinAudioProcessor.h"

#include <memory>

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace orvelin::test
{
    // Modal loops are off in the tests: what JUCE answers through the message queue (key
    // presses, focus, menu results, asynchronous refreshes) is finished by pumping it.
    inline void pumpMessages()
    {
        while (juce::dispatchNextMessageOnSystemQueue (true)) {}
    }

    // Keyboard focus, label editors and menu windows need a window on the (virtual) screen.
    inline void putOnScreen (juce::Component& window)
    {
        window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        window.setVisible (true);
        pumpMessages();
    }

    // A processor and its open editor, made and closed as a host does: the processor is
    // told before its active editor goes.
    struct EditorSession
    {
        EditorSession() = default;
        ~EditorSession() { close(); }

        OrvelinAudioProcessorEditor& open()
        {
            close();
            editor.reset (dynamic_cast<OrvelinAudioProcessorEditor*> (processor.createEditorIfNeeded()));
            return *editor;
        }

        void close()
        {
            if (editor != nullptr)
                processor.editorBeingDeleted (editor.get());

            editor.reset();
        }

        // The panel is the editor's first child, the resize corner its second.
        MainEditorComponent& panel() const     { return *dynamic_cast<MainEditorComponent*> (editor->getChildComponent (0)); }
        juce::Component& corner() const        { return *editor->getChildComponent (1); }

        void setParameter (const char* name, float value)
        {
            processor.setParameter (processor.getParameterManager()->getParameterIndex (name), value);
        }

        OrvelinAudioProcessor processor;
        std::unique_ptr<OrvelinAudioProcessorEditor> editor;
    };
}

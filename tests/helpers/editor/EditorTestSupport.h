#pragma once

#include "editor/MainEditorComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxRotarySlider.h"

#include <functional>
#include <memory>
#include <stdexcept>

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

    // The first control of the type below the parent, depth first, that matches.
    template <typename Type>
    Type& find (juce::Component& parent, const std::function<bool (Type&)>& matches, const juce::String& what)
    {
        std::function<Type* (juce::Component&)> search = [&] (juce::Component& c) -> Type*
        {
            for (auto* child : c.getChildren())
            {
                if (auto* typed = dynamic_cast<Type*> (child); typed != nullptr && matches (*typed))
                    return typed;

                if (auto* found = search (*child))
                    return found;
            }

            return nullptr;
        };

        if (auto* found = search (parent))
            return *found;

        throw std::logic_error (("no control " + what).toStdString());
    }

    // Controls as a user tells them apart: buttons by their text, labels by their name,
    // knobs by the parameter they turn.
    inline juce::Button& button (juce::Component& panel, const juce::String& text)
    {
        return find<juce::Button> (panel, [&] (juce::Button& b) { return b.getButtonText() == text; }, text);
    }

    inline juce::Label& label (juce::Component& panel, const juce::String& name)
    {
        return find<juce::Label> (panel, [&] (juce::Label& l) { return l.getName() == name; }, name);
    }

    inline DvxRotarySlider& knob (juce::Component& panel, const juce::String& parameter)
    {
        return find<DvxRotarySlider> (panel, [&] (DvxRotarySlider& k) { return k.getParameter()->getName() == parameter; },
                                      parameter);
    }

    // Shown, and so is every parent up to the panel.
    inline bool canBeSeen (juce::Component& control, juce::Component& panel)
    {
        for (auto* c = &control; c != &panel; c = c->getParentComponent())
            if (c == nullptr || ! c->isVisible())
                return false;

        return true;
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

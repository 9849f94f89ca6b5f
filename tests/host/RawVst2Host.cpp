#include "LoadedPlugin.h"

// A minimal VST2 host written against the free fst headers, the same headers the plug-in
// is built with. JUCE's own VST2 hosting code is not used: combined with fst it corrupts
// the heap when preparing the plug-in (it assumes a fixed speaker array that fst leaves
// open-ended).

// fst marks its open questions with #warning; the build silences those for this file.
#include <pluginterfaces/fst/fst.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace orvelin::host
{
    namespace
    {
        using PluginEntry = AEffect* (*) (audioMasterCallback);

        VstIntPtr hostCallback (AEffect*, int opcode, int index, VstIntPtr value, void* ptr, float);

        class RawVst2Plugin final : public LoadedPlugin
        {
        public:
            RawVst2Plugin (void* moduleHandle, AEffect* effectIn)
                : module (moduleHandle), effect (effectIn)
            {
                effect->user = this;
                dispatch (effOpen);
            }

            ~RawVst2Plugin() override
            {
                closeEditor();

                if (isResumed)
                    release();

                dispatch (effClose); // the plug-in deletes itself here
                ::dlclose (module);
            }

            juce::String getPluginName() override   { return getString (effGetEffectName, 0); }
            int getNumInputChannels() override      { return effect->numInputs; }
            int getNumOutputChannels() override     { return effect->numOutputs; }

            // VST2 hosts bypass through effSetBypass, not through a parameter.
            int getNumParameters() override         { return effect->numParams; }
            int getWrapperBypassIndex() override    { return -1; }

            juce::String getParameterName (int index) override         { return getString (effGetParamName, index); }
            float getParameterValue (int index) override                { return effect->getParameter (effect, index); }
            void setParameterValue (int index, float newValue) override { effect->setParameter (effect, index, newValue); }

            std::optional<juce::String> getParameterText (int index) override
            {
                return getString (effGetParamDisplay, index);
            }

            // VST2 declares no defaults and no IDs: a host learns the defaults from a fresh
            // instance and stores parameters by index.
            std::optional<float> getParameterDefault (int) override         { return std::nullopt; }
            std::optional<juce::String> getParameterID (int) override       { return std::nullopt; }

            int getNumPrograms() override { return effect->numPrograms; }

            juce::String getProgramName (int index) override
            {
                // Hosts ask for the current program's name most often; other programs by index.
                if (index == (int) dispatch (effGetProgram))
                    return getString (effGetProgramName, 0);

                return getString (effGetProgramNameIndexed, index);
            }

            void prepare (double sampleRate, int maximumBlockSize) override
            {
                dispatch (effSetSampleRate, 0, 0, nullptr, (float) sampleRate);
                dispatch (effSetBlockSize, 0, maximumBlockSize);
                dispatch (effMainsChanged, 0, 1);
                isResumed = true;

                const auto channels = (size_t) juce::jmax (effect->numInputs, effect->numOutputs);
                inputs.assign (channels, std::vector<float> ((size_t) maximumBlockSize));
                outputs.assign (channels, std::vector<float> ((size_t) maximumBlockSize));

                inputPointers.clear();
                outputPointers.clear();

                for (size_t channel = 0; channel < channels; ++channel)
                {
                    inputPointers.push_back (inputs[channel].data());
                    outputPointers.push_back (outputs[channel].data());
                }
            }

            void process (juce::AudioBuffer<float>& buffer) override
            {
                const int numSamples = buffer.getNumSamples();

                if (! isResumed || inputs.empty() || numSamples > (int) inputs[0].size())
                {
                    jassertfalse; // not prepared, or a block larger than announced
                    buffer.clear();
                    return;
                }

                // Separate input and output arrays, as most hosts pass them; the outputs
                // start out as garbage so that a plug-in which leaves them alone shows.
                for (int channel = 0; channel < (int) inputs.size(); ++channel)
                {
                    auto& input = inputs[(size_t) channel];

                    if (channel < buffer.getNumChannels())
                        std::copy_n (buffer.getReadPointer (channel), numSamples, input.begin());
                    else
                        std::fill (input.begin(), input.end(), 0.0f);

                    std::fill (outputs[(size_t) channel].begin(), outputs[(size_t) channel].end(), 1.0e6f);
                }

                effect->processReplacing (effect, inputPointers.data(), outputPointers.data(), numSamples);

                for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
                {
                    if (channel < effect->numOutputs)
                        buffer.copyFrom (channel, 0, outputPointers[(size_t) channel], numSamples);
                    else
                        buffer.clear (channel, 0, numSamples);
                }
            }

            void release() override
            {
                dispatch (effMainsChanged, 0, 0);
                isResumed = false;
            }

            juce::MemoryBlock getState() override
            {
                // Index 0 asks for the whole bank, which is what a host saves with a session.
                void* data = nullptr;
                const auto size = dispatch (effGetChunk, 0, 0, &data);

                if (data == nullptr || size <= 0)
                    return {};

                return { data, (size_t) size };
            }

            void setState (const juce::MemoryBlock& state) override
            {
                // The plug-in reads the chunk but does not keep the pointer; a copy keeps the
                // caller's block untouched whatever the plug-in does.
                juce::MemoryBlock copy (state);
                dispatch (effSetChunk, 0, (VstIntPtr) copy.getSize(), copy.getData());
            }

            // A VST2 host keeps the plug-in's chunk as it is.
            void setPluginState (const juce::MemoryBlock& pluginState) override { setState (pluginState); }
            bool setPluginStateText (const juce::String&) override               { return false; }

            // The editor opens inside a window of ours: a VST2 host on X11 hands over the
            // window's id, and the plug-in embeds its own window there.
            bool openEditor (juce::Point<int> screenPosition) override
            {
                if ((effect->flags & effFlagsHasEditor) == 0)
                    return false;

                window = std::make_unique<juce::Component>();
                window->setBounds (juce::Rectangle<int> (10, 10).withPosition (screenPosition));

                if (ERect* rect = nullptr; dispatch (effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr)
                    window->setSize (rect->right - rect->left, rect->bottom - rect->top);

                window->addToDesktop (0);
                window->setVisible (true);

                return dispatch (effEditOpen, 0, 0, window->getWindowHandle()) != 0;
            }

            juce::Rectangle<int> getEditorWindowArea() override
            {
                return window != nullptr ? window->getScreenBounds() : juce::Rectangle<int>();
            }

            void handleEditorEvents() override
            {
                dispatch (effEditIdle);
                while (juce::dispatchNextMessageOnSystemQueue (true)) {}
            }

            void closeEditor() override
            {
                if (window == nullptr)
                    return;

                dispatch (effEditClose);
                window.reset();
            }

            // The plug-in asks its host a few things while it runs: which interface version
            // it speaks, and, for a resized editor, whether and how the window follows.
            VstIntPtr answerPlugin (int opcode, int index, VstIntPtr value, void* ptr)
            {
                if (opcode == audioMasterVersion)
                    return 2400;

                if (opcode == audioMasterCanDo && ptr != nullptr)
                    return std::strcmp (static_cast<const char*> (ptr), "sizeWindow") == 0 ? 1 : 0;

                if (opcode == audioMasterSizeWindow && window != nullptr)
                {
                    window->setSize (index, (int) value);
                    return 1;
                }

                return 0;
            }

        private:
            VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
            {
                return effect->dispatcher (effect, opcode, index, value, ptr, opt);
            }

            // The plug-in copies at most 65 bytes (names of the plug-in), 33 (parameter
            // names) or 25 (texts, program names) into the host's buffer; fst's own limits
            // are smaller than what JUCE writes, so a generous buffer is passed.
            juce::String getString (int opcode, int index)
            {
                std::array<char, 256> text {};
                dispatch (opcode, index, 0, text.data());
                text.back() = 0;
                return juce::String::fromUTF8 (text.data());
            }

            void* module;
            AEffect* effect;
            bool isResumed = false;
            std::vector<std::vector<float>> inputs, outputs;
            std::vector<float*> inputPointers, outputPointers;
            std::unique_ptr<juce::Component> window;
        };

        VstIntPtr hostCallback (AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float)
        {
            // Calls made before the effect knows its host object get the version only.
            if (effect != nullptr && effect->user != nullptr)
                return static_cast<RawVst2Plugin*> (effect->user)->answerPlugin (opcode, index, value, ptr);

            return opcode == audioMasterVersion ? 2400 : 0;
        }
    }

    std::unique_ptr<LoadedPlugin> loadWithRawVst2Host (const juce::File& modulePath, juce::String& error)
    {
        auto* module = ::dlopen (modulePath.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

        if (module == nullptr)
        {
            error = "VST2: cannot open " + modulePath.getFullPathName() + ": " + juce::String (::dlerror());
            return nullptr;
        }

        auto entry = reinterpret_cast<PluginEntry> (::dlsym (module, "VSTPluginMain"));

        if (entry == nullptr)
            entry = reinterpret_cast<PluginEntry> (::dlsym (module, "main"));

        auto* effect = entry != nullptr ? entry (hostCallback) : nullptr;

        if (effect == nullptr || effect->magic != kEffectMagic || effect->processReplacing == nullptr
             || (effect->flags & effFlagsCanReplacing) == 0)
        {
            error = entry == nullptr ? "VST2: no entry point in " + modulePath.getFullPathName()
                                     : juce::String ("VST2: the entry point returned no effect that can process in 32 bits");
            ::dlclose (module);
            return nullptr;
        }

        return std::make_unique<RawVst2Plugin> (module, effect);
    }
}

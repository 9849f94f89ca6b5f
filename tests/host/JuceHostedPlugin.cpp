#include "LoadedPlugin.h"
#include "helpers/TestEnvironment.h"

#include <juce_audio_processors/juce_audio_processors.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wnon-virtual-dtor", "-Woverloaded-virtual", "-Wshadow", "-Wextra")
#include <pluginterfaces/vst/ivstcomponent.h>
#include <public.sdk/source/common/memorystream.h>
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

// The VST3 and LV2 builds, loaded through JUCE's own hosting classes: the same code path
// that a JUCE-based host takes, with every call going through the format's interface.

namespace orvelin::host
{
    namespace
    {
        // Only used to create the instance; the tests prepare it with their own settings.
        constexpr double creationSampleRate = 44100.0;
        constexpr int creationBlockSize = 512;

        class JuceHostedPlugin final : public LoadedPlugin
        {
        public:
            JuceHostedPlugin (PluginFormat formatIn,
                              std::unique_ptr<juce::AudioPluginFormat> hostFormatIn,
                              std::unique_ptr<juce::AudioPluginInstance> instanceIn)
                : format (formatIn),
                  hostFormat (std::move (hostFormatIn)),
                  instance (std::move (instanceIn))
            {
            }

            ~JuceHostedPlugin() override
            {
                closeEditor();
            }

            juce::String getPluginName() override   { return instance->getName(); }
            int getNumInputChannels() override      { return instance->getTotalNumInputChannels(); }
            int getNumOutputChannels() override     { return instance->getTotalNumOutputChannels(); }

            int getNumParameters() override         { return instance->getParameters().size(); }

            int getWrapperBypassIndex() override
            {
                if (auto* bypass = instance->getBypassParameter())
                    return instance->getParameters().indexOf (bypass);

                return -1;
            }

            juce::String getParameterName (int index) override  { return parameter (index).getName (1024); }
            float getParameterValue (int index) override         { return parameter (index).getValue(); }
            void setParameterValue (int index, float newValue) override { parameter (index).setValue (newValue); }

            std::optional<juce::String> getParameterText (int index) override
            {
                // An LV2 host only knows numbers and the labels of enumerated values; our
                // parameters are continuous, so JUCE's LV2 host can only print the number.
                if (format == PluginFormat::lv2)
                    return std::nullopt;

                return parameter (index).getCurrentValueAsText();
            }

            std::optional<float> getParameterDefault (int index) override
            {
                return parameter (index).getDefaultValue();
            }

            std::optional<juce::String> getParameterID (int index) override
            {
                auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (&parameter (index));

                if (hosted == nullptr)
                    return std::nullopt;

                // JUCE's LV2 host marks a parameter's URI with "des:" (a port symbol gets
                // "sym:"); the URI is what every LV2 host stores, so that is what is reported.
                const auto id = hosted->getParameterID();

                if (format == PluginFormat::lv2 && id.startsWith ("des:"))
                    return id.fromFirstOccurrenceOf ("des:", false, false);

                return id;
            }

            int getNumPrograms() override                    { return instance->getNumPrograms(); }
            juce::String getProgramName (int index) override { return instance->getProgramName (index); }

            void prepare (double sampleRate, int maximumBlockSize) override
            {
                instance->setRateAndBufferSizeDetails (sampleRate, maximumBlockSize);
                instance->prepareToPlay (sampleRate, maximumBlockSize);
            }

            void process (juce::AudioBuffer<float>& buffer) override
            {
                juce::MidiBuffer midi;
                instance->processBlock (buffer, midi);
            }

            void release() override { instance->releaseResources(); }

            juce::MemoryBlock getState() override
            {
                juce::MemoryBlock state;
                instance->getStateInformation (state);
                return state;
            }

            void setState (const juce::MemoryBlock& state) override
            {
                instance->setStateInformation (state.getData(), (int) state.getSize());
            }

            void setPluginState (const juce::MemoryBlock& pluginState) override
            {
                if (format == PluginFormat::vst3)
                {
                    // JUCE's VST3 host keeps the component's state, base64-encoded, in an
                    // element of its own.
                    juce::XmlElement envelope ("VST3PluginState");
                    envelope.createNewChildElement ("IComponent")->addTextElement (pluginState.toBase64Encoding());

                    juce::MemoryBlock hostState;
                    juce::AudioProcessor::copyXmlToBinary (envelope, hostState);
                    setState (hostState);
                    return;
                }

                setPluginStateText (pluginState.toBase64Encoding());
            }

            bool setPluginStateText (const juce::String& encoded) override
            {
                if (format == PluginFormat::vst3)
                {
                    // JUCE's VST3 host keeps the component's state base64-encoded and decodes
                    // it itself, refusing a forged text before the plug-in sees it. A VST3
                    // plug-in takes bytes, so the text's own bytes go to its component.
                    juce::MemoryBlock bytes (encoded.toRawUTF8(), encoded.getNumBytesAsUTF8());
                    auto* component = static_cast<Steinberg::Vst::IComponent*> (instance->getPlatformSpecificData());
                    auto* stream = new Steinberg::MemoryStream (bytes.getData(), (Steinberg::TSize) bytes.getSize());
                    component->setState (stream);
                    stream->release();
                    return true;
                }

                // JUCE's LV2 host keeps an LV2 state as text, where the plug-in's blob is the
                // base64 literal of its state property; that literal is replaced.
                const auto text = getState().toString();
                const juce::String property = juce::String (lv2PluginUri) + ":StateString> \"";
                const auto start = text.indexOf (property);
                jassert (start >= 0);

                const auto literal = start + property.length();
                const auto end = text.indexOfChar (literal, '"');
                const auto replaced = text.substring (0, literal) + encoded + text.substring (end);
                setState (juce::MemoryBlock (replaced.toRawUTF8(), replaced.getNumBytesAsUTF8()));
                return true;
            }

            // JUCE's host editor for the format embeds the plug-in's window once it is on
            // the screen, and takes the size the plug-in asks for.
            bool openEditor (juce::Point<int> screenPosition) override
            {
                if (! instance->hasEditor())
                    return false;

                editor.reset (instance->createEditorIfNeeded());

                if (editor == nullptr)
                    return false;

                editor->setTopLeftPosition (screenPosition);
                editor->addToDesktop (0);
                editor->setVisible (true);
                return true;
            }

            juce::Rectangle<int> getEditorWindowArea() override
            {
                return editor != nullptr ? editor->getScreenBounds() : juce::Rectangle<int>();
            }

            void handleEditorEvents() override
            {
                while (juce::dispatchNextMessageOnSystemQueue (true)) {}
            }

            void closeEditor() override
            {
                editor.reset();
            }

        private:
            juce::AudioProcessorParameter& parameter (int index)
            {
                auto* result = instance->getParameters()[index];
                jassert (result != nullptr);
                return *result;
            }

            const PluginFormat format;

            // Declared before the instance so that it outlives it: an LV2 instance still
            // uses the world its format object owns.
            std::unique_ptr<juce::AudioPluginFormat> hostFormat;
            std::unique_ptr<juce::AudioPluginInstance> instance;
            std::unique_ptr<juce::AudioProcessorEditor> editor;
        };

        // JUCE's LV2 host loads its search path once, when the format object is created,
        // from ~/.lv2 among others; loading further folders later makes lilv leak the
        // first load. So the built bundle is linked into the test's temporary home first,
        // where a user would install it.
        bool linkBuiltLv2BundleIntoHome (juce::String& error)
        {
            const auto bundle = getBuiltLv2Bundle();
            const auto link = juce::File (orvelin::test::temporaryHome()).getChildFile (".lv2").getChildFile (bundle.getFileName());

            if (link.isSymbolicLink() && link.getLinkedTarget() == bundle)
                return true;

            if (! link.getParentDirectory().createDirectory() || ! bundle.createSymbolicLink (link, true))
            {
                error = "LV2: cannot link " + bundle.getFullPathName() + " into " + link.getFullPathName();
                return false;
            }

            return true;
        }

        // Finds the plug-in in the built artefact; returns the descriptions found.
        juce::OwnedArray<juce::PluginDescription> findDescriptions (PluginFormat format, juce::AudioPluginFormat& hostFormat)
        {
            juce::OwnedArray<juce::PluginDescription> descriptions;

            // An LV2 plug-in is found by its URI, a VST3 one in its bundle.
            hostFormat.findAllTypesForFile (descriptions, format == PluginFormat::lv2 ? juce::String (lv2PluginUri)
                                                                                       : getBuiltVst3Bundle().getFullPathName());
            return descriptions;
        }
    }

    std::unique_ptr<LoadedPlugin> loadWithJuceHost (PluginFormat format, juce::String& error)
    {
        std::unique_ptr<juce::AudioPluginFormat> hostFormat;

        if (format == PluginFormat::vst3)
            hostFormat = std::make_unique<juce::VST3PluginFormat>();
        else if (format == PluginFormat::lv2)
        {
            if (! linkBuiltLv2BundleIntoHome (error))
                return nullptr;

            hostFormat = std::make_unique<juce::LV2PluginFormat>();
        }
        else
        {
            error = "JUCE's VST2 host is not used with the fst headers";
            return nullptr;
        }

        const auto descriptions = findDescriptions (format, *hostFormat);

        if (descriptions.size() != 1)
        {
            error = juce::String (getFormatName (format)) + ": expected one plug-in in the build, found "
                  + juce::String (descriptions.size());
            return nullptr;
        }

        auto instance = hostFormat->createInstanceFromDescription (*descriptions[0], creationSampleRate,
                                                                   creationBlockSize, error);

        if (instance == nullptr)
        {
            error = juce::String (getFormatName (format)) + ": " + error;
            return nullptr;
        }

        return std::make_unique<JuceHostedPlugin> (format, std::move (hostFormat), std::move (instance));
    }
}

#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <optional>

namespace orvelin::host
{
    enum class PluginFormat
    {
        vst3,
        lv2,
        vst2
    };

    const char* getFormatName (PluginFormat format);

    // What a host does with an instance while it plays: automate it, run it, save it.
    class AutomatedPlugin
    {
    public:
        virtual ~AutomatedPlugin() = default;

        virtual float getParameterValue (int index) = 0;

        // Writes a value the way the host's automation does.
        virtual void setParameterValue (int index, float newValue) = 0;

        // The plug-in's own text for the current value; nothing when the format can only
        // carry numbers.
        virtual std::optional<juce::String> getParameterText (int index) = 0;

        //==============================================================================
        // Audio: prepare once, then process stereo blocks in place.
        virtual void prepare (double sampleRate, int maximumBlockSize) = 0;
        virtual void process (juce::AudioBuffer<float>& buffer) = 0;
        virtual void release() = 0;

        //==============================================================================
        // The state a host keeps with its session: JUCE's hosts wrap the plug-in's blob in
        // their own format (VST3 and LV2), the raw hosts keep the plug-in's own.
        virtual juce::MemoryBlock getState() = 0;
    };

    // One instance of the built plug-in, seen only through what its format's host
    // interface offers. The tests talk to every format through this, so a fault in one
    // wrapper shows up as a difference between formats.
    //
    // Parameter indices are the host's: the processor's own slots come first, and a
    // wrapper may append parameters of its own (getWrapperBypassIndex).
    class LoadedPlugin : public AutomatedPlugin
    {
    public:
        virtual juce::String getPluginName() = 0;
        virtual int getNumInputChannels() = 0;
        virtual int getNumOutputChannels() = 0;

        //==============================================================================
        virtual int getNumParameters() = 0;

        // The bypass parameter that the wrapper adds for the host, or -1 when the format
        // adds none.
        virtual int getWrapperBypassIndex() = 0;

        virtual juce::String getParameterName (int index) = 0;

        // The default that the format declares to the host; nothing when the format has
        // no way to declare one.
        virtual std::optional<float> getParameterDefault (int index) = 0;

        // The identifier the host stores in its sessions; nothing when the format
        // addresses parameters by index only.
        virtual std::optional<juce::String> getParameterID (int index) = 0;

        //==============================================================================
        virtual int getNumPrograms() = 0;
        virtual juce::String getProgramName (int index) = 0;

        //==============================================================================
        virtual void setState (const juce::MemoryBlock& state) = 0;

        // Hands over a blob in the plug-in's own format (what its getStateInformation
        // writes), carried the way this format's host carries it in a session.
        virtual void setPluginState (const juce::MemoryBlock& pluginState) = 0;

        // The same as the base64 text that the format's host keeps in a session, given as it
        // is so that a forged text reaches the plug-in: an LV2 plug-in decodes its
        // StateString itself, a VST3 plug-in is handed the text's bytes (JUCE's VST3 host
        // would decode, and refuse, a forged text before the plug-in saw it). False for
        // VST2, whose hosts keep no text.
        virtual bool setPluginStateText (const juce::String& base64Text) = 0;

        //==============================================================================
        // The plug-in's own editor in a window of this host, with its top left at the
        // given place on the screen. False when the format's host offers no editor.
        virtual bool openEditor (juce::Point<int> screenPosition) = 0;

        // Where the host's window for the editor is on the screen, sized as the host was
        // asked to size it for the plug-in.
        virtual juce::Rectangle<int> getEditorWindowArea() = 0;

        // Lets the host and the plug-in handle pending window events once.
        virtual void handleEditorEvents() = 0;

        virtual void closeEditor() = 0;
    };

    // Loads the built artefact of the format, or returns null and says why.
    std::unique_ptr<LoadedPlugin> loadBuiltPlugin (PluginFormat format, juce::String& error);

    std::unique_ptr<LoadedPlugin> loadWithJuceHost (PluginFormat format, juce::String& error);
    std::unique_ptr<LoadedPlugin> loadWithRawVst2Host (const juce::File& module, juce::String& error);

    // The LV2 build through a raw host that sends every value as it is given, as a patch:Set
    // of the URI at that index (JUCE's LV2 host keeps values to the range the bundle
    // declares). Instantiated at this sample rate and maximum block size.
    std::unique_ptr<AutomatedPlugin> loadWithRawLv2Host (const juce::StringArray& parameterUris, double sampleRate,
                                                         int maximumBlockSize, juce::String& error);

    // Where the build put the artefacts (paths from the build system).
    juce::File getBuiltVst3Bundle();
    juce::File getBuiltLv2Bundle();
    juce::File getBuiltVst2Module();

    // The URI under which the LV2 bundle publishes the plug-in.
    constexpr const char* lv2PluginUri = "https://velmora.example/plugins/orvelin";
}

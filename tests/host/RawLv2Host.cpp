#include "LoadedPlugin.h"

// A minimal LV2 host for the DSP part of the built bundle: the features and ports JUCE's
// wrapper asks for, parameters written as patch:Set events and the state interface. JUCE's
// own LV2 host keeps every value it sends to the range the bundle declares, so a value
// beyond it, which other hosts send as it is, only arrives this way.

#include <juce_core/system/juce_CompilerWarnings.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wparentheses", "-Wcast-align", "-Wsign-conversion", "-Wconversion", "-Wold-style-cast")
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orvelin::host
{
    namespace
    {
        class RawLv2Plugin final : public AutomatedPlugin
        {
        public:
            RawLv2Plugin (void* moduleHandle, const LV2_Descriptor& descriptorIn, const juce::StringArray& parameterUris,
                          double rateIn, int maximumBlockSize)
                : module (moduleHandle), descriptor (descriptorIn), sampleRate (rateIn), maxBlockLength (maximumBlockSize)
            {
                for (const auto& uri : parameterUris)
                    parameterUrids.push_back (map (uri.toStdString()));

                values.resize (parameterUrids.size());
                stateKey = map (std::string (descriptor.URI) + ":StateString");
                lv2_atom_forge_init (&forge, &mapper);

                options[0] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t),
                               map (LV2_ATOM__Int), &maxBlockLength };

                const LV2_Feature mapFeature { LV2_URID__map, &mapper };
                const LV2_Feature optionsFeature { LV2_OPTIONS__options, options };
                const LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
                const LV2_Feature* features[] { &mapFeature, &optionsFeature, &boundedFeature, nullptr };

                const auto bundle = getBuiltLv2Bundle().getFullPathName() + "/";
                instance = descriptor.instantiate (&descriptor, sampleRate, bundle.toRawUTF8(), features);

                if (instance == nullptr)
                    return;

                state = static_cast<const LV2_State_Interface*> (descriptor.extension_data (LV2_STATE__interface));

                for (auto* channels : { &inputs, &outputs })
                    for (auto& channel : *channels)
                        channel.resize ((size_t) maximumBlockSize);

                // Audio in, audio out, events in and out, then latency, free-wheeling and enabled.
                for (uint32_t port = 0; port < 4; ++port)
                    descriptor.connect_port (instance, port, port < 2 ? inputs[port].data() : outputs[port - 2].data());

                descriptor.connect_port (instance, 4, inputEvents.data());
                descriptor.connect_port (instance, 5, outputEvents.data());
                descriptor.connect_port (instance, 6, &latency);
                descriptor.connect_port (instance, 7, &freeWheeling);
                descriptor.connect_port (instance, 8, &enabled);
            }

            ~RawLv2Plugin() override
            {
                if (instance != nullptr)
                {
                    release();
                    descriptor.cleanup (instance);
                }

                ::dlclose (module);
            }

            bool isInstantiated() const noexcept { return instance != nullptr && state != nullptr; }

            float getParameterValue (int index) override { return values[(size_t) index]; }

            // Sent with the next block, as a host sends automation.
            void setParameterValue (int index, float newValue) override
            {
                values[(size_t) index] = newValue;
                pending.emplace_back (parameterUrids[(size_t) index], newValue);
            }

            // A host reads values as numbers only.
            std::optional<juce::String> getParameterText (int) override { return std::nullopt; }

            void prepare (double rate, int maximumBlockSize) override
            {
                // Both were fixed when the instance was made.
                jassert (rate == sampleRate && maximumBlockSize <= maxBlockLength);
                juce::ignoreUnused (rate, maximumBlockSize);

                if (! isActive)
                    descriptor.activate (instance);

                isActive = true;
            }

            void process (juce::AudioBuffer<float>& buffer) override
            {
                const auto numSamples = buffer.getNumSamples();
                jassert (isActive && buffer.getNumChannels() == 2 && numSamples <= maxBlockLength);

                for (int channel = 0; channel < 2; ++channel)
                    std::copy_n (buffer.getReadPointer (channel), numSamples, inputs[(size_t) channel].begin());

                writePendingValues();

                // The output port's size is the room the host gives it.
                auto* output = reinterpret_cast<LV2_Atom*> (outputEvents.data());
                *output = { (uint32_t) (outputEvents.size() - sizeof (LV2_Atom)), map (LV2_ATOM__Chunk) };

                descriptor.run (instance, (uint32_t) numSamples);

                for (int channel = 0; channel < 2; ++channel)
                    buffer.copyFrom (channel, 0, outputs[(size_t) channel].data(), numSamples);
            }

            void release() override
            {
                if (isActive)
                    descriptor.deactivate (instance);

                isActive = false;
            }

            juce::MemoryBlock getState() override
            {
                saved.reset();
                state->save (instance, store, this, 0, nullptr);
                return saved;
            }

        private:
            // One sequence of patch:Set events at the block's start.
            void writePendingValues()
            {
                lv2_atom_forge_set_buffer (&forge, reinterpret_cast<uint8_t*> (inputEvents.data()), inputEvents.size());
                LV2_Atom_Forge_Frame sequence;
                lv2_atom_forge_sequence_head (&forge, &sequence, 0);

                for (const auto& [urid, value] : pending)
                {
                    LV2_Atom_Forge_Frame object;
                    lv2_atom_forge_frame_time (&forge, 0);
                    lv2_atom_forge_object (&forge, &object, 0, map (LV2_PATCH__Set));
                    lv2_atom_forge_key (&forge, map (LV2_PATCH__property));
                    lv2_atom_forge_urid (&forge, urid);
                    lv2_atom_forge_key (&forge, map (LV2_PATCH__value));
                    lv2_atom_forge_float (&forge, value);
                    lv2_atom_forge_pop (&forge, &object);
                }

                lv2_atom_forge_pop (&forge, &sequence);
                pending.clear();
            }

            LV2_URID map (const std::string& uri)
            {
                return urids.try_emplace (uri, (LV2_URID) urids.size() + 1).first->second;
            }

            static LV2_URID mapUri (LV2_URID_Map_Handle handle, const char* uri)
            {
                return static_cast<RawLv2Plugin*> (handle)->map (uri);
            }

            static LV2_State_Status store (LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
            {
                auto& self = *static_cast<RawLv2Plugin*> (handle);

                if (key == self.stateKey)
                    self.saved.replaceAll (value, size);

                return LV2_STATE_SUCCESS;
            }

            void* module;
            const LV2_Descriptor& descriptor;
            const double sampleRate;
            int32_t maxBlockLength;

            std::map<std::string, LV2_URID> urids;
            LV2_URID_Map mapper { this, mapUri };
            LV2_Options_Option options[2] {};
            LV2_Atom_Forge forge {};
            LV2_URID stateKey = 0;
            std::vector<LV2_URID> parameterUrids;
            std::vector<float> values;
            std::vector<std::pair<LV2_URID, float>> pending;

            LV2_Handle instance = nullptr;
            const LV2_State_Interface* state = nullptr;
            bool isActive = false;
            juce::MemoryBlock saved;

            std::array<std::vector<float>, 2> inputs, outputs;
            alignas (8) std::array<char, 8192> inputEvents {};
            alignas (8) std::array<char, 65536> outputEvents {};
            float latency = 0.0f, freeWheeling = 0.0f, enabled = 1.0f;
        };
    }

    std::unique_ptr<AutomatedPlugin> loadWithRawLv2Host (const juce::StringArray& parameterUris, double sampleRate,
                                                         int maximumBlockSize, juce::String& error)
    {
        const auto library = getBuiltLv2Bundle().getChildFile ("libOrvelin.so");
        auto* module = ::dlopen (library.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

        if (module == nullptr)
        {
            error = "LV2: cannot open " + library.getFullPathName() + ": " + juce::String (::dlerror());
            return nullptr;
        }

        using DescriptorEntry = const LV2_Descriptor* (*) (uint32_t);
        const auto entry = reinterpret_cast<DescriptorEntry> (::dlsym (module, "lv2_descriptor"));
        const auto* descriptor = entry != nullptr ? entry (0) : nullptr;

        if (descriptor == nullptr)
        {
            error = "LV2: no plug-in in " + library.getFullPathName();
            ::dlclose (module);
            return nullptr;
        }

        auto plugin = std::make_unique<RawLv2Plugin> (module, *descriptor, parameterUris, sampleRate, maximumBlockSize);

        if (! plugin->isInstantiated())
        {
            error = "LV2: the plug-in did not instantiate";
            return nullptr;
        }

        return plugin;
    }
}

// libFuzzer target: the state a host hands back from its project, entering each built
// plug-in binary through its format's own envelope, so that JUCE's wrapper code parses the
// bytes before our reader does. The program is a minimal host of the three binaries, built
// with the same instrumentation. The first byte of an input picks the way in:
//
//   0  VST3  IComponent::setState, then the controller's setComponentState
//   1  LV2   the state interface's restore, the rest of the input being the StateString text
//   2  VST2  effSetChunk of a bank
//   3  VST2  effSetChunk of a program
//
// After each restore the plug-in must process a finite block, and what it then saves must
// restore to the same save. A VST3 state must restore the same from a stream that hands
// it over at once, one that hands it over in pieces, and one that doesn't tell its size; a
// stream whose every read reports a negative count must leave the state as it was.
// JUCE's own assertions are not fatal here: its readers assert on corrupt data by design.
// ./build.sh fuzz runs this with -close_fd_mask=2, which keeps the plug-ins' assertion logs
// out of the way; broken invariants are reported on stdout. ./build.sh test runs it over its
// seeds alone (tests/fuzz/SeedRunner.cpp), where no JUCE assertion may fire.

#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <pluginterfaces/fst/fst.h>

#include "helpers/TestEnvironment.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
    using Bytes = std::string;

    constexpr int blockSize = 64;
    constexpr double sampleRate = 48000.0;

    [[noreturn]] void fail (const char* what)
    {
        std::printf ("Broken invariant: %s\n", what);
        std::fflush (stdout);
        std::abort();
    }

    void* openModule (const char* path)
    {
        auto* module = ::dlopen (path, RTLD_NOW | RTLD_LOCAL);

        if (module == nullptr)
            fail (::dlerror());

        return module;
    }

    template <typename Function>
    Function entryPoint (void* module, const char* name)
    {
        auto* symbol = ::dlsym (module, name);

        if (symbol == nullptr)
            fail (name);

        return reinterpret_cast<Function> (symbol);
    }

    // A stereo test signal in, the plug-in's output out; true when every sample is finite.
    struct StereoBlock
    {
        StereoBlock() { reset(); }
        StereoBlock (const StereoBlock&) = delete;
        StereoBlock& operator= (const StereoBlock&) = delete;

        void reset()
        {
            for (size_t i = 0; i < (size_t) blockSize; ++i)
            {
                left[i] = 0.9f * std::sin (0.05f * (float) i);
                right[i] = -0.3f * left[i];
            }

            outLeft.fill (0.0f);
            outRight.fill (0.0f);
        }

        bool outputIsFinite() const
        {
            for (const auto* channel : { &outLeft, &outRight })
                for (const auto sample : *channel)
                    if (! std::isfinite (sample))
                        return false;

            return true;
        }

        std::array<float, blockSize> left {}, right {}, outLeft {}, outRight {};
        float* inputs[2] { left.data(), right.data() };
        float* outputs[2] { outLeft.data(), outRight.data() };
    };

    class Plugin
    {
    public:
        virtual ~Plugin() = default;

        // Way 0 is the usual one; a format may offer others.
        virtual void restore (int way, const Bytes& state) = 0;
        virtual Bytes save() = 0;
        virtual bool processesFiniteAudio() = 0;
        virtual bool hostSeesSaneValues() { return true; }
    };

    //==============================================================================
    // VST3: the component and its controller, connected directly as a host connects them.
    namespace vst3
    {
        using namespace Steinberg;

        bool sameIID (const TUID a, const TUID b) { return std::memcmp (a, b, sizeof (TUID)) == 0; }

        // The host's stream over a state, as a memory stream (whole, telling its size), a
        // file-backed one (in pieces), a pipe (in pieces, size unknown) or a broken one that
        // tells its size but reads nothing and reports -1 bytes read; a stack object, so
        // counting references is moot.
        enum Way { whole, inPieces, inPiecesOfUnknownSize, negativeCounts };

        class Stream final : public IBStream, public ISizeableStream
        {
        public:
            Stream (Bytes bytesIn, Way wayIn) : bytes (std::move (bytesIn)), way (wayIn) {}
            virtual ~Stream() = default;

            tresult PLUGIN_API queryInterface (const TUID iid, void** object) override
            {
                if (sameIID (iid, FUnknown_iid) || sameIID (iid, IBStream_iid))
                    *object = static_cast<IBStream*> (this);
                else if (way != inPiecesOfUnknownSize && sameIID (iid, ISizeableStream_iid))
                    *object = static_cast<ISizeableStream*> (this);
                else
                    return (*object = nullptr, kNoInterface);

                return kResultOk;
            }

            uint32 PLUGIN_API addRef() override  { return 1; }
            uint32 PLUGIN_API release() override { return 1; }

            tresult PLUGIN_API read (void* buffer, int32 numBytes, int32* numBytesRead) override
            {
                if (way == negativeCounts)
                {
                    if (numBytesRead != nullptr)
                        *numBytesRead = -1;

                    return kResultOk;
                }

                const auto piece = way == whole ? numBytes : std::min (numBytes, 512);
                const auto count = (int32) std::min<int64> (std::max (piece, 0), (int64) bytes.size() - position);
                std::memcpy (buffer, bytes.data() + position, (size_t) count);
                position += count;

                if (numBytesRead != nullptr)
                    *numBytesRead = count;

                return kResultOk;
            }

            tresult PLUGIN_API write (void* buffer, int32 numBytes, int32* numBytesWritten) override
            {
                bytes.replace ((size_t) position, (size_t) numBytes, static_cast<const char*> (buffer), (size_t) numBytes);
                position += numBytes;

                if (numBytesWritten != nullptr)
                    *numBytesWritten = numBytes;

                return kResultOk;
            }

            tresult PLUGIN_API seek (int64 pos, int32 mode, int64* result) override
            {
                const int64 origin = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : (int64) bytes.size();
                position = std::clamp<int64> (origin + pos, 0, (int64) bytes.size());

                if (result != nullptr)
                    *result = position;

                return kResultOk;
            }

            tresult PLUGIN_API tell (int64* pos) override                { *pos = position; return kResultOk; }
            tresult PLUGIN_API getStreamSize (int64& size) override      { size = (int64) bytes.size(); return kResultOk; }
            tresult PLUGIN_API setStreamSize (int64) override            { return kNotImplemented; }

            const Bytes& getBytes() const { return bytes; }

        private:
            Bytes bytes;
            int64 position = 0;
            Way way;
        };

        template <typename Interface>
        Interface* query (FUnknown* object, const TUID iid)
        {
            void* result = nullptr;

            if (object->queryInterface (iid, &result) != kResultOk || result == nullptr)
                fail ("a VST3 interface is missing");

            return static_cast<Interface*> (result);
        }

        class Vst3Plugin final : public Plugin
        {
        public:
            Vst3Plugin() : module (openModule (ORVELIN_VST3_MODULE))
            {
                entryPoint<bool (*) (void*)> (module, "ModuleEntry") (module);
                factory = entryPoint<IPluginFactory* (*)()> (module, "GetPluginFactory")();

                for (int32 i = 0; i < factory->countClasses(); ++i)
                {
                    PClassInfo info {};
                    factory->getClassInfo (i, &info);

                    if (std::strcmp (info.category, kVstAudioEffectClass) == 0)
                        factory->createInstance (info.cid, Vst::IComponent_iid, reinterpret_cast<void**> (&component));
                    else if (std::strcmp (info.category, kVstComponentControllerClass) == 0)
                        factory->createInstance (info.cid, Vst::IEditController_iid, reinterpret_cast<void**> (&controller));
                }

                if (component == nullptr || controller == nullptr)
                    fail ("the VST3 module made no component or no controller");

                component->initialize (nullptr);
                controller->initialize (nullptr);
                componentConnection = query<Vst::IConnectionPoint> (component, Vst::IConnectionPoint_iid);
                controllerConnection = query<Vst::IConnectionPoint> (controller, Vst::IConnectionPoint_iid);
                componentConnection->connect (controllerConnection);
                controllerConnection->connect (componentConnection);

                processor = query<Vst::IAudioProcessor> (component, Vst::IAudioProcessor_iid);
                Vst::ProcessSetup setup { Vst::kRealtime, Vst::kSample32, blockSize, sampleRate };
                processor->setupProcessing (setup);
                component->setActive (true);
                processor->setProcessing (true);
            }

            ~Vst3Plugin() override
            {
                processor->setProcessing (false);
                component->setActive (false);
                componentConnection->disconnect (controllerConnection);
                controllerConnection->disconnect (componentConnection);

                processor->release();
                componentConnection->release();
                controllerConnection->release();

                controller->terminate();
                component->terminate();
                controller->release();
                component->release();
                factory->release();
                entryPoint<bool (*)()> (module, "ModuleExit")();
                ::dlclose (module);
            }

            void restore (int way, const Bytes& state) override
            {
                Stream stream (state, (Way) way);
                component->setState (&stream);

                // Hosts then hand the controller the same stream.
                stream.seek (0, IBStream::kIBSeekSet, nullptr);
                controller->setComponentState (&stream);
            }

            Bytes save() override
            {
                Stream stream ({}, whole);
                component->getState (&stream);
                return stream.getBytes();
            }

            bool processesFiniteAudio() override
            {
                StereoBlock block;
                Vst::AudioBusBuffers in, out;
                in.numChannels = out.numChannels = 2;
                in.channelBuffers32 = block.inputs;
                out.channelBuffers32 = block.outputs;

                Vst::ProcessData data;
                data.processMode = Vst::kRealtime;
                data.symbolicSampleSize = Vst::kSample32;
                data.numSamples = blockSize;
                data.numInputs = data.numOutputs = 1;
                data.inputs = &in;
                data.outputs = &out;

                return processor->process (data) == kResultOk && block.outputIsFinite();
            }

            bool hostSeesSaneValues() override
            {
                for (int32 i = 0; i < controller->getParameterCount(); ++i)
                {
                    Vst::ParameterInfo info {};
                    controller->getParameterInfo (i, info);
                    const auto value = controller->getParamNormalized (info.id);

                    if (! (value >= 0.0 && value <= 1.0))
                        return false;
                }

                return true;
            }

        private:
            void* module;
            IPluginFactory* factory = nullptr;
            Vst::IComponent* component = nullptr;
            Vst::IEditController* controller = nullptr;
            Vst::IAudioProcessor* processor = nullptr;
            Vst::IConnectionPoint* componentConnection = nullptr;
            Vst::IConnectionPoint* controllerConnection = nullptr;
        };
    }

    //==============================================================================
    // LV2: the features JUCE's wrapper asks for, the ports it declares, and the state
    // interface with one property, the StateString.
    class Lv2Plugin final : public Plugin
    {
    public:
        Lv2Plugin()
        {
            const auto library = std::filesystem::path (ORVELIN_LV2_LIBRARY);
            module = openModule (library.c_str());
            descriptor = entryPoint<const LV2_Descriptor* (*) (uint32_t)> (module, "lv2_descriptor") (0);
            stateKey = map (std::string (descriptor->URI) + ":StateString");

            const LV2_Feature mapFeature { LV2_URID__map, &mapper };
            const LV2_Feature optionsFeature { LV2_OPTIONS__options, options };
            const LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
            const LV2_Feature* features[] { &mapFeature, &optionsFeature, &boundedFeature, nullptr };

            instance = descriptor->instantiate (descriptor, sampleRate, (library.parent_path().string() + "/").c_str(), features);

            if (instance == nullptr)
                fail ("the LV2 plug-in did not instantiate");

            state = static_cast<const LV2_State_Interface*> (descriptor->extension_data (LV2_STATE__interface));
            inputEvents.atom = { sizeof (LV2_Atom_Sequence_Body), map (LV2_ATOM__Sequence) };

            // Audio in, audio out, events in and out, then latency, free-wheeling and enabled.
            for (uint32_t port = 0; port < 4; ++port)
                descriptor->connect_port (instance, port, port < 2 ? block.inputs[port] : block.outputs[port - 2]);

            descriptor->connect_port (instance, 4, &inputEvents);
            descriptor->connect_port (instance, 5, outputEvents.data());
            descriptor->connect_port (instance, 6, &latency);
            descriptor->connect_port (instance, 7, &freeWheeling);
            descriptor->connect_port (instance, 8, &enabled);
            descriptor->activate (instance);
        }

        ~Lv2Plugin() override
        {
            descriptor->deactivate (instance);
            descriptor->cleanup (instance);
            ::dlclose (module);
        }

        void restore (int, const Bytes& text) override
        {
            // As a host hands over a string property: terminated, the terminator counted.
            retrieved = text;
            state->restore (instance, retrieve, this, 0, nullptr);
        }

        Bytes save() override
        {
            stored.clear();
            state->save (instance, store, this, 0, nullptr);
            return stored;
        }

        bool processesFiniteAudio() override
        {
            block.reset();
            auto* output = reinterpret_cast<LV2_Atom_Sequence*> (outputEvents.data());
            output->atom = { (uint32_t) outputEvents.size() - (uint32_t) sizeof (LV2_Atom), map (LV2_ATOM__Chunk) };
            descriptor->run (instance, blockSize);
            return block.outputIsFinite();
        }

    private:
        LV2_URID map (const std::string& uri)
        {
            const auto [it, added] = urids.try_emplace (uri, (LV2_URID) urids.size() + 1);
            return it->second;
        }

        static LV2_URID mapUri (LV2_URID_Map_Handle handle, const char* uri)
        {
            return static_cast<Lv2Plugin*> (handle)->map (uri);
        }

        static const void* retrieve (LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
        {
            auto& self = *static_cast<Lv2Plugin*> (handle);

            if (key != self.stateKey)
                return nullptr;

            *size = self.retrieved.size() + 1;
            *type = self.map (LV2_ATOM__String);
            *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
            return self.retrieved.c_str();
        }

        static LV2_State_Status store (LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
        {
            auto& self = *static_cast<Lv2Plugin*> (handle);

            if (key == self.stateKey && size > 0)
                self.stored.assign (static_cast<const char*> (value), size - 1);

            return LV2_STATE_SUCCESS;
        }

        std::map<std::string, LV2_URID> urids;
        LV2_URID_Map mapper { this, mapUri };
        int32_t maxBlockLength = blockSize;
        LV2_Options_Option options[2] {
            { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), map (LV2_ATOM__Int), &maxBlockLength },
            { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr },
        };

        void* module = nullptr;
        const LV2_Descriptor* descriptor = nullptr;
        const LV2_State_Interface* state = nullptr;
        LV2_Handle instance = nullptr;
        LV2_URID stateKey = 0;
        Bytes retrieved, stored;

        StereoBlock block;
        LV2_Atom_Sequence inputEvents {};
        alignas (8) std::array<char, 65536> outputEvents {};
        float latency = 0.0f, freeWheeling = 0.0f, enabled = 1.0f;
    };

    //==============================================================================
    // VST2 through the fst headers, as tests/host's raw host does.
    class Vst2Plugin final : public Plugin
    {
    public:
        Vst2Plugin() : module (openModule (ORVELIN_VST2_MODULE))
        {
            effect = entryPoint<AEffect* (*) (audioMasterCallback)> (module, "VSTPluginMain") (answerPlugin);

            if (effect == nullptr || effect->magic != kEffectMagic)
                fail ("the VST2 module made no effect");

            dispatch (effOpen);
            dispatch (effSetSampleRate, 0, 0, nullptr, (float) sampleRate);
            dispatch (effSetBlockSize, 0, blockSize);
            dispatch (effMainsChanged, 0, 1);
        }

        ~Vst2Plugin() override
        {
            dispatch (effMainsChanged, 0, 0);
            dispatch (effClose);
            ::dlclose (module);
        }

        // Way 0 is a bank, way 1 a program.
        void restore (int way, const Bytes& chunk) override
        {
            std::vector<char> copy (chunk.begin(), chunk.end());
            dispatch (effSetChunk, way, (VstIntPtr) copy.size(), copy.data());
        }

        Bytes save() override
        {
            void* data = nullptr;
            const auto size = dispatch (effGetChunk, 0, 0, &data);
            return data != nullptr && size > 0 ? Bytes (static_cast<const char*> (data), (size_t) size) : Bytes();
        }

        bool processesFiniteAudio() override
        {
            StereoBlock block;
            effect->processReplacing (effect, block.inputs, block.outputs, blockSize);
            return block.outputIsFinite();
        }

    private:
        static VstIntPtr answerPlugin (AEffect*, int opcode, int, VstIntPtr, void*, float)
        {
            return opcode == audioMasterVersion ? 2400 : 0;
        }

        VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
        {
            return effect->dispatcher (effect, opcode, index, value, ptr, opt);
        }

        void* module;
        AEffect* effect = nullptr;
    };

    //==============================================================================
    enum Format { vst3Format, lv2Format, vst2Format };

    struct Entry
    {
        Format format;
        int way;
    };

    constexpr Entry entries[] { { vst3Format, vst3::whole }, { lv2Format, 0 }, { vst2Format, 0 }, { vst2Format, 1 } };

    struct Host
    {
        std::unique_ptr<Plugin> plugins[3] { std::make_unique<vst3::Vst3Plugin>(),
                                             std::make_unique<Lv2Plugin>(),
                                             std::make_unique<Vst2Plugin>() };
        Bytes initialStates[3];

        Host()
        {
            for (int i = 0; i < 3; ++i)
                initialStates[i] = plugins[i]->save();
        }

        // From the initial state: restores, processes a block, checks what the host sees,
        // and returns what the plug-in then saves.
        Bytes restoreAndCheck (Format format, int way, const Bytes& state)
        {
            auto& plugin = *plugins[format];
            plugin.restore (0, initialStates[format]);
            plugin.restore (way, state);

            if (! plugin.processesFiniteAudio())
                fail ("a processed sample is not finite");

            if (! plugin.hostSeesSaneValues())
                fail ("the host sees a parameter value outside 0..1");

            return plugin.save();
        }
    };

    Host* host = nullptr;
    std::string home;

    // JUCE's base64 form of a blob ("<size>.<6 bits a character>"), as the LV2 StateString
    // carries it.
    Bytes toJuceBase64 (const Bytes& blob)
    {
        static const char table[] = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+";
        auto text = std::to_string (blob.size()) + ".";

        for (size_t bit = 0; bit < blob.size() * 8; bit += 6)
        {
            int value = 0;

            for (size_t i = 0; i < 6 && bit + i < blob.size() * 8; ++i)
                value |= ((blob[(bit + i) / 8] >> ((bit + i) % 8)) & 1) << i;

            text += table[value];
        }

        return text;
    }

    // Each file that ./build.sh copied into the folder (the states in tests/data) becomes one
    // seed per entry, wrapped as that format's host would keep it.
    void writeSeeds (const std::filesystem::path& folder)
    {
        const std::vector<std::filesystem::directory_entry> files { std::filesystem::directory_iterator (folder), {} };

        for (const auto& file : files)
        {
            std::ifstream in (file.path(), std::ios::binary);
            const Bytes blob { std::istreambuf_iterator<char> (in), {} };

            for (size_t entry = 0; entry < std::size (entries); ++entry)
            {
                const auto format = entries[entry].format;
                Bytes payload = blob;

                if (format == vst3Format)
                    payload = host->restoreAndCheck (format, vst3::whole, blob);
                else if (format == lv2Format)
                    payload = toJuceBase64 (blob);

                const auto seed = folder / ("entry" + std::to_string (entry) + "-" + file.path().filename().string());
                std::ofstream (seed, std::ios::binary) << (char) entry << payload;
            }
        }
    }
}

// Closes the plug-ins and removes their home. The seed runner calls it once its inputs are
// done, before the modules' leak detectors run at exit; under libFuzzer it runs at exit.
extern "C" void orvelinFuzzTeardown()
{
    delete host;
    host = nullptr;

    if (! home.empty())
        std::filesystem::remove_all (std::exchange (home, {}));
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // The plug-ins keep their settings and presets below the home folder.
    home = orvelin::test::redirectHomeToFreshTemporaryFolder ("orvelin-fuzz-home");
    host = new Host();
    std::atexit (orvelinFuzzTeardown);

    if (const auto* folder = std::getenv ("ORVELIN_FUZZ_SEED_STATES"))
        writeSeeds (folder);

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto [format, way] = entries[data[0] % std::size (entries)];
    const Bytes input (reinterpret_cast<const char*> (data) + 1, size - 1);
    const auto restored = host->restoreAndCheck (format, way, input);

    if (format == vst3Format)
    {
        for (const auto otherWay : { vst3::inPieces, vst3::inPiecesOfUnknownSize })
            if (host->restoreAndCheck (format, otherWay, input) != restored)
                fail ("a VST3 stream that hands the state over in pieces restores another state");

        if (host->restoreAndCheck (format, vst3::negativeCounts, input) != host->initialStates[format])
            fail ("a VST3 stream that reports negative counts changed the state");
    }

    if (host->restoreAndCheck (format, way, restored) != restored)
        fail ("a state the plug-in saved does not restore to the same save");

    return 0;
}

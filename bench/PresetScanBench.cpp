// The user presets scan as a big preset library makes it: a new instance (which scans the
// folder) and one step to the next or previous preset (which scans it and loads one file),
// with 2,000 presets as the plug-in saves them, the same with modification times an hour
// ahead of the clock (as from a file server whose clock is ahead), and with 1,000 crafted
// presets, each the costliest file the reader still takes as a preset.

#include "processor/DvxCachedFolderScan.h"
#include "processor/DvxSafePropertiesFile.h"
#include "processor/OrvelinAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <thread>

namespace
{
    enum class Library { ordinary, stampedAhead, crafted };

    juce::File benchHome() { return juce::File::getSpecialLocation (juce::File::userHomeDirectory); }

    // A preset as the plug-in saves it, system information included.
    juce::MemoryBlock ordinaryPreset()
    {
        OrvelinAudioProcessor processor;
        processor.setParamAndNotifyHost ("StereoWidth", 0.8f, true);
        processor.saveCurrentPresetFromValueTreeToDisk ("Ordinary", true);

        juce::MemoryBlock bytes;
        processor.getUserPresetsFolder().getChildFile ("Ordinary.qzp").loadFileAsData (bytes);
        processor.getUserPresetsFolder().getChildFile ("Ordinary.qzp").deleteFile();
        return bytes;
    }

    juce::MemoryBlock compressedPreset (const std::string& xmlText)
    {
        juce::MemoryOutputStream out;
        out << "Velmora Preset File:::::c";
        out.writeByte (0);
        {
            juce::GZIPCompressorOutputStream zipper (out, 9);
            zipper.write (xmlText.data(), xmlText.size());
            zipper.writeByte (0);
        }
        return out.getMemoryBlock();
    }

    // The costliest preset the reader takes, found by measuring: the root element alone with
    // the most attributes allowed, their values runs of spaces (expat takes white space in an
    // attribute value one character at a time), and XML text of exactly the largest size
    // read. The attribute names are new in every file, so that nothing the framework pools
    // by name is shared between files.
    juce::MemoryBlock craftedPreset (int file)
    {
        const auto numAttributes = (size_t) OrvelinUserPresetFiles::xmlLimits.maxAttributes;

        const auto write = [&] (size_t valueLength, size_t padding)
        {
            std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VelmoraPreset";

            for (size_t i = 0; i < numAttributes; ++i)
            {
                text += " n" + std::to_string (file) + "_" + std::to_string (i) + "=\"";
                text += std::string (valueLength + (i == 0 ? padding : 0), ' ');
                text += "\"";
            }

            return text + "/>\n";
        };

        const auto empty = write (0, 0).size();
        const auto valueLength = (OrvelinUserPresetFiles::maxBodyBytes - empty) / numAttributes;
        const auto text = write (valueLength, OrvelinUserPresetFiles::maxBodyBytes - empty - valueLength * numAttributes);
        jassert (text.size() == OrvelinUserPresetFiles::maxBodyBytes);

        return compressedPreset (text);
    }

    int librarySize (Library library) { return library == Library::crafted ? 1000 : 2000; }

    // Each library's folder is built once, for all the cases that use it.
    juce::File libraryFolder (Library library)
    {
        static std::map<Library, juce::File> built;

        if (auto found = built.find (library); found != built.end())
            return found->second;

        const auto folder = benchHome().getChildFile (library == Library::ordinary ? "ordinary presets"
                                                      : library == Library::stampedAhead ? "presets stamped ahead" : "crafted presets");
        folder.deleteRecursively();
        folder.createDirectory();

        if (library != Library::crafted)
        {
            const auto bytes = ordinaryPreset();
            const auto anHourAhead = juce::Time::getCurrentTime() + juce::RelativeTime::hours (1);

            for (int i = 0; i < librarySize (library); ++i)
            {
                const auto file = folder.getChildFile ("Ordinary " + juce::String (i) + ".qzp");
                file.replaceWithData (bytes.getData(), bytes.getSize());

                if (library == Library::stampedAhead)
                    file.setLastModificationTime (anHourAhead);
            }
        }
        else
        {
            for (int i = 0; i < librarySize (library); ++i)
            {
                const auto bytes = craftedPreset (i);
                folder.getChildFile ("Crafted " + juce::String (i) + ".qzp").replaceWithData (bytes.getData(), bytes.getSize());
            }
        }

        built[library] = folder;
        return folder;
    }

    // Names the folder in the properties file while a case runs, so that no other benchmark
    // sees it.
    class ScopedPresetsFolderSetting
    {
    public:
        explicit ScopedPresetsFolderSetting (const juce::File& folder)
        {
            {
                // Makes sure the properties file exists; it saves its own settings when it goes.
                OrvelinAudioProcessor processor;
                propertiesFile = processor.getPropertiesFile()->getFile();
                previous = processor.getPropertiesFile()->getValue ("Presets Folder");
            }

            write (folder.getFullPathName());
        }

        ~ScopedPresetsFolderSetting() { write (previous); }

    private:
        void write (const juce::String& value) const
        {
            juce::PropertiesFile::Options options;
            options.storageFormat = juce::PropertiesFile::storeAsXML;
            options.millisecondsBeforeSaving = -1;
            DvxSafePropertiesFile file (propertiesFile, options);
            file.setValue ("Presets Folder", value);
            file.save();
        }

        juce::File propertiesFile;
        juce::String previous;
    };

    void instantiate (benchmark::State& state, Library library)
    {
        const ScopedPresetsFolderSetting setting (libraryFolder (library));

        if (OrvelinAudioProcessor().getAllUserPresetNames().size() != librarySize (library))
            return state.SkipWithError ("not every file of the library is listed as a preset");

        for (auto _ : state)
        {
            auto processor = std::make_unique<OrvelinAudioProcessor>();
            benchmark::DoNotOptimize (processor.get());

            state.PauseTiming();
            processor.reset();
            state.ResumeTiming();
        }
    }

    // Steps between two user presets in the middle of the list, so that every step scans
    // the folder and loads a file.
    void stepNextOrPrevious (benchmark::State& state, Library library)
    {
        const ScopedPresetsFolderSetting setting (libraryFolder (library));
        OrvelinAudioProcessor processor;

        // As when the user steps a while after the plug-in was opened: a scan trusts what it
        // read before only once the scans have seen the files unchanged for a while.
        std::this_thread::sleep_for (DvxCachedFolderScan::settleTime);
        processor.loadUserPresetUndoableWithID (processor.getAllUserPresetNames().size() / 2);
        bool forward = true;

        for (auto _ : state)
        {
            if (forward)
                processor.loadNextPreset();
            else
                processor.loadPrevPreset();

            forward = ! forward;
        }

        if (processor.currentPresetIsFactory())
            state.SkipWithError ("the steps left the user presets");
    }

    void instantiateWith2000OrdinaryPresets (benchmark::State& state)  { instantiate (state, Library::ordinary); }
    void stepWith2000OrdinaryPresets (benchmark::State& state)         { stepNextOrPrevious (state, Library::ordinary); }
    void stepWith2000PresetsStampedAhead (benchmark::State& state)     { stepNextOrPrevious (state, Library::stampedAhead); }
    void instantiateWith1000CraftedPresets (benchmark::State& state)   { instantiate (state, Library::crafted); }
    void stepWith1000CraftedPresets (benchmark::State& state)          { stepNextOrPrevious (state, Library::crafted); }
}

BENCHMARK (instantiateWith2000OrdinaryPresets)->Unit (benchmark::kMillisecond);
BENCHMARK (stepWith2000OrdinaryPresets)->Unit (benchmark::kMillisecond);
BENCHMARK (stepWith2000PresetsStampedAhead)->Unit (benchmark::kMillisecond);
BENCHMARK (instantiateWith1000CraftedPresets)->Unit (benchmark::kMillisecond);
BENCHMARK (stepWith1000CraftedPresets)->Unit (benchmark::kMillisecond);

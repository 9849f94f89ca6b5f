#pragma once

// Shared fixtures for tests that need the per-user properties file or user preset files.
// Everything here works inside the temporary home that the test main sets up; the helpers
// refuse to write anywhere else.

#include "TestEnvironment.h"
#include "processor/DvxSafePropertiesFile.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

// Readable failure messages for files (GoogleTest would print their bytes).
namespace juce
{
    inline void PrintTo (const File& file, std::ostream* os) { *os << file.getFullPathName(); }
}

namespace orvelin::test
{
    inline juce::File temporaryHomeFolder()
    {
        return juce::File (juce::String (temporaryHome()));
    }

    inline bool isInsideTemporaryHome (const juce::File& file)
    {
        const auto home = temporaryHomeFolder();
        return home != juce::File() && file.isAChildOf (home);
    }

    // Where the plug-in keeps its properties for the user the tests run as.
    inline juce::File propertiesFileLocation()
    {
        return temporaryHomeFolder().getChildFile (".config/Velmora/Orvelin.qzproperties");
    }

    inline juce::PropertiesFile::Options propertiesFileOptions()
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "Orvelin";
        options.filenameSuffix = "qzproperties";
        options.folderName = "Velmora";
        options.osxLibrarySubFolder = "Application Support";
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        options.millisecondsBeforeSaving = -1;
        return options;
    }

    // The value of one key as the file on disk holds it now.
    inline std::optional<juce::String> readPropertyFromDisk (const juce::String& key)
    {
        if (! propertiesFileLocation().existsAsFile())
            return std::nullopt;

        DvxSafePropertiesFile file (propertiesFileLocation(), propertiesFileOptions());

        if (! file.containsKey (key))
            return std::nullopt;

        return file.getValue (key);
    }

    inline void writePropertyToDisk (const juce::String& key, const juce::String& value)
    {
        DvxSafePropertiesFile file (propertiesFileLocation(), propertiesFileOptions());
        file.setValue (key, value);
        ASSERT_TRUE (file.save());
    }

    inline void removePropertyFromDisk (const juce::String& key)
    {
        DvxSafePropertiesFile file (propertiesFileLocation(), propertiesFileOptions());
        file.removeValue (key);
        ASSERT_TRUE (file.save());
    }

    // Unlike File::replaceWithData, also writes an empty file rather than deleting it.
    inline void writeFileExactly (const juce::File& file, const juce::MemoryBlock& bytes)
    {
        ASSERT_TRUE (isInsideTemporaryHome (file)) << file.getFullPathName();
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.deleteFile());
        ASSERT_TRUE (file.create());

        if (bytes.getSize() > 0)
        {
            ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
        }
    }

    // The properties file is shared by every test of the program (as it is by every
    // instance of the plug-in); a test that changes it puts it back afterwards.
    class ScopedPropertiesFileRestorer
    {
    public:
        ScopedPropertiesFileRestorer()
        {
            const auto file = propertiesFileLocation();
            existed = file.existsAsFile();

            if (existed)
                file.loadFileAsData (savedContent);
        }

        ~ScopedPropertiesFileRestorer()
        {
            const auto file = propertiesFileLocation();

            if (existed)
                writeFileExactly (file, savedContent);
            else
            {
                file.deleteFile();
            }

            // Unreadable files that a save moved aside.
            for (const auto& keptAside : file.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.unreadable"))
                keptAside.deleteFile();
        }

    private:
        bool existed = false;
        juce::MemoryBlock savedContent;

        JUCE_DECLARE_NON_COPYABLE (ScopedPropertiesFileRestorer)
    };

    // A fresh, empty presets folder for one test, named in the properties file so that a
    // processor constructed afterwards uses it.
    class ScopedPresetsFolder
    {
    public:
        explicit ScopedPresetsFolder (const juce::String& name = "folder")
        {
            folder = temporaryHomeFolder().getChildFile ("presets")
                         .getNonexistentChildFile (name, {}, false);
            folder.createDirectory();
            writePropertyToDisk ("Presets Folder", folder.getFullPathName());
        }

        ~ScopedPresetsFolder() { folder.deleteRecursively(); }

        const juce::File& getFolder() const noexcept { return folder; }

    private:
        ScopedPropertiesFileRestorer restorer;
        juce::File folder;

        JUCE_DECLARE_NON_COPYABLE (ScopedPresetsFolder)
    };

    // Writes a preset file byte for byte (refusing any path outside the test home).
    inline juce::File writeRawPresetFile (const juce::File& folder, const juce::String& name, const juce::MemoryBlock& bytes)
    {
        const auto file = folder.getChildFile (name + ".qzp");
        writeFileExactly (file, bytes);
        return file;
    }

    // Writes a user preset file in the uncompressed format: the header text and a zero
    // byte, then the tree's XML text and a zero byte.
    inline juce::File writeUncompressedPresetFile (const juce::File& folder, const juce::String& name,
                                                   const juce::ValueTree& tree)
    {
        juce::MemoryOutputStream out;
        out << "Velmora Preset File:::::";
        out.writeByte (0);
        out << tree.toXmlString();
        out.writeByte (0);
        return writeRawPresetFile (folder, name, out.getMemoryBlock());
    }

    // Makes writes beyond a few bytes fail for this process, as a full disk would.
    class ScopedFileSizeLimit
    {
    public:
        explicit ScopedFileSizeLimit (rlim_t bytes)
        {
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);
            ::getrlimit (RLIMIT_FSIZE, &previous);
            rlimit limited = previous;
            limited.rlim_cur = bytes;
            active = ::setrlimit (RLIMIT_FSIZE, &limited) == 0;
        }

        ~ScopedFileSizeLimit()
        {
            ::setrlimit (RLIMIT_FSIZE, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }

        bool isActive() const noexcept { return active; }

    private:
        rlimit previous {};
        void (*previousHandler) (int) = nullptr;
        bool active = false;
    };

    // Records what the host is told: the last value sent for each parameter index, and the
    // change gestures in order ("+index" at a begin, "-index" at an end).
    class HostNotificationRecorder : public juce::AudioProcessorListener
    {
    public:
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
        {
            lastValues[index] = value;
            ++numValueChanges;
        }

        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override { ++numDisplayUpdates; }

        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
        {
            gestures.push_back ("+" + std::to_string (index));
        }

        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
        {
            gestures.push_back ("-" + std::to_string (index));
        }

        void clear()
        {
            lastValues.clear();
            numValueChanges = 0;
            numDisplayUpdates = 0;
            gestures.clear();
        }

        std::map<int, float> lastValues;
        int numValueChanges = 0;
        int numDisplayUpdates = 0;
        std::vector<std::string> gestures;
    };
}

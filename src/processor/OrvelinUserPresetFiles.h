#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include "processor/DvxCachedFolderScan.h"
#include "processor/DvxFolderOpener.h"
#include "processor/DvxSafeXmlReader.h"

#include <mutex>
#include <optional>

class DvxSafePropertiesFile;

// The user presets: one file per preset in a per-user folder, named by the preset. This
// class knows the folder and the file format, lists the folder and reads and writes single
// files; what a loaded preset does to the plug-in is OrvelinCurrentPreset's business.
//
// The list is whatever the folder held at the last scan, so other instances and other
// programs may add, replace or remove files at any time; every file is untrusted input.
// Scans run on the message thread (the first while the processor is built, on whichever
// thread the host builds it), while a host's state restore may read the list on its own
// thread: the list is swapped whole under a lock of its own, which guards nothing else and
// is never held while anything else is called. What the scans remember of the folder's
// files has a lock of its own too, held for a whole scan.
class OrvelinUserPresetFiles
{
public:
    OrvelinUserPresetFiles();

    // The folder named by "Presets Folder" in the properties file. When the key is missing
    // the default folder is used and written there; either way the folder is created when
    // it does not exist (if that fails, the list stays empty and saves fail).
    static juce::File findFolder (DvxSafePropertiesFile* propertiesFile);

    // The folder is chosen once, while the processor is built, before any other thread can
    // see this object; it never changes afterwards.
    void setFolder (const juce::File& presetsFolder);
    const juce::File& getFolder() const noexcept { return folder; }

    // The file a preset of this name lives in: the folder, the name and ".qzp".
    juce::File getFile (const juce::String& presetName) const;

    // The one rule for names, shared by the scan, the loads and the save: a name is a file
    // in the presets folder, never a path to somewhere else.
    static bool isUsableName (const juce::String& presetName);

    //==============================================================================
    // Lists the folder again and returns the new list: every usable name whose file reads
    // as a preset, in the order the file system gives them. Files that earlier scans have
    // seen unchanged for a while are not read again.
    juce::StringArray rescan();

    // The list of the last scan; safe from any thread.
    juce::StringArray getNames() const;

    // Takes a listed preset that failed to load out of the list, and makes the next scan read
    // its file again (it may have changed in a way its stamps did not show).
    void forget (const juce::String& presetName);

    //==============================================================================
    // A preset is about two kilobytes of XML, a root and 18 parameters with about 50
    // attributes in all, compressed or not. Anything far beyond that is not one of ours and
    // is not read (the body limit also stops a small file that inflates hugely). These
    // bound what a scan of a downloaded preset pack costs, where every new file is read,
    // inflated and parsed: the XML text, the part that costs, at four times ours.
    static constexpr size_t maxFileBytes = 64 * 1024;
    static constexpr size_t maxBodyBytes = 8 * 1024;
    static constexpr DvxSafeXmlReader::Limits xmlLimits { 64, 256 };

    // One file as a preset tree, or an invalid tree when it is not a preset file.
    juce::ValueTree read (const juce::File& presetFile) const;

    // The preset of this name, or an invalid tree when the name is not usable, there is no
    // such file or it is not a preset file.
    juce::ValueTree readNamed (const juce::String& presetName) const;

    // Writes the tree as the preset of this name, beside its target first, and only then
    // replaces the target. True only when the file is written whole and reads back as a
    // preset; otherwise an existing file of that name is left exactly as it was.
    bool write (const juce::String& presetName, const juce::ValueTree& tree, bool compressed) const;

    // Shows the folder in the desktop's file manager; the result comes on the message thread
    // (false: nothing could open it). Message thread only.
    void reveal (DvxFolderOpener::ResultCallback onResult);
    DvxFolderOpener& getFolderOpener() noexcept { return folderOpener; }

    //==============================================================================
    // Reads one zero-terminated UTF-8 text (the end of the stream counts as its zero).
    static juce::String readZeroTerminatedString (juce::InputStream& stream);

    // The saved-system information that every saved preset carries: informational only,
    // nothing reads it back. Written outside any undo history.
    static void addSavedSystemInformation (juce::ValueTree& tree, int numInputChannels,
                                           int numOutputChannels, double sampleRate);

private:
    // Whether read would give a preset for this name, without building its tree; nothing
    // when the file could not be opened.
    std::optional<bool> isPresetNamed (const juce::String& presetName) const;

    juce::File folder;

    std::mutex scanLock;
    DvxCachedFolderScan folderScan;

    mutable std::mutex namesLock;
    juce::StringArray names;

    DvxFolderOpener folderOpener;

    JUCE_DECLARE_NON_COPYABLE (OrvelinUserPresetFiles)
};

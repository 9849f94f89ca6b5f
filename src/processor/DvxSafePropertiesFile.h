#pragma once

#include <juce_data_structures/juce_data_structures.h>

// A per-user settings file in the XML format of juce::PropertiesFile (root "PROPERTIES",
// one "VALUE" per key with "name" and "val"), read through DvxSafeXmlReader instead of
// JUCE's XmlDocument: anybody may write that file, and JUCE's parser recurses per nesting
// level and expands DOCTYPE entities, so a few bytes there would crash every instance.
//
// It behaves as juce::PropertiesFile does with storeAsXML: a change marks it as needing to
// be saved and saves after the options' delay, the destructor saves what is left, and a
// missing or unreadable file gives no values. It differs where JUCE's class loses data,
// blocks or writes what it can't read back:
// - only a regular file of at most 64 KB is read, from one open descriptor to its end, so
//   a FIFO or a link to a device can't hang or flood it, and a file another instance
//   replaces meanwhile is read whole (JUCE compares what it read with a fresh size);
// - a save writes only the keys this instance changed, over the file as it is by then:
//   what another instance saved, or the user edited by hand, since this one read it stays
//   (with no file there that reads, a save writes all it holds);
// - a file it can't read is kept aside (as "<name>.unreadable") before the first save
//   replaces it, so hand-edited settings are never silently lost; an instance that could
//   not read a file that reads by then leaves it alone rather than save its defaults;
// - a save that would not read back as the same values fails instead of writing;
// - every value is written as "val" (JUCE writes values that parse as XML as child
//   elements; such children are still read, as JUCE reads them).
// There is no inter-process lock: the instances share the file, and for a key that two of
// them change the last save wins.
class DvxSafePropertiesFile : public juce::PropertySet,
                              private juce::Timer
{
public:
    // The options' key case, save delay and doNotSave are honoured; the format is always XML.
    DvxSafePropertiesFile (const juce::File& file, const juce::PropertiesFile::Options& options);
    ~DvxSafePropertiesFile() override;

    const juce::File& getFile() const noexcept  { return file; }

    // False when the file existed but could not be read as a properties file (until this
    // instance has saved its own values there).
    bool isValidFile() const noexcept           { return loadedOk; }

    // False when the file could not be written (or would not read back the same); the
    // values stay in memory and the file still needs to be saved. When this instance has
    // changed nothing since it last read or saved the file, nothing is written.
    bool save();
    bool saveIfNeeded();

    bool needsToBeSaved() const;
    void setNeedsToBeSaved (bool shouldBeSaved);

    // Sets the value as setValue does, and saves it at the next save even when it equals
    // what this instance read: the user chose it here, after whatever another instance saved.
    void setValueChosenHere (const juce::String& key, const juce::var& value);

protected:
    void propertyChanged() override;

private:
    void timerCallback() override;

    juce::File file;
    juce::PropertiesFile::Options options;

    // Guarded by getLock(). The values as the file held them when this instance last read
    // or saved it: a key whose value differs from them is one this instance changed.
    juce::StringPairArray saved;
    bool loadedOk = false;
    bool needsWriting = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxSafePropertiesFile)
};

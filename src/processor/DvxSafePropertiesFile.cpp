#include "processor/DvxSafePropertiesFile.h"
#include "processor/DvxBoundedFileReader.h"
#include "processor/DvxSafeXmlReader.h"

#include <optional>

namespace
{
    // The names juce::PropertiesFile uses, so that either class reads what the other wrote.
    const char* const fileTag = "PROPERTIES";
    const char* const valueTag = "VALUE";
    const char* const nameAttribute = "name";
    const char* const valueAttribute = "val";

    // Ours hold two short values in well under a kilobyte; anything this large is not one
    // of them, and is not read.
    constexpr size_t maxFileSize = 64 * 1024;

    // Reads of a file that changed under them, before it counts as unreadable.
    constexpr int maxReadAttempts = 4;

    std::optional<juce::StringPairArray> parseProperties (const juce::MemoryBlock& bytes, bool ignoreCaseOfKeys)
    {
        const auto doc = DvxSafeXmlReader::parse (bytes.getData(), bytes.getSize());

        // Exact tag names: JUCE matches them ignoring case, but asserts when that matters.
        if (doc == nullptr || doc->getTagName() != fileTag)
            return std::nullopt;

        juce::StringPairArray properties (ignoreCaseOfKeys);

        for (auto* value : doc->getChildIterator())
        {
            const auto name = value->getStringAttribute (nameAttribute);

            if (value->getTagName() != valueTag || name.isEmpty())
                continue;

            // JUCE stores a value that is itself XML as a child element, and reads it back
            // as that element's single-line text.
            if (auto* child = value->getFirstChildElement())
                properties.set (name, child->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()));
            else
                properties.set (name, value->getStringAttribute (valueAttribute));
        }

        return properties;
    }

    // What the path holds, as far as keeping the user's settings is concerned.
    struct OnDisk
    {
        enum Kind { nothing, readable, unreadable } kind = nothing;
        juce::StringPairArray properties;
        bool isEmptyFile = false;   // an unreadable file that holds nothing worth keeping
    };

    OnDisk readOnce (const juce::File& file, bool ignoreCaseOfKeys, std::optional<DvxBoundedFileReader::Identity>& identity)
    {
        // One open file read to its end: another instance that replaces the file meanwhile
        // leaves this read with either the old file or the new one, each of them whole.
        const auto read = DvxBoundedFileReader::read (file, maxFileSize);
        identity = read.identity;
        OnDisk onDisk;

        if (read.outcome == DvxBoundedFileReader::Outcome::missing)
            return onDisk;

        onDisk.kind = OnDisk::unreadable;
        onDisk.isEmptyFile = read.wasRead() && read.bytes.isEmpty();

        if (read.wasRead())
        {
            if (auto properties = parseProperties (read.bytes, ignoreCaseOfKeys))
            {
                onDisk.kind = OnDisk::readable;
                onDisk.properties = std::move (*properties);
            }
        }

        return onDisk;
    }

    // A file that can't be read is read again while it keeps changing (a program writing it
    // in place may be caught half-way), and only counts as unreadable once it stays put.
    OnDisk readFromDisk (const juce::File& file, bool ignoreCaseOfKeys)
    {
        for (int attempt = 1;; ++attempt)
        {
            std::optional<DvxBoundedFileReader::Identity> identity;
            auto onDisk = readOnce (file, ignoreCaseOfKeys, identity);

            if (onDisk.kind != OnDisk::unreadable || attempt == maxReadAttempts
                 || identity == DvxBoundedFileReader::identify (file))
                return onDisk;

            juce::Thread::sleep (5);
        }
    }

    juce::MemoryBlock writeProperties (const juce::StringPairArray& properties)
    {
        juce::XmlElement doc (fileTag);

        for (int i = 0; i < properties.size(); ++i)
        {
            auto* value = doc.createNewChildElement (valueTag);
            value->setAttribute (nameAttribute, properties.getAllKeys()[i]);
            value->setAttribute (valueAttribute, properties.getAllValues()[i]);
        }

        juce::MemoryOutputStream out;
        doc.writeTo (out, {});
        return out.getMemoryBlock();
    }

    bool writeTemporaryFile (const juce::TemporaryFile& temporary, const juce::MemoryBlock& bytes)
    {
        {
            juce::FileOutputStream out (temporary.getFile());

            if (! out.openedOk() || ! out.write (bytes.getData(), bytes.getSize()))
                return false;

            out.flush();

            if (! out.getStatus().wasOk())
                return false;
        }

        // FileOutputStream takes a short write (a full disk, a file size limit) for success;
        // only a file that holds every byte may replace the one there is.
        juce::MemoryBlock written;
        return temporary.getFile().loadFileAsData (written) && written == bytes;
    }
}

DvxSafePropertiesFile::DvxSafePropertiesFile (const juce::File& f, const juce::PropertiesFile::Options& o)
    : juce::PropertySet (o.ignoreCaseOfKeyNames),
      file (f),
      options (o)
{
    jassert (options.storageFormat == juce::PropertiesFile::storeAsXML);

    const auto onDisk = readFromDisk (file, options.ignoreCaseOfKeyNames);
    loadedOk = onDisk.kind != OnDisk::unreadable;
    getAllProperties().addArray (onDisk.properties);
}

DvxSafePropertiesFile::~DvxSafePropertiesFile()
{
    stopTimer();
    saveIfNeeded();
}

bool DvxSafePropertiesFile::saveIfNeeded()
{
    const juce::ScopedLock sl (getLock());
    return (! needsWriting) || save();
}

bool DvxSafePropertiesFile::needsToBeSaved() const
{
    const juce::ScopedLock sl (getLock());
    return needsWriting;
}

void DvxSafePropertiesFile::setNeedsToBeSaved (bool shouldBeSaved)
{
    const juce::ScopedLock sl (getLock());
    needsWriting = shouldBeSaved;
}

bool DvxSafePropertiesFile::save()
{
    const juce::ScopedLock sl (getLock());
    stopTimer();

    if (options.doNotSave
         || file == juce::File()
         || file.isDirectory()
         || ! file.getParentDirectory().createDirectory())
        return false;

    // A value the reader can't take (a control character, say) would make the whole file
    // unreadable for every instance; keep the file as it is instead.
    const auto bytes = writeProperties (getAllProperties());
    const auto readBack = parseProperties (bytes, options.ignoreCaseOfKeyNames);

    if (! readBack.has_value() || *readBack != getAllProperties())
        return false;

    const juce::TemporaryFile temporary (file);

    if (! writeTemporaryFile (temporary, bytes)
         || ! makeRoomForSave()
         || ! temporary.overwriteTargetFileWithTemporary())
        return false;

    // The file now holds this instance's values, whatever it held when it was built.
    loadedOk = true;
    needsWriting = false;
    return true;
}

bool DvxSafePropertiesFile::makeRoomForSave() const
{
    // Ask the disk again, not loadedOk: the file may have changed since it was read.
    const auto onDisk = readFromDisk (file, options.ignoreCaseOfKeyNames);

    // An instance that could not read the file holds defaults in place of the user's
    // settings: it never writes them over a file that reads now. Another instance saves.
    if (onDisk.kind == OnDisk::readable)
        return loadedOk;

    if (onDisk.kind == OnDisk::nothing || onDisk.isEmptyFile)
        return true;

    return file.moveFileTo (file.getSiblingFile (file.getFileName() + ".unreadable").getNonexistentSibling());
}

void DvxSafePropertiesFile::propertyChanged()
{
    // Called by PropertySet with its lock held.
    needsWriting = true;

    if (options.millisecondsBeforeSaving > 0)
        startTimer (options.millisecondsBeforeSaving);
    else if (options.millisecondsBeforeSaving == 0)
        saveIfNeeded();
}

void DvxSafePropertiesFile::timerCallback()
{
    saveIfNeeded();
}

#include "processor/DvxSafePropertiesFile.h"
#include "processor/DvxSafeXmlReader.h"

#include <optional>

namespace
{
    // The names juce::PropertiesFile uses, so that either class reads what the other wrote.
    const char* const fileTag = "PROPERTIES";
    const char* const valueTag = "VALUE";
    const char* const nameAttribute = "name";
    const char* const valueAttribute = "val";

    // Ours hold two short values; anything this large is not one of them, and is not read.
    constexpr juce::int64 maxFileSize = 1 << 20;

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

    std::optional<juce::StringPairArray> readProperties (const juce::File& file, bool ignoreCaseOfKeys)
    {
        juce::MemoryBlock bytes;

        if (! file.existsAsFile() || file.getSize() > maxFileSize || ! file.loadFileAsData (bytes))
            return std::nullopt;

        return parseProperties (bytes, ignoreCaseOfKeys);
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

    if (! file.exists())
    {
        loadedOk = true;
        return;
    }

    if (const auto properties = readProperties (file, options.ignoreCaseOfKeyNames))
    {
        getAllProperties().addArray (*properties);
        loadedOk = true;
    }
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
         || ! moveUnreadableFileAside()
         || ! temporary.overwriteTargetFileWithTemporary())
        return false;

    needsWriting = false;
    return true;
}

bool DvxSafePropertiesFile::moveUnreadableFileAside() const
{
    // Another instance may have written a good file meanwhile, so ask the disk, not loadedOk.
    if (! file.existsAsFile() || file.getSize() == 0 || readProperties (file, options.ignoreCaseOfKeyNames).has_value())
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

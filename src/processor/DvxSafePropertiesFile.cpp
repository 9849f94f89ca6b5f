#include "processor/DvxSafePropertiesFile.h"
#include "processor/DvxBoundedFileReader.h"
#include "processor/DvxFileReplacer.h"
#include "processor/DvxSafeXmlReader.h"

#include <cerrno>
#include <optional>

#include <unistd.h>

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

    // Reads of a file that changed under them, before it counts as unreadable; and saves
    // that found the file they judged replaced meanwhile, before one gives up.
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
        // The keys' case rule is set here: assigning a StringPairArray keeps the rule it has.
        explicit OnDisk (bool ignoreCaseOfKeys) : properties (ignoreCaseOfKeys) {}

        enum Kind { nothing, readable, unreadable } kind = nothing;
        juce::StringPairArray properties;
        bool isEmptyFile = false;   // an unreadable file that holds nothing worth keeping
        std::optional<DvxBoundedFileReader::Identity> identity;   // of the file judged
    };

    OnDisk readOnce (const juce::File& file, bool ignoreCaseOfKeys)
    {
        // One open file read to its end: another instance that replaces the file meanwhile
        // leaves this read with either the old file or the new one, each of them whole.
        const auto read = DvxBoundedFileReader::read (file, maxFileSize);
        OnDisk onDisk (ignoreCaseOfKeys);

        // A file that could not even be opened is known by what the path names.
        onDisk.identity = read.identity.has_value() ? read.identity : DvxBoundedFileReader::identify (file);

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
            auto onDisk = readOnce (file, ignoreCaseOfKeys);

            if (onDisk.kind != OnDisk::unreadable || attempt == maxReadAttempts
                 || onDisk.identity == DvxBoundedFileReader::identify (file))
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

    // The keys whose values differ between before and after, made so in target: set to the
    // value after, or removed where after has none.
    void applyChanges (const juce::StringPairArray& before, const juce::StringPairArray& after,
                       juce::StringPairArray& target)
    {
        for (int i = 0; i < after.size(); ++i)
        {
            const auto& key = after.getAllKeys()[i];
            const auto& value = after.getAllValues()[i];

            if (! before.containsKey (key) || before[key] != value)
                target.set (key, value);
        }

        for (const auto& key : before.getAllKeys())
            if (! after.containsKey (key))
                target.remove (juce::StringRef (key));
    }

    enum class KeptAside { yes, changedMeanwhile, failed };

    // Keeps the file judged unreadable under another name, and only that file: a good one
    // another instance has put there since stays where it is. A second hard link names the
    // judged file without moving anything, so it is checked after the fact, leaving no gap
    // for another save to slip into; the save that follows replaces the first name.
    KeptAside keepAside (const juce::File& file, const DvxBoundedFileReader::Identity& judged)
    {
        const auto from = file.getFullPathName();
        const auto to = file.getSiblingFile (file.getFileName() + ".unreadable").getNonexistentSibling().getFullPathName();

        if (::link (from.toRawUTF8(), to.toRawUTF8()) == 0)
        {
            // A new link changes the file's change time, and nothing else of it.
            const auto linked = DvxBoundedFileReader::identify (juce::File (to));

            if (linked.has_value() && linked->device == judged.device && linked->inode == judged.inode
                 && linked->size == judged.size && linked->modificationNanoseconds == judged.modificationNanoseconds)
                return KeptAside::yes;

            ::unlink (to.toRawUTF8());
            return KeptAside::changedMeanwhile;
        }

        if (errno == ENOENT || errno == EEXIST)
            return KeptAside::changedMeanwhile;

        // A file system without hard links: the file is moved, after a last look at it.
        if (DvxBoundedFileReader::identify (file) != judged)
            return KeptAside::changedMeanwhile;

        return ::rename (from.toRawUTF8(), to.toRawUTF8()) == 0 ? KeptAside::yes : KeptAside::failed;
    }
}

DvxSafePropertiesFile::DvxSafePropertiesFile (const juce::File& f, const juce::PropertiesFile::Options& o)
    : juce::PropertySet (o.ignoreCaseOfKeyNames),
      file (f),
      options (o),
      saved (o.ignoreCaseOfKeyNames)
{
    jassert (options.storageFormat == juce::PropertiesFile::storeAsXML);

    const auto onDisk = readFromDisk (file, options.ignoreCaseOfKeyNames);
    loadedOk = onDisk.kind != OnDisk::unreadable;
    saved.addArray (onDisk.properties);
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

void DvxSafePropertiesFile::setValueChosenHere (const juce::String& key, const juce::var& value)
{
    const juce::ScopedLock sl (getLock());
    setValue (key, value);
    saved.remove (juce::StringRef (key));
    propertyChanged();
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

    const auto& values = getAllProperties();

    if (values == saved)
    {
        needsWriting = false;
        return true;
    }

    for (int attempt = 1; attempt <= maxReadAttempts; ++attempt)
    {
        // What the file holds now, not what it held when this instance read it.
        const auto onDisk = readFromDisk (file, options.ignoreCaseOfKeyNames);

        // An instance that could not read the file holds defaults in place of the user's
        // settings: it never writes them over a file that reads now. Another instance saves.
        if (onDisk.kind == OnDisk::readable && ! loadedOk)
            return false;

        // The keys this instance changed, over what the file holds now. Without a file that
        // reads, everything this instance holds: it is all there is (a file there is kept aside).
        auto merged = onDisk.kind == OnDisk::readable ? onDisk.properties : values;
        applyChanges (saved, values, merged);

        // A value the reader can't take (a control character, say) would make the whole file
        // unreadable for every instance; keep the file as it is instead.
        const auto bytes = writeProperties (merged);
        const auto readBack = parseProperties (bytes, options.ignoreCaseOfKeyNames);

        if (! readBack.has_value() || *readBack != merged)
            return false;

        const bool mustKeepAside = onDisk.kind == OnDisk::unreadable && ! onDisk.isEmptyFile;
        auto keptAside = KeptAside::yes;
        const juce::TemporaryFile temporary (file);

        const bool replaced = DvxFileReplacer::replace (temporary, bytes, [&]
        {
            if (mustKeepAside)
                keptAside = onDisk.identity.has_value() ? keepAside (file, *onDisk.identity)
                                                        : KeptAside::changedMeanwhile;

            return keptAside == KeptAside::yes;
        });

        // Another file took the place of the one judged: judge again.
        if (keptAside == KeptAside::changedMeanwhile)
            continue;

        if (! replaced)
            return false;

        // The file now holds these values, whatever it held when this instance was built.
        getAllProperties() = merged;
        saved = merged;
        loadedOk = true;
        needsWriting = false;
        return true;
    }

    return false;
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

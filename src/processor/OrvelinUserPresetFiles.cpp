#include "processor/OrvelinUserPresetFiles.h"
#include "processor/DvxBoundedFileReader.h"
#include "processor/DvxFileReplacer.h"
#include "processor/DvxSafePropertiesFile.h"
#include "processor/DvxSafeXmlReader.h"
#include "parameters/DvxStoredValues.h"
#include "processor/OrvelinHostNames.h"

#include <functional>
#include <limits>
#include <optional>

namespace
{
    const char* const presetFileHeader = "Velmora Preset File:::::";
    const char* const presetFileExtension = ".qzp";

    constexpr size_t maxHeaderBytes = 256;

    enum class ZeroTerminatedRead
    {
        complete,       // the zero byte was found
        endOfStream,    // the stream ended first
        tooLong         // no zero byte within the limit
    };

    // Reads bytes up to (not including) the next zero byte. The header is read one byte at
    // a time so that the stream stands exactly behind its zero, where the body starts.
    ZeroTerminatedRead readBytesUpToZero (juce::InputStream& stream, juce::MemoryOutputStream& destination,
                                          size_t maxBytes, bool oneByteAtATime)
    {
        char buffer[4096];

        for (;;)
        {
            const int wanted = oneByteAtATime ? 1 : (int) sizeof (buffer);
            const int numRead = stream.read (buffer, wanted);

            if (numRead <= 0)
                return ZeroTerminatedRead::endOfStream;

            for (int i = 0; i < numRead; ++i)
            {
                if (buffer[i] == 0)
                {
                    destination.write (buffer, (size_t) i);
                    return destination.getDataSize() <= maxBytes ? ZeroTerminatedRead::complete
                                                                 : ZeroTerminatedRead::tooLong;
                }
            }

            destination.write (buffer, (size_t) numRead);

            if (destination.getDataSize() > maxBytes)
                return ZeroTerminatedRead::tooLong;
        }
    }

    juce::String utf8BytesToString (const juce::MemoryOutputStream& bytes)
    {
        // JUCE's conversion asserts on broken UTF-8, and reads past the end of a sequence
        // cut off at the end, unless its own check has passed first.
        if (! juce::CharPointer_UTF8::isValidString (static_cast<const char*> (bytes.getData()), (int) bytes.getDataSize()))
            return {};

        return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), (int) bytes.getDataSize());
    }

    // JUCE reads text as a number with int arithmetic that overflows on a long run of
    // digits, and a value tree does that whenever it compares a number with text, as the
    // copy into the current preset does. So a file's numbers become numbers here, read by
    // our own parser, and a value that is no number is dropped (a load then leaves that
    // parameter as it was). Dropped, not made void: a value tree takes a void for equal to
    // 0.0, so the copy would keep a 0.0 the current tree holds and load that.
    void readNumbersOfPresetTree (juce::ValueTree& tree)
    {
        double number = 0.0;

        if (tree.hasProperty ("PresetID"))
        {
            if (DvxStoredValues::parseFiniteNumber (tree["PresetID"].toString(), number)
                 && number >= 0.0 && number <= (double) std::numeric_limits<int>::max())
                tree.setProperty ("PresetID", (int) number, nullptr);
            else
                tree.removeProperty ("PresetID", nullptr);
        }

        for (auto child : tree)
        {
            if (! child.hasProperty ("Value"))
                continue;

            if (DvxStoredValues::parseFiniteNumber (child["Value"].toString(), number))
                child.setProperty ("Value", number, nullptr);
            else
                child.removeProperty ("Value", nullptr);
        }
    }

    enum class BodyRead
    {
        complete,       // the body's bytes, up to its zero byte
        notAPreset,     // no preset file: not a regular file, too large, no header, cut short
        couldNotOpen    // a regular file that could not be opened (no permission, no handles)
    };

    // The XML bytes of a preset file, checked as far as that can be done without parsing.
    BodyRead readPresetBody (const juce::File& presetFile, juce::MemoryOutputStream& bodyBytes)
    {
        // Only a regular file, checked on what was opened: a FIFO or a device named "*.qzp"
        // would block the scan or feed it without end.
        const auto file = DvxBoundedFileReader::read (presetFile, OrvelinUserPresetFiles::maxFileBytes);

        switch (file.outcome)
        {
            case DvxBoundedFileReader::Outcome::read:             break;
            case DvxBoundedFileReader::Outcome::notARegularFile:
            case DvxBoundedFileReader::Outcome::tooLarge:         return BodyRead::notAPreset;
            case DvxBoundedFileReader::Outcome::missing:
            case DvxBoundedFileReader::Outcome::failed:           return BodyRead::couldNotOpen;
        }

        juce::MemoryInputStream fileStream (file.bytes, false);

        // The header, read like readZeroTerminatedString but bounded, and only valid with its
        // zero byte.
        juce::MemoryOutputStream headerBytes (256);

        if (readBytesUpToZero (fileStream, headerBytes, maxHeaderBytes, true) != ZeroTerminatedRead::complete)
            return BodyRead::notAPreset;

        const auto header = utf8BytesToString (headerBytes);

        if (! header.startsWith (presetFileHeader))
            return BodyRead::notAPreset;

        std::unique_ptr<juce::GZIPDecompressorInputStream> decompressor;
        juce::InputStream* bodyStream = &fileStream;

        if (header.endsWithChar ('c'))
        {
            decompressor = std::make_unique<juce::GZIPDecompressorInputStream> (&fileStream, false,
                                                                                juce::GZIPDecompressorInputStream::zlibFormat);
            bodyStream = decompressor.get();
        }

        // The body must end with its zero byte: a file cut short (a truncated zlib stream
        // included) is not a preset, even when the part that is left happens to parse.
        if (readBytesUpToZero (*bodyStream, bodyBytes, OrvelinUserPresetFiles::maxBodyBytes, false) != ZeroTerminatedRead::complete)
            return BodyRead::notAPreset;

        return BodyRead::complete;
    }

    juce::File getDefaultPresetsFolderPath (juce::String& pathAsWritten)
    {
        const auto separator = juce::File::getSeparatorString();

        pathAsWritten = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getFullPathName()
                      + separator + "Velmora" + separator + "Orvelin" + " Presets" + separator;

        return juce::File (pathAsWritten);
    }

    // Writes the preset beside its target and only then moves it into place, so that an
    // existing preset of that name is either replaced whole or left exactly as it was.
    bool writePresetFileSafely (const juce::File& target, const juce::String& xmlText, bool compressed,
                                const std::function<bool (const juce::File&)>& readsBack)
    {
        const auto folder = target.getParentDirectory();

        if (! folder.isDirectory())
            return false;

        juce::MemoryOutputStream bytes (32768);
        juce::String header (presetFileHeader);

        if (compressed)
            header << "c";

        bytes.writeString (header);

        if (compressed)
        {
            juce::GZIPCompressorOutputStream compressor (bytes, 9);
            compressor.writeString (xmlText);
            compressor.flush();
        }
        else
        {
            bytes.writeString (xmlText);
        }

        // A hidden name without the preset extension: a scan running meanwhile (in another
        // instance) never lists a half-written file, and one left behind by a crash never
        // shows up as a preset.
        const auto temporaryName = "." + target.getFileNameWithoutExtension() + "_temp"
                                 + juce::String::toHexString (juce::Random().nextInt());
        const juce::TemporaryFile temporary (target, folder.getNonexistentChildFile (temporaryName, ".tmp", false));

        // The target is never touched unless the whole file reads back as a preset.
        return DvxFileReplacer::replace (temporary, bytes.getMemoryBlock(),
                                         [&] { return readsBack (temporary.getFile()); });
    }
}

//==============================================================================
OrvelinUserPresetFiles::OrvelinUserPresetFiles() : folderScan (presetFileExtension) {}

bool OrvelinUserPresetFiles::isUsableName (const juce::String& name)
{
    // The editor only lets the allowed characters through, but nothing else that reaches a
    // save or a load may name a file outside the presets folder, or one whose name its own
    // XML could not carry.
    if (name.isEmpty() || name == "." || name == "..")
        return false;

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f || ! DvxSafeXmlReader::canCarry (c))
            return false;
    }

    return true;
}

juce::File OrvelinUserPresetFiles::findFolder (DvxSafePropertiesFile* propertiesFile)
{
    juce::String storedPath;

    if (propertiesFile != nullptr)
        storedPath = propertiesFile->getValue ("Presets Folder");

    juce::File presetsFolder;

    if (storedPath.isNotEmpty() && juce::File::isAbsolutePath (storedPath))
    {
        presetsFolder = juce::File (storedPath);
    }
    else
    {
        juce::String defaultPath;
        presetsFolder = getDefaultPresetsFolderPath (defaultPath);

        // A path that is set but unusable (not absolute) is the user's to fix; only a
        // missing one is filled in (and so saved).
        if (storedPath.isEmpty() && propertiesFile != nullptr)
            propertiesFile->setValue ("Presets Folder", defaultPath);
    }

    if (! presetsFolder.isDirectory())
        presetsFolder.createDirectory();   // if this fails, the list is empty and saves fail

    return presetsFolder;
}

void OrvelinUserPresetFiles::setFolder (const juce::File& presetsFolder)
{
    folder = presetsFolder;
}

juce::File OrvelinUserPresetFiles::getFile (const juce::String& presetName) const
{
    // Joined as text rather than with getChildFile, which would resolve "..", "~" or an
    // absolute name; callers check that the result still lies in the folder when it matters.
    return juce::File (folder.getFullPathName() + juce::File::getSeparatorString()
                       + presetName + presetFileExtension);
}

//==============================================================================
juce::StringArray OrvelinUserPresetFiles::rescan()
{
    juce::StringArray found;

    if (folder != juce::File())
    {
        // A name is what a load by name appends ".qzp" to. It is listed only when a load by
        // name, and so a load by ID, next and previous, would take it: a usable name whose own
        // path leads to a valid preset. Files that earlier scans have seen unchanged for a
        // while are not read again.
        const std::lock_guard<std::mutex> guard (scanLock);
        found = folderScan.scan (folder, [this] (const juce::String& name) { return isPresetNamed (name); });
    }

    // Files are read without the names' lock; the list changes in one step.
    const std::lock_guard<std::mutex> guard (namesLock);
    names = found;
    return found;
}

juce::StringArray OrvelinUserPresetFiles::getNames() const
{
    const std::lock_guard<std::mutex> guard (namesLock);
    return names;
}

void OrvelinUserPresetFiles::forget (const juce::String& presetName)
{
    {
        const std::lock_guard<std::mutex> guard (scanLock);
        folderScan.forget (presetName);
    }

    const std::lock_guard<std::mutex> guard (namesLock);
    names.removeString (presetName);
}

//==============================================================================
juce::String OrvelinUserPresetFiles::readZeroTerminatedString (juce::InputStream& stream)
{
    juce::MemoryOutputStream bytes (256);
    readBytesUpToZero (stream, bytes, std::numeric_limits<size_t>::max(), true);
    return utf8BytesToString (bytes);
}

juce::ValueTree OrvelinUserPresetFiles::read (const juce::File& presetFile) const
{
    juce::MemoryOutputStream bodyBytes (4096);

    if (readPresetBody (presetFile, bodyBytes) != BodyRead::complete)
        return {};

    const auto xml = DvxSafeXmlReader::parse (bodyBytes.getData(), bodyBytes.getDataSize(), xmlLimits);

    if (xml == nullptr)
        return {};

    auto tree = juce::ValueTree::fromXml (*xml);
    readNumbersOfPresetTree (tree);
    return tree;
}

std::optional<bool> OrvelinUserPresetFiles::isPresetNamed (const juce::String& presetName) const
{
    if (! isUsableName (presetName) || folder == juce::File())
        return false;

    // What read would make of it, without building the tree.
    juce::MemoryOutputStream bodyBytes (4096);

    switch (readPresetBody (getFile (presetName), bodyBytes))
    {
        case BodyRead::complete:      return DvxSafeXmlReader::accepts (bodyBytes.getData(), bodyBytes.getDataSize(), xmlLimits);
        case BodyRead::notAPreset:    return false;
        case BodyRead::couldNotOpen:  break;
    }

    return std::nullopt;
}

juce::ValueTree OrvelinUserPresetFiles::readNamed (const juce::String& presetName) const
{
    if (! isUsableName (presetName) || folder == juce::File())
        return {};

    return read (getFile (presetName));
}

bool OrvelinUserPresetFiles::write (const juce::String& presetName, const juce::ValueTree& tree, bool compressed) const
{
    if (! isUsableName (presetName) || folder == juce::File() || ! tree.isValid())
        return false;

    const auto target = getFile (presetName);

    if (target.getParentDirectory() != folder)
        return false;

    return writePresetFileSafely (target, tree.toXmlString(), compressed,
                                  [this] (const juce::File& f) { return read (f).isValid(); });
}

void OrvelinUserPresetFiles::reveal (DvxFolderOpener::ResultCallback onResult)
{
    folderOpener.open (folder, std::move (onResult));
}

//==============================================================================
void OrvelinUserPresetFiles::addSavedSystemInformation (juce::ValueTree& tree, int numInputChannels,
                                                        int numOutputChannels, double sampleRate)
{
    if (! tree.isValid())
        return;

    using S = juce::SystemStats;

    tree.setProperty ("PluginVersion", "1.1", nullptr);
    tree.setProperty ("PresetType", "User", nullptr);
    tree.setProperty ("LastSaved", juce::Time::getCurrentTime().toString (true, true, true, false), nullptr);
    tree.setProperty ("Host", OrvelinHostNames::getNameOfCurrentHost(), nullptr);
    tree.setProperty ("InOutChannelConfig", juce::String (numInputChannels) + " / " + juce::String (numOutputChannels), nullptr);
    tree.setProperty ("SampleRate", juce::String (sampleRate) + " Hz", nullptr);
    tree.setProperty ("OS", S::getOperatingSystemName() + " / "
                              + (S::isOperatingSystem64Bit() ? "64bit" : "32bit"), nullptr);
    tree.setProperty ("Language", S::getUserLanguage() + " / " + S::getDisplayLanguage(), nullptr);
    tree.setProperty ("Region", S::getUserRegion(), nullptr);
    tree.setProperty ("User", S::getFullUserName() + " / " + S::getLogonName(), nullptr);
    tree.setProperty ("Device", S::getCpuVendor() + " " + juce::String (S::getCpuSpeedInMegahertz()) + "MHz"
                                  + " " + juce::String (S::getNumCpus()) + " CPU cores"
                                  + " / " + juce::String (S::getMemorySizeInMegabytes()) + "MB Memory", nullptr);
}

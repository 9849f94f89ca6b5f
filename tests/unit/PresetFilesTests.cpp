#include "processor/DvxCachedFolderScan.h"
#include "processor/OrvelinAudioProcessor.h"
#include "processor/OrvelinHostNames.h"
#include "helpers/PresetTestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace
{
    const juce::String header = "Velmora Preset File:::::";

    juce::MemoryBlock zlibCompress (const void* data, size_t size, int level = 9)
    {
        juce::MemoryOutputStream out;
        {
            juce::GZIPCompressorOutputStream zipper (out, level);
            zipper.write (data, size);
        }
        return out.getMemoryBlock();
    }

    juce::MemoryBlock zlibDecompress (const void* data, size_t size)
    {
        juce::MemoryInputStream in (data, size, false);
        juce::GZIPDecompressorInputStream unzipper (&in, false, juce::GZIPDecompressorInputStream::zlibFormat);
        juce::MemoryOutputStream out;
        out.writeFromInputStream (unzipper, -1);
        return out.getMemoryBlock();
    }

    // Header text, zero byte, then the body bytes (already holding their own zero byte
    // where a test wants one), zlib-compressed when asked.
    juce::MemoryBlock makePresetBytes (const juce::String& headerText, const juce::MemoryBlock& body, bool compressBody)
    {
        juce::MemoryOutputStream out;
        out.writeString (headerText);

        if (compressBody)
            out << zlibCompress (body.getData(), body.getSize());
        else
            out << body;

        return out.getMemoryBlock();
    }

    juce::MemoryBlock withZero (const juce::String& text)
    {
        juce::MemoryOutputStream out;
        out.writeString (text);
        return out.getMemoryBlock();
    }

    juce::MemoryBlock concat (juce::MemoryBlock first, const juce::MemoryBlock& second)
    {
        first.append (second.getData(), second.getSize());
        return first;
    }

    // MemoryBlock's own operator== hands a null pointer to memcmp for empty blocks.
    bool sameBytes (const juce::MemoryBlock& a, const juce::MemoryBlock& b)
    {
        return a.getSize() == b.getSize() && (a.isEmpty() || std::memcmp (a.getData(), b.getData(), a.getSize()) == 0);
    }

    juce::MemoryBlock readBytes (const juce::File& file)
    {
        juce::MemoryBlock data;
        file.loadFileAsData (data);
        return data;
    }

    // XML text of exactly numBytes with its zero byte after them: a root with every
    // attribute and numElements - 1 empty children, padded in the last attribute's value.
    juce::MemoryBlock xmlOfShape (int numElements, int numAttributes, size_t numBytes)
    {
        const auto write = [&] (size_t padding)
        {
            std::string text = "<VelmoraPreset";

            for (int i = 0; i < numAttributes; ++i)
                text += " a" + std::to_string (i) + "=\"" + std::string (i == numAttributes - 1 ? padding : 0, 'x') + "\"";

            text += ">";

            for (int i = 1; i < numElements; ++i)
                text += "<Parameter/>";

            return text + "</VelmoraPreset>";
        };

        const auto text = write (numBytes - write (0).size());
        EXPECT_EQ (text.size(), numBytes);
        return withZero (juce::String::fromUTF8 (text.data(), (int) text.size()));
    }

    // The bytes padded with a tail behind the body (which the reader never looks at) to
    // exactly numBytes.
    juce::MemoryBlock paddedTo (juce::MemoryBlock bytes, size_t numBytes)
    {
        const auto size = bytes.getSize();
        bytes.setSize (numBytes, true);
        EXPECT_LE (size, numBytes);
        return bytes;
    }

    std::set<juce::String> fileNamesIn (const juce::File& folder)
    {
        std::set<juce::String> names;

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            names.insert (f.getFileName());

        return names;
    }
}

//==============================================================================
// Every test starts from an empty presets folder inside the test home.
class PresetFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = std::make_unique<OrvelinAudioProcessor>();
        folder = processor->getUserPresetsFolder();

        ASSERT_TRUE (folder.isDirectory());
        ASSERT_TRUE (folder.isAChildOf (orvelin::test::temporaryHomeFolder())) << folder.getFullPathName();

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            f.deleteRecursively();

        processor->updateAllUserPresetNames();
    }

    juce::File presetFile (const juce::String& name) const { return folder.getChildFile (name + ".qzp"); }

    juce::File writePreset (const juce::String& name, const juce::MemoryBlock& bytes) const
    {
        const auto file = presetFile (name);
        EXPECT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
        return file;
    }

    // A valid preset body: the processor's own tree as XML text with its zero byte.
    juce::MemoryBlock validBody() const
    {
        auto tree = processor->createValueTreeForAllParameters();
        return withZero (tree->toXmlString());
    }

    // As the editor does it: the value reaches the current preset tree, which is what a
    // save writes (host automation leaves the tree alone).
    void setParameter (const char* name, float value)
    {
        processor->setParamAndNotifyHost (name, value, true);
    }

    float parameter (const char* name) const
    {
        return processor->getParameterManager()->getParameterValue (name);
    }

    std::unique_ptr<OrvelinAudioProcessor> processor;
    juce::File folder;
};

//==============================================================================
TEST_F (PresetFiles, DefaultFolderLiesInTheApplicationDataFolderAndIsCreated)
{
    const auto expected = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                              .getChildFile ("Velmora").getChildFile ("Orvelin Presets");

    // Unless an earlier test named another folder in the properties file.
    if (auto* properties = processor->getPropertiesFile())
        if (properties->getValue ("Presets Folder") != expected.getFullPathName() + "/")
            GTEST_SKIP() << "the properties file names another folder";

    EXPECT_EQ (folder, expected);

    processor.reset();
    ASSERT_TRUE (expected.deleteRecursively());

    OrvelinAudioProcessor another;
    EXPECT_TRUE (expected.isDirectory());
    EXPECT_EQ (another.getUserPresetsFolder(), expected);
}

TEST_F (PresetFiles, MissingFolderKeyIsFilledInAndAnAbsoluteOneIsHonoured)
{
    auto* properties = processor->getPropertiesFile();

    if (properties == nullptr)
        GTEST_SKIP() << "no properties file yet";

    const auto originalValue = properties->getValue ("Presets Folder");

    properties->removeValue ("Presets Folder");
    auto fromDefault = processor->getPresetsFolderFromPropertiesFile();
    EXPECT_EQ (properties->getValue ("Presets Folder"), fromDefault->getFullPathName() + "/");
    EXPECT_TRUE (fromDefault->isDirectory());

    const auto custom = orvelin::test::temporaryHomeFolder().getChildFile ("custom presets");
    custom.deleteRecursively();
    properties->setValue ("Presets Folder", custom.getFullPathName());
    auto fromCustom = processor->getPresetsFolderFromPropertiesFile();
    EXPECT_EQ (*fromCustom, custom);
    EXPECT_TRUE (custom.isDirectory());

    // A relative path can't be resolved: the default folder is used, and the user's text
    // stays as it was.
    properties->setValue ("Presets Folder", "relative/folder");
    auto fromRelative = processor->getPresetsFolderFromPropertiesFile();
    EXPECT_EQ (*fromRelative, *fromDefault);
    EXPECT_EQ (properties->getValue ("Presets Folder"), "relative/folder");

    properties->setValue ("Presets Folder", originalValue);
    custom.deleteRecursively();
}

//==============================================================================
TEST_F (PresetFiles, CompressedFileHasHeaderZeroAndOneLevel9ZlibStreamOfTheXml)
{
    setParameter ("StereoWidth", 0.8f);
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Layout", true));

    const auto bytes = readBytes (presetFile ("Layout"));
    const auto* data = static_cast<const char*> (bytes.getData());
    const size_t headerSize = (size_t) header.length() + 2;

    ASSERT_GT (bytes.getSize(), headerSize + 2);
    EXPECT_EQ (juce::String (data, (size_t) header.length() + 1), header + "c");
    EXPECT_EQ (data[headerSize - 1], 0);

    // zlib wrapping: deflate with a 32 KiB window (0x78), maximum compression (0xDA).
    EXPECT_EQ ((unsigned char) data[headerSize], 0x78);
    EXPECT_EQ ((unsigned char) data[headerSize + 1], 0xDA);

    const auto body = zlibDecompress (data + headerSize, bytes.getSize() - headerSize);
    ASSERT_GT (body.getSize(), 1u);
    const auto* text = static_cast<const char*> (body.getData());

    EXPECT_EQ (text[body.getSize() - 1], 0) << "the zero byte is inside the compressed stream";
    EXPECT_EQ (std::memchr (text, 0, body.getSize() - 1), nullptr);

    const auto xmlText = juce::String::fromUTF8 (text, (int) body.getSize() - 1);
    EXPECT_TRUE (xmlText.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE (xmlText.contains ("\n  <Parameter ParameterName=\"StereoWidth\""));

    const auto fromFile = juce::ValueTree::fromXml (xmlText);
    EXPECT_TRUE (fromFile.isEquivalentTo (processor->loadUserPresetAsValueTree (presetFile ("Layout"))));
    EXPECT_EQ (fromFile.getProperty ("PresetName").toString(), "Layout");
    EXPECT_FLOAT_EQ ((float) fromFile.getChildWithProperty ("ParameterName", "StereoWidth").getProperty ("Value"), 0.8f);
}

TEST_F (PresetFiles, UncompressedFileIsHeaderZeroXmlZero)
{
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Plain", false));

    const auto bytes = readBytes (presetFile ("Plain"));
    const auto* data = static_cast<const char*> (bytes.getData());
    const size_t headerSize = (size_t) header.length() + 1;

    ASSERT_GT (bytes.getSize(), headerSize + 1);
    EXPECT_EQ (juce::String (data, (size_t) header.length()), header);
    EXPECT_EQ (data[headerSize - 1], 0);
    EXPECT_EQ (data[bytes.getSize() - 1], 0);
    EXPECT_EQ (std::memchr (data + headerSize, 0, bytes.getSize() - headerSize - 1), nullptr) << "no other zero byte";

    const auto xmlText = juce::String::fromUTF8 (data + headerSize, (int) (bytes.getSize() - headerSize - 1));
    const auto tree = juce::ValueTree::fromXml (xmlText);

    ASSERT_TRUE (tree.hasType ("VelmoraPreset"));
    EXPECT_EQ (tree.getNumChildren(), 18);
    EXPECT_EQ (tree.getProperty ("QzPluginName").toString(), "Orvelin");
    EXPECT_EQ (tree.getProperty ("PresetType").toString(), "User");
    EXPECT_EQ (tree.getProperty ("PluginVersion").toString(), "1.1");
    EXPECT_TRUE (tree.isEquivalentTo (processor->loadUserPresetAsValueTree (presetFile ("Plain"))));
}

TEST_F (PresetFiles, AFileSavedByOneInstanceIsListedAndLoadedByAnother)
{
    setParameter ("StereoWidth", 0.875f);
    setParameter ("SafeBassFreq", 0.4898f);
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Shared", true));

    OrvelinAudioProcessor other;
    ASSERT_EQ (other.getUserPresetsFolder(), folder);
    EXPECT_TRUE (other.getAllUserPresetNames().contains ("Shared"));

    const auto tree = other.loadUserPresetAsValueTree (presetFile ("Shared"));
    ASSERT_TRUE (tree.isValid());
    EXPECT_EQ ((float) tree.getChildWithProperty ("ParameterName", "StereoWidth").getProperty ("Value"), 0.875f);

    other.loadUserPresetUndoableWithName ("Shared");
    EXPECT_EQ (other.getParameterManager()->getParameterValue ("StereoWidth"), 0.875f);
    EXPECT_EQ (other.getParameterManager()->getParameterValue ("SafeBassFreq"), 0.4898f);
    EXPECT_EQ (other.getCurrentPresetName(), "Shared");
    EXPECT_FALSE (other.currentPresetIsFactory());
}

TEST_F (PresetFiles, SavingAModifiedFactoryPresetUnderANewNameMakesItCurrentWithoutTheStar)
{
    processor->loadFactoryPresetUndoableWithID (3);
    processor->setParamAndNotifyHost ("Pan", 0.25f, true);
    ASSERT_EQ (processor->getCurrentPresetName(), "TRACK Stereo 200%*");

    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk (processor->getCurrentPresetName() + " wide", true));

    // The "*" is removed wherever it stands.
    EXPECT_TRUE (presetFile ("TRACK Stereo 200% wide").existsAsFile());
    EXPECT_EQ (processor->getCurrentPresetName(), "TRACK Stereo 200% wide");
    EXPECT_FALSE (processor->currentPresetWasModified());
    EXPECT_FALSE (processor->currentPresetIsFactory());

    const auto names = processor->getAllUserPresetNames();
    EXPECT_EQ (processor->getCurrentPresetID(), names.indexOf ("TRACK Stereo 200% wide"));
    EXPECT_EQ (parameter ("Pan"), 0.25f);
    EXPECT_EQ (parameter ("StereoWidth"), 1.0f);
}

TEST_F (PresetFiles, SavingAgainReplacesTheFileWhole)
{
    setParameter ("StereoWidth", 0.1f);
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Again", false));
    const auto firstSize = presetFile ("Again").getSize();

    setParameter ("StereoWidth", 0.9f);
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Again", true));

    const auto tree = processor->loadUserPresetAsValueTree (presetFile ("Again"));
    EXPECT_EQ ((float) tree.getChildWithProperty ("ParameterName", "StereoWidth").getProperty ("Value"), 0.9f);
    EXPECT_LT (presetFile ("Again").getSize(), firstSize);
    EXPECT_EQ (fileNamesIn (folder), (std::set<juce::String> { "Again.qzp" })) << "no temporary file is left";
}

//==============================================================================
TEST_F (PresetFiles, BadFilesAreNeitherListedNorChangeAnything)
{
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Good", true));
    const auto goodBytes = readBytes (presetFile ("Good"));

    const auto body = validBody();
    const auto compressedBody = zlibCompress (body.getData(), body.getSize());

    juce::MemoryBlock garbage (4096);
    juce::Random random (42);
    random.fillBitsRandomly (garbage.getData(), garbage.getSize());

    auto truncatedZlib = makePresetBytes (header + "c", body, true);
    truncatedZlib.setSize (truncatedZlib.getSize() / 2);

    // Everything after the header of a valid compressed file except the last bytes, which
    // hold the rest of the stream including the body's zero byte.
    auto cutBeforeTheZero = makePresetBytes (header + "c", body, true);
    cutBeforeTheZero.setSize (cutBeforeTheZero.getSize() - 6);

    using Files = OrvelinUserPresetFiles;
    const auto& limits = Files::xmlLimits;
    const auto largest = makePresetBytes (header + "c", xmlOfShape (limits.maxElements, limits.maxAttributes, Files::maxBodyBytes), true);

    // One step past each limit: beyond the body limit a zip bomb stops inflating, beyond
    // the file limit a huge file is not read.
    const struct { const char* name; juce::MemoryBlock bytes; } cases[] =
    {
        { "Empty",                   {} },
        { "OneElementTooMany",       makePresetBytes (header, xmlOfShape (limits.maxElements + 1, 1, 4096), false) },
        { "OneAttributeTooMany",     makePresetBytes (header, xmlOfShape (1, limits.maxAttributes + 1, 4096), false) },
        { "OneByteTooMany",          makePresetBytes (header + "c", xmlOfShape (1, 1, Files::maxBodyBytes + 1), true) },
        { "OneFileByteTooMany",      paddedTo (largest, Files::maxFileBytes + 1) },
        { "Garbage",                 garbage },
        { "WrongHeader",             makePresetBytes ("Velmora Preset Fil:::::", body, false) },
        { "HeaderWithoutItsZero",    juce::MemoryBlock (header.toRawUTF8(), (size_t) header.length()) },
        { "OnlyTheHeader",           withZero (header) },
        { "CompressedHeaderOverPlainXml", makePresetBytes (header + "c", body, false) },
        { "PlainHeaderOverZlibData", makePresetBytes (header, compressedBody, false) },
        { "TruncatedZlib",           truncatedZlib },
        { "ZlibCutBeforeTheBodyZero", cutBeforeTheZero },
        { "BodyWithoutItsZero",      makePresetBytes (header, juce::MemoryBlock (body.getData(), body.getSize() - 1), false) },
        { "NotXml",                  makePresetBytes (header, withZero ("just some words"), false) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto file = writePreset (c.name, c.bytes);
        EXPECT_FALSE (processor->loadUserPresetAsValueTree (file).isValid());

        EXPECT_TRUE (sameBytes (readBytes (file), c.bytes)) << "reading never writes";
    }

    EXPECT_EQ (processor->getAllUserPresetNames(), juce::StringArray ("Good"));
    EXPECT_TRUE (sameBytes (readBytes (presetFile ("Good")), goodBytes));
}

TEST_F (PresetFiles, ScanListsValidFilesByFileNameIncludingHiddenOnes)
{
    const auto body = validBody();
    writePreset ("Plain", makePresetBytes (header, body, false));
    writePreset ("Packed", makePresetBytes (header + "c", body, true));
    writePreset (".Hidden", makePresetBytes (header, body, false));
    writePreset ("", makePresetBytes (header, body, false));   // ".qzp": no name

    // Every limit of the reader reached at once.
    const auto& limits = OrvelinUserPresetFiles::xmlLimits;
    const auto largestXml = xmlOfShape (limits.maxElements, limits.maxAttributes, OrvelinUserPresetFiles::maxBodyBytes);
    const auto largest = writePreset ("Largest", paddedTo (makePresetBytes (header + "c", largestXml, true),
                                                           OrvelinUserPresetFiles::maxFileBytes));
    EXPECT_EQ (processor->loadUserPresetAsValueTree (largest).getNumProperties(), limits.maxAttributes);

    folder.getChildFile ("Other.txt").replaceWithData (body.getData(), body.getSize());
    folder.getChildFile ("Folder.qzp").createDirectory();

    // The name comes from the file, not from the "PresetName" inside.
    juce::StringArray names = processor->getAllUserPresetNames();
    names.sort (false);
    EXPECT_EQ (names.joinIntoString ("|"), ".Hidden|Largest|Packed|Plain");
}

TEST_F (PresetFiles, SpecialFilesNamedLikePresetsDoNotBlockTheScan)
{
    const auto fifo = presetFile ("Pipe");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (juce::File ("/dev/zero").createSymbolicLink (presetFile ("Zeros"), true));

    EXPECT_FALSE (processor->loadUserPresetAsValueTree (fifo).isValid());
    EXPECT_TRUE (processor->getAllUserPresetNames().isEmpty());
}

//==============================================================================
TEST_F (PresetFiles, NamesThatCouldLeaveTheFolderAreRefusedAndChangeNothing)
{
    processor->setCurrentPresetNameUndoable ("Before");
    const auto parentBefore = fileNamesIn (folder.getParentDirectory());

    const char* refused[] = { "", "*", "***", "a/b", "../evil", "..", ".", "*..*", "/abs", "back\\slash",
                              "tab\there", "new\nline", "bell\a", "del\x7f" };

    for (auto* name : refused)
    {
        SCOPED_TRACE (name);
        EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk (name, true));
        EXPECT_EQ (processor->getCurrentPresetName(), "Before");
    }

    EXPECT_TRUE (fileNamesIn (folder).empty());
    EXPECT_EQ (fileNamesIn (folder.getParentDirectory()), parentBefore);
}

TEST_F (PresetFiles, OtherNamesAreStoredUnchanged)
{
    const char* accepted[] = { "..x", "a..b", "x..", " spaced ", "with.dot", "#1 +&%!_-", "Grüße" };

    for (auto* rawName : accepted)
    {
        const auto name = juce::String::fromUTF8 (rawName);
        SCOPED_TRACE (rawName);
        EXPECT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk (name, false));
        EXPECT_TRUE (folder.getChildFile (name + ".qzp").existsAsFile());
        EXPECT_TRUE (processor->getAllUserPresetNames().contains (name));
    }
}

TEST_F (PresetFiles, AFailedSaveKeepsTheOldFileTheCurrentValuesAndTheName)
{
    setParameter ("StereoWidth", 0.2f);
    ASSERT_TRUE (processor->saveCurrentPresetFromValueTreeToDisk ("Keep", true));
    const auto before = readBytes (presetFile ("Keep"));

    setParameter ("StereoWidth", 0.7f);

    {
        orvelin::test::ScopedFileSizeLimit diskFull (16);
        ASSERT_TRUE (diskFull.isActive());
        EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk ("Keep", true));
        EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk ("Elsewhere", true));
    }

    // A name longer than the file system allows.
    EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk (juce::String::repeatedString ("n", 260), true));

    EXPECT_TRUE (sameBytes (readBytes (presetFile ("Keep")), before));
    EXPECT_EQ (fileNamesIn (folder), (std::set<juce::String> { "Keep.qzp" }));

    // The old file was not loaded over what the user tried to save, and the name shown is
    // still the one of the preset that was loaded.
    EXPECT_EQ (parameter ("StereoWidth"), 0.7f);
    EXPECT_TRUE (processor->currentPresetWasModified());
    EXPECT_EQ (processor->getCurrentPresetName(), "Keep*");
}

TEST_F (PresetFiles, SavingIntoAVanishedFolderOrOverAFolderFails)
{
    ASSERT_TRUE (folder.getChildFile ("Taken.qzp").getChildFile ("inside").create());
    EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk ("Taken", true));
    EXPECT_TRUE (folder.getChildFile ("Taken.qzp").isDirectory());
    EXPECT_EQ (fileNamesIn (folder), (std::set<juce::String> { "Taken.qzp" }));

    ASSERT_TRUE (folder.deleteRecursively());
    EXPECT_FALSE (processor->saveCurrentPresetFromValueTreeToDisk ("Nowhere", true));
    EXPECT_FALSE (folder.exists());
    EXPECT_TRUE (processor->getAllUserPresetNames().isEmpty());
    folder.createDirectory();
}

//==============================================================================
TEST (PresetFileStrings, DvxReadStringStopsAtTheZeroByte)
{
    const juce::String longText = juce::String::repeatedString ("0123456789", 100);

    const struct { juce::MemoryBlock input; juce::String expected; int nextByte; } cases[] =
    {
        { concat (withZero ("abc"), juce::MemoryBlock ("rest", 4)), "abc", 'r' },
        { juce::MemoryBlock ("no terminator", 13),          "no terminator", -1 },
        { {},                                               "", -1 },
        { withZero (longText),                              longText, -1 },
        { withZero (juce::String::fromUTF8 ("Gr\xc3\xbc\xc3\x9f" "e")), juce::String::fromUTF8 ("Gr\xc3\xbc\xc3\x9f" "e"), -1 },
        { juce::MemoryBlock ("bad \xc3\0x", 7),             "", 'x' },
    };

    for (const auto& c : cases)
    {
        juce::MemoryInputStream in (c.input, false);
        EXPECT_EQ (OrvelinAudioProcessor::dvxReadString (in), c.expected);
        EXPECT_EQ (in.isExhausted() ? -1 : (int) in.readByte(), c.nextByte);
    }
}

TEST (PresetFileStrings, SavedSystemInformationIsAppendedInOrderAndKeepsExistingPlaces)
{
    OrvelinAudioProcessor processor;

    juce::ValueTree tree ("VelmoraPreset");
    tree.setProperty ("QzPluginName", "Orvelin", nullptr);
    tree.setProperty ("PresetType", "Factory", nullptr);
    processor.addAdditionalInfosToValueTree (&tree);

    const juce::StringArray expectedOrder { "QzPluginName", "PresetType", "PluginVersion", "LastSaved", "Host",
                                            "InOutChannelConfig", "SampleRate", "OS", "Language", "Region",
                                            "User", "Device" };
    juce::StringArray order;
    for (int i = 0; i < tree.getNumProperties(); ++i)
        order.add (tree.getPropertyName (i).toString());

    EXPECT_EQ (order, expectedOrder);
    EXPECT_EQ (tree["PresetType"].toString(), "User");
    EXPECT_EQ (tree["PluginVersion"].toString(), "1.1");
    EXPECT_EQ (tree["Host"].toString(), "Unknown");
    EXPECT_EQ (tree["InOutChannelConfig"].toString(), "2 / 2");
    EXPECT_EQ (tree["SampleRate"].toString(), juce::String (0.0) + " Hz");
    EXPECT_TRUE (tree["OS"].toString().endsWith (" / 64bit") || tree["OS"].toString().endsWith (" / 32bit"));
    EXPECT_TRUE (tree["Device"].toString().contains (" CPU cores / "));
    EXPECT_TRUE (tree["Device"].toString().endsWith ("MB Memory"));

    const auto saved = tree["LastSaved"].toString();
    EXPECT_TRUE (saved.endsWith ("am") || saved.endsWith ("pm")) << saved;
    EXPECT_EQ (saved.retainCharacters (":").length(), 2) << "hours, minutes and seconds";

    // Nothing happens to an invalid tree, and nothing enters the undo history.
    juce::ValueTree invalid;
    processor.addAdditionalInfosToValueTree (&invalid);
    processor.addAdditionalInfosToValueTree (nullptr);
    EXPECT_FALSE (processor.canUndo());
}

//==============================================================================
// The scan reads a file again until two scans at least two seconds apart have seen it
// unchanged, and whenever it may have changed since. Its clock is the test's own, far from
// the files' stamps: answers settle by the scans' times alone.
TEST (CachedFolderScan, ReadsAFileAgainUntilTheScansSawItUnchangedForTwoSeconds)
{
    const auto folder = orvelin::test::temporaryHomeFolder().getChildFile ("scanned").getNonexistentSibling();
    ASSERT_TRUE (folder.createDirectory());

    const auto file = [&] (const char* name) { return folder.getChildFile (juce::String (name) + ".qzp"); };

    // What each file reads as (a file that could not be opened gives nothing). An answer that
    // changes while the file stays as it was is a rewrite its stamps do not show.
    std::map<juce::String, std::optional<bool>> says { { "Unsure", std::nullopt } };
    juce::StringArray read;

    const auto test = [&] (const juce::String& name)
    {
        read.add (name);
        return says.count (name) != 0 ? says[name] : std::optional<bool> (true);
    };

    std::chrono::steady_clock::time_point now;
    DvxCachedFolderScan scan (".qzp", [&] { return now; });

    for (const auto* name : { "Kept", "Restamped", "Replaced", "Removed", "Unsure" })
        ASSERT_TRUE (file (name).replaceWithText ("preset"));

    const struct
    {
        int atMs;
        std::function<void()> change;
        const char* listed;
        const char* read;
    } steps[] =
    {
        { 0,    [] {}, "Kept|Removed|Replaced|Restamped", "Kept|Removed|Replaced|Restamped|Unsure" },

        // Until two seconds have passed, every scan reads every file.
        { 1999, [&] { says["Kept"] = false; }, "Removed|Replaced|Restamped", "Kept|Removed|Replaced|Restamped|Unsure" },
        { 2000, [&] { says["Kept"] = true; }, "Kept|Removed|Replaced|Restamped", "Kept|Removed|Replaced|Restamped|Unsure" },
        { 2000, [&] { says["Kept"] = false; }, "Kept|Removed|Replaced|Restamped", "Unsure" },

        // A new stamp (one an hour ahead of the clock), a new inode, a file gone.
        { 3000, [&]
                {
                    EXPECT_TRUE (file ("Restamped").setLastModificationTime (juce::Time::getCurrentTime() + juce::RelativeTime::hours (1)));
                    EXPECT_TRUE (folder.getChildFile ("new.tmp").replaceWithText ("preset"));
                    EXPECT_TRUE (folder.getChildFile ("new.tmp").moveFileTo (file ("Replaced")));
                    EXPECT_TRUE (file ("Removed").deleteFile());
                },
                "Kept|Replaced|Restamped", "Replaced|Restamped|Unsure" },

        // A listed file that failed to load is forgotten, and read again.
        { 3000, [&] { scan.forget ("Kept"); }, "Replaced|Restamped", "Kept|Replaced|Restamped|Unsure" },
        { 4999, [] {}, "Replaced|Restamped", "Kept|Replaced|Restamped|Unsure" },
        { 5000, [&] { EXPECT_TRUE (file ("Removed").replaceWithText ("preset")); },
                "Removed|Replaced|Restamped", "Kept|Removed|Replaced|Restamped|Unsure" },
        { 6000, [] {}, "Removed|Replaced|Restamped", "Removed|Unsure" },
    };

    for (const auto& step : steps)
    {
        step.change();
        now = std::chrono::steady_clock::time_point (std::chrono::milliseconds (step.atMs));
        read.clear();

        auto listed = scan.scan (folder, test);
        listed.sort (false);
        read.sort (false);
        EXPECT_EQ (listed.joinIntoString ("|"), juce::String (step.listed)) << "at " << step.atMs << " ms";
        EXPECT_EQ (read.joinIntoString ("|"), juce::String (step.read)) << "at " << step.atMs << " ms";
    }

    folder.deleteRecursively();
}

//==============================================================================
TEST (HostNames, JuceHostTypesMapByMeaning)
{
    using H = juce::PluginHostType;

    const struct { H::HostType type; const char* name; } cases[] =
    {
        { H::UnknownHost,            "Unknown" },
        { H::AbletonLive8,           "Ableton Live 8" },
        { H::AbletonLive11,          "Ableton Live" },
        { H::Ardour,                 "Unknown" },
        { H::AvidProTools,           "ProTools" },
        { H::BitwigStudio,           "Unknown" },
        { H::CakewalkByBandlab,      "Cakewalk Sonar" },
        { H::SteinbergCubase5Bridged, "Steinberg Cubase 5 Bridged" },
        { H::SteinbergCubase7,       "Steinberg Cubase 7" },
        { H::SteinbergCubase10_5,    "Steinberg Cubase" },
        { H::TracktionWaveform,      "Tracktion" },
        { H::VBVSTScanner,           "VBVSTScanner" },
        { H::WaveBurner,             "WaveBurner" },
        { H::JUCEPluginHost,         "Unknown" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (OrvelinHostNames::getNameForHostType (c.type), c.name) << (int) c.type;

    // Every JUCE type lands on a table entry, and every named entry is reachable.
    std::set<int> reached;

    for (int t = H::UnknownHost; t <= H::WaveBurner; ++t)
    {
        const int number = OrvelinHostNames::getLegacyHostNumber ((H::HostType) t);
        ASSERT_GE (number, 0);
        ASSERT_LE (number, OrvelinHostNames::numNamedHosts);
        reached.insert (number);
    }

    EXPECT_EQ (reached.size(), (size_t) OrvelinHostNames::numNamedHosts + 1);

    EXPECT_EQ (OrvelinHostNames::getNameForLegacyHostNumber (-1), "Unknown");
    EXPECT_EQ (OrvelinHostNames::getNameForLegacyHostNumber (1000), "Unknown");
}

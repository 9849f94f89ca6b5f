// The per-user properties file and the editor settings the processor keeps
// (OrvelinEditorSettings), mostly on their own; the processor only forwards to them.

#include "processor/OrvelinAudioProcessor.h"
#include "processor/OrvelinEditorSettings.h"
#include "processor/OrvelinStandaloneSettings.h"
#include "helpers/PresetTestHelpers.h"
#include "helpers/TestData.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <thread>

#include <sys/stat.h>

using namespace orvelin::test;

namespace
{
    const char* const ratioKey = "DefaultEditorDesktopHeightRatio";

    // The main display's total height as the processor sees it on the message thread: the
    // real one when there is a display (a developer's desktop), else the 1080-pixel fallback.
    int displayHeightOnMessageThread()
    {
        if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
            if (display->totalArea.getHeight() > 0)
                return display->totalArea.getHeight();

        return 1080;
    }

    float ratioOnDisk()
    {
        const auto text = readPropertyFromDisk (ratioKey);
        return text.has_value() ? text->getFloatValue() : -1.0f;
    }

    class PropertiesTest : public ::testing::Test
    {
    protected:
        ScopedPropertiesFileRestorer restorer;
    };

    // The settings as the processor's constructor prepares them.
    std::unique_ptr<OrvelinEditorSettings> makeSettings()
    {
        auto settings = std::make_unique<OrvelinEditorSettings>();
        settings->initPropertiesFile();
        settings->initEditorSizes();
        return settings;
    }
}

//==============================================================================
TEST_F (PropertiesTest, FirstRunCreatesTheFileInTheUsersConfigFolderWithHalfTheDisplay)
{
    propertiesFileLocation().getParentDirectory().deleteRecursively();

    {
        OrvelinAudioProcessor processor;

        // Created at once, not only when the instance goes away.
        EXPECT_TRUE (propertiesFileLocation().existsAsFile());
        EXPECT_EQ (processor.getPropertiesFile()->getFile(), propertiesFileLocation());
        EXPECT_EQ (ratioOnDisk(), 0.5f);
        EXPECT_EQ (processor.getDefaultEditorDesktopHeightRatio(), 0.5f);
    }

    EXPECT_FALSE (temporaryHomeFolder().getChildFile ("Velmora").exists()) << "not JUCE's Linux default of ~/Velmora";

    auto xml = juce::parseXML (propertiesFileLocation());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PROPERTIES");
}

TEST_F (PropertiesTest, UnusableRatiosGiveAHalfAndAreWrittenBack)
{
    struct Case { const char* stored; float expected; };

    const Case cases[] = {
        { nullptr,  0.5f },   // key missing
        { "",       0.5f },
        { "0",      0.5f },
        { "-0.25",  0.5f },
        { "wide",   0.5f },
        { "nan",    0.5f },
        { "inf",    0.5f },
        { "1e999",  0.5f },
        { "0.6e4006865348816", 0.5f },   // an exponent beyond an int
        { "1e39",   0.5f },   // beyond a float
        { "0.3",    0.3f },
        { "0.7 px", 0.7f },   // read as far as it is a number
        { "1.25",   1.25f },  // no upper limit
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stored != nullptr ? c.stored : "(missing)");

        if (c.stored != nullptr)
            writePropertyToDisk (ratioKey, c.stored);
        else
            removePropertyFromDisk (ratioKey);

        {
            auto settings = makeSettings();
            EXPECT_EQ (settings->getDefaultEditorDesktopHeightRatio(), c.expected);
            EXPECT_EQ (settings->getDefaultEditorHeight(), juce::roundToInt ((float) displayHeightOnMessageThread() * c.expected));
            EXPECT_EQ (settings->getEditorHeight(), settings->getDefaultEditorHeight());
        }

        EXPECT_EQ (ratioOnDisk(), c.expected);
    }
}

TEST_F (PropertiesTest, DefaultHeightIsTheRatioOfTheDisplaysTotalHeight)
{
    const struct { const char* ratio; int displayHeight, expected; } cases[] = {
        { "0.3",  1000, 300 },
        { "0.3",  1001, 300 },                                  // 300.3 rounds down
        { "0.3",  1005, 302 },                                  // 301.5 rounds up
        { "1e30", 1000, std::numeric_limits<int>::max() },      // large, not wrapped around
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.ratio) + " of " + juce::String (c.displayHeight));
        writePropertyToDisk (ratioKey, c.ratio);
        auto settings = makeSettings();
        settings->setEditorHeight (640);

        settings->updateDefaultEditorSizesForDisplayHeight (c.displayHeight);
        EXPECT_EQ (settings->getDefaultEditorHeight(), c.expected);
        EXPECT_EQ (settings->getEditorHeight(), 640) << "the editor height is the editor's business";
    }
}

TEST_F (PropertiesTest, SetCurrentAsDefaultAndResetAreRememberedForTheNextInstance)
{
    {
        auto settings = makeSettings();
        settings->updateDefaultEditorSizesForDisplayHeight (900);
        EXPECT_EQ (settings->getDefaultEditorHeight(), 450);

        settings->setEditorHeight (600);
        settings->setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (900);
        EXPECT_FLOAT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 600.0f / 900.0f);
        EXPECT_EQ (settings->getDefaultEditorHeight(), 600);
        EXPECT_EQ (settings->getPropertiesFile()->getValue (ratioKey).getFloatValue(), 600.0f / 900.0f);
    }

    {
        auto settings = makeSettings();
        EXPECT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 600.0f / 900.0f);

        settings->resetDefaultEditorDesktopHeightRatio();
        EXPECT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 0.5f);
        EXPECT_EQ (settings->getDefaultEditorHeight(), juce::roundToInt ((float) displayHeightOnMessageThread() * 0.5f));
    }

    EXPECT_EQ (ratioOnDisk(), 0.5f);
}

TEST_F (PropertiesTest, SetCurrentAsDefaultIgnoresAnEditorHeightThatGivesNoUsableRatio)
{
    auto settings = makeSettings();
    settings->updateDefaultEditorSizesForDisplayHeight (1000);

    for (int height : { 0, -300 })
    {
        settings->setEditorHeight (height);
        settings->setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (1000);
        EXPECT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 0.5f) << height;
        EXPECT_EQ (settings->getDefaultEditorHeight(), 500) << height;
    }
}

// Whatever the file holds, an instance starts with the defaults. A file that can't be read
// is moved aside before the first save replaces it, and nothing else in its folder changes.
// The hostile ones crashed every instance while JUCE's parser read this file; a FIFO there
// hung every instance in open(), and a link to a device was read without end.
TEST_F (PropertiesTest, UnreadableFileGivesTheDefaultsAndIsKeptAsideWhenReplaced)
{
    const auto bytes = [] (const auto& literal) { return juce::MemoryBlock (literal, sizeof (literal) - 1); };

    juce::MemoryOutputStream tooLarge;   // readable, were it not for its size
    tooLarge << "<PROPERTIES><VALUE name=\"DefaultEditorDesktopHeightRatio\" val=\"0.75\"/>"
             << juce::String::repeatedString (" ", 64 * 1024) << "</PROPERTIES>";

    const juce::MemoryBlock unreadableContents[] = {
        tooLarge.getMemoryBlock(),
        bytes ("<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"DefaultEditor"),   // cut off mid-write
        bytes ("\x00\xff\xfe garbage \x01\x02"),
        bytes ("PROP\xff\xff\xff\x7f"),   // JUCE's binary format, never written here
        bytes ("<SETTINGS><VALUE name=\"DefaultEditorDesktopHeightRatio\" val=\"0.75\"/></SETTINGS>"),
        testData ("hostile-entity-loop.qzproperties"),
        testData ("hostile-deep-nesting.qzproperties"),
        juce::MemoryBlock(),
    };

    const auto folder = propertiesFileLocation().getParentDirectory();
    ASSERT_TRUE (folder.createDirectory() && folder.getChildFile ("notes.txt").replaceWithText ("not ours"));

    const auto othersInFolder = [&folder]
    {
        std::map<juce::String, juce::String> others;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, false))
            if (file != propertiesFileLocation() && ! file.hasFileExtension ("unreadable"))
                others[file.getFileName()] = file.loadFileAsString();

        return others;
    };

    const auto othersBefore = othersInFolder();

    // Returns what was kept aside, if anything.
    const auto replaceAndCheck = [&]() -> juce::File
    {
        {
            auto settings = makeSettings();
            EXPECT_FALSE (settings->getPropertiesFile()->isValidFile());
            EXPECT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 0.5f);
        }

        EXPECT_EQ (ratioOnDisk(), 0.5f);
        EXPECT_NE (juce::parseXML (propertiesFileLocation()), nullptr) << "what an older build reads";
        EXPECT_EQ (othersInFolder(), othersBefore);

        const auto keptAside = folder.findChildFiles (juce::File::findFiles, false, "*.unreadable");
        EXPECT_LE (keptAside.size(), 1);
        return keptAside.isEmpty() ? juce::File() : keptAside[0];
    };

    for (size_t i = 0; i < std::size (unreadableContents); ++i)
    {
        SCOPED_TRACE (i);
        const auto& contents = unreadableContents[i];
        writeFileExactly (propertiesFileLocation(), contents);
        const auto keptAside = replaceAndCheck();

        if (contents.isEmpty())
        {
            EXPECT_EQ (keptAside, juce::File()) << "an empty file is not worth keeping";
            continue;
        }

        juce::MemoryBlock kept;
        keptAside.loadFileAsData (kept);
        EXPECT_EQ (kept, contents);
        keptAside.deleteFile();
    }

    const auto path = propertiesFileLocation().getFullPathName();
    const std::function<bool()> specialFiles[] = {
        [&] { return ::mkfifo (path.toRawUTF8(), 0600) == 0; },
        [&] { return juce::File ("/dev/zero").createSymbolicLink (propertiesFileLocation(), true); },
        [&] { return juce::File ("/dev/urandom").createSymbolicLink (propertiesFileLocation(), true); },
    };

    for (const auto& makeSpecialFile : specialFiles)
    {
        ASSERT_TRUE (propertiesFileLocation().deleteFile() && makeSpecialFile());
        struct stat before {};
        ASSERT_EQ (::lstat (path.toRawUTF8(), &before), 0);

        const auto keptAside = replaceAndCheck();
        struct stat kept {};
        ASSERT_EQ (::lstat (keptAside.getFullPathName().toRawUTF8(), &kept), 0);
        EXPECT_EQ (kept.st_ino, before.st_ino) << "the very same FIFO or link";
        ::unlink (keptAside.getFullPathName().toRawUTF8());
    }

    folder.getChildFile ("notes.txt").deleteFile();
}

// Another instance replaces the file (atomically, as every save does) while instances are
// being built, as when a host opens a project with many of them. Each instance reads one of
// the two files whole: the user's presets folder is never replaced by the default, and
// nothing is moved aside. The files differ in size: JUCE's reader, and ours before, compared
// the bytes read with a size asked for separately, which the replacement changed.
TEST_F (PropertiesTest, AFileAnotherInstanceReplacesMeanwhileIsReadWholeAndKept)
{
    const auto home = temporaryHomeFolder();
    const juce::StringArray folders { home.getChildFile ("Short").getFullPathName(),
                                      home.getChildFile ("A presets folder with a much longer name").getFullPathName() };
    std::vector<juce::MemoryBlock> files;

    for (const auto& folder : folders)
    {
        ASSERT_TRUE (juce::File (folder).createDirectory());
        writePropertyToDisk ("Presets Folder", folder);
        files.emplace_back();
        ASSERT_TRUE (propertiesFileLocation().loadFileAsData (files.back()));
    }

    ASSERT_NE (files[0].getSize(), files[1].getSize());

    std::atomic<bool> done { false };
    std::thread otherInstance ([&]
    {
        for (size_t i = 0; ! done.load(); ++i)
            propertiesFileLocation().replaceWithData (files[i % 2].getData(), files[i % 2].getSize());
    });

    int lost = 0;

    for (int i = 0; i < 500; ++i)
    {
        OrvelinEditorSettings settings ([] { return 1000; });
        settings.initPropertiesFile();
        settings.initEditorSizes();
        const auto folder = OrvelinUserPresetFiles::findFolder (settings.getPropertiesFile());
        lost += settings.getPropertiesFile()->isValidFile() && folders.contains (folder.getFullPathName()) ? 0 : 1;
    }

    done = true;
    otherInstance.join();

    EXPECT_EQ (lost, 0);
    EXPECT_TRUE (folders.contains (readPropertyFromDisk ("Presets Folder").value_or (juce::String())));
    EXPECT_TRUE (propertiesFileLocation().getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.unreadable").isEmpty());

    for (const auto& folder : folders)
        juce::File (folder).deleteRecursively();
}

// An instance that could not read the file starts from the defaults. Should the file read by
// the time it saves (the user mended it, another program finished writing it), the user's
// settings stay: the defaults are not saved over them.
TEST_F (PropertiesTest, AnInstanceThatCouldNotReadTheFileNeverSavesItsDefaultsOverOneThatReadsNow)
{
    writeFileExactly (propertiesFileLocation(), juce::MemoryBlock ("<PROPERTIES><VALUE", 18));
    DvxSafePropertiesFile couldNotRead (propertiesFileLocation(), propertiesFileOptions());
    ASSERT_FALSE (couldNotRead.isValidFile());

    writePropertyToDisk ("Presets Folder", "/the/users/own");
    couldNotRead.setValue ("Presets Folder", "/the/default");

    EXPECT_FALSE (couldNotRead.save());
    EXPECT_EQ (readPropertyFromDisk ("Presets Folder"), "/the/users/own");
}

// The user's edit, or another instance's save, made while an instance runs is still there
// when that instance goes away. Every instance used to write back all it had read when it
// was built.
TEST_F (PropertiesTest, AnEditMadeWhileAnInstanceRunsSurvivesIt)
{
    const auto folderBefore = temporaryHomeFolder().getChildFile ("Before").getFullPathName();

    for (const auto& [key, edited] : { std::pair { "Presets Folder", "/edited/by hand" }, std::pair { ratioKey, "0.75" } })
    {
        SCOPED_TRACE (key);
        writePropertyToDisk ("Presets Folder", folderBefore);
        writePropertyToDisk (ratioKey, "0.5");

        {
            OrvelinAudioProcessor processor;
            EXPECT_FALSE (processor.getPropertiesFile()->needsToBeSaved()) << "nothing changed";
            writePropertyToDisk (key, edited);
        }

        EXPECT_EQ (readPropertyFromDisk (key), juce::String (edited));
    }

    juce::File (folderBefore).deleteRecursively();
}

// Two instances that change different keys keep both; a key both change is the last
// saver's, even when that one chose the value it had read.
TEST_F (PropertiesTest, InstancesKeepEachOthersChangesAndTheLastChoiceWins)
{
    for (const char* key : { "kept", "removed", "chosen" })
        writePropertyToDisk (key, "before");

    DvxSafePropertiesFile a (propertiesFileLocation(), propertiesFileOptions());
    DvxSafePropertiesFile b (propertiesFileLocation(), propertiesFileOptions());

    a.setValue ("from a", "a");
    a.setValue ("Kept", "a");   // not "kept": keys are case-sensitive here
    a.removeValue ("removed");
    b.setValue ("from b", "b");
    b.setValue ("chosen", "by b");
    ASSERT_TRUE (b.save());

    a.setValueChosenHere ("chosen", "before");
    ASSERT_TRUE (a.save());

    const std::map<juce::String, std::optional<juce::String>> expected {
        { "kept", "before" }, { "removed", std::nullopt }, { "chosen", "before" },
        { "from a", "a" }, { "Kept", "a" }, { "from b", "b" } };

    for (const auto& [key, value] : expected)
        EXPECT_EQ (readPropertyFromDisk (key), value) << key;
}

// Another instance mends the file and breaks it again while instances save: only a file
// judged unreadable is kept aside, never a good one that was put there since.
TEST_F (PropertiesTest, OnlyTheFileJudgedUnreadableIsKeptAside)
{
    const juce::MemoryBlock unreadable ("<PROPERTIES><VALUE", 18);
    writePropertyToDisk ("Presets Folder", "/the/users/own");
    juce::MemoryBlock good;
    ASSERT_TRUE (propertiesFileLocation().loadFileAsData (good));

    std::atomic<bool> done { false };
    std::thread otherInstance ([&]
    {
        for (size_t i = 0; ! done.load(); ++i)
        {
            const auto& bytes = i % 2 == 0 ? unreadable : good;
            propertiesFileLocation().replaceWithData (bytes.getData(), bytes.getSize());
        }
    });

    for (int i = 0; i < 300; ++i)
    {
        DvxSafePropertiesFile file (propertiesFileLocation(), propertiesFileOptions());
        file.setValue ("saved", i);
        file.save();
    }

    done = true;
    otherInstance.join();

    for (const auto& keptAside : propertiesFileLocation().getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.unreadable"))
    {
        juce::MemoryBlock kept;
        keptAside.loadFileAsData (kept);
        EXPECT_TRUE (kept == unreadable) << keptAside.getFileName();
    }
}

// What JUCE's own class saved reads back to the same values, and saved again (the user
// chose the same default size) it is the same byte for byte, so that what this build saves
// reads back in an older one.
TEST_F (PropertiesTest, FileSavedByAnEarlierBuildReadsBackAndIsSavedByteForByte)
{
    const auto saved = testData ("saved.qzproperties");
    writeFileExactly (propertiesFileLocation(), saved);

    {
        auto settings = makeSettings();
        EXPECT_FLOAT_EQ (settings->getDefaultEditorDesktopHeightRatio(), 600.0f / 900.0f);
        EXPECT_EQ (settings->getPropertiesFile()->getValue ("Presets Folder"),
                   juce::String::fromUTF8 ("/home/zo\xc3\xab/Gr\xc3\xbc\xc3\x9f" "e & \"Co\" <2>/Orvelin\tPresets/"));
        EXPECT_FALSE (settings->getPropertiesFile()->needsToBeSaved()) << "the same ratio written back is no change";

        settings->setEditorHeight (600);
        settings->setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (900);
        EXPECT_TRUE (settings->getPropertiesFile()->needsToBeSaved());
    }

    juce::MemoryBlock savedAgain;
    propertiesFileLocation().loadFileAsData (savedAgain);
    EXPECT_EQ (savedAgain, saved);
}

// Given the same benign files, JUCE's own class reads the same values.
TEST (SafePropertiesFile, ReadsWhatJucesOwnClassReads)
{
    const char* const files[] = {
        // A value that is itself XML, which JUCE writes as a child element.
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PROPERTIES>\r\n  <VALUE name=\"layout\">\r\n"
        "    <LAYOUT a=\"1\" b=\"&lt;&#233;\"><ROW/></LAYOUT>\r\n  </VALUE>\r\n</PROPERTIES>\r\n",
        // Comments, other tags, values without a name or without "val", a repeated name.
        "<PROPERTIES><!-- edited --><VALUE val=\"x\"/><OTHER name=\"a\" val=\"1\"/><VALUE name=\"a\" val=\"2\"/>"
        "<VALUE name=\"b\"/><VALUE name=\"a\" val=\"3\"/></PROPERTIES>",
    };

    auto options = propertiesFileOptions();
    options.doNotSave = true;
    const auto file = temporaryHomeFolder().getChildFile ("compare.qzproperties");

    for (const auto* contents : files)
    {
        SCOPED_TRACE (contents);
        ASSERT_TRUE (file.replaceWithText (contents));

        DvxSafePropertiesFile ours (file, options);
        juce::PropertiesFile juces (file, options);

        EXPECT_TRUE (ours.isValidFile());
        EXPECT_EQ (ours.getAllProperties().getDescription(), juces.getAllProperties().getDescription());
    }

    file.deleteFile();
}

// The Standalone's settings that JUCE's own application saved (its audio device setup as a
// child element) open from the same place with the same values, and need no save.
TEST (StandaloneSettings, OpensWhatJucesOwnApplicationSaved)
{
    const auto options = OrvelinStandaloneSettings::getSettingsFileOptions();
    const auto file = temporaryHomeFolder().getChildFile (".config/Orvelin.settings");
    ASSERT_EQ (options.getDefaultFile(), file);

    {
        juce::PropertiesFile juces (options);
        juce::XmlElement setup ("DEVICESETUP");
        setup.setAttribute ("deviceType", "ALSA");
        setup.setAttribute ("audioOutputDeviceName", juce::String::fromUTF8 ("Gr\xc3\xbc\xc3\x9f" "e & \"Co\" <2>"));
        setup.createNewChildElement ("MIDIINPUT")->setAttribute ("identifier", "hw:1,0,0");
        juces.setValue ("audioSetup", &setup);
        juces.setValue ("filterState", "18.VMjLgXj...");
        juces.setValue ("windowX", 77);
        ASSERT_TRUE (juces.save());
    }

    juce::PropertiesFile juces (options);
    const auto ours = OrvelinStandaloneSettings::openSettingsFile();

    EXPECT_EQ (ours->getFile(), file);
    EXPECT_EQ (ours->getAllProperties().getDescription(), juces.getAllProperties().getDescription());
    EXPECT_FALSE (ours->needsToBeSaved());

    file.deleteFile();
}

// A save that can't be done says so, keeps the values in memory and leaves the disk alone.
TEST_F (PropertiesTest, FailedSaveIsReportedAndChangesNothing)
{
    writePropertyToDisk (ratioKey, "0.3");
    const auto before = propertiesFileLocation().loadFileAsString();
    const auto home = temporaryHomeFolder();

    struct Case { const char* name; juce::File file; juce::String value; rlim_t fileSizeLimit; };

    ASSERT_TRUE (home.getChildFile ("plain file").replaceWithText ("x"));
    ASSERT_TRUE (home.getChildFile ("folder.qzproperties").createDirectory());

    const Case cases[] = {
        { "its folder is a file",    home.getChildFile ("plain file/Orvelin.qzproperties"), "0.4",      RLIM_INFINITY },
        { "it is a folder",          home.getChildFile ("folder.qzproperties"),             "0.4",      RLIM_INFINITY },
        { "a value XML can't carry", propertiesFileLocation(),                              "0.4\x01", RLIM_INFINITY },
        { "the disk fills up",       propertiesFileLocation(),                              "0.4",      40 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        DvxSafePropertiesFile file (c.file, propertiesFileOptions());
        file.setValue (ratioKey, c.value);

        {
            ScopedFileSizeLimit limit (c.fileSizeLimit);
            ASSERT_TRUE (limit.isActive());
            EXPECT_FALSE (file.save());
        }

        EXPECT_TRUE (file.needsToBeSaved());
        EXPECT_EQ (file.getValue (ratioKey), c.value);
        file.setNeedsToBeSaved (false);
    }

    EXPECT_EQ (propertiesFileLocation().loadFileAsString(), before);
    EXPECT_TRUE (home.getChildFile ("folder.qzproperties").isDirectory());
    home.getChildFile ("plain file").deleteFile();
    home.getChildFile ("folder.qzproperties").deleteRecursively();
}

TEST_F (PropertiesTest, InstanceBuiltOffTheMessageThreadUsesTheFallbackUntilAskedOnIt)
{
    writePropertyToDisk (ratioKey, "0.5");

    std::unique_ptr<OrvelinAudioProcessor> processor;
    int defaultHeightSeenOffThread = 0, editorHeightSeenOffThread = 0;

    // As VST3 and LV2 hosts do: construct (and ask) on a thread of their own.
    std::thread hostThread ([&]
    {
        processor = std::make_unique<OrvelinAudioProcessor>();
        defaultHeightSeenOffThread = processor->getDefaultEditorHeight();
        editorHeightSeenOffThread = processor->getEditorHeight();
    });
    hostThread.join();

    EXPECT_EQ (defaultHeightSeenOffThread, 540);
    EXPECT_EQ (editorHeightSeenOffThread, 540);

    // The first question on the message thread derives both from the display there is.
    const int expected = juce::roundToInt ((float) displayHeightOnMessageThread() * 0.5f);
    EXPECT_EQ (processor->getEditorHeight(), expected);
    EXPECT_EQ (processor->getDefaultEditorHeight(), expected);
}

// Built where no display could be asked, the heights come from the fallback display and
// are derived again from the real one at the first read on the message thread. A height
// that a resize or a restored project set on purpose is kept, even when it equals the
// fallback's value (540, the usual default).
TEST (EditorSettings, OnlyHeightsNobodySetFollowTheRealDisplayOnceItCanBeAsked)
{
    struct Case
    {
        const char* name;
        std::function<void (OrvelinEditorSettings&)> setOnPurpose;
        int expectedDefault, expectedEditor;
    };

    const Case cases[] = {
        { "nothing set",                 [] (auto&) {},                                          720, 720 },
        { "editor resized",              [] (auto& s) { s.setEditorHeight (540); },              720, 540 },
        { "restored editor height",      [] (auto& s) { s.restoreEditorHeights ({}, 540); },     720, 540 },
        { "restored both heights",       [] (auto& s) { s.restoreEditorHeights (540, 540); },    540, 540 },
        { "restored default only",       [] (auto& s) { s.restoreEditorHeights (540, {}); },     540, 540 },
        { "restored without heights",    [] (auto& s) { s.restoreEditorHeights ({}, {}); },      720, 720 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        int displayHeight = 0;   // none can be asked yet
        OrvelinEditorSettings settings ([&displayHeight] { return displayHeight; });
        settings.initEditorSizes();   // no properties file: ratio 0.5

        EXPECT_EQ (settings.getDefaultEditorHeight(), 540);
        EXPECT_EQ (settings.getEditorHeight(), 540);

        c.setOnPurpose (settings);
        displayHeight = 1440;

        EXPECT_EQ (settings.getDefaultEditorHeight(), c.expectedDefault);
        EXPECT_EQ (settings.getEditorHeight(), c.expectedEditor);
    }
}

// A project without heights gives the editor the default height, within the editor's range
// however far the ratio puts the default, so that the open editor can take it as it is.
TEST (EditorSettings, ARestoreWithoutHeightsLeavesAnEditorHeightWithinTheEditorsRange)
{
    for (const auto& [displayHeight, expected] : { std::pair (150, 100), std::pair (1080, 540), std::pair (40000, 10000) })
    {
        OrvelinEditorSettings settings ([height = displayHeight] { return height; });
        settings.initEditorSizes();   // no properties file: ratio 0.5
        settings.restoreEditorHeights ({}, {});

        EXPECT_EQ (settings.getEditorHeight(), expected) << displayHeight;
    }
}

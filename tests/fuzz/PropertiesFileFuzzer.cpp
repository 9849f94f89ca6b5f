// libFuzzer target: the per-user properties file, which anybody may write and which every
// instance reads at construction. Each input is written there, read as the processor's
// constructor reads it, given a new default size, and saved when the settings go away.

#include "FuzzSupport.h"

#include <cmath>

using namespace orvelin::fuzz;

namespace
{
    juce::File file;
    std::map<std::string, std::string> othersBefore;

    // Everything in the file's folder but the file itself and what a save moved aside.
    std::map<std::string, std::string> others()
    {
        auto contents = contentsOf (file.getParentDirectory());

        for (auto it = contents.begin(); it != contents.end();)
        {
            const juce::File f (it->first);
            it = (f == file || f.hasFileExtension ("unreadable")) ? contents.erase (it) : std::next (it);
        }

        return contents;
    }

    juce::PropertiesFile::Options readOnly()
    {
        juce::PropertiesFile::Options options;
        options.doNotSave = true;
        options.millisecondsBeforeSaving = -1;
        return options;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // The plug-in itself is not used here; building it also starts what JUCE shares
    // between instances (its timer thread among them) before the teardown at exit.
    startPlugin();

    OrvelinEditorSettings settings ([] { return 1000; });
    settings.initPropertiesFile();
    file = settings.getPropertiesFile()->getFile();

    if (! file.getSiblingFile ("notes.txt").replaceWithText ("not ours"))
        fail ("cannot set up the settings folder");

    othersBefore = others();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    writeExactly (file, data, size);

    bool readOk = false;
    juce::StringPairArray held;

    {
        OrvelinEditorSettings settings ([] { return 1000; });
        settings.initPropertiesFile();
        settings.initEditorSizes();

        const float ratio = settings.getDefaultEditorDesktopHeightRatio();

        if (! (std::isfinite (ratio) && ratio > 0.0f) || settings.getDefaultEditorHeight() < 0)
            fail ("the ratio or the default height is not usable");

        settings.setEditorHeight (1 + (int) (size % 1200));
        settings.setCurrentAsDefaultEditorDesktopHeightRatio();

        readOk = settings.getPropertiesFile()->isValidFile();
        held = settings.getPropertiesFile()->getAllProperties();
    }

    // Saved when the settings went away: the file now holds exactly what they held, and
    // JUCE's own class (an older build) reads the same from it.
    DvxSafePropertiesFile reread (file, readOnly());
    juce::PropertiesFile older (file, readOnly());

    if (! reread.isValidFile() || reread.getAllProperties() != held)
        fail ("what was saved does not read back");

    if (older.getAllProperties() != held)
        fail ("an older build reads other values from what was saved");

    // An input that could not be read was moved aside byte for byte, not lost.
    const auto keptAside = file.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.unreadable");
    const bool mustBeKept = ! readOk && size > 0;

    if (keptAside.size() != (mustBeKept ? 1 : 0))
        fail ("an unreadable input was not kept aside, or a readable one was");

    if (mustBeKept)
    {
        juce::MemoryBlock kept;
        keptAside[0].loadFileAsData (kept);

        if (kept != juce::MemoryBlock (data, size))
            fail ("the input kept aside is not the input");

        keptAside[0].deleteFile();
    }

    if (others() != othersBefore)
        fail ("another file in the settings folder changed");

    return 0;
}

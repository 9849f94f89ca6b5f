// libFuzzer target: a preset file that anybody may drop into the presets folder. Each input
// is written there as "Fuzz.qzp", then scanned, loaded by name and, when listed, by ID.

#include "FuzzSupport.h"

using namespace orvelin::fuzz;

namespace
{
    OrvelinAudioProcessor* processor = nullptr;
    juce::File folder;
    std::map<std::string, std::string> neighboursBefore;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    processor = &startPlugin();
    folder = processor->getUserPresetsFolder();

    // A preset that the plug-in saved itself, and a file that is no preset: neither may
    // change, whatever the input does.
    processor->setParamAndNotifyHost ("StereoWidth", 0.75f, true);

    if (! processor->saveCurrentPresetFromValueTreeToDisk ("Neighbour", true)
         || ! folder.getChildFile ("notes.txt").replaceWithText ("not a preset"))
        fail ("cannot set up the presets folder");

    neighboursBefore = contentsOf (folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = *processor;
    p.loadFactoryPresetUndoableWithID (0);
    p.clearUndoHistory();

    const auto file = folder.getChildFile ("Fuzz.qzp");
    writeExactly (file, data, size);

    const bool listed = p.getAllUserPresetNames().contains ("Fuzz");
    p.loadUserPresetUndoableWithName ("Fuzz");

    // A successful load makes it the current user preset; a refused one changes nothing.
    if (listed == p.currentPresetIsFactory())
        fail ("the file is listed but does not load, or loads but is not listed");

    if (listed)
    {
        p.loadUserPresetUndoableWithID (p.getCurrentPresetID());
        p.undoLastParameterChange();
        p.redoLastParameterChange();
    }

    checkParametersAndAudio (p);

    file.deleteFile();

    if (contentsOf (folder) != neighboursBefore)
        fail ("another file in the presets folder changed");

    return 0;
}

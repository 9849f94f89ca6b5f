// libFuzzer target: the state blob a host hands back from its project.

#include "FuzzSupport.h"

using namespace orvelin::fuzz;

namespace
{
    OrvelinAudioProcessor* processor = nullptr;
    juce::MemoryBlock initialState;
    juce::File settingsFolder;
    std::map<std::string, std::string> filesBefore;

    juce::MemoryBlock stateOf (OrvelinAudioProcessor& p)
    {
        juce::MemoryBlock state;
        p.getStateInformation (state);
        return state;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    processor = &startPlugin();
    initialState = stateOf (*processor);

    // The properties file and the presets folder live here; a restore writes neither.
    settingsFolder = processor->getUserPresetsFolder().getParentDirectory();

    if (! processor->saveCurrentPresetFromValueTreeToDisk ("Neighbour", true))
        fail ("cannot set up the presets folder");

    filesBefore = contentsOf (settingsFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = *processor;
    p.setStateInformation (initialState.getData(), (int) initialState.getSize());
    p.clearUndoHistory();

    p.setStateInformation (data, (int) size);
    checkParametersAndAudio (p);

    // Whatever was restored, the plug-in's own state of it reads back to the same bytes.
    const auto saved = stateOf (p);
    p.setStateInformation (saved.getData(), (int) saved.getSize());

    if (stateOf (p) != saved)
        fail ("a state the plug-in wrote does not read back the same");

    // One undo takes the last restore back; the values stay usable on the way.
    p.undoLastParameterChange();
    checkParametersAndAudio (p);

    if (contentsOf (settingsFolder) != filesBefore)
        fail ("a restore changed a file");

    return 0;
}

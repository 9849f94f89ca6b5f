#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_data_structures/juce_data_structures.h>

#include "parameters/DvxParameterManager.h"
#include "parameters/DvxStereoVuVisuals.h"
#include "processor/OrvelinCurrentPreset.h"
#include "processor/OrvelinEditorSettings.h"
#include "processor/OrvelinUserPresetFiles.h"

#include <atomic>
#include <memory>

class OrvelinStateChunk;
class OrvelinStereoStage;

// The editor's mid/side mute choice; the processor turns it into "MuteMid" and "MuteSide".
enum MuteMsOption
{
    muteMsNone = 0,
    muteMsMid = 1,
    muteMsSide = 2
};

// The plug-in's processor. It keeps the classic index-based parameter interface: the host
// sees 50 slots, the first 18 of which are the real parameters, all owned by a
// DvxParameterManager. Everything else is done by its parts, which most of its methods
// forward to: the signal path (OrvelinStereoStage), the current preset with the factory
// presets and undo (OrvelinCurrentPreset), the user preset files (OrvelinUserPresetFiles),
// the host's state chunk (OrvelinStateChunk) and the editor's settings with the properties
// file (OrvelinEditorSettings).
class OrvelinAudioProcessor : public juce::AudioProcessor
{
public:
    OrvelinAudioProcessor();
    ~OrvelinAudioProcessor() override;

    // Parameter slots the host sees; indices from the table's end up to here are placeholders.
    static constexpr int numHostParameters = 50;

    //==============================================================================
    // Host-facing overrides
    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;

    using AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    using AudioProcessor::getParameterName;
    using AudioProcessor::getParameterText;
    int getNumParameters() override;
    const juce::String getParameterName (int parameterIndex) override;
    juce::String getParameterID (int parameterIndex) override;
    float getParameter (int parameterIndex) override;
    const juce::String getParameterText (int parameterIndex) override;
    int getParameterNumSteps (int parameterIndex) override;
    float getParameterDefaultValue (int parameterIndex) override;
    void setParameter (int parameterIndex, float newValue) override;
    bool isParameterAutomatable (int parameterIndex) const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    // Parameters, for the editor
    void setParamAndNotifyHost (const juce::String& parameterName, float newValue, bool beginNewUndoTransaction);
    void setMuteMsOption (MuteMsOption option);
    void beginNewTransaction();
    DvxParameterManager* getParameterManager() const noexcept { return parameterManager.get(); }
    juce::String getLastSampleRateString() const;

    // The stable host-visible ID of a parameter slot (VST3 and LV2 store these in sessions).
    static juce::String getStableParameterID (int parameterIndex);

    //==============================================================================
    // Signal path
    DvxStereoVuVisuals getInputVuMeterVisuals();
    DvxStereoVuVisuals getOutputVuMeterVisuals();
    void calculateSafeBassFilterCoefficients (double normalisedSafeBassFreq);

    //==============================================================================
    // Presets and undo (OrvelinCurrentPreset)
    std::unique_ptr<juce::ValueTree> createValueTreeForAllParameters() const             { return currentPreset->createTreeForAllParameters(); }
    void fillValueTreeWithAllParams (juce::ValueTree* tree) const                        { currentPreset->fillTreeWithAllParameters (tree); }
    void setParameterInValueTree (juce::ValueTree* tree, const juce::String& name, float value) const { currentPreset->setParameterInTree (tree, name, value); }
    void setParameterInValueTree (juce::ValueTree* tree, int parameterIndex, float value) const { currentPreset->setParameterInTree (tree, parameterIndex, value); }
    float getParamValueFromValueTree (const juce::ValueTree* tree, int parameterIndex) const { return currentPreset->getParameterFromTree (tree, parameterIndex); }

    juce::StringArray getAllFactoryPresetNames() const        { return currentPreset->getFactoryPresetNames(); }
    juce::StringArray getAllUserPresetNames()                 { return userPresetFiles.rescan(); }

    juce::String getCurrentPresetName() const                 { return currentPreset->getShownName(); }
    int getCurrentPresetID() const noexcept                   { return currentPreset->getID(); }
    bool currentPresetIsFactory() const noexcept              { return currentPreset->isFactory(); }
    bool currentPresetWasModified() const noexcept            { return currentPreset->wasModified(); }
    void updateCurrentPresetID()                              { currentPreset->updateIDFromShownName(); }
    juce::String getAllowedCharsForPresetNames() const        { return OrvelinCurrentPreset::getAllowedCharactersForNames(); }

    void loadFactoryPresetUndoableWithID (int presetID)       { currentPreset->loadFactoryPreset (presetID); }
    void loadUserPresetUndoableWithID (int presetID)          { currentPreset->loadUserPreset (presetID); }
    void loadUserPresetUndoableWithName (const juce::String& presetName) { currentPreset->loadUserPreset (presetName); }
    void loadNextPreset()                                     { currentPreset->loadNextPreset(); }
    void loadPrevPreset()                                     { currentPreset->loadPreviousPreset(); }
    void recallAllParamsFromValueTree (const juce::ValueTree* tree) { currentPreset->recall (tree); }
    void copyAllPresetValuesFromValueTree (const juce::ValueTree& source) { currentPreset->copyFrom (source); }
    void setCurrentPresetNameUndoable (const juce::String& newName) { currentPreset->renameUndoable (newName); }

    void undoLastParameterChange()                            { currentPreset->undo(); }
    void redoLastParameterChange()                            { currentPreset->redo(); }
    void restorePresetAfterUndoOrRedo()                       { currentPreset->restoreAfterUndoOrRedo(); }
    bool canUndo() const                                      { return currentPreset->canUndo(); }
    bool canRedo() const                                      { return currentPreset->canRedo(); }
    bool canUndoOrRedo() const                                { return canUndo() || canRedo(); }
    void clearUndoHistory()                                   { currentPreset->clearUndoHistory(); }

    // The current preset tree, read-only, for reading on the message thread (tests).
    const juce::ValueTree* getCurrentPresetValueTree() const noexcept { return currentPreset->getTree(); }

    //==============================================================================
    // User preset files (OrvelinUserPresetFiles)
    std::unique_ptr<juce::File> getPresetsFolderFromPropertiesFile() const { return std::make_unique<juce::File> (OrvelinUserPresetFiles::findFolder (getPropertiesFile())); }
    void initUserPresets();
    void updateAllUserPresetNames()                           { userPresetFiles.rescan(); }
    juce::ValueTree loadUserPresetAsValueTree (const juce::File& presetFile) const { return userPresetFiles.read (presetFile); }
    static juce::String dvxReadString (juce::InputStream& stream) { return OrvelinUserPresetFiles::readZeroTerminatedString (stream); }
    void addAdditionalInfosToValueTree (juce::ValueTree* tree) const;
    bool saveCurrentPresetFromValueTreeToDisk (juce::String presetName, bool compressed);
    // The result comes later, on the message thread: false when nothing could open the folder.
    void revealUserPresetsFolder (DvxFolderOpener::ResultCallback onResult = {}) { userPresetFiles.reveal (std::move (onResult)); }
    juce::File getUserPresetsFolder() const                   { return userPresetFiles.getFolder(); }
    // The opener behind the reveal, for tests that start their own openers.
    DvxFolderOpener& getFolderOpener() noexcept               { return userPresetFiles.getFolderOpener(); }
    // The file a user preset of this name lives in: the folder, the name and ".qzp".
    juce::File getUserPresetFile (const juce::String& presetName) const { return userPresetFiles.getFile (presetName); }

    //==============================================================================
    // Properties file and editor settings (OrvelinEditorSettings)
    void initPropertiesFile()                                           { editorSettings.initPropertiesFile(); }
    float getDefaultEditorDesktopHeightRatioFromPropertiesFile() const  { return editorSettings.getDefaultEditorDesktopHeightRatioFromPropertiesFile(); }
    void updateDefaultEditorSizes()                                     { editorSettings.updateDefaultEditorSizes(); }
    void updateDefaultEditorSizesForDisplayHeight (int height)          { editorSettings.updateDefaultEditorSizesForDisplayHeight (height); }
    void setCurrentAsDefaultEditorDesktopHeightRatio()                  { editorSettings.setCurrentAsDefaultEditorDesktopHeightRatio(); }
    void setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (int height) { editorSettings.setCurrentAsDefaultEditorDesktopHeightRatioForDisplayHeight (height); }
    void resetDefaultEditorDesktopHeightRatio()                         { editorSettings.resetDefaultEditorDesktopHeightRatio(); }
    float getDefaultEditorDesktopHeightRatio() const                    { return editorSettings.getDefaultEditorDesktopHeightRatio(); }
    int getDefaultEditorHeight() const                                  { return editorSettings.getDefaultEditorHeight(); }
    int getEditorHeight() const                                         { return editorSettings.getEditorHeight(); }
    void setEditorHeight (int newHeight)                                { editorSettings.setEditorHeight (newHeight); }
    float getCurrentColourSchemeBrightness() const noexcept             { return editorSettings.getCurrentColourSchemeBrightness(); }
    void setCurrentColourSchemeBrightness (float newBrightness) noexcept { editorSettings.setCurrentColourSchemeBrightness (newBrightness); }
    juce::String getChannelName() const                                 { return editorSettings.getChannelName(); }
    void setChannelName (const juce::String& newName)                   { editorSettings.setChannelName (newName); }
    bool getExpertMode() const noexcept                                 { return editorSettings.getExpertMode(); }
    void setExpertMode (bool shouldBeOn) noexcept                       { editorSettings.setExpertMode (shouldBeOn); }
    DvxSafePropertiesFile* getPropertiesFile() const noexcept           { return editorSettings.getPropertiesFile(); }

private:
    //==============================================================================
    void initAllParameters();

    //==============================================================================
    // Members. They are built in the constructor's order of steps; the undo manager, built
    // last, is declared early so that it outlives the current preset that records into it.
    std::atomic<double> lastSampleRate { 0.0 };

    // The properties file and the settings kept for the editor.
    OrvelinEditorSettings editorSettings;

    // The presets folder and its files; the folder is chosen while the processor is built.
    OrvelinUserPresetFiles userPresetFiles;

    std::unique_ptr<juce::UndoManager> undoManager;

    std::unique_ptr<DvxParameterManager> parameterManager;

    // The signal path with the SAFE BASS filter and the peak records; built on the
    // parameters once they are registered.
    std::unique_ptr<OrvelinStereoStage> stereoStage;

    // The current preset with the factory presets and the undo history, and the host's
    // state chunk, which reads and restores it.
    std::unique_ptr<OrvelinCurrentPreset> currentPreset;
    std::unique_ptr<OrvelinStateChunk> stateChunk;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelinAudioProcessor)
};

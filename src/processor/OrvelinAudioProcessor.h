#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_data_structures/juce_data_structures.h>

#include "parameters/DvxParameterManager.h"
#include "parameters/DvxStereoVuVisuals.h"
#include "processor/OrvelinEditorSettings.h"

#include <atomic>
#include <memory>

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
// DvxParameterManager and addressed by name everywhere else.
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
    // Presets and undo
    std::unique_ptr<juce::ValueTree> createValueTreeForAllParameters() const;
    void fillValueTreeWithAllParams (juce::ValueTree* tree) const;
    void setParameterInValueTree (juce::ValueTree* tree, const juce::String& parameterName, float value) const;
    void setParameterInValueTree (juce::ValueTree* tree, int parameterIndex, float value) const;
    float getParamValueFromValueTree (const juce::ValueTree* tree, int parameterIndex) const;

    juce::StringArray getAllFactoryPresetNames() const;
    juce::StringArray getAllUserPresetNames();

    juce::String getCurrentPresetName() const;
    int getCurrentPresetID() const noexcept { return currentPresetID.load (std::memory_order_relaxed); }
    bool currentPresetIsFactory() const noexcept { return currentPresetIsFactoryFlag.load (std::memory_order_relaxed); }
    bool currentPresetWasModified() const noexcept { return currentPresetWasModifiedFlag.load (std::memory_order_relaxed); }
    void updateCurrentPresetID();
    juce::String getAllowedCharsForPresetNames() const;

    void loadFactoryPresetUndoableWithID (int presetID);
    void loadUserPresetUndoableWithID (int presetID);
    void loadUserPresetUndoableWithName (const juce::String& presetName);
    void loadNextPreset();
    void loadPrevPreset();
    void recallAllParamsFromValueTree (const juce::ValueTree* tree);
    void copyAllPresetValuesFromValueTree (const juce::ValueTree& source);
    void setCurrentPresetNameUndoable (const juce::String& newName);

    void undoLastParameterChange();
    void redoLastParameterChange();
    void restorePresetAfterUndoOrRedo();
    bool canUndo() const;
    bool canRedo() const;
    bool canUndoOrRedo() const;
    void clearUndoHistory();

    // The current preset tree (read-only view, for the editor and tests).
    const juce::ValueTree* getCurrentPresetValueTree() const noexcept { return currentPreset.get(); }

    //==============================================================================
    // User preset files
    std::unique_ptr<juce::File> getPresetsFolderFromPropertiesFile() const;
    void initUserPresets();
    void updateAllUserPresetNames();
    juce::ValueTree loadUserPresetAsValueTree (const juce::File& presetFile) const;
    static juce::String dvxReadString (juce::InputStream& stream);
    void addAdditionalInfosToValueTree (juce::ValueTree* tree) const;
    bool saveCurrentPresetFromValueTreeToDisk (juce::String presetName, bool compressed);
    void revealUserPresetsFolder() const;
    juce::File getUserPresetsFolder() const;
    // The file a user preset of this name lives in: the folder, the name and ".qzp".
    juce::File getUserPresetFile (const juce::String& presetName) const;

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
    void initFactoryPresets();
    void addFactoryPreset (int presetID, const juce::String& name, float stereoWidth, float safeBass, float safeBassFreq);
    bool loadUserPresetWithName (const juce::String& presetName);
    // The one rule for preset names, shared by the save, the loads and the scan.
    static bool isUsablePresetName (const juce::String& name);

    //==============================================================================
    // Members, in the order of construction.
    std::atomic<double> lastSampleRate { 0.0 };

    // The properties file and the settings kept for the editor.
    OrvelinEditorSettings editorSettings;

    std::atomic<bool> currentPresetIsFactoryFlag { true };
    std::atomic<int> currentPresetID { 0 };
    std::unique_ptr<juce::UndoManager> undoManager;
    std::unique_ptr<juce::File> userPresetsFolder;
    std::vector<juce::ValueTree> factoryPresets;
    juce::StringArray factoryPresetNames;
    juce::StringArray userPresetNames;
    std::atomic<bool> currentPresetWasModifiedFlag { false };

    std::unique_ptr<DvxParameterManager> parameterManager;
    std::unique_ptr<juce::ValueTree> currentPreset;

    // The signal path with the SAFE BASS filter and the peak records; built on the
    // parameters once they are registered.
    std::unique_ptr<OrvelinStereoStage> stereoStage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelinAudioProcessor)
};

#include "processor/OrvelinAudioProcessor.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "processor/OrvelinParameterTable.h"
#include "processor/OrvelinStateChunk.h"
#include "processor/OrvelinStereoStage.h"

#include <limits>

OrvelinAudioProcessor::OrvelinAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    lastSampleRate.store (0.0);

    initPropertiesFile();

    setChannelName ("No Channel Name");
    setExpertMode (false);

    // Factory preset 0, not modified, is where the current preset starts when it is built
    // from the parameters below; nothing asks for it before then.

    editorSettings.initEditorSizes();
    setCurrentColourSchemeBrightness (0.3f);

    // The peak records start cleared with the stereo stage, which initAllParameters builds
    // on the registered parameters.
    initAllParameters();

    // The current preset tree from the parameters, then the factory presets.
    currentPreset = std::make_unique<OrvelinCurrentPreset> (*parameterManager, userPresetFiles, OrvelinCurrentPreset::Host {
        // The framework's setParameterNotifyingHost is exactly these two steps for index
        // parameters: they are split so that a load stores its values under the current
        // preset's lock and tells the host once that is released.
        [this] (int index, float value) { setParameter (index, value); },
        [this] (int index, float value) { sendParamChangeMessageToListeners (index, value); },
        [this] { updateHostDisplay(); } });
    stateChunk = std::make_unique<OrvelinStateChunk> (editorSettings, *currentPreset);

    initUserPresets();

    // The framework's own history limits, passed explicitly: 30000 units, never fewer
    // than 30 transactions.
    undoManager = std::make_unique<juce::UndoManager> (30000, 30);
    currentPreset->attachUndoManager (*undoManager);
}

OrvelinAudioProcessor::~OrvelinAudioProcessor() = default;

//==============================================================================
void OrvelinAudioProcessor::initAllParameters()
{
    using namespace OrvelinParameters;

    // The stage reads the parameters that are about to be replaced.
    stereoStage.reset();
    parameterManager = std::make_unique<DvxParameterManager> (this);

    registerAll (*parameterManager, [this] (Index next)
    {
        // Between "SafeBassFreq" and "SafeBass" the coefficients are asked for. The sample
        // rate is still unknown here, so nothing is computed; the first audio block does it.
        if (next == safeBass)
            calculateSafeBassFilterCoefficients ((double) row (safeBassFreq).defaultValue);
    });

    stereoStage = std::make_unique<OrvelinStereoStage> (*parameterManager);
}

//==============================================================================
const juce::String OrvelinAudioProcessor::getName() const { return "Orvelin"; }

// The sample rate is picked up by processBlock itself.
void OrvelinAudioProcessor::prepareToPlay (double, int) {}
void OrvelinAudioProcessor::releaseResources() {}

void OrvelinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const auto rate = getSampleRate();

    if (rate != lastSampleRate.load (std::memory_order_relaxed))
    {
        lastSampleRate.store (rate, std::memory_order_relaxed);
        stereoStage->prepare (rate);
        parameterManager->setSampleRateNeedsToBeUpdatedInEditor (true);
    }

    stereoStage->process (buffer);

    for (int channel = 2; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());
}

// Callable from any thread: it only records the request; the audio thread builds the
// coefficients at its next block.
void OrvelinAudioProcessor::calculateSafeBassFilterCoefficients (double normalisedSafeBassFreq)
{
    if (getSampleRate() == 0.0 || stereoStage == nullptr)
        return;

    stereoStage->requestSafeBassCoefficients (normalisedSafeBassFreq);
}

DvxStereoVuVisuals OrvelinAudioProcessor::getInputVuMeterVisuals()  { return stereoStage->takeInputPeaks(); }
DvxStereoVuVisuals OrvelinAudioProcessor::getOutputVuMeterVisuals() { return stereoStage->takeOutputPeaks(); }

bool OrvelinAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
        && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

const juce::String OrvelinAudioProcessor::getInputChannelName (int channelIndex) const  { return juce::String (channelIndex + 1); }
const juce::String OrvelinAudioProcessor::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool OrvelinAudioProcessor::isInputChannelStereoPair (int) const  { return true; }
bool OrvelinAudioProcessor::isOutputChannelStereoPair (int) const { return true; }

double OrvelinAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool OrvelinAudioProcessor::acceptsMidi() const  { return false; }
bool OrvelinAudioProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* OrvelinAudioProcessor::createEditor() { return new OrvelinAudioProcessorEditor (this); }
bool OrvelinAudioProcessor::hasEditor() const { return true; }

//==============================================================================
int OrvelinAudioProcessor::getNumParameters() { return numHostParameters; }

const juce::String OrvelinAudioProcessor::getParameterName (int parameterIndex)
{
    return parameterManager->getParameterName (parameterIndex);
}

juce::String OrvelinAudioProcessor::getStableParameterID (int parameterIndex)
{
    // Hosts store these IDs in their sessions, so they must never change. The real
    // parameters use their own names; the placeholders get a fixed ID per slot.
    if (juce::isPositiveAndBelow (parameterIndex, (int) OrvelinParameters::numParameters))
        return OrvelinParameters::row ((OrvelinParameters::Index) parameterIndex).name;

    return "reserved" + juce::String (parameterIndex);
}

juce::String OrvelinAudioProcessor::getParameterID (int parameterIndex)
{
    return getStableParameterID (parameterIndex);
}

float OrvelinAudioProcessor::getParameter (int parameterIndex)
{
    return parameterManager->getParameterValue (parameterIndex);
}

const juce::String OrvelinAudioProcessor::getParameterText (int parameterIndex)
{
    return parameterManager->getParameterValueAsText (parameterIndex);
}

int OrvelinAudioProcessor::getParameterNumSteps (int)
{
    return 2147483647;
}

float OrvelinAudioProcessor::getParameterDefaultValue (int parameterIndex)
{
    if (auto* parameter = parameterManager->getParameter (parameterIndex))
        return parameter->getDefaultValue();

    return 0.0f;
}

bool OrvelinAudioProcessor::isParameterAutomatable (int) const { return true; }

void OrvelinAudioProcessor::setParameter (int parameterIndex, float newValue)
{
    // The wrappers pass a host's value on as it came (a VST3 process queue, an LV2 patch:Set,
    // a VST2 setParameter), so the manager keeps it to 0..1: a value beyond the range sounds,
    // shows and saves as the nearest end of it. It ignores NaN and the placeholder slots.
    if (! parameterManager->setParameterValue (parameterIndex, newValue))
        return;

    // The gains follow their parameters at the next block; the filter needs new
    // coefficients asked for.
    if (parameterIndex == OrvelinParameters::safeBassFreq)
        calculateSafeBassFilterCoefficients ((double) parameterManager->getParameterValue (parameterIndex));
}

//==============================================================================
int OrvelinAudioProcessor::getNumPrograms() { return 1; }
int OrvelinAudioProcessor::getCurrentProgram() { return 0; }
void OrvelinAudioProcessor::setCurrentProgram (int) {}
const juce::String OrvelinAudioProcessor::getProgramName (int) { return getCurrentPresetName(); }

void OrvelinAudioProcessor::changeProgramName (int, const juce::String& newName)
{
    currentPreset->rename (newName);

    // An open editor shows the name; a host's rename reaches it only through the flag.
    parameterManager->setPresetNameNeedsToBeUpdatedInEditor (true);
}

void OrvelinAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    stateChunk->write (destData);
}

void OrvelinAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // The filter keeps the frequency it was last computed for unless told otherwise.
    if (stateChunk->restore (data, sizeInBytes))
    {
        calculateSafeBassFilterCoefficients ((double) parameterManager->getParameterValue (OrvelinParameters::safeBassFreq));

        // Raised last, once everything restored is in place for an open editor to read.
        parameterManager->setHostStateNeedsToBeUpdatedInEditor (true);
    }
}

//==============================================================================
void OrvelinAudioProcessor::setParamAndNotifyHost (const juce::String& parameterName, float newValue,
                                                   bool beginNewUndoTransaction)
{
    const int index = parameterManager->getParameterIndex (parameterName);

    // The tree and the host get the value that the parameter keeps, and nothing for NaN.
    if (const auto value = DvxParameterManager::bounded (newValue); index >= 0 && value.has_value())
        currentPreset->takeEditorChange (index, *value, beginNewUndoTransaction);
}

void OrvelinAudioProcessor::setMuteMsOption (MuteMsOption option)
{
    using namespace OrvelinParameters;

    // Both mutes change in one step: a host saving its state between two steps would keep
    // mid and side muted together, and the project would reopen silent. Within the step the
    // mute being switched off is stored first: the audio thread may run a block between the
    // two stores, and with both on that block would be silent.
    const auto write = [this] (std::initializer_list<std::pair<int, float>> changes)
    {
        currentPreset->takeEditorChanges (changes, false);
    };

    switch (option)
    {
        case muteMsNone: write ({ { muteMid, 0.0f }, { muteSide, 0.0f } }); break;
        case muteMsMid:  write ({ { muteSide, 0.0f }, { muteMid, 1.0f } }); break;
        case muteMsSide: write ({ { muteMid, 0.0f }, { muteSide, 1.0f } }); break;
        default: break;
    }

    beginNewTransaction();
}

void OrvelinAudioProcessor::beginNewTransaction()
{
    currentPreset->beginNewTransaction();
}

//==============================================================================
void OrvelinAudioProcessor::initUserPresets()
{
    userPresetFiles.setFolder (OrvelinUserPresetFiles::findFolder (getPropertiesFile()));
    userPresetFiles.rescan();
}

void OrvelinAudioProcessor::addAdditionalInfosToValueTree (juce::ValueTree* tree) const
{
    if (tree != nullptr)
        OrvelinUserPresetFiles::addSavedSystemInformation (*tree, getTotalNumInputChannels(), getTotalNumOutputChannels(),
                                                           lastSampleRate.load (std::memory_order_relaxed));
}

bool OrvelinAudioProcessor::saveCurrentPresetFromValueTreeToDisk (juce::String presetName, bool compressed)
{
    return currentPreset->saveAsUserPreset (presetName, compressed,
                                            [this] (juce::ValueTree& tree) { addAdditionalInfosToValueTree (&tree); });
}

juce::String OrvelinAudioProcessor::getLastSampleRateString() const
{
    const auto rate = lastSampleRate.load (std::memory_order_relaxed);

    // Shown in whole hertz only when it is positive and fits an int: no rate yet, NaN, a
    // negative rate and one that roundToInt would wrap around are unknown.
    if (! (rate > 0.0 && rate <= (double) std::numeric_limits<int>::max()))
        return "(unknown)";

    return juce::String (juce::roundToInt (rate)) + " Hz";
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new OrvelinAudioProcessor();
}

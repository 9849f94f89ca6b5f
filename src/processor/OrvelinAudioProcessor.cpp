#include "processor/OrvelinAudioProcessor.h"
#include "processor/OrvelinSignalPath.h"

#include <cmath>

OrvelinAudioProcessor::OrvelinAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      signalPath (std::make_unique<SignalPathState>())
{
    lastSampleRate.store (0.0);

    initPropertiesFile();

    setChannelName ("No Channel Name");
    expertMode.store (0.0);

    currentPresetID.store (0);
    currentPresetIsFactoryFlag.store (true);
    currentPresetWasModifiedFlag.store (false);

    defaultEditorDesktopHeightRatio.store (getDefaultEditorDesktopHeightRatioFromPropertiesFile());
    updateDefaultEditorSizes();
    editorHeight.store (defaultEditorHeight.load());
    colourSchemeBrightness.store (0.3f);

    inputVuMeterVisuals.reset();
    outputVuMeterVisuals.reset();

    initAllParameters();

    currentPreset = createValueTreeForAllParameters();
    initFactoryPresets();
    initUserPresets();

    // The framework's own history limits, passed explicitly: 30000 units, never fewer
    // than 30 transactions.
    undoManager = std::make_unique<juce::UndoManager> (30000, 30);
    undoManager->beginNewTransaction();
}

OrvelinAudioProcessor::~OrvelinAudioProcessor() = default;

//==============================================================================
void OrvelinAudioProcessor::addParameter (const juce::String& name, float defaultValue,
                                          DvxParameterValueMapper::DvxMappingENUM kind)
{
    auto* parameter = new DvxParameter (parameterManager.get(), kind);
    parameter->setName (name);
    parameter->setValue (defaultValue);
    parameter->setDefaultValue (defaultValue);
    parameterManager->addParameter (parameter);
}

void OrvelinAudioProcessor::initAllParameters()
{
    using M = DvxParameterValueMapper;

    parameterManager = std::make_unique<DvxParameterManager> (this);

    addParameter ("Bypass",         0.0f,   M::mapBypass);
    addParameter ("StereoWidth",    0.5f,   M::mapPercent200);
    addParameter ("Pan",            0.5f,   M::mapPan100);
    addParameter ("InputGain",      0.5f,   M::mapGainDb12);
    addParameter ("OutputGain",     0.5f,   M::mapGainDb12);
    addParameter ("SwapLR",         0.0f,   M::mapSwap);
    addParameter ("PhaseFlip",      0.0f,   M::mapPhaseFlip);
    addParameter ("Mono",           0.0f,   M::mapMono);
    addParameter ("MuteAll",        0.0f,   M::mapMuteAll);
    addParameter ("MuteMid",        0.0f,   M::mapMuteMid);
    addParameter ("MuteSide",       0.0f,   M::mapMuteSide);
    addParameter ("PanCurve",       0.1f,   M::mapPanCurve);
    addParameter ("PanLaw",         0.0f,   M::mapPanLaw);
    addParameter ("MsMode",         0.0f,   M::mapMsMode);
    addParameter ("PanMode",        0.1f,   M::mapPanMode);
    addParameter ("PhaseAlignSide", 0.0f,   M::mapPhaseAlignSide);
    addParameter ("SafeBassFreq",   0.286f, M::mapSafeBassFreq);

    // The sample rate is still unknown here, so this leaves the coefficients invalid; the
    // first audio block computes them.
    calculateSafeBassFilterCoefficients ((double) 0.286f);

    addParameter ("SafeBass",       0.0f,   M::mapSafeBass);

    signalPath->resolveParameterIndices (*parameterManager);
}

//==============================================================================
const juce::String OrvelinAudioProcessor::getName() const { return "Orvelin"; }

// The sample rate is picked up by processBlock itself.
void OrvelinAudioProcessor::prepareToPlay (double, int) {}
void OrvelinAudioProcessor::releaseResources() {}

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

// Until the plug-in has its own editor, hosts show their generic one.
juce::AudioProcessorEditor* OrvelinAudioProcessor::createEditor() { return nullptr; }
bool OrvelinAudioProcessor::hasEditor() const { return false; }

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
    static const char* const names[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain",
                                         "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide",
                                         "PanCurve", "PanLaw", "MsMode", "PanMode", "PhaseAlignSide",
                                         "SafeBassFreq", "SafeBass" };

    if (juce::isPositiveAndBelow (parameterIndex, (int) std::size (names)))
        return names[parameterIndex];

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

float OrvelinAudioProcessor::dbGainFromNormalised (float normalisedValue) noexcept
{
    // Exponent in single precision, power in double, stored as float.
    const float exponent = (normalisedValue * 24.0f - 12.0f) / 20.0f;
    return (float) std::pow (10.0, (double) exponent);
}

void OrvelinAudioProcessor::setParameter (int parameterIndex, float newValue)
{
    if (! juce::isPositiveAndBelow (parameterIndex, parameterManager->getNumberOfParameters()))
        return;

    // A host that sends NaN or infinity would otherwise poison the gains and the signal
    // path until the value is written again; such a write is ignored.
    if (! std::isfinite (newValue))
        return;

    parameterManager->setParameterValue (parameterIndex, newValue);

    const auto& indices = *signalPath;

    if (parameterIndex == indices.outputGainIndex)
        outputGain.store (dbGainFromNormalised (parameterManager->getParameterValue (parameterIndex)), std::memory_order_relaxed);
    else if (parameterIndex == indices.inputGainIndex)
        inputGain.store (dbGainFromNormalised (parameterManager->getParameterValue (parameterIndex)), std::memory_order_relaxed);
    else if (parameterIndex == indices.safeBassFreq)
        calculateSafeBassFilterCoefficients ((double) parameterManager->getParameterValue (parameterIndex));
}

//==============================================================================
int OrvelinAudioProcessor::getNumPrograms() { return 1; }
int OrvelinAudioProcessor::getCurrentProgram() { return 0; }
void OrvelinAudioProcessor::setCurrentProgram (int) {}
const juce::String OrvelinAudioProcessor::getProgramName (int) { return getCurrentPresetName(); }

void OrvelinAudioProcessor::changeProgramName (int, const juce::String& newName)
{
    if (currentPreset == nullptr || ! currentPreset->isValid())
        return;

    currentPreset->setProperty ("PresetName", newName, undoManager.get());
    updateHostDisplay();
}

//==============================================================================
void OrvelinAudioProcessor::setParamAndNotifyHost (const juce::String& parameterName, float newValue,
                                                   bool beginNewUndoTransaction)
{
    const int index = parameterManager->getParameterIndex (parameterName);

    // setParameter ignores non-finite values, so the tree must not take them either.
    if (index < 0 || ! std::isfinite (newValue))
        return;

    setParameterNotifyingHost (index, newValue);

    if (getParamValueFromValueTree (currentPreset.get(), index) == newValue)
        return;

    setParameterInValueTree (currentPreset.get(), index, newValue);
    currentPresetWasModifiedFlag.store (true, std::memory_order_relaxed);

    if (beginNewUndoTransaction && undoManager != nullptr)
        undoManager->beginNewTransaction();
}

void OrvelinAudioProcessor::setMuteMsOption (MuteMsOption option)
{
    switch (option)
    {
        case muteMsNone: setParamAndNotifyHost ("MuteMid", 0.0f, false); setParamAndNotifyHost ("MuteSide", 0.0f, false); break;
        case muteMsMid:  setParamAndNotifyHost ("MuteMid", 1.0f, false); setParamAndNotifyHost ("MuteSide", 0.0f, false); break;
        case muteMsSide: setParamAndNotifyHost ("MuteMid", 0.0f, false); setParamAndNotifyHost ("MuteSide", 1.0f, false); break;
        default: break;
    }

    beginNewTransaction();
}

void OrvelinAudioProcessor::beginNewTransaction()
{
    if (undoManager != nullptr)
        undoManager->beginNewTransaction();
}

juce::String OrvelinAudioProcessor::getLastSampleRateString() const
{
    const auto rate = lastSampleRate.load (std::memory_order_relaxed);

    if (rate == 0.0)
        return "(unknown)";

    return juce::String (juce::roundToInt (rate)) + " Hz";
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new OrvelinAudioProcessor();
}

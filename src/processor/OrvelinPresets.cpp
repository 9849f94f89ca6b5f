#include "OrvelinAudioProcessor.h"

// The current preset tree and the undo history. Loading presets and the factory list are
// completed separately; what stands here is what the parameter interface needs.

std::unique_ptr<juce::ValueTree> OrvelinAudioProcessor::createValueTreeForAllParameters() const
{
    auto tree = std::make_unique<juce::ValueTree> ("VelmoraPreset");
    tree->setProperty ("QzPluginName", "Orvelin", nullptr);
    tree->setProperty ("PresetName", getCurrentPresetName(), nullptr);
    fillValueTreeWithAllParams (tree.get());
    return tree;
}

void OrvelinAudioProcessor::fillValueTreeWithAllParams (juce::ValueTree* tree) const
{
    for (int i = 0; i < parameterManager->getNumberOfParameters(); ++i)
        setParameterInValueTree (tree, i, parameterManager->getParameterValue (i));
}

void OrvelinAudioProcessor::setParameterInValueTree (juce::ValueTree* tree, const juce::String& parameterName, float value) const
{
    if (tree == nullptr || ! tree->isValid())
        return;

    auto child = tree->getChildWithProperty ("ParameterName", parameterName);

    if (child.isValid())
    {
        child.setProperty ("Value", (double) value, undoManager.get());
        return;
    }

    juce::ValueTree newChild ("Parameter");
    newChild.setProperty ("ParameterName", parameterName, nullptr);
    newChild.setProperty ("Value", (double) value, nullptr);
    tree->appendChild (newChild, nullptr);
}

void OrvelinAudioProcessor::setParameterInValueTree (juce::ValueTree* tree, int parameterIndex, float value) const
{
    setParameterInValueTree (tree, parameterManager->getParameterName (parameterIndex), value);
}

float OrvelinAudioProcessor::getParamValueFromValueTree (const juce::ValueTree* tree, int parameterIndex) const
{
    if (tree == nullptr || ! tree->isValid())
        return -1.0f;

    auto child = tree->getChildWithProperty ("ParameterName", parameterManager->getParameterName (parameterIndex));

    if (! child.isValid())
        return 0.0f;

    return (float) child.getProperty ("Value");
}

juce::String OrvelinAudioProcessor::getCurrentPresetName() const
{
    if (currentPreset == nullptr || ! currentPreset->isValid())
        return "Init";

    auto name = currentPreset->getProperty ("PresetName", "Init").toString();

    if (currentPresetWasModified())
        return name.removeCharacters ("*") + "*";

    return name;
}

void OrvelinAudioProcessor::initFactoryPresets() {}
void OrvelinAudioProcessor::addFactoryPreset (int, const juce::String&, float, float, float) {}
juce::StringArray OrvelinAudioProcessor::getAllFactoryPresetNames() const { return factoryPresetNames; }
juce::StringArray OrvelinAudioProcessor::getAllUserPresetNames() { return userPresetNames; }
void OrvelinAudioProcessor::updateCurrentPresetID() {}
juce::String OrvelinAudioProcessor::getAllowedCharsForPresetNames() const
{
    return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _-!+#%&";
}
void OrvelinAudioProcessor::loadFactoryPresetUndoableWithID (int) {}
void OrvelinAudioProcessor::loadUserPresetUndoableWithID (int) {}
void OrvelinAudioProcessor::loadUserPresetUndoableWithName (const juce::String&) {}
void OrvelinAudioProcessor::loadNextPreset() {}
void OrvelinAudioProcessor::loadPrevPreset() {}
void OrvelinAudioProcessor::recallAllParamsFromValueTree (const juce::ValueTree*) {}
void OrvelinAudioProcessor::copyAllPresetValuesFromValueTree (const juce::ValueTree&) {}

void OrvelinAudioProcessor::setCurrentPresetNameUndoable (const juce::String& newName)
{
    changeProgramName (0, newName);
    beginNewTransaction();
}

void OrvelinAudioProcessor::undoLastParameterChange()
{
    if (undoManager != nullptr)
        undoManager->undo();

    restorePresetAfterUndoOrRedo();
}

void OrvelinAudioProcessor::redoLastParameterChange()
{
    if (undoManager != nullptr)
        undoManager->redo();

    restorePresetAfterUndoOrRedo();
}

void OrvelinAudioProcessor::restorePresetAfterUndoOrRedo() {}

bool OrvelinAudioProcessor::canUndo() const { return undoManager != nullptr && undoManager->canUndo(); }
bool OrvelinAudioProcessor::canRedo() const { return undoManager != nullptr && undoManager->canRedo(); }
bool OrvelinAudioProcessor::canUndoOrRedo() const { return canUndo() || canRedo(); }

void OrvelinAudioProcessor::clearUndoHistory()
{
    if (undoManager != nullptr)
        undoManager->clearUndoHistory();
}

#include "processor/OrvelinAudioProcessor.h"
#include "processor/DvxStoredValues.h"

// The current preset, the factory presets and the undo history.
//
// The current preset tree mirrors every parameter and carries the preset's name. It is
// only ever changed through the undo manager (once that exists), so undo and redo work
// on the tree and then push it back into the parameters.

namespace
{
    const char* const presetTreeType = "VelmoraPreset";
    const char* const presetNameProperty = "PresetName";
    const char* const presetIDProperty = "PresetID";
    const char* const presetTypeProperty = "PresetType";
    const char* const parameterNameProperty = "ParameterName";
    const char* const valueProperty = "Value";

    const char* const factoryType = "Factory";
    const char* const userType = "User";
}

//==============================================================================
std::unique_ptr<juce::ValueTree> OrvelinAudioProcessor::createValueTreeForAllParameters() const
{
    auto tree = std::make_unique<juce::ValueTree> (presetTreeType);
    tree->setProperty ("QzPluginName", "Orvelin", nullptr);
    tree->setProperty (presetNameProperty, getCurrentPresetName(), nullptr);
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

    auto child = tree->getChildWithProperty (parameterNameProperty, parameterName);

    if (child.isValid())
    {
        child.setProperty (valueProperty, (double) value, undoManager.get());
        return;
    }

    juce::ValueTree newChild ("Parameter");
    newChild.setProperty (parameterNameProperty, parameterName, nullptr);
    newChild.setProperty (valueProperty, (double) value, nullptr);
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

    auto child = tree->getChildWithProperty (parameterNameProperty, parameterManager->getParameterName (parameterIndex));

    if (! child.isValid())
        return 0.0f;

    return (float) child.getProperty (valueProperty);
}

//==============================================================================
void OrvelinAudioProcessor::initFactoryPresets()
{
    addFactoryPreset (0,  "Init",                          0.5f,   0.0f, 0.286f);
    addFactoryPreset (1,  "TRACK Stereo 125%",             0.625f, 0.0f, 0.286f);
    addFactoryPreset (2,  "TRACK Stereo 150%",             0.75f,  0.0f, 0.286f);
    addFactoryPreset (3,  "TRACK Stereo 200%",             1.0f,   0.0f, 0.286f);
    addFactoryPreset (4,  "GROUP Stereo 125% + SafeBass",  0.625f, 1.0f, 0.4898f);
    addFactoryPreset (5,  "GROUP Stereo 150% + SafeBass",  0.75f,  1.0f, 0.4898f);
    addFactoryPreset (6,  "GROUP Stereo 200% + SafeBass",  1.0f,   1.0f, 0.4898f);
    addFactoryPreset (7,  "MASTER Stereo 105% + SafeBass", 0.525f, 1.0f, 0.286f);
    addFactoryPreset (8,  "MASTER Stereo 110% + SafeBass", 0.55f,  1.0f, 0.286f);
    addFactoryPreset (9,  "MASTER Stereo 115% + SafeBass", 0.575f, 1.0f, 0.286f);
    addFactoryPreset (10, "MASTER SafeBass 80 Hz",         0.5f,   1.0f, 0.142f);
    addFactoryPreset (11, "MASTER SafeBass 100 Hz",        0.5f,   1.0f, 0.183f);
    addFactoryPreset (12, "MASTER SafeBass 150 Hz",        0.5f,   1.0f, 0.286f);
    addFactoryPreset (13, "MASTER SafeBass 250 Hz",        0.5f,   1.0f, 0.4898f);
}

void OrvelinAudioProcessor::addFactoryPreset (int presetID, const juce::String& name,
                                              float stereoWidth, float safeBass, float safeBassFreq)
{
    // Built before the undo manager exists, from the parameters' start values, so every
    // parameter not named here keeps its default.
    auto tree = createValueTreeForAllParameters();
    tree->setProperty (presetNameProperty, name, nullptr);
    tree->setProperty (presetIDProperty, presetID, nullptr);
    tree->setProperty (presetTypeProperty, factoryType, nullptr);

    setParameterInValueTree (tree.get(), "StereoWidth", stereoWidth);
    setParameterInValueTree (tree.get(), "SafeBass", safeBass);
    setParameterInValueTree (tree.get(), "SafeBassFreq", safeBassFreq);

    factoryPresets.push_back (*tree);
    factoryPresetNames.add (name);
}

juce::StringArray OrvelinAudioProcessor::getAllFactoryPresetNames() const { return factoryPresetNames; }

juce::StringArray OrvelinAudioProcessor::getAllUserPresetNames()
{
    updateAllUserPresetNames();
    return userPresetNames;
}

//==============================================================================
juce::String OrvelinAudioProcessor::getCurrentPresetName() const
{
    if (currentPreset == nullptr || ! currentPreset->isValid())
        return "Init";

    auto name = currentPreset->getProperty (presetNameProperty, "Init").toString();

    // Exactly one trailing "*" while modified, wherever the name had stars before.
    if (currentPresetWasModified())
        return name.removeCharacters ("*") + "*";

    return name;
}

void OrvelinAudioProcessor::updateCurrentPresetID()
{
    const auto& names = currentPresetIsFactory() ? factoryPresetNames : userPresetNames;
    const int index = names.indexOf (getCurrentPresetName());

    if (index >= 0)
        currentPresetID.store (index, std::memory_order_relaxed);
}

juce::String OrvelinAudioProcessor::getAllowedCharsForPresetNames() const
{
    return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _-!+#%&";
}

//==============================================================================
void OrvelinAudioProcessor::recallAllParamsFromValueTree (const juce::ValueTree* tree)
{
    if (tree == nullptr || ! tree->isValid())
        return;

    const auto name = tree->getProperty (presetNameProperty).toString();

    if (name.isNotEmpty())
        changeProgramName (0, name);

    // Indexed rather than range-based: when the source is the current tree itself (after
    // an undo), the write-backs below must not disturb the iteration.
    for (int i = 0; i < tree->getNumChildren(); ++i)
    {
        const auto child = tree->getChild (i);
        const int index = parameterManager->getParameterIndex (child.getProperty (parameterNameProperty).toString());

        if (index < 0)
            continue;

        // A file may say anything. As in a state restore, a value is kept to 0..1; one that
        // is not a finite number leaves the parameter as it was, and the tree is told so,
        // so that tree and parameters stay in agreement.
        const auto stored = DvxStoredValues::readNormalisedValue (child.getProperty (valueProperty));

        if (! stored.has_value())
        {
            setParameterInValueTree (currentPreset.get(), index, parameterManager->getParameterValue (index));
            continue;
        }

        const float value = *stored;

        setParameterNotifyingHost (index, value);

        // Only write what differs: after an undo the tree already holds these values, and
        // any new undoable write at that point would throw away the redo history.
        const auto existing = currentPreset != nullptr ? currentPreset->getChildWithProperty (parameterNameProperty, parameterManager->getParameterName (index))
                                                       : juce::ValueTree();

        if (! existing.isValid() || (float) existing.getProperty (valueProperty) != value)
            setParameterInValueTree (currentPreset.get(), index, value);
    }
}

void OrvelinAudioProcessor::copyAllPresetValuesFromValueTree (const juce::ValueTree& source)
{
    if (currentPreset == nullptr || ! currentPreset->isValid() || ! source.isValid())
        return;

    currentPreset->copyPropertiesFrom (source, undoManager.get());

    // Children are matched by name, not position, so a file with another parameter order
    // still lands right; a parameter the file lacks keeps its current value.
    for (int i = 0; i < currentPreset->getNumChildren(); ++i)
    {
        auto child = currentPreset->getChild (i);
        const auto loadedChild = source.getChildWithProperty (parameterNameProperty, child.getProperty (parameterNameProperty));

        if (loadedChild.isValid())
            child.copyPropertiesFrom (loadedChild, undoManager.get());
    }
}

//==============================================================================
void OrvelinAudioProcessor::loadFactoryPresetUndoableWithID (int presetID)
{
    if (! juce::isPositiveAndBelow (presetID, (int) factoryPresets.size()))
        return;

    beginNewTransaction();

    recallAllParamsFromValueTree (&factoryPresets[(size_t) presetID]);

    // The current tree also records which preset it now is, inside the same undo step, so
    // that an undo or redo across this load can tell which preset it went back to.
    currentPreset->setProperty (presetIDProperty, presetID, undoManager.get());
    currentPreset->setProperty (presetTypeProperty, factoryType, undoManager.get());

    currentPresetWasModifiedFlag.store (false, std::memory_order_relaxed);
    beginNewTransaction();
    currentPresetIsFactoryFlag.store (true, std::memory_order_relaxed);
    currentPresetID.store (presetID, std::memory_order_relaxed);
}

bool OrvelinAudioProcessor::loadUserPresetWithName (const juce::String& presetName)
{
    // A name is a file in the presets folder, never a path to somewhere else, and the
    // same rule decides which files the scan lists.
    if (! isUsablePresetName (presetName))
        return false;

    if (getUserPresetsFolder() == juce::File())
        return false;

    const auto presetFile = getUserPresetFile (presetName);

    if (! presetFile.existsAsFile())
        return false;

    const auto loaded = loadUserPresetAsValueTree (presetFile);

    // A file that no longer parses (changed since the last scan) changes nothing at all.
    if (! loaded.isValid() || currentPreset == nullptr || ! currentPreset->isValid())
        return false;

    copyAllPresetValuesFromValueTree (loaded);
    recallAllParamsFromValueTree (currentPreset.get());

    updateAllUserPresetNames();
    const int presetID = userPresetNames.indexOf (presetName);

    // As for factory loads: the tree says which preset it is, so an undo across a later
    // load finds its way back here. The file's own "PresetID" may be stale (it was saved
    // while another preset was current), so it is replaced by the index found now.
    currentPreset->setProperty (presetIDProperty, presetID, undoManager.get());
    currentPreset->setProperty (presetTypeProperty, userType, undoManager.get());

    currentPresetID.store (presetID, std::memory_order_relaxed);
    currentPresetWasModifiedFlag.store (false, std::memory_order_relaxed);
    currentPresetIsFactoryFlag.store (false, std::memory_order_relaxed);
    return true;
}

void OrvelinAudioProcessor::loadUserPresetUndoableWithName (const juce::String& presetName)
{
    loadUserPresetWithName (presetName);
}

void OrvelinAudioProcessor::loadUserPresetUndoableWithID (int presetID)
{
    updateAllUserPresetNames();

    if (! juce::isPositiveAndBelow (presetID, userPresetNames.size()))
        return;

    const auto presetName = userPresetNames[presetID];

    beginNewTransaction();

    if (! loadUserPresetWithName (presetName))
        return;

    currentPreset->setProperty (presetNameProperty, presetName, undoManager.get());
    currentPreset->setProperty (presetIDProperty, presetID, undoManager.get());
    currentPreset->setProperty (presetTypeProperty, userType, undoManager.get());

    currentPresetID.store (presetID, std::memory_order_relaxed);
    currentPresetWasModifiedFlag.store (false, std::memory_order_relaxed);
    beginNewTransaction();
}

void OrvelinAudioProcessor::loadNextPreset()
{
    updateAllUserPresetNames();

    const int numFactory = (int) factoryPresets.size();
    const int numUser = userPresetNames.size();
    const int next = getCurrentPresetID() + 1;

    // The cycle: factory 0 .. last, user 0 .. last, factory 0.
    if (currentPresetIsFactory())
    {
        if (next < numFactory)
            loadFactoryPresetUndoableWithID (next);
        else if (numUser > 0)
            loadUserPresetUndoableWithID (0);
        else
            loadFactoryPresetUndoableWithID (0);
    }
    else
    {
        if (next < numUser)
            loadUserPresetUndoableWithID (next);
        else
            loadFactoryPresetUndoableWithID (0);
    }
}

void OrvelinAudioProcessor::loadPrevPreset()
{
    updateAllUserPresetNames();

    const int numFactory = (int) factoryPresets.size();
    const int numUser = userPresetNames.size();
    const int previous = getCurrentPresetID() - 1;
    const bool isFactory = currentPresetIsFactory();

    // The same cycle backwards. A user preset beyond the end of the folder's list (files
    // were removed meanwhile) goes back to the start of the cycle.
    if (! isFactory && previous >= numUser)
        loadFactoryPresetUndoableWithID (0);
    else if (previous < 0 && isFactory)
    {
        if (numUser > 0)
            loadUserPresetUndoableWithID (numUser - 1);
        else
            loadFactoryPresetUndoableWithID (numFactory - 1);
    }
    else if (previous < 0)
        loadFactoryPresetUndoableWithID (numFactory - 1);
    else if (isFactory)
        loadFactoryPresetUndoableWithID (previous);
    else
        loadUserPresetUndoableWithID (previous);
}

void OrvelinAudioProcessor::setCurrentPresetNameUndoable (const juce::String& newName)
{
    changeProgramName (0, newName);
    beginNewTransaction();
}

//==============================================================================
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

void OrvelinAudioProcessor::restorePresetAfterUndoOrRedo()
{
    if (currentPreset == nullptr || ! currentPreset->isValid())
        return;

    recallAllParamsFromValueTree (currentPreset.get());

    // Every load records its preset's ID and type in the tree (in the load's own undo
    // step), so after an undo or redo the tree says which preset is shown.
    const auto type = currentPreset->getProperty (presetTypeProperty).toString();

    if (type == factoryType || type == userType)
    {
        currentPresetID.store ((int) currentPreset->getProperty (presetIDProperty, 0), std::memory_order_relaxed);
        currentPresetIsFactoryFlag.store (type == factoryType, std::memory_order_relaxed);
        return;
    }

    // No load since construction (or since a restored host state): the name is all the
    // tree can tell. The tree built at construction is factory preset 0, "Init".
    const auto name = currentPreset->getProperty (presetNameProperty).toString();

    if (const int factoryIndex = factoryPresetNames.indexOf (name); factoryIndex >= 0)
    {
        currentPresetID.store (factoryIndex, std::memory_order_relaxed);
        currentPresetIsFactoryFlag.store (true, std::memory_order_relaxed);
    }
    else if (const int userIndex = userPresetNames.indexOf (name); userIndex >= 0)
    {
        currentPresetID.store (userIndex, std::memory_order_relaxed);
        currentPresetIsFactoryFlag.store (false, std::memory_order_relaxed);
    }
    else
    {
        currentPresetID.store (0, std::memory_order_relaxed);
        currentPresetIsFactoryFlag.store (true, std::memory_order_relaxed);
    }
}

bool OrvelinAudioProcessor::canUndo() const { return undoManager != nullptr && undoManager->canUndo(); }
bool OrvelinAudioProcessor::canRedo() const { return undoManager != nullptr && undoManager->canRedo(); }
bool OrvelinAudioProcessor::canUndoOrRedo() const { return canUndo() || canRedo(); }

void OrvelinAudioProcessor::clearUndoHistory()
{
    if (undoManager != nullptr)
        undoManager->clearUndoHistory();
}

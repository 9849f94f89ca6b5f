#include "processor/OrvelinCurrentPreset.h"
#include "parameters/DvxParameterManager.h"
#include "parameters/DvxStoredValues.h"
#include "processor/OrvelinFactoryPresets.h"
#include "processor/OrvelinParameterTable.h"
#include "processor/OrvelinPresetCycle.h"
#include "processor/OrvelinUserPresetFiles.h"

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

OrvelinCurrentPreset::OrvelinCurrentPreset (DvxParameterManager& parameterManager, OrvelinUserPresetFiles& userPresetFiles, Host hostCalls)
    : parameters (parameterManager), userPresets (userPresetFiles), host (std::move (hostCalls))
{
    const Lock guard (lock);

    current = treeForAllParametersLocked ("Init");

    for (size_t id = 0; id < OrvelinFactoryPresets::table.size(); ++id)
        addFactoryPreset ((int) id, OrvelinFactoryPresets::table[id]);
}

OrvelinCurrentPreset::~OrvelinCurrentPreset() = default;

void OrvelinCurrentPreset::addFactoryPreset (int id, const OrvelinFactoryPresets::Preset& preset)
{
    using namespace OrvelinParameters;

    // A copy of the parameters' start values, so every parameter not named here keeps its
    // default. Built before any undo manager is attached.
    auto tree = current.createCopy();
    tree.setProperty (presetNameProperty, preset.name, nullptr);
    tree.setProperty (presetIDProperty, id, nullptr);
    tree.setProperty (presetTypeProperty, factoryType, nullptr);

    setParameterLocked (tree, row (Index::stereoWidth).name, preset.stereoWidth);
    setParameterLocked (tree, row (Index::safeBass).name, preset.safeBass);
    setParameterLocked (tree, row (Index::safeBassFreq).name, preset.safeBassFreq);

    factoryPresets.push_back (tree);
    factoryPresetNames.add (preset.name);
}

void OrvelinCurrentPreset::attachUndoManager (juce::UndoManager& newUndoManager)
{
    const Lock guard (lock);
    undoManager = &newUndoManager;
    undoManager->beginNewTransaction();
}

void OrvelinCurrentPreset::tellHost (const HostNotifications& notifications) const
{
    if (notifications.nameChanged)
        host.tellHostNameChanged();

    for (const auto& [index, value] : notifications.values)
        host.tellHostParameterChanged (index, value);
}

//==============================================================================
void OrvelinCurrentPreset::setParameterLocked (juce::ValueTree& tree, const juce::String& parameterName, float value) const
{
    if (! tree.isValid())
        return;

    auto child = tree.getChildWithProperty (parameterNameProperty, parameterName);

    if (child.isValid())
    {
        child.setProperty (valueProperty, (double) value, undoManager);
        return;
    }

    juce::ValueTree newChild ("Parameter");
    newChild.setProperty (parameterNameProperty, parameterName, nullptr);
    newChild.setProperty (valueProperty, (double) value, nullptr);
    tree.appendChild (newChild, nullptr);
}

void OrvelinCurrentPreset::fillLocked (juce::ValueTree& tree) const
{
    for (int i = 0; i < parameters.getNumberOfParameters(); ++i)
        setParameterLocked (tree, parameters.getParameterName (i), parameters.getParameterValue (i));
}

juce::ValueTree OrvelinCurrentPreset::treeForAllParametersLocked (const juce::String& name) const
{
    juce::ValueTree tree (presetTreeType);
    tree.setProperty ("QzPluginName", "Orvelin", nullptr);
    tree.setProperty (presetNameProperty, name, nullptr);
    fillLocked (tree);
    return tree;
}

std::unique_ptr<juce::ValueTree> OrvelinCurrentPreset::createTreeForAllParameters() const
{
    const Lock guard (lock);
    return std::make_unique<juce::ValueTree> (treeForAllParametersLocked (shownNameLocked()));
}

void OrvelinCurrentPreset::fillTreeWithAllParameters (juce::ValueTree* tree) const
{
    const Lock guard (lock);

    if (tree != nullptr)
        fillLocked (*tree);
}

void OrvelinCurrentPreset::setParameterInTree (juce::ValueTree* tree, const juce::String& parameterName, float value) const
{
    const Lock guard (lock);

    if (tree != nullptr)
        setParameterLocked (*tree, parameterName, value);
}

void OrvelinCurrentPreset::setParameterInTree (juce::ValueTree* tree, int parameterIndex, float value) const
{
    setParameterInTree (tree, parameters.getParameterName (parameterIndex), value);
}

float OrvelinCurrentPreset::getParameterFromTree (const juce::ValueTree* tree, int parameterIndex) const
{
    const Lock guard (lock);

    if (tree == nullptr || ! tree->isValid())
        return -1.0f;

    return valueInTreeLocked (*tree, parameters.getParameterName (parameterIndex));
}

float OrvelinCurrentPreset::valueInTreeLocked (const juce::ValueTree& tree, const juce::String& parameterName) const
{
    const auto child = tree.getChildWithProperty (parameterNameProperty, parameterName);
    return child.isValid() ? (float) child.getProperty (valueProperty) : 0.0f;
}

//==============================================================================
juce::String OrvelinCurrentPreset::shownNameLocked() const
{
    const auto name = current.getProperty (presetNameProperty, "Init").toString();

    // Exactly one trailing "*" while modified, wherever the name had stars before.
    return wasModified() ? name.removeCharacters ("*") + "*" : name;
}

juce::String OrvelinCurrentPreset::getShownName() const
{
    const Lock guard (lock);
    return shownNameLocked();
}

void OrvelinCurrentPreset::updateIDFromShownNameLocked()
{
    const auto names = isFactory() ? factoryPresetNames : userPresets.getNames();
    const int index = names.indexOf (shownNameLocked());

    if (index >= 0)
        presetID.store (index, std::memory_order_relaxed);
}

void OrvelinCurrentPreset::updateIDFromShownName()
{
    const Lock guard (lock);
    updateIDFromShownNameLocked();
}

juce::String OrvelinCurrentPreset::getAllowedCharactersForNames()
{
    return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _-!+#%&";
}

void OrvelinCurrentPreset::setIdentityLocked (int newID, bool newIsFactory, bool recordInTree)
{
    // The tree records which preset it is inside the same undo step as the change, so
    // that an undo or redo across it can tell which preset it went back to.
    if (recordInTree)
    {
        current.setProperty (presetIDProperty, newID, undoManager);
        current.setProperty (presetTypeProperty, newIsFactory ? factoryType : userType, undoManager);
    }

    presetID.store (newID, std::memory_order_relaxed);
    factoryFlag.store (newIsFactory, std::memory_order_relaxed);
}

void OrvelinCurrentPreset::beginNewTransactionLocked()
{
    if (undoManager != nullptr)
        undoManager->beginNewTransaction();
}

//==============================================================================
void OrvelinCurrentPreset::takeEditorChange (int parameterIndex, float value, bool beginNewUndoTransaction)
{
    takeEditorChanges ({ { parameterIndex, value } }, beginNewUndoTransaction);
}

void OrvelinCurrentPreset::takeEditorChanges (std::initializer_list<std::pair<int, float>> changes,
                                              bool beginNewUndoTransaction)
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        bool treeChanged = false;

        for (const auto& [parameterIndex, value] : changes)
        {
            // The host hears of the value even when the tree holds it already.
            host.storeParameterValue (parameterIndex, value);
            notifications.values.emplace_back (parameterIndex, value);

            const auto name = parameters.getParameterName (parameterIndex);

            if (valueInTreeLocked (current, name) != value)
            {
                setParameterLocked (current, name, value);
                modifiedFlag.store (true, std::memory_order_relaxed);
                treeChanged = true;
            }
        }

        if (treeChanged && beginNewUndoTransaction)
            beginNewTransactionLocked();
    });
}

//==============================================================================
void OrvelinCurrentPreset::renameLocked (const juce::String& newName, HostNotifications& notifications)
{
    current.setProperty (presetNameProperty, newName, undoManager);
    notifications.nameChanged = true;
}

void OrvelinCurrentPreset::rename (const juce::String& newName)
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        renameLocked (newName, notifications);
    });
}

void OrvelinCurrentPreset::renameUndoable (const juce::String& newName)
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        renameLocked (newName, notifications);
        beginNewTransactionLocked();
    });
}

void OrvelinCurrentPreset::recallLocked (const juce::ValueTree& source, HostNotifications& notifications)
{
    if (! source.isValid())
        return;

    const auto name = source.getProperty (presetNameProperty).toString();

    if (name.isNotEmpty())
        renameLocked (name, notifications);

    // Indexed rather than range-based: when the source is the current tree itself (after
    // an undo), the write-backs below must not disturb the iteration. Values that fall are
    // stored before values that rise, so that the audio thread never meets a switch being
    // turned on while the one it replaces is still on (mute mid and mute side together).
    for (int i = 0; i < 2 * source.getNumChildren(); ++i)
    {
        const bool risingPass = i >= source.getNumChildren();
        const auto child = source.getChild (i % source.getNumChildren());
        const auto parameterName = child.getProperty (parameterNameProperty).toString();
        const int index = parameters.getParameterIndex (parameterName);

        if (index < 0)
            continue;

        // A file may say anything. As in a state restore, a value is kept to 0..1; one that
        // is not a finite number leaves the parameter as it was, and the tree is told so,
        // so that tree and parameters stay in agreement.
        const auto stored = DvxStoredValues::readNormalisedValue (child.getProperty (valueProperty));

        if (! stored.has_value())
        {
            if (! risingPass)
                setParameterLocked (current, parameterName, parameters.getParameterValue (index));

            continue;
        }

        const float value = *stored;

        if ((value > parameters.getParameterValue (index)) != risingPass)
            continue;

        host.storeParameterValue (index, value);
        notifications.values.emplace_back (index, value);

        // Only write what differs: after an undo the tree already holds these values, and
        // any new undoable write at that point would throw away the redo history.
        const auto existing = current.getChildWithProperty (parameterNameProperty, parameterName);

        if (! existing.isValid() || (float) existing.getProperty (valueProperty) != value)
            setParameterLocked (current, parameterName, value);
    }
}

void OrvelinCurrentPreset::recall (const juce::ValueTree* tree)
{
    if (tree == nullptr)
        return;

    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        recallLocked (*tree, notifications);
    });
}

void OrvelinCurrentPreset::copyFromLocked (const juce::ValueTree& source)
{
    if (! source.isValid())
        return;

    current.copyPropertiesFrom (source, undoManager);

    // Children are matched by name, not position, so a file with another parameter order
    // still lands right; a parameter the file lacks keeps its current value.
    for (int i = 0; i < current.getNumChildren(); ++i)
    {
        auto child = current.getChild (i);
        const auto loadedChild = source.getChildWithProperty (parameterNameProperty, child.getProperty (parameterNameProperty));

        if (loadedChild.isValid())
            child.copyPropertiesFrom (loadedChild, undoManager);
    }
}

void OrvelinCurrentPreset::copyFrom (const juce::ValueTree& source)
{
    const Lock guard (lock);
    copyFromLocked (source);
}

//==============================================================================
void OrvelinCurrentPreset::loadFactoryPreset (int id)
{
    if (! juce::isPositiveAndBelow (id, (int) factoryPresets.size()))
        return;

    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        beginNewTransactionLocked();
        recallLocked (factoryPresets[(size_t) id], notifications);
        setIdentityLocked (id, true, true);
        modifiedFlag.store (false, std::memory_order_relaxed);
        beginNewTransactionLocked();
    });
}

void OrvelinCurrentPreset::loadUserPreset (const juce::String& presetName)
{
    // A file that is missing or no longer a preset (changed since the last scan) changes
    // nothing at all.
    const auto loaded = userPresets.readNamed (presetName);

    if (loaded.isValid())
        loadUserPresetTree (presetName, loaded, userPresets.rescan().indexOf (presetName), false);
}

void OrvelinCurrentPreset::loadUserPreset (int id)
{
    const auto names = userPresets.rescan();

    if (juce::isPositiveAndBelow (id, names.size()))
        loadListedUserPreset (names[id], id);
}

bool OrvelinCurrentPreset::loadListedUserPreset (const juce::String& presetName, int listID)
{
    const auto loaded = userPresets.readNamed (presetName);

    // Listed, yet no preset now: the scan's answer for the file is forgotten, so that the
    // next scan reads it again even if its stamps did not show the change.
    if (! loaded.isValid())
    {
        userPresets.forget (presetName);
        return false;
    }

    loadUserPresetTree (presetName, loaded, listID, true);
    return true;
}

void OrvelinCurrentPreset::loadUserPresetTree (const juce::String& presetName, const juce::ValueTree& loaded,
                                               int listID, bool chosenByID)
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        if (chosenByID)
            beginNewTransactionLocked();

        copyFromLocked (loaded);
        recallLocked (current, notifications);

        // A preset chosen from the list (by ID) shows its list name, whatever name its file
        // holds, and is an undo step of its own; a load by name joins the open one.
        if (chosenByID)
            renameLocked (presetName, notifications);

        // The file's own "PresetID" may be stale (it was saved while another preset was
        // current), so it is replaced by the name's place in the list now.
        setIdentityLocked (listID, false, true);
        modifiedFlag.store (false, std::memory_order_relaxed);

        if (chosenByID)
            beginNewTransactionLocked();
    });
}

// Next and previous scan the folder once and load from that list.
void OrvelinCurrentPreset::loadNextPreset()     { stepThroughCycle (OrvelinPresetCycle::Direction::next); }
void OrvelinCurrentPreset::loadPreviousPreset() { stepThroughCycle (OrvelinPresetCycle::Direction::previous); }

void OrvelinCurrentPreset::stepThroughCycle (OrvelinPresetCycle::Direction direction)
{
    OrvelinPresetCycle::step (isFactory(), getID(), (int) factoryPresets.size(), userPresets.rescan(), direction,
                              { [this] (int id) { loadFactoryPreset (id); },
                                [this] (const juce::String& name, int id) { return loadListedUserPreset (name, id); } });
}

//==============================================================================
bool OrvelinCurrentPreset::saveAsUserPreset (const juce::String& presetName, bool compressed,
                                             const std::function<void (juce::ValueTree&)>& addSavedSystemInformation)
{
    const auto cleanName = presetName.removeCharacters ("*");

    // A refused name changes nothing at all, not even the current preset's name.
    if (! OrvelinUserPresetFiles::isUsableName (cleanName))
        return false;

    // The file is written from a copy that already has the new name and the saved-system
    // information. The current preset takes them only once the file is written and reads
    // back, so a failed save leaves the shown name as it was.
    juce::ValueTree saved;
    {
        const Lock guard (lock);
        saved = current.createCopy();
    }

    juce::ValueTree information (presetTreeType);
    addSavedSystemInformation (information);

    saved.setProperty (presetNameProperty, cleanName, nullptr);

    for (int i = 0; i < information.getNumProperties(); ++i)
    {
        const auto key = information.getPropertyName (i);
        saved.setProperty (key, information.getProperty (key), nullptr);
    }

    const bool written = userPresets.write (cleanName, saved, compressed);
    userPresets.rescan();

    // After a failed write the file of that name, if any, is an older preset: loading it
    // would throw away the values the user just tried to save.
    if (! written)
        return false;

    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        renameLocked (cleanName, notifications);

        // The saved-system information enters the tree outside the undo history, all but the
        // preset's type: that goes with the new name, so that an undo of the save goes back
        // to the identity of the preset it was saved from.
        for (int i = 0; i < information.getNumProperties(); ++i)
        {
            const auto key = information.getPropertyName (i);
            current.setProperty (key, information.getProperty (key),
                                 key.toString() == presetTypeProperty ? undoManager : nullptr);
        }
    });

    loadUserPreset (cleanName);
    return true;
}

//==============================================================================
void OrvelinCurrentPreset::restoreAfterUndoOrRedoLocked (HostNotifications& notifications)
{
    recallLocked (current, notifications);

    // Loads, saves and state restores record the preset's ID and type in the tree (in
    // their own undo step), so after an undo or redo the tree says which preset is shown.
    const auto type = current.getProperty (presetTypeProperty).toString();

    if (type == factoryType || type == userType)
    {
        setIdentityLocked ((int) current.getProperty (presetIDProperty, 0), type == factoryType, false);
        return;
    }

    // No load since construction: the name is all the tree can tell. The tree built then
    // is factory preset 0, "Init".
    const auto name = current.getProperty (presetNameProperty).toString();

    if (const int factoryIndex = factoryPresetNames.indexOf (name); factoryIndex >= 0)
        setIdentityLocked (factoryIndex, true, false);
    else if (const int userIndex = userPresets.getNames().indexOf (name); userIndex >= 0)
        setIdentityLocked (userIndex, false, false);
    else
        setIdentityLocked (0, true, false);
}

void OrvelinCurrentPreset::restoreAfterUndoOrRedo()
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        restoreAfterUndoOrRedoLocked (notifications);
    });
}

void OrvelinCurrentPreset::undo() { stepThroughHistory (&juce::UndoManager::undo); }
void OrvelinCurrentPreset::redo() { stepThroughHistory (&juce::UndoManager::redo); }

void OrvelinCurrentPreset::stepThroughHistory (bool (juce::UndoManager::*step)())
{
    // With nothing to undo or redo the tree is still pushed to the parameters and the host.
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        if (undoManager != nullptr)
            (undoManager->*step)();

        restoreAfterUndoOrRedoLocked (notifications);
    });
}

bool OrvelinCurrentPreset::canUndo() const
{
    const Lock guard (lock);
    return undoManager != nullptr && undoManager->canUndo();
}

bool OrvelinCurrentPreset::canRedo() const
{
    const Lock guard (lock);
    return undoManager != nullptr && undoManager->canRedo();
}

void OrvelinCurrentPreset::clearUndoHistory()
{
    const Lock guard (lock);

    if (undoManager != nullptr)
        undoManager->clearUndoHistory();
}

void OrvelinCurrentPreset::beginNewTransaction()
{
    const Lock guard (lock);
    beginNewTransactionLocked();
}

//==============================================================================
OrvelinCurrentPreset::HostState OrvelinCurrentPreset::getHostState() const
{
    const Lock guard (lock);

    HostState state;
    state.shownName = shownNameLocked();
    state.isFactory = isFactory();

    for (int i = 0; i < parameters.getNumberOfParameters(); ++i)
        state.values.push_back (parameters.getParameterValue (i));

    return state;
}

void OrvelinCurrentPreset::restoreHostState (const HostState& state, bool findIDByName)
{
    changeThenTellHost ([&] (HostNotifications& notifications)
    {
        // A step of its own: one undo takes back exactly this restore, and the history's
        // limits apply however many restores a host makes.
        beginNewTransactionLocked();

        // The name as saved, "*" included when it was saved while modified.
        renameLocked (state.shownName, notifications);

        factoryFlag.store (state.isFactory, std::memory_order_relaxed);

        if (findIDByName)
            updateIDFromShownNameLocked();

        // The values go into the parameters without the host being told (it restores them
        // itself), and into the tree through the undo manager.
        // Falling values first, as in a recall.
        for (const bool risingPass : { false, true })
            for (int i = 0; i < parameters.getNumberOfParameters() && i < (int) state.values.size(); ++i)
                if ((state.values[(size_t) i] > parameters.getParameterValue (i)) == risingPass)
                    parameters.setParameterValue (i, state.values[(size_t) i]);

        fillLocked (current);

        // The tree takes the identity the restore settled on, so that an undo of a later
        // change comes back to it rather than to the preset before the restore.
        setIdentityLocked (getID(), isFactory(), true);
        beginNewTransactionLocked();
    });
}

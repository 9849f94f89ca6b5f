#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

class DvxParameterManager;
class OrvelinUserPresetFiles;
namespace OrvelinFactoryPresets { struct Preset; }
namespace OrvelinPresetCycle { enum class Direction; }

// The current preset: a value tree that mirrors every parameter and carries the preset's
// name, which preset it is (ID, factory or user, modified since loaded), the 14 factory
// presets, every way of loading a preset, renaming, saving as a user preset, and undo and
// redo. The tree is changed only through the undo manager once that is attached, so undo
// and redo work on the tree and then push it back into the parameters.
//
// Threads. The message thread loads, renames, saves and undoes; a host may at the same time
// read the program name and save or restore its state on threads of its own. A ValueTree
// and an UndoManager are not thread-safe, so the tree and the undo manager are only used,
// and the preset's identity only changed, under one lock. Only those threads take it,
// never the audio thread, and it is never held while the host is told anything: hosts may
// call straight back (a program name after a display update) or hold locks of their own
// while they call us. Values loaded into the parameters are stored while the lock is held,
// so that a concurrent restore cannot leave the tree and the parameters apart; the host
// hears of them once the lock is released.
class OrvelinCurrentPreset
{
public:
    // What a load, an undo or a rename does outside the tree.
    struct Host
    {
        // Stores a value in the parameters as host automation would (the processor's own
        // setParameter). Called with the lock held: must not call the host.
        std::function<void (int parameterIndex, float value)> storeParameterValue;

        // Tells the host of a value stored above, and that the program name changed.
        std::function<void (int parameterIndex, float value)> tellHostParameterChanged;
        std::function<void()> tellHostNameChanged;
    };

    // The current preset as a host's state keeps it, taken at one moment.
    struct HostState
    {
        juce::String shownName;
        bool isFactory = true;
        std::vector<float> values;   // in parameter index order
    };

    // Builds the current tree from the parameters as they are ("Init", factory preset 0, not
    // modified), then the factory presets from the same values. Until an undo manager is
    // attached, tree writes go straight in.
    OrvelinCurrentPreset (DvxParameterManager& parameters, OrvelinUserPresetFiles& userPresets, Host host);
    ~OrvelinCurrentPreset();

    // From here on every change of the current tree is undoable; the first transaction begins.
    void attachUndoManager (juce::UndoManager& undoManager);

    //==============================================================================
    // Trees in the preset shape. These take the lock, so they also serve the current tree.
    std::unique_ptr<juce::ValueTree> createTreeForAllParameters() const;
    void fillTreeWithAllParameters (juce::ValueTree* tree) const;
    void setParameterInTree (juce::ValueTree* tree, const juce::String& parameterName, float value) const;
    void setParameterInTree (juce::ValueTree* tree, int parameterIndex, float value) const;
    float getParameterFromTree (const juce::ValueTree* tree, int parameterIndex) const;

    // The live tree, for reading on the message thread (tests and inspection).
    const juce::ValueTree* getTree() const noexcept { return &current; }

    //==============================================================================
    juce::String getShownName() const;
    int getID() const noexcept { return presetID.load (std::memory_order_relaxed); }
    bool isFactory() const noexcept { return factoryFlag.load (std::memory_order_relaxed); }
    bool wasModified() const noexcept { return modifiedFlag.load (std::memory_order_relaxed); }
    void updateIDFromShownName();

    juce::StringArray getFactoryPresetNames() const { return factoryPresetNames; }
    static juce::String getAllowedCharactersForNames();

    //==============================================================================
    // A change the editor makes: the value is stored and the host told; when the tree holds
    // another value it takes this one (undoable) and the preset counts as modified.
    void takeEditorChange (int parameterIndex, float value, bool beginNewUndoTransaction);

    // Changes that belong together, made in one step: a host saving its state meanwhile
    // sees all of them or none.
    void takeEditorChanges (std::initializer_list<std::pair<int, float>> changes, bool beginNewUndoTransaction);

    void loadFactoryPreset (int presetID);
    void loadUserPreset (int presetID);
    void loadUserPreset (const juce::String& presetName);
    void loadNextPreset();
    void loadPreviousPreset();

    void recall (const juce::ValueTree* tree);
    void copyFrom (const juce::ValueTree& source);

    // The host's rename: the tree's name, undoably, in the open transaction.
    void rename (const juce::String& newName);
    // The editor's rename: the same, as an undo step of its own.
    void renameUndoable (const juce::String& newName);

    // Writes the current preset as a user preset file and makes that preset current.
    // addSavedSystemInformation completes the tree that is written. False, with nothing
    // changed, when the name is refused or the file could not be written whole.
    bool saveAsUserPreset (const juce::String& presetName, bool compressed,
                           const std::function<void (juce::ValueTree&)>& addSavedSystemInformation);

    //==============================================================================
    void undo();
    void redo();
    void restoreAfterUndoOrRedo();
    bool canUndo() const;
    bool canRedo() const;
    void clearUndoHistory();
    void beginNewTransaction();

    //==============================================================================
    HostState getHostState() const;

    // A host's state restore: the name (with any "*" it was saved with), the factory flag
    // and every value, as one undo step of its own. With findIDByName the ID becomes the
    // name's place in the list the flag selects (kept when the name is not there).
    void restoreHostState (const HostState& state, bool findIDByName);

private:
    // Host calls collected while the lock is held and made once it is released.
    struct HostNotifications
    {
        bool nameChanged = false;
        std::vector<std::pair<int, float>> values;
    };

    using Lock = std::lock_guard<std::mutex>;

    // Every change goes this way: made under the lock, and the host told what it collected
    // once the lock is released.
    template <typename Change>
    void changeThenTellHost (Change&& change)
    {
        HostNotifications notifications;
        {
            const Lock guard (lock);
            change (notifications);
        }
        tellHost (notifications);
    }

    void tellHost (const HostNotifications& notifications) const;
    void stepThroughHistory (bool (juce::UndoManager::*step)());
    bool loadListedUserPreset (const juce::String& presetName, int listID);
    void stepThroughCycle (OrvelinPresetCycle::Direction direction);
    void loadUserPresetTree (const juce::String& presetName, const juce::ValueTree& loaded, int listID, bool chosenByID);

    // Everything below expects the lock to be held.
    void addFactoryPreset (int presetID, const OrvelinFactoryPresets::Preset& preset);
    juce::String shownNameLocked() const;
    void setParameterLocked (juce::ValueTree& tree, const juce::String& parameterName, float value) const;
    float valueInTreeLocked (const juce::ValueTree& tree, const juce::String& parameterName) const;
    void fillLocked (juce::ValueTree& tree) const;
    juce::ValueTree treeForAllParametersLocked (const juce::String& name) const;
    void renameLocked (const juce::String& newName, HostNotifications& notifications);
    void recallLocked (const juce::ValueTree& source, HostNotifications& notifications);
    void copyFromLocked (const juce::ValueTree& source);
    void setIdentityLocked (int newID, bool newIsFactory, bool recordInTree);
    void updateIDFromShownNameLocked();
    void restoreAfterUndoOrRedoLocked (HostNotifications& notifications);
    void beginNewTransactionLocked();

    DvxParameterManager& parameters;
    OrvelinUserPresetFiles& userPresets;
    const Host host;

    mutable std::mutex lock;
    juce::UndoManager* undoManager = nullptr;
    juce::ValueTree current;

    std::atomic<bool> factoryFlag { true };
    std::atomic<int> presetID { 0 };
    std::atomic<bool> modifiedFlag { false };

    // Built once by the constructor, never changed: read without the lock.
    std::vector<juce::ValueTree> factoryPresets;
    juce::StringArray factoryPresetNames;

    JUCE_DECLARE_NON_COPYABLE (OrvelinCurrentPreset)
};

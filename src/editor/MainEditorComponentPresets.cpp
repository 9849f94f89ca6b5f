// The panel's preset steps: loading a preset chosen in the settings menu, and the save
// dialog's opening, saving and cancelling.

#include "editor/MainEditorComponent.h"
#include "editor/ManagePresetsComponent.h"
#include "processor/OrvelinAudioProcessor.h"

void MainEditorComponent::loadFactoryPresetWithID (int presetID)
{
    processor->loadFactoryPresetUndoableWithID (presetID);
    updateAll();
}

void MainEditorComponent::loadUserPresetWithID (int presetID)
{
    processor->loadUserPresetUndoableWithID (presetID);
    updateAll();
}

void MainEditorComponent::showManagePresetsComponent()
{
    managePresetsShown = true;
    managePresetsComponent->show();
    updateVisibilityOfAllComponents();
    repaint();
}

void MainEditorComponent::closeManagePresetsComponent()
{
    managePresetsShown = false;
    updateVisibilityOfAllComponents();
    managePresetsComponent->hide();
    repaint();
}

void MainEditorComponent::saveUserPreset()
{
    closeManagePresetsComponent();

    // The processor refuses names that cannot be a file and reports a write that failed;
    // the user is told which of the two happened rather than always "OK".
    const bool saved = processor->saveCurrentPresetFromValueTreeToDisk (managePresetsComponent->getPresetName(), true);

    updatePresetNameFromPluginProcessor();
    setNewInfoText (saved ? "SAVE: OK, user preset was saved !" : "SAVE: ERROR, preset was NOT saved !", true);
}

void MainEditorComponent::cancelUserPresetSaving()
{
    closeManagePresetsComponent();
    setNewInfoText ("CANCEL: preset was NOT saved ...", true);
}

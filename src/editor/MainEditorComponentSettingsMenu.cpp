// The settings menu behind the settings button. It is not offered yet: the button does
// nothing, so the menu is never open.

#include "editor/MainEditorComponent.h"

void MainEditorComponent::createAndShowSettingsPopupMenu() {}

void MainEditorComponent::setSettingsPopupMenuIsActive (bool isActive)
{
    settingsPopupMenuIsActive = isActive;
}

bool MainEditorComponent::componentUnderMouseIsOK()
{
    return false;
}

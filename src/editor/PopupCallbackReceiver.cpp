#include "editor/PopupCallbackReceiver.h"
#include "editor/MainEditorComponent.h"

PopupCallbackReceiver::PopupCallbackReceiver (MainEditorComponent* mainEditorComponentToUse)
    : mainEditorComponent (mainEditorComponentToUse)
{
}

PopupCallbackReceiver::~PopupCallbackReceiver() = default;

void PopupCallbackReceiver::modalStateFinished (int result)
{
    auto* panel = mainEditorComponent.getComponent();

    if (panel == nullptr)
        return;

    // Any other result (0 included: the menu closed without a choice) only closes.
    switch (result)
    {
        case resizeToDefaultID:         panel->resizeToDefault(); break;
        case showInfoID:                panel->showInfoComponent(); break;
        case classicDarkID:             panel->useDarkClassicColourScheme(); break;
        case brightEyesID:              panel->useBrightEyesColourScheme(); break;
        case saveCurrentPresetAsID:     panel->showManagePresetsComponent(); break;
        case revealUserPresetsFolderID: panel->revealUserPresetsFolder(); break;
        default:
            if (result >= firstUserPresetID)
                panel->loadUserPresetWithID (result - firstUserPresetID);
            else if (result >= firstFactoryPresetID)
                panel->loadFactoryPresetWithID (result - firstFactoryPresetID);
            break;
    }

    panel->setSettingsPopupMenuIsActive (false);
}

// The settings menu behind the settings button: the actions without a control of their
// own. It is shown asynchronously; its result comes back through a PopupCallbackReceiver.

#include "editor/MainEditorComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "editor/PopupCallbackReceiver.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzLookAndFeelV1.h"

namespace
{
    using ID = PopupCallbackReceiver::ItemID;

    // One entry per name; only the current preset, loaded and not modified, is ticked.
    juce::PopupMenu makePresetList (const juce::StringArray& names, int firstItemID, bool listHoldsCurrent,
                                    int currentID, const juce::String& currentName)
    {
        juce::PopupMenu list;

        for (int i = 0; i < names.size(); ++i)
            list.addItem (firstItemID + i, names[i], true, listHoldsCurrent && i == currentID && names[i] == currentName);

        return list;
    }
}

juce::PopupMenu MainEditorComponent::createSettingsPopupMenu()
{
    juce::PopupMenu menu;

    if (auto* lookAndFeel = editor->getLookAndFeel())
    {
        lookAndFeel->setColour (juce::PopupMenu::highlightedBackgroundColourId, DvxQzColours::qzcomplementColourA);
        menu.setLookAndFeel (lookAndFeel);
    }

    const bool modified = processor->currentPresetWasModified();
    const bool factory = processor->currentPresetIsFactory();
    const int currentID = processor->getCurrentPresetID();
    const auto currentName = processor->getCurrentPresetName();
    const float schemeBrightness = processor->getCurrentColourSchemeBrightness();

    menu.addItem (ID::resizeToDefaultID, "Resize To Default", processor->getEditorHeight() != processor->getDefaultEditorHeight());
    menu.addSeparator();
    menu.addSubMenu ("Factory Presets", makePresetList (processor->getAllFactoryPresetNames(), ID::firstFactoryPresetID,
                                                        factory && ! modified, currentID, currentName));
    // The user list is read from the folder afresh, so files saved by other instances show.
    menu.addSubMenu ("User Presets", makePresetList (processor->getAllUserPresetNames(), ID::firstUserPresetID,
                                                     ! factory && ! modified, currentID, currentName));
    menu.addSeparator();
    menu.addItem (ID::saveCurrentPresetAsID, "Save Current Preset As ...");
    menu.addItem (ID::revealUserPresetsFolderID, "Reveal User Presets Folder");
    menu.addSeparator();

    // The scheme in use is ticked and cannot be chosen again.
    const bool isClassicDark = schemeBrightness == 0.0f;
    juce::PopupMenu schemes;
    schemes.addItem (ID::classicDarkID, "Classic Dark", ! isClassicDark, isClassicDark);
    schemes.addItem (ID::brightEyesID, "Bright Eyes", isClassicDark, ! isClassicDark);
    menu.addSubMenu ("Colour Scheme", schemes);

    menu.addItem (ID::showInfoID, "Show Info / Settings Screen");
    menu.addSeparator();
    menu.addItem (ID::titleID, titleString, false);

    return menu;
}

void MainEditorComponent::createAndShowSettingsPopupMenu()
{
    auto menu = createSettingsPopupMenu();

    popupOpenedAt = now();
    settingsPopupMenuIsActive = true;
    setNewInfoText ("choose from popup menu ...", false);

    // JUCE owns and deletes the receiver; the pointer kept here is never followed.
    popupCallbackReceiver = new PopupCallbackReceiver (this);

    // JUCE makes the menu's window the topmost modal component; it is kept so that this
    // panel can close its own menu and no other.
    auto& modalComponents = *juce::ModalComponentManager::getInstance();
    const int modalCountBefore = modalComponents.getNumModalComponents();

    menu.showMenuAsync (juce::PopupMenu::Options(), popupCallbackReceiver);

    if (modalComponents.getNumModalComponents() > modalCountBefore)
        settingsMenuWindow = modalComponents.getModalComponent (0);
}

void MainEditorComponent::closeSettingsPopupMenu()
{
    // PopupMenu::dismissAllActiveMenus would close every menu in the host's process, those
    // of other instances of this plug-in included. Escape is the menu window's own way of
    // closing itself with its sub-menus, as a click beside it would; the result is 0.
    if (auto* window = settingsMenuWindow.getComponent())
    {
        // JUCE deletes the window later; by then this panel's look and feel may be gone.
        window->setLookAndFeel (nullptr);
        window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    }

    settingsMenuWindow = nullptr;
}

void MainEditorComponent::setSettingsPopupMenuIsActive (bool isActive)
{
    settingsPopupMenuIsActive = isActive;
}

bool MainEditorComponent::componentUnderMouseIsOK()
{
    auto& desktop = juce::Desktop::getInstance();
    auto* component = desktop.findComponentAt (desktop.getMousePosition());

    if (component == nullptr)
        return false;

    // JUCE 7 names each popup-menu window "menu" (MenuWindow in juce_PopupMenu.cpp); its
    // item rows have no name, so the walk up from an item ends at the window.
    while (component->getName().isEmpty() && component->getParentComponent() != nullptr)
        component = component->getParentComponent();

    return component->getName() == "menu";
}

#pragma once

#include "editor/BackgroundTexture.h"
#include "parameters/DvxStereoVuVisuals.h"
#include "widgets/DvxLayoutManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class DvxParameter;
class DvxParameterManager;
class DvxPresetNameLabel;
class DvxQzStereoVuMeterComponent;
class DvxRotarySlider;
class InfoComponent;
class ManagePresetsComponent;
class OrvelinAudioProcessor;
class OrvelinAudioProcessorEditor;
class PopupCallbackReceiver;
class StereoComponent;

// The editor's main panel: every control of the plug-in, the hover help in the info line,
// and the painted background. It fills the editor and is laid out in fractions of its own
// height, so the whole panel scales with the editor.
//
// The definitions are split by concern: construction (MainEditorComponent.cpp), painting
// and layout (MainEditorComponentPainting.cpp), the reactions to the user
// (MainEditorComponentBehaviour.cpp), carrying parameter values back to the controls
// (MainEditorComponentSync.cpp) and the settings menu (MainEditorComponentSettingsMenu.cpp).
class MainEditorComponent : public juce::Component,
                            public juce::Slider::Listener,
                            public juce::Button::Listener,
                            public juce::Label::Listener,
                            public juce::Timer
{
public:
    // Neither pointer is owned. The editor must already have its layout manager and its
    // look and feel.
    MainEditorComponent (OrvelinAudioProcessor* processor, OrvelinAudioProcessorEditor* editor);
    ~MainEditorComponent() override;

    //==============================================================================
    // Framework callbacks
    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void labelTextChanged (juce::Label*) override;
    void editorShown (juce::Label*, juce::TextEditor&) override;
    void editorHidden (juce::Label*, juce::TextEditor&) override;
    void timerCallback() override;

    //==============================================================================
    // From the editor and its resize corner
    void setInputVuMeterVisuals (DvxStereoVuVisuals visuals);
    void setOutputVuMeterVisuals (DvxStereoVuVisuals visuals);
    void resizingStarted();
    void resizingStopped();

    // From the save-preset dialog, the info screen and the settings menu
    void saveUserPreset();
    void cancelUserPresetSaving();
    void showInfoComponent();
    void hideInfoComponent();
    void resizeToDefault();
    void useDarkClassicColourScheme();
    void useBrightEyesColourScheme();
    void showManagePresetsComponent();
    void revealUserPresetsFolder();
    void loadFactoryPresetWithID (int presetID);
    void loadUserPresetWithID (int presetID);

    //==============================================================================
    // Parameter values to controls, without writing anything back
    void updateAll();
    void updateAllParameters();
    void setEditorParameterValue (int index, float value);
    void updatePresetNameFromPluginProcessor();
    void updateUndoButtons();
    void setUndoButtons (bool canUndo, bool canRedo);

    //==============================================================================
    // Panel state and what depends on it. The setters are the user's choices and store
    // them in the processor; the show functions only display what the processor holds.
    void setChannelName (juce::String name);
    void showChannelName (const juce::String& name);
    void setColourSchemeBrightness (float newBrightness);
    void showColourScheme (float newBrightness);
    void changeButtonNormalColour (juce::Button* button, juce::Colour colour);
    void setNewInfoText (const juce::String& text, bool pinned);
    void updateInfoTextLabel (const juce::MouseEvent&);
    void setBypassState (bool isOn);
    void setMuteAllState (bool isOn);
    void setSafeBassState (bool isOn);
    void setMonoState (bool isOn);
    void setNewStereoWidth (float normalisedWidth);
    void setNewPan (float normalisedPan);
    void setNewStereoWidthLabelValue (float normalisedWidth);
    void updateVisibilityOfAllComponents();
    void updatePhaseAlignSideSignalButton();
    void updateVisibilityOfExpertOptions();

    //==============================================================================
    // Settings menu
    void createAndShowSettingsPopupMenu();
    void closeSettingsPopupMenu();
    void setSettingsPopupMenuIsActive (bool isActive);
    bool getSettingsPopupMenuIsActive() const noexcept { return settingsPopupMenuIsActive; }
    bool componentUnderMouseIsOK();

    // The menu as it would open now, with every item, id, enabled state and tick.
    juce::PopupMenu createSettingsPopupMenu();

    //==============================================================================
    // The clock that times the info line's messages and the settings menu's check; tests
    // hand in their own so that they need not wait. An empty function means the system clock.
    void setTimeSource (std::function<juce::Time()> newTimeSource);

    //==============================================================================
    // The background, for measurements that compare its two ways of drawing.
    BackgroundTexture& getBackgroundTexture() noexcept { return backgroundTexture; }

private:
    //==============================================================================
    // Construction steps, in the constructor's order
    void initFonts();
    void initSvgElements();
    void addSettingsPopupButton();
    void addMainLabels();
    void addAllTextButtons();
    void addAllRadioButtons();
    void addLevelMeters();
    void addAllSliders();
    void addStereoComponent();
    void addAllDrawableButtons();
    void addManagePresetsComponent();
    void addInfoComponent();

    void addButton (juce::Button* button, float x, float y, float w, float h, DvxLayoutManager::Align align);
    std::unique_ptr<DvxRotarySlider> addRotarySlider (DvxParameter* parameter,
                                                      juce::Slider::TextEntryBoxPosition textBoxPosition,
                                                      const juce::String& tooltip);
    void addSliderLabel (juce::Label* label);

    // A knob's value box below it, sized from the panel's height.
    void setTextBoxBelow (DvxRotarySlider* knob, bool readOnly);

    // Hides the save dialog and gives the panel its controls back.
    void closeManagePresetsComponent();

    //==============================================================================
    // Drawing steps, in paint's order
    void drawBackground (juce::Graphics&);
    void drawLabelBackground (juce::Graphics&, float fx, float fy, float fw, float fh,
                              juce::Colour colour, bool withGradient);
    void drawUpperBar (juce::Graphics&);
    void drawMarvekLogo (juce::Graphics&);
    void drawThePresentsText (juce::Graphics&);
    void drawVelmoraLogoAndText (juce::Graphics&);
    void drawOtherCaptions (juce::Graphics&);
    void drawGroupPanels (juce::Graphics&);
    void drawInputAndOutputSections (juce::Graphics&);
    void drawChannelNameBorderAndBg (juce::Graphics&);
    void drawPluginBorder (juce::Graphics&);

    // Every control is shown: not resizing, no save dialog, no BYPASS, no MUTE ALL.
    bool allControlsShown() const noexcept;

    // The timer's first step: carries what the parameter manager's flags report to the controls.
    void pollParameterManager();
    bool isAnyKnobValueBeingTyped() const;

    // After a label's editor has closed: the label shows what it stands for now.
    void refreshLabelAfterEditing (juce::Label* label);

    juce::Time now() const;

    //==============================================================================
    OrvelinAudioProcessor* processor;
    OrvelinAudioProcessorEditor* editor;
    DvxParameterManager* parameterManager = nullptr;
    DvxLayoutManager* layoutManager = nullptr;

    juce::String titleString;
    float height = 0.0f;
    int displayHeight = 0;
    float scale = 0.0f;
    bool isResizing = false;
    juce::Colour lightGrey;
    float brightness = 0.0f;
    juce::Time popupOpenedAt;
    juce::Time infoTextAt;
    bool bypassOn = false;
    bool muteAllOn = false;
    bool safeBassOn = false;
    float safeBassFreq = 0.0f;
    bool monoOn = false;
    float stereoWidth = 0.0f;
    juce::String widthTooltip;
    bool expertMode = false;
    bool muteMidOn = false;
    bool managePresetsShown = false;

    std::unique_ptr<juce::Font> regularFont;
    std::unique_ptr<juce::Drawable> personLogo, undoArrowImage, redoArrowImage, dropDownArrowImage,
                                    makerLogo, playImage, playRotatedImage;
    std::unique_ptr<juce::DrawableButton> nextButton, prevButton, undoButton, redoButton;
    std::unique_ptr<juce::Label> infoLabel;
    bool infoTextPinned = false;
    juce::Time pinnedInfoAt;
    std::unique_ptr<juce::Label> titleLabel;
    std::unique_ptr<juce::Label> widthLabel, panLabel;

    juce::TextButton muteAllButton, muteMidButton, muteSideButton, bypassButton, safeBassButton,
                     swapButton, phaseFlipButton, monoButton, easyModeButton, expertModeButton, saveButton;
    std::unique_ptr<juce::DrawableButton> settingsButton;
    PopupCallbackReceiver* popupCallbackReceiver = nullptr;
    juce::Component::SafePointer<juce::Component> settingsMenuWindow;

    juce::Component panLawBox;
    juce::ToggleButton panLaw0Button, panLaw3Button, panLaw6Button;
    juce::Component panCurveBox;
    juce::ToggleButton panCurveLinearButton, panCurveLogButton, panCurveSinCosButton;
    juce::Component msModeBox;
    juce::ToggleButton fixMidButton, bindLevelsButton;
    juce::Component panModeBox;
    juce::ToggleButton dualPanButton, balanceButton;
    juce::ToggleButton alignPhaseButton;

    std::unique_ptr<DvxPresetNameLabel> presetNameLabel;
    std::unique_ptr<StereoComponent> stereoComponent;
    std::unique_ptr<DvxRotarySlider> widthSlider, panSlider, inputGainSlider, outputGainSlider, safeBassFreqSlider;
    std::unique_ptr<InfoComponent> infoComponent;
    std::unique_ptr<ManagePresetsComponent> managePresetsComponent;
    std::unique_ptr<juce::Label> channelNameLabel;
    bool channelNameIsSet = false;
    std::unique_ptr<DvxQzStereoVuMeterComponent> inputMeter, outputMeter;
    bool settingsPopupMenuIsActive = false;

    // A knob's value arrived while the user typed into its value box and was not applied.
    bool knobLeftWhileTyped = false;

    // Keeps the finished background between paints.
    BackgroundTexture backgroundTexture;

    std::function<juce::Time()> timeSource;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainEditorComponent)
};

// The main panel's state and the controls that depend on it: switch states, width and
// pan display, channel name, colour scheme, visibility, the info line and resizing.
//
// The reactions to clicks, knob moves, label edits, the mouse and the timer are not
// wired yet: those callbacks do nothing, and neither do the preset and dialog actions.

#include "editor/MainEditorComponent.h"
#include "editor/InfoComponent.h"
#include "editor/ManagePresetsComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "parameters/DvxParameterManager.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxPresetNameLabel.h"
#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzLookAndFeelV1.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"
#include "widgets/DvxRotarySlider.h"
#include "widgets/StereoComponent.h"

namespace
{
    const char* const noChannelName = "No Channel Name";

    void setVisibleIfPresent (juce::Component* component, bool shouldBeVisible)
    {
        if (component != nullptr)
            component->setVisible (shouldBeVisible);
    }

    // A label the user is typing into keeps what was typed: setText would close its editor.
    void setTextUnlessEdited (juce::Label* label, const juce::String& text)
    {
        if (label != nullptr && ! label->isBeingEdited())
            label->setText (text, juce::dontSendNotification);
    }
}

//==============================================================================
void MainEditorComponent::mouseMove (const juce::MouseEvent&) {}
void MainEditorComponent::mouseDown (const juce::MouseEvent&) {}
void MainEditorComponent::sliderValueChanged (juce::Slider*) {}
void MainEditorComponent::sliderDragStarted (juce::Slider*) {}
void MainEditorComponent::sliderDragEnded (juce::Slider*) {}
void MainEditorComponent::buttonClicked (juce::Button*) {}
void MainEditorComponent::labelTextChanged (juce::Label*) {}
void MainEditorComponent::editorShown (juce::Label*, juce::TextEditor&) {}
void MainEditorComponent::timerCallback() {}
void MainEditorComponent::updateInfoTextLabel (const juce::MouseEvent&) {}

//==============================================================================
void MainEditorComponent::setInputVuMeterVisuals (DvxStereoVuVisuals visuals)
{
    if (inputMeter != nullptr)
        inputMeter->setStereoVuVisuals (visuals);
}

void MainEditorComponent::setOutputVuMeterVisuals (DvxStereoVuVisuals visuals)
{
    if (outputMeter != nullptr)
        outputMeter->setStereoVuVisuals (visuals);
}

void MainEditorComponent::resizingStarted()
{
    isResizing = true;
    updateVisibilityOfAllComponents();
    setNewInfoText ({}, false);
    repaint();
}

void MainEditorComponent::resizingStopped()
{
    isResizing = false;
    setNewInfoText ("Resizer: NEW SIZE set to " + juce::String (getWidth()) + "x" + juce::String (getHeight()), false);
    updateVisibilityOfAllComponents();
    repaint();
}

void MainEditorComponent::resizeToDefault()
{
    processor->setEditorHeight (processor->getDefaultEditorHeight());
    editor->updateEditorSize();
}

void MainEditorComponent::showInfoComponent()           { infoComponent->setVisible (true); }
void MainEditorComponent::hideInfoComponent()           { infoComponent->setVisible (false); }
void MainEditorComponent::useDarkClassicColourScheme()  { setColourSchemeBrightness (0.0f); }
void MainEditorComponent::useBrightEyesColourScheme()   { setColourSchemeBrightness (0.3f); }
void MainEditorComponent::revealUserPresetsFolder() const { processor->revealUserPresetsFolder(); }

//==============================================================================
void MainEditorComponent::setNewInfoText (const juce::String& text, bool pinned)
{
    if (infoLabel == nullptr)
        return;

    if (pinned)
    {
        infoLabel->setText (text, juce::dontSendNotification);
        infoTextPinned = true;
        pinnedInfoAt = juce::Time::getCurrentTime();
    }
    else if (! infoTextPinned)
    {
        infoLabel->setText (text, juce::dontSendNotification);
        infoTextAt = juce::Time::getCurrentTime();
    }
}

void MainEditorComponent::setChannelName (juce::String name)
{
    const bool isSet = name.isNotEmpty() && name != noChannelName;
    const juce::String shown = isSet ? name : juce::String (noChannelName);

    processor->setChannelName (shown);
    channelNameLabel->setText (shown, juce::dontSendNotification);
    channelNameLabel->setColour (juce::Label::textColourId,
                                 isSet ? juce::Colours::black : DvxQzColours::qzmainColour.darker (0.2f));
    channelNameIsSet = isSet;
    repaint();
}

void MainEditorComponent::setColourSchemeBrightness (float newBrightness)
{
    brightness = newBrightness;
    lightGrey = juce::Colours::darkgrey.brighter (brightness);

    if (auto* lookAndFeel = editor->getLookAndFeel())
        lookAndFeel->setCurrentLightGrey (lightGrey);

    const auto schemeGrey = DvxQzColours::qzdarkGrey.brighter (brightness);

    for (auto* button : { &muteAllButton, &muteMidButton, &muteSideButton, &bypassButton, &safeBassButton, &swapButton,
                          &phaseFlipButton, &monoButton, &easyModeButton, &expertModeButton, &saveButton })
        changeButtonNormalColour (button, schemeGrey);

    changeButtonNormalColour (nextButton.get(), schemeGrey);
    changeButtonNormalColour (prevButton.get(), schemeGrey);

    const auto knobBackground = brightness == 0.0f ? juce::Colours::black : DvxQzColours::qzdarkGrey;

    for (auto* knob : { widthSlider.get(), panSlider.get(), inputGainSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get() })
        if (knob != nullptr)
            knob->setColour (juce::Slider::backgroundColourId, knobBackground);

    processor->setCurrentColourSchemeBrightness (brightness);
    repaint();
}

void MainEditorComponent::changeButtonNormalColour (juce::Button* button, juce::Colour colour)
{
    if (button != nullptr)
        button->setColour (juce::TextButton::buttonColourId, colour);
}

//==============================================================================
void MainEditorComponent::setBypassState (bool isOn)
{
    bypassOn = isOn;
    stereoComponent->setBypassState (isOn);
    updateVisibilityOfAllComponents();
}

void MainEditorComponent::setMuteAllState (bool isOn)
{
    muteAllOn = isOn;
    stereoComponent->setMuteAllState (isOn);
    updateVisibilityOfAllComponents();
}

void MainEditorComponent::setSafeBassState (bool isOn)
{
    safeBassOn = isOn;

    // Off shows "OFF" on the knob; the parameter keeps its frequency for the next time.
    if (safeBassFreqSlider != nullptr)
    {
        safeBassFreqSlider->setEnabled (isOn);
        safeBassFreqSlider->setTextBoxStyle (juce::Slider::TextBoxBelow, ! isOn,
                                             (int) (height * 1.5f * 0.2f), (int) (0.06f * height));
        safeBassFreqSlider->setValue (isOn ? (double) safeBassFreq : 0.0, juce::dontSendNotification);
    }

    // The "FREQUENCY" caption follows the switch.
    repaint();
}

void MainEditorComponent::setMonoState (bool isOn)
{
    monoOn = isOn;

    // MONO shows a width of 0 while "StereoWidth" keeps its value.
    const float shownWidth = isOn ? 0.0f : stereoWidth;

    if (widthSlider != nullptr)
    {
        widthSlider->setEnabled (! isOn);
        widthSlider->setValue ((double) shownWidth, juce::dontSendNotification);
    }

    widthLabel->setEnabled (! isOn);
    widthLabel->setEditable (false, ! isOn, true);
    stereoComponent->setStereoWidth (shownWidth);
    setNewStereoWidthLabelValue (shownWidth);
    widthLabel->setTooltip (isOn ? juce::String ("STEREO WIDTH: is 0%, because MONO is on ...") : widthTooltip);
    repaint();
}

void MainEditorComponent::setNewStereoWidth (float normalisedWidth)
{
    stereoWidth = normalisedWidth;
    stereoComponent->setStereoWidth (normalisedWidth);

    if (! monoOn)
        setNewStereoWidthLabelValue (normalisedWidth);
}

void MainEditorComponent::setNewPan (float normalisedPan)
{
    stereoComponent->setPan (normalisedPan);

    if (parameterManager != nullptr)
        if (auto* parameter = parameterManager->getParameter ("Pan"))
            if (auto* mapper = parameter->getValueMapper())
                setTextUnlessEdited (panLabel.get(), mapper->normed2RealValueAsString (normalisedPan));
}

void MainEditorComponent::setNewStereoWidthLabelValue (float normalisedWidth)
{
    if (parameterManager != nullptr)
        if (auto* parameter = parameterManager->getParameter ("StereoWidth"))
            if (auto* mapper = parameter->getValueMapper())
                setTextUnlessEdited (widthLabel.get(), mapper->normed2RealValueAsString (normalisedWidth));
}

//==============================================================================
bool MainEditorComponent::allControlsShown() const noexcept
{
    return ! isResizing && ! managePresetsShown && ! bypassOn && ! muteAllOn;
}

void MainEditorComponent::updateVisibilityOfAllComponents()
{
    // Each condition narrows the one before: a resize hides nearly everything, the save
    // dialog hides what it would cover, BYPASS and MUTE ALL what has no effect meanwhile.
    const bool isShown = ! isResizing;
    const bool isFree = isShown && ! managePresetsShown;
    const bool isActive = isFree && ! bypassOn;
    const bool isFull = allControlsShown();

    for (auto* component : std::initializer_list<juce::Component*> { stereoComponent.get(), inputMeter.get(),
                                                                     outputMeter.get(), channelNameLabel.get() })
        setVisibleIfPresent (component, isShown);

    if (isResizing)
        managePresetsComponent->setVisible (false);
    else if (managePresetsShown)
        managePresetsComponent->setVisible (true);

    for (auto* component : std::initializer_list<juce::Component*> { &bypassButton, undoButton.get(), redoButton.get(),
                                                                     settingsButton.get() })
        setVisibleIfPresent (component, isFree);

    setVisibleIfPresent (&muteAllButton, isActive);
    setVisibleIfPresent (inputGainSlider.get(), isActive);

    for (auto* component : std::initializer_list<juce::Component*> {
             widthSlider.get(), panSlider.get(), widthLabel.get(), panLabel.get(), outputGainSlider.get(),
             safeBassFreqSlider.get(), &safeBassButton, &swapButton, &phaseFlipButton, &monoButton, &muteMidButton,
             &muteSideButton, &easyModeButton, &expertModeButton, &saveButton, presetNameLabel.get(),
             nextButton.get(), prevButton.get() })
        setVisibleIfPresent (component, isFull);

    updatePhaseAlignSideSignalButton();

    channelNameLabel->setEditable (isFree, false, false);

    updateVisibilityOfExpertOptions();
}

void MainEditorComponent::updatePhaseAlignSideSignalButton()
{
    alignPhaseButton.setVisible (allControlsShown() && muteMidOn);
}

void MainEditorComponent::updateVisibilityOfExpertOptions()
{
    easyModeButton.setToggleState (! expertMode, juce::dontSendNotification);
    expertModeButton.setToggleState (expertMode, juce::dontSendNotification);

    for (auto* box : { &panLawBox, &panCurveBox, &msModeBox, &panModeBox })
        box->setVisible (allControlsShown() && expertMode);

    repaint();
}

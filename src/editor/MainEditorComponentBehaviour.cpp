// The main panel's behaviour: what each click, knob move and label edit does, the timer,
// the info line with its hover help, and the panel's state with the controls that depend
// on it (switch states, width and pan display, channel name, colour scheme, visibility,
// resizing).

#include "editor/MainEditorComponent.h"
#include "editor/FittedPath.h"
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

    bool isRealChannelName (const juce::String& name)
    {
        return name.isNotEmpty() && name != noChannelName;
    }

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

    // The host slot of a knob's parameter, or -1 when there is none.
    int parameterIndexOf (juce::Slider* slider)
    {
        if (auto* knob = dynamic_cast<DvxRotarySlider*> (slider))
            if (auto* parameter = knob->getParameter())
                return parameter->getIndex();

        return -1;
    }

}

//==============================================================================
void MainEditorComponent::mouseMove (const juce::MouseEvent& e)
{
    updateInfoTextLabel (e);
}

void MainEditorComponent::mouseDown (const juce::MouseEvent& e)
{
    if (titleLabel != nullptr && e.originalComponent == titleLabel.get())
        showInfoComponent();
}

void MainEditorComponent::updateInfoTextLabel (const juce::MouseEvent& e)
{
    // The panel hears the moves of every child; the event's own component is the one under
    // the pointer.
    auto* underMouse = e.originalComponent;

    if (underMouse == this)
        setNewInfoText ({}, false);
    else if (auto* client = dynamic_cast<juce::SettableTooltipClient*> (underMouse))
        setNewInfoText (client->getTooltip(), false);
}

//==============================================================================
void MainEditorComponent::buttonClicked (juce::Button* button)
{
    // Text buttons have toggled themselves before the click is reported.
    const bool on = button->getToggleState();

    // Each click is its own undo step.
    const auto write = [this] (const char* name, float value) { processor->setParamAndNotifyHost (name, value, true); };
    const auto writeSwitch = [&write, on] (const char* name) { write (name, on ? 1.0f : 0.0f); };

    if (button == nextButton.get())           { processor->loadNextPreset(); updateAll(); }
    else if (button == prevButton.get())      { processor->loadPrevPreset(); updateAll(); }
    else if (button == undoButton.get())      { processor->undoLastParameterChange(); updateAll(); }
    else if (button == redoButton.get())      { processor->redoLastParameterChange(); updateAll(); }
    else if (button == &saveButton)           showManagePresetsComponent();
    else if (button == settingsButton.get())  createAndShowSettingsPopupMenu();
    else if (button == &bypassButton)         { writeSwitch ("Bypass"); setBypassState (on); }
    else if (button == &muteAllButton)        { writeSwitch ("MuteAll"); setMuteAllState (on); }
    else if (button == &safeBassButton)       { writeSwitch ("SafeBass"); setSafeBassState (on); }
    else if (button == &monoButton)           { writeSwitch ("Mono"); setMonoState (on); }
    else if (button == &swapButton)           writeSwitch ("SwapLR");
    else if (button == &phaseFlipButton)      writeSwitch ("PhaseFlip");
    else if (button == &alignPhaseButton)     writeSwitch ("PhaseAlignSide");
    else if (button == &muteMidButton)
    {
        // Mid and side are never muted together from here: the processor writes both.
        processor->setMuteMsOption (on ? muteMsMid : muteMsNone);
        muteMidOn = on;
        updatePhaseAlignSideSignalButton();

        if (muteSideButton.getToggleState())
            muteSideButton.setToggleState (false, juce::dontSendNotification);
    }
    else if (button == &muteSideButton)
    {
        processor->setMuteMsOption (on ? muteMsSide : muteMsNone);

        if (muteMidButton.getToggleState())
        {
            muteMidButton.setToggleState (false, juce::dontSendNotification);
            muteMidOn = false;
            updatePhaseAlignSideSignalButton();
        }
    }
    else if (button == &easyModeButton || button == &expertModeButton)
    {
        // Radio group 99 reports the button turned off first, so the chosen one decides.
        expertMode = (button == &expertModeButton);
        processor->setExpertMode (expertMode);
        updateVisibilityOfExpertOptions();
    }
    else
    {
        // An option toggle writes its own value on every click it reports, also when the
        // group turns it off in favour of another: that write changes nothing.
        const struct { juce::Button* toggle; const char* parameter; float value; } options[] = {
            { &panLaw0Button, "PanLaw", 0.0f },          { &panLaw3Button, "PanLaw", 0.1f },
            { &panLaw6Button, "PanLaw", 0.2f },          { &panCurveLinearButton, "PanCurve", 0.0f },
            { &panCurveLogButton, "PanCurve", 0.1f },    { &panCurveSinCosButton, "PanCurve", 0.2f },
            { &fixMidButton, "MsMode", 0.0f },           { &bindLevelsButton, "MsMode", 0.1f },
            { &dualPanButton, "PanMode", 0.0f },         { &balanceButton, "PanMode", 0.1f },
        };

        for (const auto& option : options)
            if (button == option.toggle)
                write (option.parameter, option.value);
    }
}

//==============================================================================
void MainEditorComponent::sliderValueChanged (juce::Slider* slider)
{
    // A knob's moves join the undo step that its drag end closes.
    const auto value = (float) slider->getValue();
    const auto write = [this, value] (const char* name) { processor->setParamAndNotifyHost (name, value, false); };

    if (slider == widthSlider.get())                { write ("StereoWidth"); setNewStereoWidth (value); }
    else if (slider == panSlider.get())             { write ("Pan"); setNewPan (value); }
    else if (slider == inputGainSlider.get())       write ("InputGain");
    else if (slider == outputGainSlider.get())      write ("OutputGain");
    else if (slider == safeBassFreqSlider.get())    { write ("SafeBassFreq"); safeBassFreq = value; }
}

void MainEditorComponent::sliderDragStarted (juce::Slider* slider)
{
    const int index = parameterIndexOf (slider);

    if (index != -1)
        processor->beginParameterChangeGesture (index);
}

void MainEditorComponent::sliderDragEnded (juce::Slider* slider)
{
    const int index = parameterIndexOf (slider);

    if (index != -1)
    {
        processor->endParameterChangeGesture (index);

        // The whole drag is one undo step.
        processor->beginNewTransaction();
    }
}

//==============================================================================
void MainEditorComponent::labelTextChanged (juce::Label* label)
{
    const auto typed = label->getText().trim();

    if (label == channelNameLabel.get())
    {
        setChannelName (typed);
    }
    else if (label == presetNameLabel.get())
    {
        const auto name = typed.retainCharacters (processor->getAllowedCharsForPresetNames());

        if (name.isEmpty())
        {
            setNewInfoText ("PRESET NAME: new preset name not accepted !!!", true);
            presetNameLabel->setText (processor->getProgramName (0), juce::dontSendNotification);
        }
        else
        {
            processor->setCurrentPresetNameUndoable (name);
            presetNameLabel->setText (name, juce::dontSendNotification);
        }
    }
    else if (label == widthLabel.get() || label == panLabel.get())
    {
        const bool isPan = (label == panLabel.get());
        auto* knob = isPan ? panSlider.get() : widthSlider.get();
        auto* parameter = parameterManager != nullptr ? parameterManager->getParameter (isPan ? "Pan" : "StereoWidth") : nullptr;
        auto* mapper = parameter != nullptr ? parameter->getValueMapper() : nullptr;

        if (mapper == nullptr || knob == nullptr)
            return;

        // Something that is not a value leaves the parameter alone (the mapper would read it
        // as 0, an end or the centre nobody typed); the label shows the value again.
        const auto value = mapper->textHoldsValue (typed) ? mapper->string2normedValueAsFloat (typed)
                                                          : (float) knob->getValue();

        // A changed value reaches the parameter through the knob's own listener call.
        knob->setValue ((double) value, juce::sendNotificationSync);
        const auto written = (float) knob->getValue();

        if (isPan)
            setNewPan (written);
        else
            setNewStereoWidth (written);

        processor->beginNewTransaction();
    }
}

void MainEditorComponent::editorShown (juce::Label* label, juce::TextEditor& textEditor)
{
    if (label != channelNameLabel.get())
        return;

    auto font = textEditor.getFont();
    font.setHeight ((float) label->getHeight());
    textEditor.setFont (font);
    textEditor.applyFontToAllText (font);
}

void MainEditorComponent::editorHidden (juce::Label* label, juce::TextEditor&)
{
    // While the editor was open the timer left the label alone. A discarded edit would keep
    // showing the text from before it, so once the label has finished closing (JUCE tells
    // this before it takes a committed text) it shows what it stands for now.
    juce::Component::SafePointer<MainEditorComponent> panel (this);
    juce::Component::SafePointer<juce::Label> closed (label);

    juce::MessageManager::callAsync ([panel, closed]
    {
        if (panel != nullptr && closed != nullptr)
            panel->refreshLabelAfterEditing (closed.getComponent());
    });
}

void MainEditorComponent::refreshLabelAfterEditing (juce::Label* label)
{
    // A committed edit has already set the knob, the preset name or the channel name.
    if (label == widthLabel.get())
        setNewStereoWidthLabelValue (monoOn ? 0.0f : stereoWidth);
    else if (label == panLabel.get() && panSlider != nullptr)
        setNewPan ((float) panSlider->getValue());
    else if (label == presetNameLabel.get())
        updatePresetNameFromPluginProcessor();
    else if (label == channelNameLabel.get())
        showChannelName (processor->getChannelName());
}

//==============================================================================
void MainEditorComponent::timerCallback()
{
    pollParameterManager();

    const auto time = now();

    // Pinned messages (results of the user's actions) stay 3 s, others 6 s; a resize keeps
    // whatever is shown until it ends.
    if (infoLabel != nullptr && ! isResizing && infoLabel->getText().isNotEmpty())
    {
        if (infoTextPinned)
        {
            if (time > pinnedInfoAt + juce::RelativeTime::seconds (3.0))
            {
                infoLabel->setText ({}, juce::dontSendNotification);
                infoTextPinned = false;
            }
        }
        else if (time > infoTextAt + juce::RelativeTime::seconds (6.0))
        {
            infoLabel->setText ({}, juce::dontSendNotification);
        }
    }

    // An open settings menu closes about a second after the pointer has left it.
    if (settingsPopupMenuIsActive && time > popupOpenedAt + juce::RelativeTime::seconds (1.0))
    {
        if (componentUnderMouseIsOK())
        {
            popupOpenedAt = time;
        }
        else
        {
            closeSettingsPopupMenu();
            settingsPopupMenuIsActive = false;
        }
    }
}

void MainEditorComponent::setTimeSource (std::function<juce::Time()> newTimeSource)
{
    timeSource = std::move (newTimeSource);
}

juce::Time MainEditorComponent::now() const
{
    return timeSource != nullptr ? timeSource() : juce::Time::getCurrentTime();
}

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

void MainEditorComponent::showInfoComponent()
{
    // The screen covers everything, the save dialog's name field too: it takes the keys,
    // and the dialog takes none (not even by Tab) until the screen goes again. Otherwise
    // Return under the screen would save a preset the user cannot see.
    infoComponent->setVisible (true);

    if (infoComponent->isShowing())
        infoComponent->grabKeyboardFocus();

    managePresetsComponent->setEnabled (false);
}

void MainEditorComponent::hideInfoComponent()
{
    infoComponent->setVisible (false);
    managePresetsComponent->setEnabled (true);

    if (managePresetsShown)
        managePresetsComponent->grabFocusForTyping();
}

void MainEditorComponent::useDarkClassicColourScheme()  { setColourSchemeBrightness (0.0f); }
void MainEditorComponent::useBrightEyesColourScheme()   { setColourSchemeBrightness (0.3f); }

void MainEditorComponent::revealUserPresetsFolder()
{
    // The file manager opens in its own time; only a folder that nothing could open is told,
    // with as much of its path as the info line can show, so that the user can go there by
    // hand.
    processor->revealUserPresetsFolder ([panel = juce::Component::SafePointer<MainEditorComponent> (this),
                                         folder = processor->getUserPresetsFolder()] (bool opened)
    {
        if (panel == nullptr || opened || panel->infoLabel == nullptr)
            return;

        const juce::String failed ("REVEAL: ERROR, presets folder could NOT be opened ! ");
        auto* lookAndFeel = panel->editor->getLookAndFeel();

        panel->setNewInfoText (failed + fitPath (folder, [&] (const juce::String& shown)
        {
            return lookAndFeel == nullptr || lookAndFeel->showsWholeOnOneLine (*panel->infoLabel, failed + shown);
        }), true);
    });
}

//==============================================================================
void MainEditorComponent::setNewInfoText (const juce::String& text, bool pinned)
{
    if (infoLabel == nullptr)
        return;

    if (pinned)
    {
        infoLabel->setText (text, juce::dontSendNotification);
        infoTextPinned = true;
        pinnedInfoAt = now();
    }
    else if (! infoTextPinned)
    {
        infoLabel->setText (text, juce::dontSendNotification);
        infoTextAt = now();
    }
}

void MainEditorComponent::setChannelName (juce::String name)
{
    processor->setChannelName (isRealChannelName (name) ? name : juce::String (noChannelName));
    showChannelName (name);
}

void MainEditorComponent::showChannelName (const juce::String& name)
{
    const bool isSet = isRealChannelName (name);

    setTextUnlessEdited (channelNameLabel.get(), isSet ? name : juce::String (noChannelName));
    channelNameLabel->setColour (juce::Label::textColourId,
                                 isSet ? juce::Colours::black : DvxQzColours::qzmainColour.darker (0.2f));
    channelNameIsSet = isSet;
    repaint();
}

void MainEditorComponent::setColourSchemeBrightness (float newBrightness)
{
    processor->setCurrentColourSchemeBrightness (newBrightness);
    showColourScheme (newBrightness);
}

void MainEditorComponent::showColourScheme (float newBrightness)
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
        setTextBoxBelow (safeBassFreqSlider.get(), ! isOn);

        // While SAFE BASS stays on, a frequency being typed is kept; the knob follows later.
        if (isOn && safeBassFreqSlider->isValueBeingTyped())
            knobLeftWhileTyped = true;
        else
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

// Parameter values that change elsewhere (host automation, presets, undo, a restored
// project) carried back to the controls. Nothing here writes a parameter or an editor
// setting (but for the size of the user's own corner drag), begins an undo step or
// notifies the host: every control is set without notification.

#include "editor/MainEditorComponent.h"
#include "editor/InfoComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "parameters/DvxParameterManager.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxPresetNameLabel.h"
#include "widgets/DvxRotarySlider.h"
#include "widgets/StereoComponent.h"

namespace
{
    bool isOn (float value) noexcept { return value > 0.5f; }

    void setToggle (juce::Button& button, bool shouldBeOn)
    {
        button.setToggleState (shouldBeOn, juce::dontSendNotification);
    }

    // Set by way of the mirrored value, so that the knob's text box is rewritten even
    // when the value itself did not change. False, with the knob left alone, while the
    // user types its value: either step would close the box and throw the typing away.
    bool setKnobInTwoSteps (DvxRotarySlider* knob, float value)
    {
        if (knob == nullptr)
            return true;

        if (knob->isValueBeingTyped())
            return false;

        knob->setValue (1.0 - (double) value, juce::dontSendNotification);
        knob->setValue ((double) value, juce::dontSendNotification);
        return true;
    }

    // A choice selects its first entry below 0.1, the second below 0.2, the third above.
    void selectChoice (std::initializer_list<juce::Button*> choices, float value)
    {
        for (auto* choice : choices)
            setToggle (*choice, false);

        const size_t entry = value < 0.1f ? 0 : (value < 0.2f ? 1 : 2);
        setToggle (**(choices.begin() + juce::jmin (entry, choices.size() - 1)), true);
    }
}

void MainEditorComponent::setEditorParameterValue (int index, float value)
{
    if (parameterManager == nullptr || index < 0)
        return;

    const auto is = [this, index] (const char* name) { return index == parameterManager->getParameterIndex (name); };

    if (is ("Bypass"))
    {
        setToggle (bypassButton, isOn (value));
        setBypassState (isOn (value));
    }
    else if (is ("MuteAll"))
    {
        setToggle (muteAllButton, isOn (value));
        setMuteAllState (isOn (value));
    }
    else if (is ("MuteMid"))
    {
        setToggle (muteMidButton, isOn (value));
        muteMidOn = isOn (value);
        updatePhaseAlignSideSignalButton();
    }
    else if (is ("MuteSide"))
    {
        setToggle (muteSideButton, isOn (value));
    }
    else if (is ("PhaseAlignSide"))
    {
        setToggle (alignPhaseButton, isOn (value));
    }
    else if (is ("SwapLR"))
    {
        setToggle (swapButton, isOn (value));
    }
    else if (is ("PhaseFlip"))
    {
        setToggle (phaseFlipButton, isOn (value));
    }
    else if (is ("Mono"))
    {
        setToggle (monoButton, isOn (value));
        setMonoState (isOn (value));
    }
    else if (is ("StereoWidth"))
    {
        stereoWidth = value;

        // While MONO is on the knob shows 0; turning MONO off shows the kept value.
        if (! monoOn)
        {
            if (widthSlider != nullptr)
                widthSlider->setValue ((double) value, juce::dontSendNotification);

            stereoComponent->setStereoWidth (value);
            setNewStereoWidth (value);
        }
    }
    else if (is ("Pan"))
    {
        if (panSlider != nullptr)
            panSlider->setValue ((double) value, juce::dontSendNotification);

        stereoComponent->setPan (value);
        setNewPan (value);
    }
    else if (is ("InputGain"))
    {
        knobLeftWhileTyped |= ! setKnobInTwoSteps (inputGainSlider.get(), value);
    }
    else if (is ("OutputGain"))
    {
        knobLeftWhileTyped |= ! setKnobInTwoSteps (outputGainSlider.get(), value);
    }
    else if (is ("SafeBassFreq"))
    {
        safeBassFreq = value;

        if (safeBassOn)
            knobLeftWhileTyped |= ! setKnobInTwoSteps (safeBassFreqSlider.get(), value);
    }
    else if (is ("SafeBass"))
    {
        setToggle (safeBassButton, isOn (value));
        setSafeBassState (isOn (value));
    }
    else if (is ("PanCurve"))
    {
        selectChoice ({ &panCurveLinearButton, &panCurveLogButton, &panCurveSinCosButton }, value);
    }
    else if (is ("PanLaw"))
    {
        selectChoice ({ &panLaw0Button, &panLaw3Button, &panLaw6Button }, value);
    }
    else if (is ("MsMode"))
    {
        selectChoice ({ &fixMidButton, &bindLevelsButton }, value);
    }
    else if (is ("PanMode"))
    {
        selectChoice ({ &dualPanButton, &balanceButton }, value);
    }
}

void MainEditorComponent::updateAllParameters()
{
    if (parameterManager == nullptr)
        return;

    for (int i = 0; i < parameterManager->getNumberOfParameters(); ++i)
        setEditorParameterValue (i, parameterManager->getParameterValue (i));
}

void MainEditorComponent::updatePresetNameFromPluginProcessor()
{
    // The user may be typing a new name; the refresh must not throw that away.
    if (presetNameLabel != nullptr && ! presetNameLabel->isBeingEdited())
        presetNameLabel->setText (processor->getCurrentPresetName(), juce::dontSendNotification);
}

void MainEditorComponent::updateUndoButtons()
{
    setUndoButtons (processor->canUndo(), processor->canRedo());
}

// Everything the panel shows, read again at construction, after its own preset steps,
// undo and redo, and after a host's restore. Only read: the host may restore again from its
// thread meanwhile, and writing back what was read before would undo that restore.
void MainEditorComponent::updateAll()
{
    updateAllParameters();
    updatePresetNameFromPluginProcessor();
    showChannelName (processor->getChannelName());

    expertMode = processor->getExpertMode();
    updateVisibilityOfExpertOptions();

    showColourScheme (processor->getCurrentColourSchemeBrightness());
    repaint();
    updateVisibilityOfAllComponents();
    updateUndoButtons();
}

void MainEditorComponent::pollParameterManager()
{
    if (parameterManager == nullptr)
        return;

    // A knob left alone while its value was typed takes its parameter once the typing has
    // ended: an edit given up would keep showing the value from before it.
    if (knobLeftWhileTyped && ! isAnyKnobValueBeingTyped())
    {
        knobLeftWhileTyped = false;
        updateAllParameters();
    }

    // Each flag is read (and so cleared) exactly once per tick; a change that lands meanwhile
    // raises its flag again for the next tick.
    if (parameterManager->getParameterNeedsToBeUpdatedInEditor())
        for (int i = 0; i < parameterManager->getNumberOfParameters(); ++i)
            if (auto* parameter = parameterManager->getParameter (i); parameter != nullptr && parameter->hasFlagChanged())
                setEditorParameterValue (i, parameterManager->getParameterValue (i));

    // The info screen shows the sample rate.
    if (parameterManager->getSampleRateNeedsToBeUpdatedInEditor() && infoComponent != nullptr && infoComponent->isVisible())
        infoComponent->repaint();

    if (parameterManager->getPresetNameNeedsToBeUpdatedInEditor())
        updatePresetNameFromPluginProcessor();

    if (parameterManager->getUndoButtonsNeedToBeUpdatedInEditor())
        updateUndoButtons();

    // A restored project brings its own channel name, expert mode, colour scheme and
    // editor size besides the values; the restore has left them as the editor can use
    // them, and the editor takes them without writing anything back. During a corner drag
    // the user's size wins: the processor gets the editor's height back, since a drag that
    // ends without another move would not tell it.
    if (parameterManager->getHostStateNeedsToBeUpdatedInEditor())
    {
        updateAll();

        if (isResizing)
            processor->setEditorHeight (getHeight());
        else
            editor->followStoredEditorSize();
    }
}

bool MainEditorComponent::isAnyKnobValueBeingTyped() const
{
    for (auto* knob : { inputGainSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get() })
        if (knob != nullptr && knob->isValueBeingTyped())
            return true;

    return false;
}

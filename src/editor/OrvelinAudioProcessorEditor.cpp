#include "editor/OrvelinAudioProcessorEditor.h"
#include "editor/MainEditorComponent.h"
#include "editor/ResizerForEditor.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxLayoutManager.h"
#include "processor/DvxMainDisplay.h"
#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzLookAndFeelV1.h"

#include "BinaryData.h"

namespace
{
    constexpr int peakHandOverMilliseconds = 70;

    int widthForHeight (int height) noexcept
    {
        return juce::roundToInt ((float) height * 1.5f);
    }
}

OrvelinAudioProcessorEditor::OrvelinAudioProcessorEditor (OrvelinAudioProcessor* processorToUse)
    : juce::AudioProcessorEditor (processorToUse),
      processor (processorToUse)
{
    const int displayHeight = getMainDisplayTotalHeight();

    layoutManager = std::make_unique<DvxLayoutManager> (displayHeight, 0.5f, 1.5f);

    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                            (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    font = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();

    // Before the panel exists, so that every child inherits it.
    lookAndFeel = std::make_unique<DvxQzLookAndFeelV1>();
    setLookAndFeel (lookAndFeel.get());

    mainEditorComponent = std::make_unique<MainEditorComponent> (processor, this);
    addAndMakeVisible (*mainEditorComponent);

    constrainer = std::make_unique<juce::ComponentBoundsConstrainer>();
    applyCornerLimits (*constrainer, displayHeight);

    // Added after the panel, so that it lies on top and gets the mouse at the corner.
    resizer = std::make_unique<ResizerForEditor> (this, constrainer.get(), mainEditorComponent.get());
    addAndMakeVisible (*resizer);

    startTimer (peakHandOverMilliseconds);

    editorHeight = limitStoredHeight (processor->getEditorHeight());
    setSize (widthForHeight (editorHeight), editorHeight);
}

OrvelinAudioProcessorEditor::~OrvelinAudioProcessorEditor()
{
    mainEditorComponent.reset();

    // The editor itself still refers to the look and feel; JUCE must not be left holding
    // a look and feel that is about to be deleted.
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}

int OrvelinAudioProcessorEditor::getMainDisplayTotalHeight()
{
    const int height = DvxMainDisplay::getTotalArea().getHeight();
    return height > 0 ? height : DvxMainDisplay::fallbackTotalHeight;
}

void OrvelinAudioProcessorEditor::applyCornerLimits (juce::ComponentBoundsConstrainer& limits, int mainDisplayTotalHeight)
{
    const auto displayHeight = (float) mainDisplayTotalHeight;
    const int maxHeight = (int) (0.8f * displayHeight);
    const int maxWidth = (int) ((float) maxHeight * 1.5f);
    const int minHeight = (int) (displayHeight * 0.25f);
    const int minWidth = (int) ((float) minHeight * 1.5f);

    limits.setFixedAspectRatio (1.5);
    limits.setSizeLimits (minWidth, minHeight, maxWidth, maxHeight);
}

int OrvelinAudioProcessorEditor::limitStoredHeight (int storedHeight) noexcept
{
    return juce::jlimit (OrvelinEditorSettings::minimumEditorHeight, OrvelinEditorSettings::maximumEditorHeight, storedHeight);
}

void OrvelinAudioProcessorEditor::updateEditorSize()
{
    editorHeight = limitStoredHeight (processor->getEditorHeight());

    // The processor keeps the height the editor really has, also when the stored one was
    // out of bounds and the size does not change (then resized() does not tell it).
    processor->setEditorHeight (editorHeight);
    applyEditorHeight();
}

void OrvelinAudioProcessorEditor::followStoredEditorSize()
{
    // A restore stores heights within these limits already; should one be out anyway, the
    // editor keeps to them for itself and the processor keeps what it holds.
    editorHeight = limitStoredHeight (processor->getEditorHeight());

    const juce::ScopedValueSetter<bool> quietly (sizeFollowsProcessor, true);
    applyEditorHeight();
}

void OrvelinAudioProcessorEditor::applyEditorHeight()
{
    const int width = widthForHeight (editorHeight);

    // Straight to the size: the corner's limits apply to drags only. The place is the
    // wrapper's: the Standalone keeps the editor below its notification bar, and moving it
    // to (0, 0) there hid its top under the bar whenever the size stayed the same, as on
    // every relaunch, where the restored state brings the size the editor opened with.
    juce::Component::setSize (width, editorHeight);
    repaint (0, 0, width, editorHeight);
}

void OrvelinAudioProcessorEditor::resized()
{
    // The processor learns the height first: laying out the panel refreshes the info
    // screen's size buttons, which compare the processor's height with the default. A size
    // taken from the processor after a restore it holds already.
    editorHeight = getHeight();

    if (! sizeFollowsProcessor)
        processor->setEditorHeight (editorHeight);

    if (mainEditorComponent != nullptr)
        mainEditorComponent->setBounds (getLocalBounds());

    if (resizer != nullptr)
        resizer->setBoundsRelative (0.9393333f, 0.90900004f, 0.05f, 0.075f);
}

void OrvelinAudioProcessorEditor::paint (juce::Graphics& g)
{
    // Shows through while the panel skips its background during a corner drag.
    const auto h = (float) editorHeight;
    const auto w = (float) widthForHeight (editorHeight);

    g.fillAll (DvxQzColours::qzdarkGrey.brighter (processor->getCurrentColourSchemeBrightness()));

    // Four arrows from near the centre out to the corners.
    const float inner = 1.0f - 0.6f;
    const float outer = 1.0f - 0.8f;
    const float thickness = 0.1f * h;
    const float headSize = 0.2f * h;

    juce::Path arrows;
    arrows.addArrow ({ inner * w, inner * h, outer * w, outer * h }, thickness, headSize, headSize);
    arrows.addArrow ({ 0.6f * w, inner * h, 0.8f * w, outer * h }, thickness, headSize, headSize);
    arrows.addArrow ({ inner * w, 0.6f * h, outer * w, 0.8f * h }, thickness, headSize, headSize);
    arrows.addArrow ({ 0.6f * w, 0.6f * h, 0.8f * w, 0.8f * h }, thickness, headSize, headSize);

    g.setColour (juce::Colours::black);
    g.fillPath (arrows);

    g.setFont (*font);
    g.setFont ((h * 0.2f) * 0.5f);
    g.drawFittedText ("RESIZING", (int) (w * 0.4f), (int) (h * 0.4f), (int) (w * 0.2f), (int) (h * 0.2f),
                      juce::Justification::centred, 1, 0.7f);
}

void OrvelinAudioProcessorEditor::timerCallback()
{
    if (mainEditorComponent == nullptr)
        return;

    mainEditorComponent->setInputVuMeterVisuals (processor->getInputVuMeterVisuals());
    mainEditorComponent->setOutputVuMeterVisuals (processor->getOutputVuMeterVisuals());
}

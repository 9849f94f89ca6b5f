// The main panel's own drawing and the placement of the children that the layout manager
// does not place. Lengths are fractions of the height h and of the width W = 1.5 h.

#include "editor/MainEditorComponent.h"
#include "editor/InfoComponent.h"
#include "editor/ManagePresetsComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "widgets/DvxPresetNameLabel.h"
#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"
#include "widgets/DvxRotarySlider.h"
#include "widgets/StereoComponent.h"

namespace
{
    struct Relative
    {
        float x, y, w, h;
    };

    // A panel behind a group of controls, in layout units.
    const Relative groupPanels[] = {
        { 0.71000004f, 0.16f, 0.105f, 0.2f },    // SAFE BASS and its frequency knob
        { 0.15f, 0.16f, 0.105f, 0.2f },          // SWAP L-R, PHASE FLIP, MONO
        { 0.71000004f, 0.585f, 0.105f, 0.145f }, // MUTE MID, MUTE SIDE, align phase
        { 0.15f, 0.585f, 0.105f, 0.145f },       // EASY MODE, EXPERT MODE
        { 0.15f, 0.09f, 0.525f, 0.03f },         // the preset bar
    };

    // Behind the option boxes, drawn in expert mode only.
    const Relative optionBoxPanels[] = {
        { 0.568f, 0.585f, 0.099f, 0.075f },      // PAN LAW
        { 0.29999998f, 0.585f, 0.099f, 0.075f }, // PAN CURVE
        { 0.29999998f, 0.76f, 0.099f, 0.075f },  // STEREOMODE
        { 0.568f, 0.76f, 0.099f, 0.075f },       // PAN MODE
    };

    const Relative threeToggles[] = { { 0.05f, 0.0625f, 0.92f, 0.25f }, { 0.05f, 0.375f, 0.92f, 0.25f }, { 0.05f, 0.6875f, 0.92f, 0.25f } };
    const Relative twoToggles[] = { { 0.05f, 0.16666667f, 0.92f, 0.25f }, { 0.05f, 0.5833334f, 0.92f, 0.25f } };

    void place (juce::Component* component, const Relative& r)
    {
        if (component != nullptr)
            component->setBoundsRelative (r.x, r.y, r.w, r.h);
    }

    // One line of text in the current typeface, not shortened to fit.
    void drawText (juce::Graphics& g, const juce::String& text, float fontHeight, juce::Colour colour,
                   juce::Rectangle<float> area, juce::Justification justification)
    {
        g.setFont (fontHeight);
        g.setColour (colour);
        g.drawText (text, area, justification, false);
    }
}

//==============================================================================
void MainEditorComponent::paint (juce::Graphics& g)
{
    g.setFont (*regularFont);

    if (! isResizing)
    {
        drawBackground (g);
        drawLabelBackground (g, 0.01f, 0.923f, 0.758f, 0.061f, lightGrey, true);             // info line
        drawLabelBackground (g, 0.773f, 0.923f, 0.171f, 0.061f, lightGrey, true);            // maker's name
        drawLabelBackground (g, 0.94899994f, 0.923f, 0.040666666f, 0.061f, lightGrey, true); // resize corner
    }

    drawUpperBar (g);
    drawMarvekLogo (g);
    drawThePresentsText (g);
    drawVelmoraLogoAndText (g);

    if (! isResizing)
    {
        if (! (bypassOn || muteAllOn || managePresetsShown))
        {
            drawLabelBackground (g, 0.3f, 0.095000006f, 0.4f, 0.05f, juce::Colours::black, false); // preset name
            drawOtherCaptions (g);
            drawGroupPanels (g);
        }

        drawInputAndOutputSections (g);
        drawChannelNameBorderAndBg (g);
    }

    drawPluginBorder (g);
}

void MainEditorComponent::drawBackground (juce::Graphics& g)
{
    backgroundTexture.draw (g, getLocalBounds(), 1.5f * height, height, DvxQzColours::qzdarkGrey.brighter (brightness));
}

void MainEditorComponent::drawLabelBackground (juce::Graphics& g, float fx, float fy, float fw, float fh,
                                               juce::Colour colour, bool withGradient)
{
    const auto w = 1.5f * height;
    const juce::Rectangle<float> area (fx * w, fy * height, fw * w, fh * height);

    if (withGradient)
        g.setGradientFill (juce::ColourGradient (colour, area.getX(), area.getY(),
                                                 colour.withAlpha (0.0f), area.getX(), area.getY() + fh * height, false));
    else
        g.setColour (colour);

    g.fillRoundedRectangle (area, 0.01f * height);
}

void MainEditorComponent::drawUpperBar (juce::Graphics& g)
{
    g.setColour (DvxQzColours::qzmainColour);
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, 1.5f * height, scale * 0.04f * (float) displayHeight));
}

void MainEditorComponent::drawMarvekLogo (juce::Graphics& g)
{
    if (personLogo != nullptr)
        personLogo->draw (g, 1.0f, juce::AffineTransform::scale ((float) displayHeight * 0.00026f * scale)
                                       .translated (0.01f * 1.5f * height, 0.019f * height));
}

void MainEditorComponent::drawThePresentsText (juce::Graphics& g)
{
    // Its place is in fractions of the height only.
    drawText (g, "presents", 0.04f * height, juce::Colours::black,
              { 0.48f * height, 0.013f * height, 0.3f * height, 0.04f * height }, juce::Justification::topLeft);
}

void MainEditorComponent::drawVelmoraLogoAndText (juce::Graphics& g)
{
    const auto w = 1.5f * height;

    if (makerLogo != nullptr)
        makerLogo->drawWithin (g, { 0.761f * w, 0.928f * height, 0.08f * w, 0.05f * height },
                               juce::RectanglePlacement::centred, 1.0f);

    drawText (g, "Velmora", 0.061f * height, juce::Colours::black,
              { 0.82299995f * w, 0.923f * height, 0.12f * w, 0.061f * height }, juce::Justification::centred);
}

void MainEditorComponent::drawOtherCaptions (juce::Graphics& g)
{
    const auto w = 1.5f * height;
    const auto dimmed = juce::Colours::black.withAlpha (0.2f);

    // Both fonts are twice as tall as their rectangles; the text overflows them evenly.
    drawText (g, "PAN", 0.05f * height, juce::Colours::black,
              { 0.47f * w, 0.579f * height, 0.06f * w, 0.025f * height }, juce::Justification::centred);
    drawText (g, "STEREO WIDTH", 0.05f * height, monoOn ? dimmed : juce::Colours::black,
              { 0.35f * w, 0.724f * height, 0.3f * w, 0.025f * height }, juce::Justification::centred);

    layoutManager->drawText (g, "FREQUENCY", 0.71000004f, 0.31f, 0.105f, 0.025f, juce::Justification::centred,
                             safeBassOn ? juce::Colours::black : dimmed);
    layoutManager->drawText (g, "PRESET:", 0.23000002f, 0.101f, 0.04f, 0.0195f, juce::Justification::centred,
                             juce::Colours::black);
}

void MainEditorComponent::drawGroupPanels (juce::Graphics& g)
{
    for (const auto& p : groupPanels)
        layoutManager->drawSectionBackground (g, p.x, p.y, p.w, p.h);

    if (expertMode)
        for (const auto& p : optionBoxPanels)
            layoutManager->drawSectionBackground (g, p.x, p.y, p.w, p.h);
}

void MainEditorComponent::drawInputAndOutputSections (juce::Graphics& g)
{
    for (const auto& [x, caption] : { std::pair<float, const char*> { 0.02f, "INPUT" }, { 0.86f, "OUTPUT" } })
    {
        layoutManager->drawSectionBackground (g, x, 0.1f, 0.09f, 0.105f);
        layoutManager->drawText (g, caption, x, 0.1f, 0.09f, 0.025f, juce::Justification::centred, juce::Colours::black);
    }
}

void MainEditorComponent::drawChannelNameBorderAndBg (juce::Graphics& g)
{
    const auto w = 1.5f * height;

    // The same colour as the placeholder text while no name is set.
    g.setColour (channelNameIsSet ? juce::Colours::black : DvxQzColours::qzmainColour.darker (0.2f));
    g.drawRoundedRectangle ({ 0.72816676f * w, 0.015f * height, 0.22f * w, 0.06f * height },
                            0.01f * height, 0.005f * height);
}

void MainEditorComponent::drawPluginBorder (juce::Graphics& g)
{
    g.setColour (juce::Colours::black);
    g.drawRoundedRectangle ({ 0.0f, 0.0f, 1.5f * height, height }, 0.02f * height, 0.02f * height);
}

//==============================================================================
void MainEditorComponent::resized()
{
    displayHeight = OrvelinAudioProcessorEditor::getMainDisplayTotalHeight();
    height = (float) getHeight();
    scale = 2.0f * (height / (float) displayHeight);

    infoComponent->setBounds (getLocalBounds());

    place (settingsButton.get(), { 0.9526667f, 0.016999999f, 0.037333336f, 0.056f });
    place (titleLabel.get(), { 0.375f, 0.002f, 0.25f, 0.0856f });
    place (infoLabel.get(), { 0.016f, 0.923f, 0.7f, 0.06f });

    regularFont->setHeight (0.06f * height);

    place (channelNameLabel.get(), { 0.72816676f, 0.015f, 0.22f, 0.06f });
    place (presetNameLabel.get(), { 0.3f, 0.095000006f, 0.4f, 0.05f });
    place (widthSlider.get(), { 0.445f, 0.76f, 0.11f, 0.18f });
    place (panSlider.get(), { 0.47f, 0.615f, 0.06f, 0.16f });
    place (stereoComponent.get(), { 0.3f, 0.16f, 0.4f, 0.4f });
    place (widthLabel.get(), { 0.32f, 0.218f, 0.075f, 0.065f });
    place (panLabel.get(), { 0.605f, 0.218f, 0.075f, 0.065f });
    place (managePresetsComponent.get(), { 0.3f, 0.16f, 0.4f, 0.4f });

    layoutManager->setNewHeightAndUpdateAllComponentBounds (height);

    const auto placeBox = [] (juce::Component& box, const Relative& bounds, std::initializer_list<juce::Component*> toggles)
    {
        place (&box, bounds);
        const auto* toggleBounds = toggles.size() == 3 ? threeToggles : twoToggles;

        for (auto* toggle : toggles)
            place (toggle, *toggleBounds++);
    };

    placeBox (panLawBox, { 0.568f, 0.585f, 0.132f, 0.15f }, { &panLaw0Button, &panLaw3Button, &panLaw6Button });
    placeBox (panCurveBox, { 0.29999998f, 0.585f, 0.132f, 0.15f }, { &panCurveLinearButton, &panCurveLogButton, &panCurveSinCosButton });
    placeBox (msModeBox, { 0.29999998f, 0.76f, 0.132f, 0.15f }, { &fixMidButton, &bindLevelsButton });
    placeBox (panModeBox, { 0.568f, 0.76f, 0.132f, 0.15f }, { &dualPanButton, &balanceButton });

    place (&alignPhaseButton, { 0.73f, 0.825f, 0.096599996f, 0.0375f });
    place (inputMeter.get(), { 0.02f, 0.32f, 0.12f, 0.5f });
    place (outputMeter.get(), { 0.86f, 0.32f, 0.12f, 0.5f });

    // Each knob's value box below it; only the frequency box depends on SAFE BASS.
    const auto placeKnob = [this] (DvxRotarySlider* knob, const Relative& bounds, bool readOnly)
    {
        place (knob, bounds);
        setTextBoxBelow (knob, readOnly);
    };

    placeKnob (inputGainSlider.get(), { 0.049999997f, 0.15f, 0.06f, 0.16f }, false);
    placeKnob (outputGainSlider.get(), { 0.89f, 0.15f, 0.06f, 0.16f }, false);
    placeKnob (safeBassFreqSlider.get(), { 0.75000006f, 0.37f, 0.06f, 0.16f }, ! safeBassOn);
}

void MainEditorComponent::setTextBoxBelow (DvxRotarySlider* knob, bool readOnly)
{
    if (knob != nullptr)
        knob->setTextBoxStyle (juce::Slider::TextBoxBelow, readOnly, (int) (height * 1.5f * 0.2f), (int) (0.06f * height));
}

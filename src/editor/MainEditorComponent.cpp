// The main panel's construction: every child with its name, text, tooltip, colours and
// listener, in the order in which they are stacked.

#include "editor/MainEditorComponent.h"
#include "editor/InfoComponent.h"
#include "editor/ManagePresetsComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "parameters/DvxParameterManager.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxPresetNameLabel.h"
#include "widgets/DvxQzColours.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"
#include "widgets/DvxRotarySlider.h"
#include "widgets/StereoComponent.h"

#include "BinaryData.h"

namespace
{
    constexpr int timerMilliseconds = 70;

    constexpr auto leftTop = static_cast<DvxLayoutManager::Align> (DvxLayoutManager::alignLeft | DvxLayoutManager::alignTop);
    constexpr auto leftBottom = static_cast<DvxLayoutManager::Align> (DvxLayoutManager::alignLeft | DvxLayoutManager::alignBottom);
    constexpr auto rightBottom = static_cast<DvxLayoutManager::Align> (DvxLayoutManager::alignRight | DvxLayoutManager::alignBottom);

    // Buttons that do not follow the colour scheme (settings, UNDO, REDO).
    juce::Colour buttonGrey() { return DvxQzColours::qzdarkGrey.brighter (0.3f); }

    std::unique_ptr<juce::Drawable> makeDrawable (const char* data, int size)
    {
        return juce::Drawable::createFromImageData (data, (size_t) size);
    }

    DvxParameterValueMapper* mapperOf (DvxParameterManager* manager, const juce::String& name)
    {
        if (manager != nullptr)
            if (auto* parameter = manager->getParameter (name))
                return parameter->getValueMapper();

        return nullptr;
    }
}

MainEditorComponent::MainEditorComponent (OrvelinAudioProcessor* processorToUse, OrvelinAudioProcessorEditor* editorToUse)
    : processor (processorToUse),
      editor (editorToUse)
{
    jassert (processor != nullptr && editor != nullptr);

    titleString = juce::String ("Orvelin") + " v" + "1.1";
    setName ("MainEditorComponent");

    // The hover help in the info line needs the mouse moves of every child.
    addMouseListener (this, true);

    layoutManager = editor->getLayoutManager();
    parameterManager = processor->getParameterManager();

    initFonts();
    initSvgElements();
    addSettingsPopupButton();
    addMainLabels();
    addAllTextButtons();
    addAllRadioButtons();
    addLevelMeters();
    addAllSliders();
    addStereoComponent();
    addAllDrawableButtons();
    addManagePresetsComponent();
    addInfoComponent();

    startTimer (timerMilliseconds);

    // Every control takes its parameter, then the channel name, expert mode, colour scheme
    // and visibility follow. The full refresh also reads the undo state: the processor keeps
    // its history while the editor is closed, and a reopened editor must offer it.
    updateAll();
}

MainEditorComponent::~MainEditorComponent()
{
    // An open settings menu would call back into this panel after it is gone.
    closeSettingsPopupMenu();
}

//==============================================================================
void MainEditorComponent::initFonts()
{
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                            (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    regularFont = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();
}

void MainEditorComponent::initSvgElements()
{
    personLogo = makeDrawable (BinaryData::LOGO_Marvek_ACTUAL_svg, BinaryData::LOGO_Marvek_ACTUAL_svgSize);
    makerLogo = makeDrawable (BinaryData::LOGO_Velmora_ONLY_Qz_01_svg, BinaryData::LOGO_Velmora_ONLY_Qz_01_svgSize);
    undoArrowImage = makeDrawable (BinaryData::UndoCurvedArrow_svg, BinaryData::UndoCurvedArrow_svgSize);
    redoArrowImage = makeDrawable (BinaryData::RedoCurvedArrow_svg, BinaryData::RedoCurvedArrow_svgSize);
    dropDownArrowImage = makeDrawable (BinaryData::DropDownArrow_svg, BinaryData::DropDownArrow_svgSize);
    playImage = makeDrawable (BinaryData::PlayButton_svg, BinaryData::PlayButton_svgSize);
    playRotatedImage = makeDrawable (BinaryData::PlayButtonRotated180_svg, BinaryData::PlayButtonRotated180_svgSize);
}

void MainEditorComponent::addSettingsPopupButton()
{
    settingsButton = std::make_unique<juce::DrawableButton> ("SettingsPopupButton", juce::DrawableButton::ImageOnButtonBackground);
    settingsButton->setImages (dropDownArrowImage.get());
    addAndMakeVisible (*settingsButton);
    settingsButton->setColour (juce::TextButton::buttonColourId, buttonGrey());
    settingsButton->addListener (this);
    settingsButton->setTooltip ("click to open the popup menu !");
}

void MainEditorComponent::addMainLabels()
{
    const auto setEditorColours = [] (juce::Label& label)
    {
        label.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
        label.setColour (juce::TextEditor::highlightColourId, DvxQzColours::qzcomplementColourA);
        label.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
        label.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::black);
    };

    titleLabel = std::make_unique<juce::Label> ("Title Label", "Orvelin");
    addAndMakeVisible (*titleLabel);
    titleLabel->setJustificationType (juce::Justification::centred);
    titleLabel->setEditable (false, false, false);
    titleLabel->setTooltip (titleString + " : Click for more infos !");

    infoLabel = std::make_unique<juce::Label> ("Bottom Info Label", titleString);
    addAndMakeVisible (*infoLabel);
    infoLabel->setJustificationType (juce::Justification::bottomLeft);
    infoLabel->setEditable (false, false, false);

    channelNameLabel = std::make_unique<juce::Label> ("Channel Name Label", juce::String());
    addAndMakeVisible (*channelNameLabel);
    channelNameLabel->setTooltip ("CHANNEL NAME: this can be used to set a name for this plugin channel");
    channelNameLabel->setJustificationType (juce::Justification::centred);
    setEditorColours (*channelNameLabel);
    channelNameLabel->setEditable (true, true, true);
    channelNameLabel->addListener (this);

    presetNameLabel = std::make_unique<DvxPresetNameLabel> (DvxPresetNameLabel::maximumPresetNameLength, "Preset Name Label",
                                                            "insert your preset name here",
                                                            processor->getAllowedCharsForPresetNames());
    addAndMakeVisible (*presetNameLabel);
    presetNameLabel->setTooltip ("PRESET NAME: this is the name of the current preset, double-click to edit");
    presetNameLabel->setJustificationType (juce::Justification::centred);
    presetNameLabel->setColour (juce::Label::textColourId, juce::Colours::darkgrey);
    setEditorColours (*presetNameLabel);
    presetNameLabel->setEditable (false, true, true);
    presetNameLabel->addListener (this);

    updatePresetNameFromPluginProcessor();
}

void MainEditorComponent::addAllTextButtons()
{
    struct Row
    {
        juce::TextButton& button;
        const char* text;
        const char* tooltip;
        float x, y, w, h;
        DvxLayoutManager::Align align;
    };

    const Row rows[] = {
        { muteAllButton, "MUTE ALL", "MUTE ALL: this mutes the input signal", 0.02f, 0.16f, 0.09f, 0.035f, leftBottom },
        { bypassButton, "BYPASS", "BYPASS: this bypasses the whole plugin", 0.14f, 0.16f, 0.09f, 0.035f, rightBottom },
        { safeBassButton, "SAFE BASS", "SAFE BASS: this activates the 'SAFE BASS' algorithm", 0.71999997f, 0.19f, 0.09f, 0.035f, leftTop },
        { swapButton, "SWAP L-R", "SWAP L-R: this swaps LEFT and RIGHT channel of the input signal", 0.16000001f, 0.19f, 0.09f, 0.035f, leftTop },
        { phaseFlipButton, "PHASE FLIP", "PHASE FLIP: this flips / inverts the phase of the input signal", 0.16000001f, 0.325f, 0.09f, 0.035f, leftTop },
        { monoButton, "MONO", "MONO: this converts the input signal to mono, panning is still possible", 0.16000001f, 0.45999998f, 0.09f, 0.035f, leftTop },
        { muteMidButton, "MUTE MID", "MUTE MID: this mutes only the MID signal of the output", 0.71999997f, 0.64f, 0.09f, 0.035f, leftTop },
        { muteSideButton, "MUTE SIDE", "MUTE SIDE: this mutes only the SIDE signal of the output", 0.71999997f, 0.73999995f, 0.09f, 0.035f, leftTop },
        { easyModeButton, "EASY MODE", "EASY MODE: this mode HIDES the expert options", 0.16000001f, 0.64f, 0.09f, 0.035f, leftTop },
        { expertModeButton, "EXPERT MODE", "EXPERT MODE: this mode SHOWS the expert options", 0.16000001f, 0.73999995f, 0.09f, 0.035f, leftTop },
        { saveButton, "SAVE", "SAVE: click to save as user preset", 0.16000001f, 0.097f, 0.045f, 0.02275f, leftTop },
    };

    for (const auto& row : rows)
    {
        row.button.setButtonText (row.text);
        row.button.setTooltip (row.tooltip);

        if (&row.button == &easyModeButton || &row.button == &expertModeButton)
            row.button.setRadioGroupId (99, juce::dontSendNotification);

        addButton (&row.button, row.x, row.y, row.w, row.h, row.align);
    }

    saveButton.setClickingTogglesState (false);
}

void MainEditorComponent::addAllRadioButtons()
{
    struct Toggle
    {
        juce::ToggleButton& button;
        const char* text;
        const char* tooltip;
    };

    const auto addBox = [this] (juce::Component& box, int group, std::initializer_list<Toggle> toggles)
    {
        addAndMakeVisible (box);
        bool isFirst = true;

        for (const auto& toggle : toggles)
        {
            box.addAndMakeVisible (toggle.button);
            toggle.button.setButtonText (toggle.text);
            toggle.button.setTooltip (toggle.tooltip);
            toggle.button.setClickingTogglesState (true);
            toggle.button.setRadioGroupId (group, juce::sendNotification);
            toggle.button.addListener (this);

            if (isFirst)
                toggle.button.setToggleState (true, juce::dontSendNotification);

            isFirst = false;
        }
    };

    addBox (panLawBox, 1, {
        { panLaw0Button, "PAN LAW -0 dB", "PAN LAW -0dB: how much the mid signal is faded relative to hard left or right" },
        { panLaw3Button, "-3 dB slope", "PAN LAW -3dB: how much the mid signal is faded relative to hard left or right" },
        { panLaw6Button, "-6 dB slope", "PAN LAW -6dB: how much the mid signal is faded relative to hard left or right" } });

    addBox (panCurveBox, 2, {
        { panCurveLinearButton, "linear", "PAN CURVE: 'LINEAR' scale, how the pan slider affects the panning" },
        { panCurveLogButton, "logarithmic", "PAN CURVE: 'LOGARITHMIC' scale, how the pan slider affects the panning" },
        { panCurveSinCosButton, "sin / cos", "PAN CURVE: 'SIN / COS' scale, how the pan slider affects the panning" } });

    addBox (msModeBox, 3, {
        { fixMidButton, "fix MID level", "STEREOMODE: 'FIX MID LEVEL'= MID level is fixed, only SIDE level gets affected" },
        { bindLevelsButton, "bind M/S levels", "STEREOMODE: 'BIND M/S LEVELS'= MID and SIDE levels get affected relatively" } });

    addBox (panModeBox, 4, {
        { dualPanButton, "dual pan", "PAN MODE: 'DUAL PAN'= L and R channels get panned separately" },
        { balanceButton, "balance", "PAN MODE: 'BALANCE'= L and R channels get adjusted in volume relatively" } });

    addAndMakeVisible (alignPhaseButton);
    alignPhaseButton.setButtonText ("align phase");
    alignPhaseButton.setTooltip ("ALIGN PHASE: phase alignment for SIDE signal while MID is muted");
    alignPhaseButton.setClickingTogglesState (true);
    alignPhaseButton.addListener (this);
}

void MainEditorComponent::addLevelMeters()
{
    const auto background = juce::Colours::black.withAlpha (0.07f);

    inputMeter = std::make_unique<DvxQzStereoVuMeterComponent> (1.0f, background);
    addAndMakeVisible (*inputMeter);

    outputMeter = std::make_unique<DvxQzStereoVuMeterComponent> (1.0f, background);
    addAndMakeVisible (*outputMeter);
}

void MainEditorComponent::addAllSliders()
{
    const auto addKnob = [this] (std::unique_ptr<DvxRotarySlider>& knob, const char* name, const char* tooltip)
    {
        if (auto* parameter = parameterManager->getParameter (name))
            knob = addRotarySlider (parameter, juce::Slider::TextBoxBelow, tooltip);
    };

    addKnob (inputGainSlider, "InputGain", "INPUT GAIN: this controls the level of the input signal");
    addKnob (outputGainSlider, "OutputGain", "OUTPUT GAIN: this controls the level of the output signal");
    addKnob (safeBassFreqSlider, "SafeBassFreq", "SAFE BASS FREQUENCY: all frequencies below this gets MONO");
}

void MainEditorComponent::addStereoComponent()
{
    parameterManager = processor->getParameterManager();

    widthLabel = std::make_unique<juce::Label> ("Stereo Width Label ", juce::String());
    widthTooltip = "STEREO WIDTH: Use slider below or double-click here to enter a value...";
    widthLabel->setTooltip (widthTooltip);
    widthLabel->setJustificationType (juce::Justification::left);

    if (auto* parameter = parameterManager->getParameter ("StereoWidth"))
        widthSlider = addRotarySlider (parameter, juce::Slider::NoTextBox,
                                       "STEREO WIDTH: =100% is normal, >100% is WIDER than normal stereo");

    panLabel = std::make_unique<juce::Label> ("Pan", juce::String());
    panLabel->setTooltip ("PAN: Use slider below or double-click here to enter a value...");
    panLabel->setJustificationType (juce::Justification::right);

    if (auto* parameter = parameterManager->getParameter ("Pan"))
        panSlider = addRotarySlider (parameter, juce::Slider::NoTextBox, "PAN: this controls the stereo panorama or balance");

    // The processor registers both parameters before any editor exists; without them the
    // picture simply shows its own texts.
    stereoComponent = std::make_unique<StereoComponent> (regularFont.get(),
                                                         mapperOf (parameterManager, "StereoWidth"),
                                                         mapperOf (parameterManager, "Pan"));
    addAndMakeVisible (*stereoComponent);

    // Above the picture, so that a double-click reaches the labels.
    addSliderLabel (widthLabel.get());
    addSliderLabel (panLabel.get());

    setNewStereoWidth (parameterManager->getParameterValue ("StereoWidth"));
    setNewPan (parameterManager->getParameterValue ("Pan"));
}

void MainEditorComponent::addAllDrawableButtons()
{
    const auto addImageButton = [this] (std::unique_ptr<juce::DrawableButton>& button, const char* name,
                                        juce::Drawable* image, const char* tooltip, float x, float y, float w, float h)
    {
        button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageOnButtonBackground);
        button->setImages (image);
        button->setTooltip (tooltip);
        button->setColour (juce::TextButton::buttonColourId, buttonGrey());
        addAndMakeVisible (*button);
        button->addListener (this);

        if (layoutManager != nullptr)
            layoutManager->addComponent (button.get(), x, y, w, h, leftTop);
    };

    addImageButton (undoButton, "UNDO", undoArrowImage.get(), "UNDO: takes back the latest parameter change",
                    0.645f, 0.016999999f, 0.028f, 0.028f);
    addImageButton (redoButton, "REDO", redoArrowImage.get(), "REDO: takes back the latest UNDO command",
                    0.685f, 0.016999999f, 0.028f, 0.028f);

    setUndoButtons (false, false);

    addImageButton (nextButton, "NEXT", playImage.get(), "NEXT PRESET: loads the next preset",
                    0.775f, 0.097f, 0.045f, 0.02275f);
    addImageButton (prevButton, "PREV", playRotatedImage.get(), "PREV PRESET: loads the previous preset",
                    0.71f, 0.097f, 0.045f, 0.02275f);
}

void MainEditorComponent::addManagePresetsComponent()
{
    managePresetsComponent = std::make_unique<ManagePresetsComponent> (processor, this, regularFont.get());
    addChildComponent (*managePresetsComponent);
}

void MainEditorComponent::addInfoComponent()
{
    infoComponent = std::make_unique<InfoComponent> (processor, this, regularFont.get());
    addChildComponent (*infoComponent);
}

//==============================================================================
void MainEditorComponent::addButton (juce::Button* button, float x, float y, float w, float h, DvxLayoutManager::Align align)
{
    addAndMakeVisible (button);
    button->setClickingTogglesState (true);
    button->setColour (juce::TextButton::buttonColourId, DvxQzColours::qzdarkGrey.brighter (brightness));
    button->setColour (juce::TextButton::buttonOnColourId, DvxQzColours::qzcomplementColourA);
    button->addListener (this);

    if (layoutManager != nullptr)
        layoutManager->addComponent (button, x, y, w, h, align);
}

std::unique_ptr<DvxRotarySlider> MainEditorComponent::addRotarySlider (DvxParameter* parameter,
                                                                       juce::Slider::TextEntryBoxPosition textBoxPosition,
                                                                       const juce::String& tooltip)
{
    auto knob = std::make_unique<DvxRotarySlider> (parameter);

    // Ctrl-click (the knob's own) and Alt-click (JUCE's default) reset like a double-click.
    knob->setDoubleClickReturnValue (true, (double) parameter->getDefaultValue());
    knob->setTextBoxStyle (textBoxPosition, true, 0, 0);
    knob->setRange (0.0, 1.0, (double) 0.0001f);
    knob->setTooltip (tooltip);
    knob->setValue ((double) parameter->getValue(), juce::dontSendNotification);
    knob->setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::white);
    knob->setColour (juce::Slider::textBoxHighlightColourId, DvxQzColours::qzcomplementColourA);
    knob->addListener (this);
    addAndMakeVisible (*knob);

    return knob;
}

void MainEditorComponent::addSliderLabel (juce::Label* label)
{
    const auto blue = DvxQzColours::qzcomplementColourA;

    label->setColour (juce::Label::textColourId, blue);
    label->setColour (juce::Label::textWhenEditingColourId, juce::Colours::black);
    label->setColour (juce::Label::outlineWhenEditingColourId, blue);
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    label->setColour (juce::TextEditor::highlightColourId, blue);
    label->setColour (juce::TextEditor::focusedOutlineColourId, blue);

    // The label hands its outline-when-editing colour to the editor's focused outline
    // only; the plain outline is set here, or the editor shows none.
    label->setColour (juce::TextEditor::outlineColourId, blue);
    label->setEditable (false, true, true);
    label->addListener (this);
    addAndMakeVisible (label);
}

void MainEditorComponent::setUndoButtons (bool canUndo, bool canRedo)
{
    if (undoButton != nullptr)
        undoButton->setEnabled (canUndo);

    if (redoButton != nullptr)
        redoButton->setEnabled (canRedo);

    if (infoComponent != nullptr)
        infoComponent->updateAllButtons();
}

#include "editor/InfoComponent.h"
#include "editor/MainEditorComponent.h"
#include "processor/OrvelinAudioProcessor.h"
#include "processor/OrvelinHostNames.h"
#include "widgets/DvxQzColours.h"

#include "BinaryData.h"

#include <algorithm>
#include <cmath>

namespace
{
    // The maker's own texts. Every name and address here is invented for this plug-in.
    const char* const makerWebAddress = "https://velmora.example.com";
    const char* const makerSocialPage = "https://social.example.com/velmora";
    const char* const conceptPersonSocialPage = "https://social.example.com/marvek";
    const char* const conceptCredit = "Concept: Marvek Talun & Ilse Ferrow";
    const char* const guiCredit = "GUI Design: Ruben Kastelow";
    const char* const programmingCredit = "Programming: Dana Veltri";
    const char* const makerNotice = "(c) Velmora, Nordvale - licence: GPL-3.0-or-later";

    // By meaning, not by number: JUCE 7 numbers its wrappers differently from older
    // versions and has added AUv3, Standalone, Unity and LV2.
    struct Format
    {
        const char* word;
        const char* line;
    };

    Format getFormat (juce::AudioProcessor::WrapperType type)
    {
        using P = juce::AudioProcessor;

        switch (type)
        {
            case P::wrapperType_VST:
            case P::wrapperType_VST3:        return { "VST", "VST Plugin Technology by Steinberg" };
            case P::wrapperType_AudioUnit:
            case P::wrapperType_AudioUnitv3: return { "AU", "Audio Unit Plugin" };
            case P::wrapperType_AAX:         return { "AAX", "AAX Plugin for Pro Tools" };
            case P::wrapperType_Undefined:
            case P::wrapperType_Standalone:
            case P::wrapperType_Unity:
            case P::wrapperType_LV2:         return { "", "" };
        }

        return { "", "" };
    }

    // Halves go to the even neighbour (the default floating-point rounding mode). The width
    // is kept in 64 bits: a hand-edited ratio can make the default height the largest int,
    // and 1.5 times that is no int.
    juce::String sizeText (float width, int height)
    {
        return juce::String ((juce::int64) std::nearbyint (width)) + "," + juce::String (height);
    }

    void setUpTextBox (juce::Component& parent, juce::TextEditor& box, juce::Font& font, const juce::String& text)
    {
        parent.addAndMakeVisible (box);
        box.setFont (font);
        box.setMultiLine (true, false);
        box.setCaretVisible (false);
        box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white.withAlpha (0.0f));
        box.setColour (juce::TextEditor::highlightColourId, DvxQzColours::qzcomplementColourA);
        box.setText (text, false);
        box.setReadOnly (true);
    }

    void setFontHeightOfAllText (juce::TextEditor& box, float newHeight)
    {
        auto font = box.getFont();
        font.setHeight (newHeight);
        box.applyFontToAllText (font);
    }
}

InfoComponent::InfoComponent (OrvelinAudioProcessor* processorToUse, MainEditorComponent* mainEditorComponentToUse,
                              juce::Font* fontToUse)
    : processor (processorToUse),
      mainEditorComponent (mainEditorComponentToUse),
      font (fontToUse)
{
    jassert (processor != nullptr && mainEditorComponent != nullptr && font != nullptr);

    const auto format = getFormat (processor->wrapperType);
    juce::String formatWord (format.word);

    if (formatWord.isNotEmpty())
        formatWord << " 64bit";

    juce::String upperText;
    upperText << "Orvelin" << " v" << "1.1";

    if (formatWord.isNotEmpty())
        upperText << " (" << formatWord << ")";

    upperText << "\n\n"
              << makerWebAddress << "\n"
              << makerSocialPage << "\n"
              << conceptPersonSocialPage << "\n"
              << "\n"
              << conceptCredit << "\n"
              << guiCredit << "\n"
              << programmingCredit;

    juce::String lowerText;
    lowerText << makerNotice << "\n";

    if (formatWord.isNotEmpty())
        lowerText << format.line << "\n";

    lowerText << "( built on: " << __DATE__ << " )";

    setUpTextBox (*this, upperTextBox, *font, upperText);
    setUpTextBox (*this, lowerTextBox, *font, lowerText);

    // After the text boxes, so that the buttons lie in front of them.
    for (auto [button, text] : { std::pair { &closeButton, "CLOSE" },
                                 std::pair { &resizeToDefaultButton, "RESIZE TO DEFAULT" },
                                 std::pair { &setCurrentAsDefaultButton, "SET CURRENT AS DEFAULT" },
                                 std::pair { &resetDefaultSizeButton, "RESET DEFAULT SIZE" },
                                 std::pair { &clearUndoHistoryButton, "CLEAR UNDO HISTORY" } })
    {
        *button = std::make_unique<juce::TextButton> (text);
        addAndMakeVisible (**button);
        (*button)->setColour (juce::TextButton::buttonColourId, DvxQzColours::qzdarkGrey.brighter (0.3f));
        (*button)->setColour (juce::TextButton::buttonOnColourId, DvxQzColours::qzcomplementColourA);
        (*button)->addListener (this);
    }

    logo = juce::Drawable::createFromImageData (BinaryData::LOGO_Velmora_01_svg, (size_t) BinaryData::LOGO_Velmora_01_svgSize);

    // Shown, it holds the keyboard focus for the controls it covers (the panel gives it).
    setWantsKeyboardFocus (true);

    updateAllButtons();
}

InfoComponent::~InfoComponent() = default;

//==============================================================================
bool InfoComponent::keyPressed (const juce::KeyPress& key)
{
    // Tab cycles through this screen's own controls. The window's own Tab handling would move
    // on to the controls the screen covers, where typing and Return act unseen.
    if (! key.isKeyCode (juce::KeyPress::tabKey))
        return false;

    const auto focusable = createKeyboardFocusTraverser()->getAllComponents (this);

    if (focusable.empty())
        return true;

    const auto count = (int) focusable.size();
    const auto current = std::find (focusable.begin(), focusable.end(), getCurrentlyFocusedComponent());
    const bool forwards = ! key.getModifiers().isShiftDown();
    int next = forwards ? 0 : count - 1;

    if (current != focusable.end())
        next = ((int) (current - focusable.begin()) + (forwards ? 1 : count - 1)) % count;

    focusable[(size_t) next]->grabKeyboardFocus();
    return true;
}

void InfoComponent::updateAllButtons()
{
    const bool canClearUndoHistory = processor->canUndoOrRedo();
    const bool isAtDefaultSize = processor->getEditorHeight() == processor->getDefaultEditorHeight();
    const bool defaultIsStandard = processor->getDefaultEditorDesktopHeightRatio() == 0.5f;

    clearUndoHistoryButton->setEnabled (canClearUndoHistory);
    resizeToDefaultButton->setEnabled (! isAtDefaultSize);
    setCurrentAsDefaultButton->setEnabled (! isAtDefaultSize);
    resetDefaultSizeButton->setEnabled (! defaultIsStandard);
}

void InfoComponent::buttonClicked (juce::Button* button)
{
    if (button == closeButton.get())
    {
        mainEditorComponent->hideInfoComponent();
    }
    else if (button == resizeToDefaultButton.get())
    {
        // The new size lays this screen out again, which repaints it.
        mainEditorComponent->resizeToDefault();
        updateAllButtons();
    }
    else if (button == setCurrentAsDefaultButton.get())
    {
        processor->setCurrentAsDefaultEditorDesktopHeightRatio();
        updateAllButtons();
        repaint();
    }
    else if (button == resetDefaultSizeButton.get())
    {
        processor->resetDefaultEditorDesktopHeightRatio();
        updateAllButtons();
        repaint();
    }
    else if (button == clearUndoHistoryButton.get())
    {
        processor->clearUndoHistory();
        updateAllButtons();
        mainEditorComponent->updateUndoButtons();
    }
}

//==============================================================================
void InfoComponent::resized()
{
    height = (float) getHeight();

    resizeToDefaultButton->setBoundsRelative (0.013f, 0.03f, 0.168f, 0.07f);
    setCurrentAsDefaultButton->setBoundsRelative (0.013f, 0.26f, 0.168f, 0.14f);
    resetDefaultSizeButton->setBoundsRelative (0.013f, 0.56f, 0.168f, 0.14f);
    clearUndoHistoryButton->setBoundsRelative (0.817f, 0.76f, 0.168f, 0.14f);
    closeButton->setBoundsRelative (0.416f, 0.92f, 0.168f, 0.07f);

    upperTextBox.setBoundsRelative (0.22f, 0.05f, 0.6f, 0.7f);
    setFontHeightOfAllText (upperTextBox, 0.07f * height);
    lowerTextBox.setBoundsRelative (0.22f, 0.7f, 0.6f, 0.26f);
    setFontHeightOfAllText (lowerTextBox, 0.055f * height);

    updateAllButtons();
}

InfoComponent::PaintedValues InfoComponent::getPaintedValues() const
{
    const int defaultHeight = processor->getDefaultEditorHeight();

    return {
        sizeText (1.5f * height, (int) height),
        sizeText (1.5f * (float) defaultHeight, defaultHeight),
        processor->getLastSampleRateString(),
        juce::SystemStats::getOperatingSystemName(),
        juce::SystemStats::isOperatingSystem64Bit() ? "64 bit" : "32 bit",
        OrvelinHostNames::getNameOfCurrentHost(),
        juce::String (processor->getTotalNumInputChannels()) + " / " + juce::String (processor->getTotalNumOutputChannels())
    };
}

void InfoComponent::paint (juce::Graphics& g)
{
    // Everything is measured on the height; the width is the editor's 1.5 times it.
    const float h = height;
    const float w = 1.5f * h;

    g.setFont (*font);
    g.setFont (0.055f * h);

    g.fillAll (DvxQzColours::qzcomplementColourA);

    const float cornerSize = 0.05f * h;
    const juce::Rectangle<float> panel ((1.0f - 0.6f) / 2.0f * w, 0.03f * h, 0.6f * w, 0.87f * h);

    g.setColour (juce::Colours::lightgrey);
    g.fillRoundedRectangle (panel, cornerSize);
    g.setColour (juce::Colours::black.brighter (0.5f));
    g.drawRoundedRectangle (panel, cornerSize, 0.3f * cornerSize);

    g.setColour (juce::Colours::black);

    const auto values = getPaintedValues();

    const auto text = [&g, w, h] (const juce::String& s, float x, float y, float width, float rowHeight,
                                  juce::Justification justification)
    {
        g.drawFittedText (s, (int) (x * w), (int) (y * h), (int) (width * w), (int) (rowHeight * h), justification, 1, 0.7f);
    };

    const auto sizeColumn = [&text] (const juce::String& s, float y) { text (s, 0.035f, y, 0.13f, 0.05f, juce::Justification::centred); };
    const auto infoColumn = [&text] (const juce::String& s, float y)  { text (s, 0.82f, y, 0.18f, 0.02f, juce::Justification::left); };

    sizeColumn ("CURRENT SIZE:", 0.13f);
    sizeColumn (values.currentSize, 0.18f);
    sizeColumn ("DEFAULT SIZE:", 0.43f);
    sizeColumn (values.defaultSize, 0.48f);

    infoColumn ("SAMPLERATE:", 0.03f);
    infoColumn (values.sampleRate, 0.08f);
    infoColumn (values.operatingSystem, 0.18f);
    infoColumn (values.wordSize, 0.23f);
    infoColumn ("Host / DAW :", 0.33f);
    infoColumn (values.hostName, 0.38f);
    infoColumn ("In / Out :", 0.48f);
    infoColumn (values.channels, 0.53f);

    if (logo != nullptr)
        logo->drawWithin (g, { 0.64f * w, 0.06f * h, 0.15f * w, 0.2f * h }, juce::RectanglePlacement::centred, 1.0f);
}

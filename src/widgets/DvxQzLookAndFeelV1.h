#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The editor's own look on top of JUCE's V3 look and feel: the embedded display font for
// labels, text buttons, toggle buttons and popup menus, and our own knobs, button
// backgrounds, toggle spheres, labels, fader, slider text boxes and resize corner.
// Everything else, including every colour id, stays as LookAndFeel_V3 has it.
//
// Components must drop this look and feel (setLookAndFeel (nullptr) or be destroyed)
// before it is deleted; the editor owns it and deletes it after its main panel.
class DvxQzLookAndFeelV1 : public juce::LookAndFeel_V3
{
public:
    DvxQzLookAndFeelV1();
    ~DvxQzLookAndFeelV1() override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool isMouseOverButton, bool isButtonDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool isMouseOverButton, bool isButtonDown) override;
    juce::Font getPopupMenuFont() override;
    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           const juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     const juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                const juce::Slider::SliderStyle, juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    juce::Label* createSliderTextBox (juce::Slider&) override;
    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;

    // The colour scheme's light grey; the resize corner is drawn from it. Takes effect at
    // the next repaint.
    void setCurrentLightGrey (const juce::Colour& colour);

    // The circular tick mark of a toggle button: a glass sphere, blue when ticked.
    void drawRadioTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h, bool ticked);

    // Whether drawLabel shows the text whole on a one-line label, squashed at most to the
    // label's minimum horizontal scale, rather than cut short with "...".
    bool showsWholeOnOneLine (juce::Label&, const juce::String& text);

    // Popup-menu text grows with the screen: 2.5 % of the main display's full height,
    // never below 27 pixels. A height of 0 (no display known) gives the minimum.
    static int getPopupMenuFontHeightForDisplayHeight (int mainDisplayTotalHeight) noexcept;

private:
    std::unique_ptr<juce::Font> font;
    juce::Colour currentLightGrey;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxQzLookAndFeelV1)
};

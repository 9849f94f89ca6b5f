#pragma once

#include "parameters/DvxParameter.h"

#include <juce_gui_basics/juce_gui_basics.h>

// A knob bound to one parameter. It turns by vertical drag with the pointer hidden and
// unbounded, puts the pointer back where the press began, drags finely while Shift is
// held, and shows and parses its text through the parameter's value mapper.
//
// Once the owner has enabled the reset with setDoubleClickReturnValue, a Command-click
// (Ctrl on Linux and Windows) resets the knob like a double-click, and so does an
// Alt-click, through JUCE's own single-click reset.
class DvxRotarySlider : public juce::Slider
{
public:
    explicit DvxRotarySlider (DvxParameter* parameter);
    ~DvxRotarySlider() override;

    // The bound parameter; may be null.
    DvxParameter* getParameter() const noexcept { return parameter; }

    // The user is typing into the value box. Any change of the knob's value closes the box
    // and throws the typing away, so whoever sets values from elsewhere waits for it.
    bool isValueBeingTyped() const;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

    double getValueFromText (const juce::String& text) override;
    juce::String getTextFromValue (double value) override;

    // JUCE makes the value box anew here; the knob then takes over what a typed value does.
    void lookAndFeelChanged() override;

    // Drag distance in pixels for the whole range.
    static constexpr int dragPixelsForFullRange = 350;

private:
    // The label JUCE shows the value in, or null without a text box.
    juce::Label* getValueBox() const;

    // A value typed into the box and taken (Return): written when it differs from the
    // parameter, as one gesture, and then shown.
    void applyTypedValue();

    juce::Point<int> mouseDownScreenPosition;
    DvxParameter* parameter;

    // JUCE's normal drag measures from where the press began. After a fine (Shift) stretch
    // that would throw the knob back to where a normal drag would be; shifting the
    // positions handed to JUCE by this offset makes the normal drag continue from the
    // current value instead.
    float dragOffsetY = 0.0f;
    bool fineDragWasActive = false;
    double valueAtMouseDown = 0.0;
    float mouseDownY = 0.0f;
    float lastDragY = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxRotarySlider)
};

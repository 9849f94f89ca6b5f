#include "widgets/DvxRotarySlider.h"
#include "processor/DvxMainDisplay.h"

#include <cmath>

DvxRotarySlider::DvxRotarySlider (DvxParameter* parameterToUse)
    : parameter (parameterToUse)
{
    mouseDownScreenPosition = {};

    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setMouseDragSensitivity (dragPixelsForFullRange);
    setVelocityBasedMode (false);

    // JUCE's own key swap stays off: Shift is handled per drag event in mouseDrag.
    setVelocityModeParameters (1.0, 1, 0.01, false);
}

DvxRotarySlider::~DvxRotarySlider() = default;

juce::Label* DvxRotarySlider::getValueBox() const
{
    // A label of the slider's own, made anew whenever its style or look changes.
    for (auto* child : getChildren())
        if (auto* box = dynamic_cast<juce::Label*> (child))
            return box;

    return nullptr;
}

bool DvxRotarySlider::isValueBeingTyped() const
{
    const auto* box = getValueBox();
    return box != nullptr && box->isBeingEdited();
}

void DvxRotarySlider::lookAndFeelChanged()
{
    juce::Slider::lookAndFeelChanged();

    // JUCE's own handler drops a typed value equal to the knob's. While the user types, the
    // knob is held at its old value (setting it would close the box), so a value equal to
    // that old one would be dropped although the parameter has moved on meanwhile.
    if (auto* box = getValueBox())
        box->onTextChange = [this] { applyTypedValue(); };
}

void DvxRotarySlider::applyTypedValue()
{
    const auto* box = getValueBox();

    if (box == nullptr)
        return;

    // Set quietly first, so that the knob snaps the value and keeps it to its range.
    const auto heldBack = getValue();
    setValue (snapValue (getValueFromText (box->getText()), notDragging), juce::dontSendNotification);
    const auto typed = getValue();

    if (parameter != nullptr ? (float) typed != parameter->getValue() : typed != heldBack)
    {
        // By way of another value, so that the listeners hear it even though the knob holds
        // it already; one gesture, as a drag.
        const ScopedDragNotification gesture (*this);
        setValue (typed != getMinimum() ? getMinimum() : getMaximum(), juce::dontSendNotification);
        setValue (typed, juce::sendNotificationSync);
    }

    updateText();
}

void DvxRotarySlider::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled())
    {
        juce::Slider::mouseDown (e);
        return;
    }

    // The release puts the pointer back here, after a drag and after a reset click alike.
    mouseDownScreenPosition = e.getScreenPosition();

    if (e.mods.isCommandDown())
    {
        // Same notifications as a double-click (drag start, value, drag end), and no drag
        // follows because JUCE's own mouseDown is not called.
        mouseDoubleClick (e);
        return;
    }

    if (! e.source.isUnboundedMouseMovementEnabled())
        e.source.enableUnboundedMouseMovement (true, false);

    valueAtMouseDown = getValue();
    mouseDownY = e.position.y;
    lastDragY = e.position.y;
    dragOffsetY = 0.0f;
    fineDragWasActive = false;

    juce::Slider::mouseDown (e);
}

void DvxRotarySlider::mouseDrag (const juce::MouseEvent& e)
{
    const bool fine = e.mods.isShiftDown();

    if (fineDragWasActive && ! fine)
    {
        // Back from a fine stretch: choose the offset so that JUCE's normal drag, which
        // measures from the press, would have put the knob at its current value at the
        // previous event; the movement since then then counts as normal dragging.
        const auto travelled = valueToProportionOfLength (getValue()) - valueToProportionOfLength (valueAtMouseDown);
        const auto wantedY = (double) mouseDownY - travelled * (double) getMouseDragSensitivity();

        if (std::isfinite (wantedY))
            dragOffsetY = (float) wantedY - lastDragY;
    }

    fineDragWasActive = fine;
    lastDragY = e.position.y;
    setVelocityBasedMode (fine);

    juce::Slider::mouseDrag (e.withNewPosition (e.position.translated (0.0f, dragOffsetY)));
}

void DvxRotarySlider::mouseUp (const juce::MouseEvent& e)
{
    if (e.source.isUnboundedMouseMovementEnabled())
        e.source.enableUnboundedMouseMovement (false);

    juce::Slider::mouseUp (e);

    if (isEnabled())
    {
        setVelocityBasedMode (false);

        // Moving the pointer needs a display; without one there is no pointer to move.
        if (DvxMainDisplay::exists())
            juce::Desktop::setMousePosition (mouseDownScreenPosition);
    }
}

juce::String DvxRotarySlider::getTextFromValue (double value)
{
    if (parameter != nullptr)
        if (auto* mapper = parameter->getValueMapper())
            return mapper->normed2RealValueAsString ((float) value);

    return juce::String (value, 2);
}

double DvxRotarySlider::getValueFromText (const juce::String& text)
{
    auto reduced = text.trim();

    while (reduced.startsWith ("+"))
        reduced = reduced.substring (1).trimStart();

    reduced = reduced.replace (",", ".")
                     .initialSectionContainingOnly ("0123456789.,-");

    if (parameter != nullptr)
        if (auto* mapper = parameter->getValueMapper())
            return (double) mapper->string2normedValueAsFloat (reduced);

    // A typed "nan" or "inf" cannot get here (letters end the number), but an absurdly
    // long number can overflow; it must not become a non-finite knob value.
    const auto value = reduced.getDoubleValue();
    return std::isfinite (value) ? value : 0.0;
}

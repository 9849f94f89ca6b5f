// The parameter-bound knob: texts through the parameter's mapper, reset clicks, fine
// dragging with Shift and the pointer's return, driven by synthesised mouse events.

#include "helpers/editor/WidgetTestSupport.h"

#include "parameters/DvxParameterManager.h"
#include "widgets/DvxRotarySlider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace orvelin::test;
using Mapping = DvxParameterValueMapper::DvxMappingENUM;

namespace
{
    // Records what a listener (the main panel) would see, in order.
    struct Recorder : juce::Slider::Listener
    {
        void sliderDragStarted (juce::Slider*) override { events.push_back ("start"); }
        void sliderDragEnded (juce::Slider*) override   { events.push_back ("end"); }
        void sliderValueChanged (juce::Slider* s) override
        {
            events.push_back ("value");
            lastValue = s->getValue();
        }

        std::vector<std::string> events;
        double lastValue = -1.0;
    };

    // One parameter of a given kind, owned by its own manager, with a knob set up the way
    // the main panel sets its knobs up.
    struct KnobFixture
    {
        KnobFixture (Mapping kind, float defaultValue, float value)
            : manager (nullptr)
        {
            auto* p = new DvxParameter (&manager, kind);
            p->setName ("TestParameter");
            p->setDefaultValue (defaultValue);
            p->setValue (value);
            manager.addParameter (p);
            parameter = p;

            knob = std::make_unique<DvxRotarySlider> (parameter);
            knob->setDoubleClickReturnValue (true, parameter->getDefaultValue());
            knob->setTextBoxStyle (juce::Slider::TextBoxBelow, false, 80, 20);
            knob->setRange (0.0, 1.0, (double) 0.0001f);
            knob->setValue (parameter->getValue(), juce::dontSendNotification);
            knob->setBounds (200, 150, 100, 120);
            knob->addListener (&recorder);
        }

        ~KnobFixture() { knob->removeListener (&recorder); }

        juce::MouseEvent event (juce::Point<float> position, juce::ModifierKeys mods, bool dragged = false, int clicks = 1)
        {
            return makeMouseEvent (*knob, position, mods, pressPosition, clicks, dragged);
        }

        void press (juce::ModifierKeys mods = {})
        {
            knob->mouseDown (event (pressPosition, mods.withFlags (juce::ModifierKeys::leftButtonModifier)));
        }

        void dragTo (float y, juce::ModifierKeys mods = {})
        {
            knob->mouseDrag (event ({ pressPosition.x, y }, mods.withFlags (juce::ModifierKeys::leftButtonModifier), true));
        }

        void release (float y)
        {
            knob->mouseUp (event ({ pressPosition.x, y }, {}, true));
        }

        DvxParameterManager manager;
        DvxParameter* parameter = nullptr;
        std::unique_ptr<DvxRotarySlider> knob;
        Recorder recorder;
        juce::Point<float> pressPosition { 50.0f, 50.0f };
    };

    const juce::ModifierKeys shift (juce::ModifierKeys::shiftModifier);
}

TEST (RotarySlider, TextGoesBothWaysThroughTheParametersMapper)
{
    struct Case { Mapping kind; const char* typed; const char* reducedForMapper; };

    // What the knob hands the mapper: trimmed, leading plus signs gone, decimal comma
    // accepted, cut at the first character that is not part of a number.
    const Case cases[] = {
        { Mapping::mapGainDb12,     "+3,5 dB",      "3.5" },
        { Mapping::mapGainDb12,     "  ++ +3.5dB ", "3.5" },
        { Mapping::mapGainDb12,     "-7,25",        "-7.25" },
        { Mapping::mapGainDb12,     "dB",           "" },
        { Mapping::mapSafeBassFreq, "120 Hz",       "120" },
        { Mapping::mapSafeBassFreq, "OFF",          "" },
        { Mapping::mapPercent200,   "150 %",        "150" },
        { Mapping::mapPan100,       "L20",          "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.typed);
        KnobFixture f (c.kind, 0.5f, 0.5f);
        auto* mapper = f.parameter->getValueMapper();
        ASSERT_NE (mapper, nullptr);

        EXPECT_DOUBLE_EQ (f.knob->getValueFromText (c.typed), (double) mapper->string2normedValueAsFloat (c.reducedForMapper));
    }

    // "+3,5 dB" really is 3.5 dB on a gain knob, and values show as the mapper's text.
    KnobFixture gain (Mapping::mapGainDb12, 0.5f, 0.5f);
    EXPECT_NEAR (gain.knob->getValueFromText ("+3,5 dB"), 3.5 / 24.0 + 0.5, 1.0e-6);
    EXPECT_EQ (gain.knob->getTextFromValue (0.75), "+6.0dB");
    EXPECT_EQ (gain.knob->getTextFromValue (0.5), "0.0dB");
}

TEST (RotarySlider, ATypedValueIsWrittenInOneGestureWhenItDiffersFromTheParameter)
{
    // While a value is typed the main panel holds the knob back; the parameter may have
    // moved on meanwhile (here from 0 dB to +6 dB).
    struct Case { const char* typed; float parameter; double written; };

    const Case cases[] = {
        { "+3,5 dB", 0.5f,  3.5 / 24.0 + 0.5 },
        { "0",       0.75f, 0.5 },   // the knob's own value, but not the parameter's
        { "+6",      0.75f, -1.0 },  // the parameter's value: nothing to write
        { "0 dB",    0.5f,  -1.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.typed);
        KnobFixture f (Mapping::mapGainDb12, 0.5f, 0.5f);
        f.parameter->setValue (c.parameter);
        auto* box = dynamic_cast<juce::Label*> (f.knob->getChildComponent (0));
        ASSERT_NE (box, nullptr);

        box->setText (c.typed, juce::sendNotificationSync);

        const auto shown = c.written >= 0.0 ? c.written : (double) c.parameter;
        EXPECT_NEAR (f.knob->getValue(), shown, 0.0001);
        const auto gesture = c.written >= 0.0 ? std::vector<std::string> { "start", "value", "end" } : std::vector<std::string>();
        EXPECT_EQ (f.recorder.events, gesture);

        // The box then shows the mapper's text for the snapped value.
        EXPECT_EQ (box->getText(), f.parameter->getValueMapper()->normed2RealValueAsString ((float) f.knob->getValue()));
    }
}

TEST (RotarySlider, WithoutMapperItShowsTwoDecimalsAndParsesPlainNumbers)
{
    DvxRotarySlider unbound (nullptr);
    EXPECT_EQ (unbound.getTextFromValue (0.5), "0.50");
    EXPECT_EQ (unbound.getTextFromValue (0.123), "0.12");
    EXPECT_DOUBLE_EQ (unbound.getValueFromText (" +0,75 units"), 0.75);
    EXPECT_DOUBLE_EQ (unbound.getValueFromText ("abc"), 0.0);
    EXPECT_DOUBLE_EQ (unbound.getValueFromText (juce::String::repeatedString ("9", 400)), 0.0);

    // A parameter of kind 0 has no mapper either.
    DvxParameterManager manager (nullptr);
    auto* plain = new DvxParameter (&manager, Mapping::mapNone);
    manager.addParameter (plain);
    DvxRotarySlider knob (plain);
    EXPECT_EQ (knob.getTextFromValue (0.5), "0.50");
    EXPECT_DOUBLE_EQ (knob.getValueFromText ("0,3"), 0.3);
}

TEST (RotarySlider, CommandClickAndAltClickResetToTheDefaultInOneGesture)
{
    // Command-click is the knob's own reset, Alt-click JUCE's.
    for (const auto modifier : { juce::ModifierKeys::commandModifier, juce::ModifierKeys::altModifier })
    {
        SCOPED_TRACE (modifier);
        KnobFixture f (Mapping::mapPercent200, 0.5f, 0.8f);

        f.press (juce::ModifierKeys (modifier));
        EXPECT_NEAR (f.knob->getValue(), 0.5, 1.0e-6);   // snapped to the 0.0001 steps
        EXPECT_EQ (f.recorder.events, (std::vector<std::string> { "start", "value", "end" }));

        // No drag follows the reset click: moving the mouse changes nothing.
        f.dragTo (0.0f, juce::ModifierKeys (modifier));
        f.release (0.0f);
        EXPECT_NEAR (f.knob->getValue(), 0.5, 1.0e-6);
        EXPECT_EQ (f.recorder.events.size(), 3u);
    }
}

TEST (RotarySlider, DisabledKnobIgnoresClicks)
{
    KnobFixture f (Mapping::mapPercent200, 0.5f, 0.8f);
    f.knob->setEnabled (false);

    f.press (juce::ModifierKeys (juce::ModifierKeys::commandModifier));
    f.press();
    f.dragTo (0.0f);
    f.release (0.0f);

    EXPECT_NEAR (f.knob->getValue(), 0.8, 1.0e-4);
    EXPECT_TRUE (f.recorder.events.empty());
}

TEST (RotarySlider, DragIsOneGestureAndShiftMakesItFine)
{
    // A normal drag: 350 pixels for the whole range.
    KnobFixture normal (Mapping::mapPercent200, 0.5f, 0.2f);
    normal.press();
    for (int step = 1; step <= 7; ++step)
        normal.dragTo (50.0f - 5.0f * (float) step);
    normal.release (15.0f);

    const auto normalTravel = normal.knob->getValue() - 0.2;
    EXPECT_NEAR (normalTravel, 35.0 / 350.0, 1.0e-3);
    EXPECT_EQ (normal.recorder.events.front(), "start");
    EXPECT_EQ (normal.recorder.events.back(), "end");
    EXPECT_EQ (std::count (normal.recorder.events.begin(), normal.recorder.events.end(), "start"), 1);
    EXPECT_FALSE (normal.knob->getVelocityBasedMode());

    // The same movement with Shift held moves the knob far less, in the same direction.
    KnobFixture fine (Mapping::mapPercent200, 0.5f, 0.2f);
    fine.press();
    for (int step = 1; step <= 7; ++step)
    {
        fine.dragTo (50.0f - 5.0f * (float) step, shift);
        EXPECT_TRUE (fine.knob->getVelocityBasedMode());
    }
    fine.release (15.0f);

    const auto fineTravel = fine.knob->getValue() - 0.2;
    EXPECT_GT (fineTravel, 0.0);
    EXPECT_LT (fineTravel, normalTravel / 5.0);
    EXPECT_FALSE (fine.knob->getVelocityBasedMode());
}

TEST (RotarySlider, ShiftForPartOfADragMakesOnlyThatPartFine)
{
    KnobFixture f (Mapping::mapPercent200, 0.5f, 0.2f);
    f.press();

    // 35 pixels normal (+0.1)...
    for (int step = 1; step <= 7; ++step)
        f.dragTo (50.0f - 5.0f * (float) step);
    const auto afterNormal = f.knob->getValue();

    // ...35 pixels fine...
    for (int step = 8; step <= 14; ++step)
        f.dragTo (50.0f - 5.0f * (float) step, shift);
    const auto afterFine = f.knob->getValue();

    // ...and 35 pixels normal again: only these add another 0.1, continuing from where
    // the fine part ended instead of jumping to where an all-normal drag would be.
    for (int step = 15; step <= 21; ++step)
        f.dragTo (50.0f - 5.0f * (float) step);
    f.release (50.0f - 105.0f);

    EXPECT_NEAR (afterNormal - 0.2, 0.1, 1.0e-3);
    EXPECT_LT (afterFine - afterNormal, 0.02);
    EXPECT_GT (afterFine - afterNormal, 0.0);
    EXPECT_NEAR (f.knob->getValue() - afterFine, 0.1, 1.0e-3);
    EXPECT_EQ (std::count (f.recorder.events.begin(), f.recorder.events.end(), "start"), 1);
    EXPECT_EQ (std::count (f.recorder.events.begin(), f.recorder.events.end(), "end"), 1);
}

TEST (RotarySlider, PointerReturnsToWhereThePressBegan)
{
    if (! hasDisplay())
        GTEST_SKIP() << "needs a display for the mouse pointer";

    KnobFixture f (Mapping::mapPercent200, 0.5f, 0.2f);
    const auto pressOnScreen = f.knob->localPointToGlobal (f.pressPosition).roundToInt();   // (250, 200)
    ASSERT_EQ (pressOnScreen, juce::Point<int> (250, 200));

    f.press();
    f.dragTo (-300.0f);
    juce::Desktop::setMousePosition ({ 10, 700 });   // wherever the drag carried the pointer
    f.release (-300.0f);
    EXPECT_EQ (juce::Desktop::getMousePosition(), pressOnScreen);

    // After a Command-click the pointer stays at the click.
    juce::Desktop::setMousePosition ({ 10, 700 });
    f.pressPosition = { 20.0f, 30.0f };
    f.press (juce::ModifierKeys (juce::ModifierKeys::commandModifier));
    f.release (30.0f);
    EXPECT_EQ (juce::Desktop::getMousePosition(), juce::Point<int> (220, 180));

    // A disabled knob leaves the pointer alone.
    f.knob->setEnabled (false);
    juce::Desktop::setMousePosition ({ 10, 700 });
    f.press();
    f.release (30.0f);
    EXPECT_EQ (juce::Desktop::getMousePosition(), juce::Point<int> (10, 700));
}

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <initializer_list>

// Shared pieces of the widget tests: rendering components to images (kept as PNGs in the
// build folder for people to look at), pixel checks, synthesised mouse events, and
// keeping a look and feel attached only as long as it lives.
namespace orvelin::test
{
    int getNumberOfIgnoredXErrors();

    // True when JUCE sees a main display (under xvfb-run); some checks need a real pointer.
    bool hasDisplay();

    // The folder that keeps the rendered pictures: <build>/editor-snapshots.
    juce::File getSnapshotFolder();

    // Renders the component with JUCE's software renderer, saves it as <name>.png in the
    // snapshot folder and returns the picture.
    juce::Image renderAndKeep (juce::Component& component, const juce::String& name);

    // Saves an image drawn by other means next to the snapshots.
    void keepImage (const juce::Image& image, const juce::String& name);

    // Largest difference of the four channels; transparent is far from black.
    int colourDistance (juce::Colour a, juce::Colour b);

    bool isNear (juce::Colour actual, juce::Colour expected, int tolerance);

    // Pixel at a float position, rounded to the nearest pixel.
    juce::Colour pixelAt (const juce::Image& image, float x, float y);

    // Number of pixels in the area whose colour lies within the tolerance.
    int countPixelsNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance);

    // Bounding box of the pixels that differ from the background by more than the tolerance.
    juce::Rectangle<int> findInk (const juce::Image& image, juce::Colour background, int tolerance);

    std::string describe (juce::Colour colour);

    // A mouse event from the main mouse source, as JUCE would deliver it to the component.
    juce::MouseEvent makeMouseEvent (juce::Component& component, juce::Point<float> position,
                                     juce::ModifierKeys modifiers, juce::Point<float> mouseDownPosition,
                                     int numberOfClicks = 1, bool wasDragged = false);

    // Gives a component a look and feel and takes it away again before either goes, so
    // JUCE's check that no component still uses a deleted look and feel never fires.
    class ScopedLookAndFeel
    {
    public:
        ScopedLookAndFeel (juce::Component& c, juce::LookAndFeel& lf) : component (c) { component.setLookAndFeel (&lf); }
        ~ScopedLookAndFeel() { component.setLookAndFeel (nullptr); }

    private:
        juce::Component& component;
        JUCE_DECLARE_NON_COPYABLE (ScopedLookAndFeel)
    };
}

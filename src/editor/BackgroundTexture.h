#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The main panel's background: the base grey, a texture of short horizontal strokes, each
// a little brighter or darker, from a fixed seed so that every paint of the same size and
// colour gives the same pattern, and a faint light-to-dark overlay from the top left.
//
// Drawing some 13,000 strokes and blending the overlay over the whole panel takes
// milliseconds, and the panel is repainted behind its meters every 70 ms, so the finished
// background is kept as a picture of the panel's size and copied from there. The copy
// has exactly the pixels of drawing it afresh, which holds only while the context maps
// one unit to one pixel; for a scaled context, or a panel too large to keep in memory,
// the background is drawn afresh.
class BackgroundTexture
{
public:
    // Draws the background afresh: the base colour over the area, the strokes on every
    // pixel row of the panel's height across its width, and the overlay from its top left
    // to its bottom right. The panel's size is given in floats, as its drawing code has it.
    static void drawDirectly (juce::Graphics&, juce::Rectangle<int> area,
                              float panelWidth, float panelHeight, juce::Colour base);

    // Same pixels as drawDirectly.
    void draw (juce::Graphics&, juce::Rectangle<int> area,
               float panelWidth, float panelHeight, juce::Colour base);

    // Off: every draw draws afresh, for measurements against the kept picture.
    void setKeepsPicture (bool shouldKeep);

    // The largest picture kept, in pixels (24 MB).
    static constexpr int maximumPicturePixels = 8 * 1024 * 1024;

private:
    juce::Image picture;
    juce::Rectangle<int> pictureArea;
    float picturePanelWidth = 0.0f;
    float picturePanelHeight = 0.0f;
    juce::Colour pictureBase;
    bool keepsPicture = true;
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Places components as fractions of the editor, so the whole editor scales with its
// height. Positions are fractions of the editor's width and height; sizes are fractions
// of a size unit that is the height divided by the height ratio (twice the height for
// the editor's ratio of 0.5), so a component's shape does not depend on the aspect ratio.
//
// The manager neither owns nor watches the components it places: they must outlive it,
// or at least outlive every setNewHeightAndUpdateAllComponentBounds call.
class DvxLayoutManager
{
public:
    // Bits 0-1 choose the horizontal rule, bits 2-3 the vertical one; both bits of a pair
    // mean centred, neither bit behaves like left or top.
    enum Align
    {
        alignLeft = 1,
        alignRight = 2,
        alignCentreX = 3,
        alignTop = 4,
        alignBottom = 8,
        alignCentreY = 12
    };

    DvxLayoutManager (int referenceHeight, float heightRatio, float aspectRatio);
    ~DvxLayoutManager();

    // Registers a component; it is placed at the next setNewHeightAndUpdateAllComponentBounds.
    // With alignRight, x is the distance from the right edge to the component's LEFT edge;
    // with alignBottom, y is the distance from the bottom edge to its TOP edge.
    void addComponent (juce::Component* component, float x, float y, float w, float h, Align align);

    void setNewHeightAndUpdateAllComponentBounds (float newHeight);
    void setNewBoundsForComponent (int index);

    // A translucent rounded section panel, in the same proportional coordinates.
    void drawSectionBackground (juce::Graphics& g, float x, float y, float w, float h);

    // One text fitted into a proportional rectangle; the font height is the rectangle's
    // height, the typeface is whatever the context currently has.
    void drawText (juce::Graphics& g, const juce::String& text, float x, float y, float w, float h,
                   juce::Justification justification, juce::Colour colour);

    float getHeight() const noexcept { return height; }
    float getScale() const noexcept { return scale; }
    int getNumberOfComponents() const noexcept { return components.size(); }

private:
    juce::Rectangle<float> getProportionalArea (float x, float y, float w, float h) const noexcept;

    float height;
    float referenceHeight;
    float heightRatio;
    float scale;
    float aspectRatio;
    float cornerFactor;
    juce::Colour sectionFill;
    juce::Colour sectionOutline;
    juce::Array<juce::Component*> components;
    juce::Array<juce::Rectangle<float>> relativeBounds;
    juce::Array<Align> aligns;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxLayoutManager)
};

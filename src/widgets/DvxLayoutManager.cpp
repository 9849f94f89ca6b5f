#include "widgets/DvxLayoutManager.h"

#include <cmath>

namespace
{
    // JUCE's roundToInt (exact halves to the even integer) for every finite pixel value.
    // A size derived from a missing display (reference height 0) or a NaN height is not a
    // number of pixels; it becomes 0 instead of whatever bits the conversion would give.
    int toPixels (float value) noexcept
    {
        if (! std::isfinite (value) || std::abs (value) > 1.0e8f)
            return 0;

        return juce::roundToInt (value);
    }
}

DvxLayoutManager::DvxLayoutManager (int referenceHeightToUse, float heightRatioToUse, float aspectRatioToUse)
    : height (0.0f),
      referenceHeight ((float) referenceHeightToUse),
      heightRatio (heightRatioToUse),
      scale (1.0f),
      aspectRatio (aspectRatioToUse),
      cornerFactor (0.01f),
      sectionFill (juce::Colours::black.withAlpha (0.07f)),
      sectionOutline (juce::Colours::black.withAlpha (0.3f))
{
    height = heightRatio * referenceHeight;
    scale = 1.0f;
}

DvxLayoutManager::~DvxLayoutManager() = default;

void DvxLayoutManager::addComponent (juce::Component* component, float x, float y, float w, float h, Align align)
{
    components.add (component);
    relativeBounds.add ({ x, y, w, h });
    aligns.add (align);
}

void DvxLayoutManager::setNewHeightAndUpdateAllComponentBounds (float newHeight)
{
    height = newHeight;
    scale = newHeight / referenceHeight / heightRatio;

    const auto count = components.size();

    for (int i = 0; i < count; ++i)
        setNewBoundsForComponent (i);
}

void DvxLayoutManager::setNewBoundsForComponent (int index)
{
    if (! juce::isPositiveAndBelow (index, components.size()))
        return;

    auto* component = components.getUnchecked (index);

    if (component == nullptr)
        return;

    const auto width = height * aspectRatio;
    const auto bounds = relativeBounds.getUnchecked (index);
    const auto align = (int) aligns.getUnchecked (index);

    // The centred rules subtract half of the size fraction unchanged, although sizes are
    // fractions of the size unit: callers place against this exact arithmetic.
    float relativeX = bounds.getX();

    if ((align & alignCentreX) == alignCentreX)
        relativeX = 0.5f - 0.5f * bounds.getWidth();
    else if ((align & alignRight) != 0)
        relativeX = 1.0f - bounds.getX();

    float relativeY = bounds.getY();

    if ((align & alignCentreY) == alignCentreY)
        relativeY = 0.5f - 0.5f * bounds.getHeight();
    else if ((align & alignBottom) != 0)
        relativeY = 1.0f - bounds.getY();

    const auto sizeUnit = referenceHeight * scale;

    component->setBounds (toPixels (width * relativeX),
                          toPixels (relativeY * height),
                          juce::jmax (0, toPixels (bounds.getWidth() * sizeUnit)),
                          juce::jmax (0, toPixels (bounds.getHeight() * sizeUnit)));
}

juce::Rectangle<float> DvxLayoutManager::getProportionalArea (float x, float y, float w, float h) const noexcept
{
    const auto width = height * aspectRatio;
    const auto sizeUnit = referenceHeight * scale;

    return { x * width, y * height, w * sizeUnit, h * sizeUnit };
}

void DvxLayoutManager::drawSectionBackground (juce::Graphics& g, float x, float y, float w, float h)
{
    const auto area = getProportionalArea (x, y, w, h);
    const auto corner = cornerFactor * height;

    if (! (std::isfinite (area.getX()) && std::isfinite (area.getY())
           && std::isfinite (area.getWidth()) && std::isfinite (area.getHeight()) && std::isfinite (corner)))
        return;

    g.setColour (sectionFill);
    g.fillRoundedRectangle (area, corner);

    g.setColour (sectionOutline);
    g.drawRoundedRectangle (area, corner, corner * 0.3f);
}

void DvxLayoutManager::drawText (juce::Graphics& g, const juce::String& text, float x, float y, float w, float h,
                                 juce::Justification justification, juce::Colour colour)
{
    const auto area = getProportionalArea (x, y, w, h);

    if (std::isfinite (area.getHeight()))
        g.setFont (g.getCurrentFont().withHeight (area.getHeight()));

    g.setColour (colour);

    if (std::isfinite (area.getX()) && std::isfinite (area.getY())
        && std::isfinite (area.getWidth()) && std::isfinite (area.getHeight()))
        g.drawText (text, area, justification, false);
}

#pragma once

#include <juce_graphics/juce_graphics.h>

// The product family's fixed accent colours. They never change and do not follow the
// colour scheme; every drawing part of the editor reads them from here.
namespace DvxQzColours
{
    const juce::Colour qzmainColour        (0xFFFF3500);  // orange-red: warnings, hover, over-full-scale
    const juce::Colour qzcomplementColourA (0xFF086FA1);  // blue: values, ticked switches
    const juce::Colour qzcomplementColourB (0xFF7CE700);  // green
    const juce::Colour qzdarkGrey          (0xFF333333);  // base of the greys
}

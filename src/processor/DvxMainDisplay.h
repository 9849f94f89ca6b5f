#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The main display, asked safely. Without an X display (a headless build step, a host
// scanning plug-ins) JUCE has no primary display, and hosts may also call us off the
// message thread, where the display list must not be touched. Both cases answer "none".
namespace DvxMainDisplay
{
    // The total height that callers take when there is none, so that no size derived from it is 0.
    constexpr int fallbackTotalHeight = 1080;

    // The full area of the main display, menu bars and docks included; empty when none.
    inline juce::Rectangle<int> getTotalArea()
    {
        if (! juce::MessageManager::existsAndIsCurrentThread())
            return {};

        if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
            return display->totalArea;

        return {};
    }

    inline bool exists() { return ! getTotalArea().isEmpty(); }
}

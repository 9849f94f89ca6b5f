#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Where a step to the next or the previous preset lands. The cycle runs factory 0 .. last,
// user 0 .. last, factory 0, through the user list as one scan of the folder gave it.
namespace OrvelinPresetCycle
{
    enum class Direction { next, previous };

    struct Loads
    {
        std::function<void (int id)> factory;

        // False when the file no longer loads (it changed since the scan). The ID is the
        // preset's place in the list with such files left out, as the next scan lists it.
        std::function<bool (const juce::String& name, int id)> user;
    };

    // A user preset that fails to load is left out and the step goes on to the one after
    // it. Factory presets always load, so a step ends however many files fail.
    void step (bool fromFactory, int fromID, int numFactory, juce::StringArray userNames,
               Direction direction, const Loads& load);
}

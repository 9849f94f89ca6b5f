#include "processor/OrvelinPresetCycle.h"

void OrvelinPresetCycle::step (bool fromFactory, int fromID, int numFactory, juce::StringArray users,
                               Direction direction, const Loads& load)
{
    // The user presets from this one on, in the step's direction; false when none loads.
    const auto loadUserFrom = [&] (int id)
    {
        while (juce::isPositiveAndBelow (id, users.size()))
        {
            if (load.user (users[id], id))
                return true;

            users.remove (id);

            if (direction == Direction::previous)
                --id;
        }

        return false;
    };

    // Comparisons are signed: a user preset loaded by a name that is not listed has ID -1.
    if (direction == Direction::next)
    {
        const int next = fromID + 1;

        if (fromFactory && next < numFactory)
            load.factory (next);
        else if (! loadUserFrom (fromFactory ? 0 : next))
            load.factory (0);
    }
    else
    {
        const int previous = fromID - 1;

        // A user preset beyond the end of the list (files were removed meanwhile) goes back
        // to the start of the cycle.
        if (! fromFactory && previous >= users.size())
            load.factory (0);
        else if (fromFactory && previous >= 0)
            load.factory (previous);
        else if (! loadUserFrom (fromFactory ? users.size() - 1 : previous))
            load.factory (numFactory - 1);
    }
}

#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// A folder's path in the room a line of text has: the home folder written "~", then leading
// folders left out, "..." in their place, until `fits` takes it. The folder's own name always
// stays, so that the user can still tell where to look.
juce::String fitPath (const juce::File& folder, const std::function<bool (const juce::String& shown)>& fits);

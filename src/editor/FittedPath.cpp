#include "editor/FittedPath.h"

juce::String fitPath (const juce::File& folder, const std::function<bool (const juce::String& shown)>& fits)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const auto path = folder.isAChildOf (home) ? "~/" + folder.getRelativePathFrom (home) : folder.getFullPathName();
    auto shown = path;

    for (int slash = path.indexOfChar (1, '/'); slash > 0 && ! fits (shown); slash = path.indexOfChar (slash + 1, '/'))
        shown = "..." + path.substring (slash);

    return shown;
}

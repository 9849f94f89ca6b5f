#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Replaces a file that other instances read at any moment (the properties file, a preset):
// the new bytes go into a temporary file beside it, which takes the file's place only once
// it holds exactly those bytes. A reader finds the old file or the new one, each whole.
class DvxFileReplacer
{
public:
    // Writes the bytes into the temporary file, checks that it holds them, runs
    // beforeReplacing (when given; false stops here) and replaces the temporary file's target
    // with it. False when any step fails; the target is then left as it was.
    static bool replace (const juce::TemporaryFile& temporary, const juce::MemoryBlock& bytes,
                         const std::function<bool()>& beforeReplacing = {});

    DvxFileReplacer() = delete;
};

#pragma once

// What both fuzz targets share: one plug-in instance in a throw-away home, with JUCE's
// assertions turned into crashes, and the invariants that every input must keep.

#include "processor/OrvelinAudioProcessor.h"

#include <map>
#include <string>

namespace orvelin::fuzz
{
    // Points HOME at a fresh temporary folder, starts JUCE, makes every JUCE assertion
    // abort (so that libFuzzer reports it), and builds the processor that every input goes
    // through. Everything is torn down again when the fuzzer exits.
    OrvelinAudioProcessor& startPlugin();

    // Reports a broken invariant the way libFuzzer reports a crash.
    [[noreturn]] void fail (const char* what);

    // Every parameter is finite and within 0..1, and a processed block is finite.
    void checkParametersAndAudio (OrvelinAudioProcessor& processor);

    // Every file below a folder, with its bytes.
    std::map<std::string, std::string> contentsOf (const juce::File& folder);

    // Writes the bytes as they are (juce::File::replaceWithData deletes a file for none).
    void writeExactly (const juce::File& file, const uint8_t* data, size_t size);
}

#pragma once

// Files under tests/data: presets and state blobs saved by the plug-in itself, and hostile
// inputs that crashed earlier builds. They are read, never generated, so that they stay
// exactly what was saved or found.

#include <juce_core/juce_core.h>

namespace orvelin::test
{
    inline juce::File testDataFile (const char* name)
    {
        return juce::File (ORVELIN_SOURCE_DIR).getChildFile ("tests/data").getChildFile (name);
    }

    inline juce::MemoryBlock testData (const char* name)
    {
        juce::MemoryBlock data;
        testDataFile (name).loadFileAsData (data);
        return data;
    }
}

#pragma once

#include <juce_core/juce_core.h>

class OrvelinCurrentPreset;
class OrvelinEditorSettings;

// The state the host keeps in its project: one XML element with the editor settings, the
// shown preset name, the factory flag and every parameter value, packed as the framework
// packs XML. Hosts call both sides on whatever thread they like and hand back whatever
// bytes they have, so a restore reads the blob as untrusted input.
class OrvelinStateChunk
{
public:
    OrvelinStateChunk (OrvelinEditorSettings& editorSettings, OrvelinCurrentPreset& currentPreset);

    void write (juce::MemoryBlock& destData) const;

    // False, with nothing changed, when the blob is not a state of ours.
    bool restore (const void* data, int sizeInBytes);

private:
    OrvelinEditorSettings& editorSettings;
    OrvelinCurrentPreset& currentPreset;

    JUCE_DECLARE_NON_COPYABLE (OrvelinStateChunk)
};

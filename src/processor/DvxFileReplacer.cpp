#include "processor/DvxFileReplacer.h"

bool DvxFileReplacer::replace (const juce::TemporaryFile& temporary, const juce::MemoryBlock& bytes,
                               const std::function<bool()>& beforeReplacing)
{
    {
        juce::FileOutputStream out (temporary.getFile());

        // FileOutputStream appends to a file that is already there; this one must hold the
        // new bytes only.
        if (! out.openedOk() || ! out.setPosition (0) || ! out.truncate().wasOk()
             || ! out.write (bytes.getData(), bytes.getSize()))
            return false;

        out.flush();

        if (! out.getStatus().wasOk())
            return false;
    }

    // FileOutputStream takes a short write (a full disk, a file size limit) for success;
    // only a file that holds every byte may replace the one there is.
    juce::MemoryBlock written;

    if (! temporary.getFile().loadFileAsData (written) || written != bytes)
        return false;

    if (beforeReplacing && ! beforeReplacing())
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}

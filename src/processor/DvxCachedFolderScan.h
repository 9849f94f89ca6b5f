#pragma once

#include "processor/DvxBoundedFileReader.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

// Lists the files of one folder whose names end in an extension and pass a test, in the
// order the file system gives them, and remembers each file's answer together with what the
// file was when it was tested: device, inode, size, modification and change time. A scan of
// a folder whose files have not changed reads none of them; one that another program
// changed meanwhile reads only the files it added, replaced or rewrote.
//
// A file rewritten in place within the file system's timestamp granularity, at the same
// size, could keep all of those. So an answer is only kept for a file whose last change lies
// the settle time before the scan began (two seconds cover FAT's coarse timestamps); a
// fresher file is tested again at every scan until then. The change time is the one to go
// by: any write, rename or chmod sets it to the clock, and unlike the modification time no
// program can set it to a time of its choosing.
//
// Not thread-safe: the owner runs one scan at a time.
class DvxCachedFolderScan
{
public:
    static constexpr juce::int64 defaultSettleTimeMilliseconds = 2000;

    // Answers for one name (the file name without the extension): true or false, or nothing
    // when it could not tell (the file could not be opened), and is asked again next time.
    using Test = std::function<std::optional<bool> (const juce::String& name)>;

    explicit DvxCachedFolderScan (const juce::String& extension,
                                  juce::int64 settleTimeMilliseconds = defaultSettleTimeMilliseconds);

    // The names of the folder's files that pass the test. Folders, special files and names
    // that are not UTF-8 (which no juce::String would lead back to) are left out untested.
    juce::StringArray scan (const juce::File& folder, const Test& test);

private:
    struct Answer
    {
        DvxBoundedFileReader::Identity identity;
        bool passed = false;
        bool isSettled = false;         // may be taken again while the identity stays
        std::uint64_t seenInScan = 0;
    };

    const std::string extension;
    const std::int64_t settleNanoseconds;
    std::unordered_map<std::string, Answer> answers;   // by file name
    std::uint64_t scanNumber = 0;

    JUCE_DECLARE_NON_COPYABLE (DvxCachedFolderScan)
};

#pragma once

#include "processor/DvxBoundedFileReader.h"

#include <juce_core/juce_core.h>

#include <chrono>
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
// size, could keep all of those. So an answer is trusted only once two scans at least the
// settle time apart (two seconds cover FAT's coarse timestamps) have seen the same identity,
// and it is the answer the later one read: the write that left that identity came before
// the earlier scan, so any write after the later read falls at least the settle time after
// it and shows in the stamps. Until then every scan reads the file again. Stamps are only
// compared with each other, never with a clock, so a file server whose clock is ahead of or
// behind ours, or a clock that is stepped, changes nothing.
//
// Not thread-safe: the owner runs one scan at a time.
class DvxCachedFolderScan
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds settleTime { 2000 };

    // Answers for one name (the file name without the extension): true or false, or nothing
    // when it could not tell (the file could not be opened), and is asked again next time.
    using Test = std::function<std::optional<bool> (const juce::String& name)>;

    // The clock times the scans; tests pass one they advance by hand.
    explicit DvxCachedFolderScan (const juce::String& extension, Clock clock = std::chrono::steady_clock::now);

    // The names of the folder's files that pass the test. Folders, special files and names
    // that are not UTF-8 (which no juce::String would lead back to) are left out untested.
    juce::StringArray scan (const juce::File& folder, const Test& test);

    // Drops what is remembered of this name's file (when it failed to load although listed),
    // so that the next scan reads it again.
    void forget (const juce::String& name);

private:
    struct Answer
    {
        DvxBoundedFileReader::Identity identity;
        std::chrono::steady_clock::time_point identityFirstSeen;   // by a scan
        bool passed = false;
        bool isSettled = false;         // may be taken again while the identity stays
        std::uint64_t seenInScan = 0;
    };

    const std::string extension;
    const Clock clock;
    std::unordered_map<std::string, Answer> answers;   // by file name
    std::uint64_t scanNumber = 0;

    JUCE_DECLARE_NON_COPYABLE (DvxCachedFolderScan)
};

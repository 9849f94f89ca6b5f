#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <optional>

#include <sys/stat.h>

// Reads a whole file that anybody may have put where we look: a preset, the properties file.
// Only a regular file is read (a link is followed to what it names), never more than a
// limit, from one open descriptor to its end, and nothing here can block: a FIFO would hang
// open() and a link to /dev/zero would be read without end. The check is made on the opened
// descriptor, so a file swapped in between a look at the path and the open can't fool it.
class DvxBoundedFileReader
{
public:
    enum class Outcome
    {
        read,              // every byte, within the limit
        missing,           // nothing at that path
        notARegularFile,   // a folder, a FIFO, a device or a socket
        tooLarge,          // more than the limit
        failed             // no permission, an I/O error
    };

    // What was read, told apart from what the path names a moment later: a writer that
    // replaces the file or writes into it changes one of these, the change time at least,
    // which every write sets to the clock.
    struct Identity
    {
        juce::uint64 device = 0, inode = 0;
        juce::int64 size = 0, modificationNanoseconds = 0, changeNanoseconds = 0;

        bool operator== (const Identity& other) const noexcept
        {
            return device == other.device && inode == other.inode && size == other.size
                && modificationNanoseconds == other.modificationNanoseconds
                && changeNanoseconds == other.changeNanoseconds;
        }

        bool operator!= (const Identity& other) const noexcept { return ! operator== (other); }
    };

    static Identity identityOf (const struct stat& info) noexcept;

    struct Result
    {
        Outcome outcome = Outcome::failed;
        juce::MemoryBlock bytes;              // only for Outcome::read
        std::optional<Identity> identity;     // of what was opened, or found not to be a regular file

        bool wasRead() const noexcept { return outcome == Outcome::read; }
    };

    static Result read (const juce::File& file, size_t maxBytes);

    // What the path names now (links followed), or nothing when there is nothing there.
    static std::optional<Identity> identify (const juce::File& file);

    DvxBoundedFileReader() = delete;
};

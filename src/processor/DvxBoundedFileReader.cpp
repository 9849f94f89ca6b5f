#include "processor/DvxBoundedFileReader.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace
{
    juce::int64 toNanoseconds (const timespec& t) noexcept
    {
        return (juce::int64) t.tv_sec * 1000000000 + (juce::int64) t.tv_nsec;
    }

    // Closes the descriptor on every way out.
    struct ScopedDescriptor
    {
        explicit ScopedDescriptor (int d) noexcept : fd (d) {}
        ~ScopedDescriptor() { if (fd >= 0) ::close (fd); }

        const int fd;

        JUCE_DECLARE_NON_COPYABLE (ScopedDescriptor)
    };

    DvxBoundedFileReader::Outcome outcomeOfFailedOpen (int error) noexcept
    {
        using Outcome = DvxBoundedFileReader::Outcome;
        return (error == ENOENT || error == ENOTDIR) ? Outcome::missing : Outcome::failed;
    }

    // Reads to the end of the file, but never more than one byte beyond the limit.
    DvxBoundedFileReader::Outcome readToEnd (int fd, size_t maxBytes, juce::MemoryBlock& bytes)
    {
        using Outcome = DvxBoundedFileReader::Outcome;
        juce::MemoryOutputStream out;
        char buffer[8192];

        for (;;)
        {
            const auto wanted = juce::jmin (sizeof (buffer), maxBytes + 1 - out.getDataSize());
            const auto numRead = ::read (fd, buffer, wanted);

            if (numRead < 0 && errno == EINTR)
                continue;

            if (numRead < 0)
                return Outcome::failed;

            if (numRead == 0)
                break;

            out.write (buffer, (size_t) numRead);

            if (out.getDataSize() > maxBytes)
                return Outcome::tooLarge;
        }

        bytes = out.getMemoryBlock();
        return Outcome::read;
    }
}

DvxBoundedFileReader::Identity DvxBoundedFileReader::identityOf (const struct stat& info) noexcept
{
    Identity identity;
    identity.device = (juce::uint64) info.st_dev;
    identity.inode = (juce::uint64) info.st_ino;
    identity.size = (juce::int64) info.st_size;
    identity.modificationNanoseconds = toNanoseconds (info.st_mtim);
    identity.changeNanoseconds = toNanoseconds (info.st_ctim);
    return identity;
}

DvxBoundedFileReader::Result DvxBoundedFileReader::read (const juce::File& file, size_t maxBytes)
{
    Result result;
    const auto path = file.getFullPathName();

    // A look at the path first, so that a device or a FIFO is not even opened (opening some
    // devices does something); the check that counts is the one on the descriptor below.
    struct stat info {};

    if (path.isEmpty() || ::stat (path.toRawUTF8(), &info) != 0)
    {
        result.outcome = path.isEmpty() ? Outcome::missing : outcomeOfFailedOpen (errno);
        return result;
    }

    if (! S_ISREG (info.st_mode))
    {
        result.outcome = Outcome::notARegularFile;
        result.identity = identityOf (info);
        return result;
    }

    // O_NONBLOCK: should a FIFO have been swapped in meanwhile, opening it returns at once.
    const ScopedDescriptor descriptor (::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (descriptor.fd < 0)
    {
        result.outcome = outcomeOfFailedOpen (errno);
        return result;
    }

    if (::fstat (descriptor.fd, &info) != 0)
        return result;

    result.identity = identityOf (info);

    if (! S_ISREG (info.st_mode))
        result.outcome = Outcome::notARegularFile;
    else if ((juce::uint64) info.st_size > (juce::uint64) maxBytes)
        result.outcome = Outcome::tooLarge;
    else
        result.outcome = readToEnd (descriptor.fd, maxBytes, result.bytes);

    return result;
}

std::optional<DvxBoundedFileReader::Identity> DvxBoundedFileReader::identify (const juce::File& file)
{
    struct stat info {};

    if (file.getFullPathName().isEmpty() || ::stat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return std::nullopt;

    return identityOf (info);
}

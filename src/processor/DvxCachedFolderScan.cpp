#include "processor/DvxCachedFolderScan.h"

#include <chrono>
#include <iterator>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
    // The same clock the file system stamps change times from.
    std::int64_t nowNanoseconds()
    {
        using namespace std::chrono;
        return duration_cast<nanoseconds> (system_clock::now().time_since_epoch()).count();
    }

    struct DirectoryCloser
    {
        void operator() (DIR* d) const noexcept { ::closedir (d); }
    };

    // The name a juce::String holds for these bytes, or nothing when that String's own bytes
    // would be others, and so name another file or none.
    std::optional<juce::String> nameFromBytes (const std::string& bytes)
    {
        if (! juce::CharPointer_UTF8::isValidString (bytes.data(), (int) bytes.size()))
            return std::nullopt;

        auto name = juce::String::fromUTF8 (bytes.data(), (int) bytes.size());

        if (name.toStdString() != bytes)
            return std::nullopt;

        return name;
    }
}

DvxCachedFolderScan::DvxCachedFolderScan (const juce::String& extensionToList, juce::int64 settleTimeMilliseconds)
    : extension (extensionToList.toStdString()),
      settleNanoseconds ((std::int64_t) settleTimeMilliseconds * 1000000)
{
}

juce::StringArray DvxCachedFolderScan::scan (const juce::File& folder, const Test& test)
{
    const auto settledBefore = nowNanoseconds() - settleNanoseconds;
    ++scanNumber;

    juce::StringArray passed;
    const std::unique_ptr<DIR, DirectoryCloser> directory (::opendir (folder.getFullPathName().toRawUTF8()));

    while (directory != nullptr)
    {
        const auto* entry = ::readdir (directory.get());

        if (entry == nullptr)
            break;

        const std::string fileName (entry->d_name);

        if (fileName.size() <= extension.size()
             || fileName.compare (fileName.size() - extension.size(), extension.size(), extension) != 0)
            continue;

        // Links are followed, as opening the file would.
        struct stat info {};

        if (::fstatat (::dirfd (directory.get()), entry->d_name, &info, 0) != 0 || ! S_ISREG (info.st_mode))
            continue;

        const auto name = nameFromBytes (fileName.substr (0, fileName.size() - extension.size()));

        if (! name.has_value())
            continue;

        const auto identity = DvxBoundedFileReader::identityOf (info);
        auto& answer = answers[fileName];
        answer.seenInScan = scanNumber;

        // Looked at before the file is read: should it change in between, the next scan sees
        // another identity and reads it again.
        if (! answer.isSettled || answer.identity != identity)
        {
            const auto result = test (*name);
            answer.identity = identity;
            answer.passed = result.value_or (false);
            answer.isSettled = result.has_value() && identity.changeNanoseconds < settledBefore;
        }

        if (answer.passed)
            passed.add (*name);
    }

    // Files that are gone.
    for (auto it = answers.begin(); it != answers.end();)
        it = it->second.seenInScan == scanNumber ? std::next (it) : answers.erase (it);

    return passed;
}

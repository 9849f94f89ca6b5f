#include "processor/DvxCachedFolderScan.h"

#include <chrono>
#include <iterator>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
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

DvxCachedFolderScan::DvxCachedFolderScan (const juce::String& extensionToList, Clock scanClock)
    : extension (extensionToList.toStdString()), clock (std::move (scanClock))
{
}

void DvxCachedFolderScan::forget (const juce::String& name)
{
    answers.erase (name.toStdString() + extension);
}

juce::StringArray DvxCachedFolderScan::scan (const juce::File& folder, const Test& test)
{
    const auto now = clock();
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

        // Looked at before the file is read: should it change in between, the next scan sees
        // another identity and reads it again.
        const auto identity = DvxBoundedFileReader::identityOf (info);
        auto [slot, isNew] = answers.try_emplace (fileName);
        auto& answer = slot->second;
        answer.seenInScan = scanNumber;

        if (isNew || answer.identity != identity)
        {
            answer.identity = identity;
            answer.identityFirstSeen = now;
            answer.isSettled = false;
        }

        if (! answer.isSettled)
        {
            const auto result = test (*name);
            answer.passed = result.value_or (false);
            answer.isSettled = result.has_value() && now - answer.identityFirstSeen >= settleTime;
        }

        if (answer.passed)
            passed.add (*name);
    }

    // Files that are gone.
    for (auto it = answers.begin(); it != answers.end();)
        it = it->second.seenInScan == scanNumber ? std::next (it) : answers.erase (it);

    return passed;
}

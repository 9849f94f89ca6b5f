#pragma once

#include <juce_events/juce_events.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Shows a folder in the desktop's file manager. JUCE's File::revealToUser hands the path to
// /bin/sh inside double quotes, so "$(...)" or a backtick in a folder name runs as a command
// and a folder named with a '"' does not open. Here the opener is started with an argument
// vector and no shell, the folder as one argument of its own.
//
// Each opener is started with posix_spawn, so no copy of the host is made even for a moment,
// and a timer on the message thread, which never waits, collects it: an opener that exits
// without an error, or is still busy after a few seconds (a file manager that xdg-open runs
// in the foreground), has taken the folder; one that failed makes way for the next.
class DvxFolderOpener : private juce::Timer
{
public:
    // A program, looked up on the PATH, and the arguments that go before the folder.
    using Opener = std::vector<std::string>;

    // xdg-open, the desktop's own choice, else GLib's gio. No web browser: JUCE falls back to
    // those, but a folder belongs in a file manager.
    static std::vector<Opener> getDefaultOpeners();

    explicit DvxFolderOpener (std::vector<Opener> openersToTry = getDefaultOpeners());
    ~DvxFolderOpener() override;

    // The folders the openers are looked up in, written as PATH is; without it, the PATH of
    // the process at each opening. Tests give their own, since changing the environment of a
    // process whose other threads may read it is not safe.
    void setSearchPath (std::string folders);

    // Called on the message thread: true when an opener took the folder (it finished without
    // an error, or was still busy showing it after the wait), false when none is known to
    // have (none is installed, each one failed, or the host collected an opener's end before
    // its exit status could be read).
    using ResultCallback = std::function<void (bool opened)>;

    // Message thread only. The result comes later, or at once when nothing can be started:
    // the folder does not exist, no opener is on the PATH, or no process can be made.
    void open (const juce::File& folder, ResultCallback onResult);

private:
    // An opener found on the search path: the program and its whole argument vector.
    struct Command
    {
        std::string path;
        std::vector<std::string> arguments;   // the program's name first, the folder last
    };

    struct Opening
    {
        std::vector<Command> commandsLeft;
        pid_t opener = -1;
        std::chrono::steady_clock::time_point startedAt;
        ResultCallback onResult;
    };

    std::vector<Command> findCommands (const std::string& folder) const;

    // Starts the remaining commands in turn until one runs; false when none could.
    static bool startNext (Opening& opening);

    void timerCallback() override;

    std::vector<Opener> openers;
    std::optional<std::string> searchPath;
    std::vector<Opening> openings;
    std::vector<pid_t> busyOpeners;   // counted as having opened the folder, collected when they end

    JUCE_DECLARE_NON_COPYABLE (DvxFolderOpener)
};

#include "processor/DvxFolderOpener.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined (__GLIBC__) && defined (__GLIBC_PREREQ)
 #if __GLIBC_PREREQ (2, 34)
  #define ORVELIN_SPAWN_CAN_CLOSE_FROM 1
 #endif
#endif

#ifndef ORVELIN_SPAWN_CAN_CLOSE_FROM
 #include <dirent.h>
#endif

extern char** environ;

namespace
{
    // How long an opener may run before its silence is taken for success: xdg-open hands a
    // folder to the file manager and returns within a second, or runs a file manager in the
    // foreground for as long as its window stays open.
    constexpr auto openerPatience = std::chrono::milliseconds (2000);
    constexpr int resultPollMs = 50;
    constexpr int busyOpenerPollMs = 1000;

    bool isExecutableFile (const std::string& path)
    {
        struct stat info {};
        return ::stat (path.c_str(), &info) == 0 && S_ISREG (info.st_mode) && ::access (path.c_str(), X_OK) == 0;
    }

    // The program's path as execvp would find it. Only absolute folders are searched: an
    // empty, "." or relative entry would start whatever lies where the host happens to run.
    std::string findOnPath (const std::string& program, const std::string& folders)
    {
        if (program.find ('/') != std::string::npos)
            return isExecutableFile (program) ? program : std::string();

        for (size_t start = 0; start <= folders.size();)
        {
            auto end = folders.find (':', start);

            if (end == std::string::npos)
                end = folders.size();

            if (end > start && folders[start] == '/')
            {
                const auto candidate = folders.substr (start, end - start) + "/" + program;

                if (isExecutableFile (candidate))
                    return candidate;
            }

            start = end + 1;
        }

        return {};
    }

    // The file actions and attributes of one spawn, released whatever happens.
    struct SpawnSettings
    {
        SpawnSettings()  { ok = ::posix_spawn_file_actions_init (&actions) == 0 && ::posix_spawnattr_init (&attributes) == 0; }
        ~SpawnSettings() { ::posix_spawn_file_actions_destroy (&actions); ::posix_spawnattr_destroy (&attributes); }

        posix_spawn_file_actions_t actions {};
        posix_spawnattr_t attributes {};
        bool ok = false;

        JUCE_DECLARE_NON_COPYABLE (SpawnSettings)
    };

    // Neither the opener nor the file manager it starts, which may outlive the host, may
    // keep the host's audio devices, sockets or files open.
    bool closeInheritedDescriptors (posix_spawn_file_actions_t& actions)
    {
       #ifdef ORVELIN_SPAWN_CAN_CLOSE_FROM
        return ::posix_spawn_file_actions_addclosefrom_np (&actions, 3) == 0;
       #else
        // Older C libraries can only close the descriptors named to them: those open now.
        auto* folder = ::opendir ("/proc/self/fd");

        if (folder == nullptr)
            return false;

        bool ok = true;

        while (auto* entry = ::readdir (folder))
        {
            const auto fd = std::atoi (entry->d_name);

            if (fd > 2 && fd != ::dirfd (folder))
                ok = ok && ::posix_spawn_file_actions_addclose (&actions, fd) == 0;
        }

        ::closedir (folder);
        return ok;
       #endif
    }

    // Starts the program in a session of its own, so that the host's terminal signals don't
    // reach it, with no signal blocked or ignored (a host may ignore SIGCHLD, which would
    // break an opener that waits for its own children) and nothing of the host's but its
    // environment. Returns the process, or -1.
    pid_t spawn (const std::string& path, const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv;

        for (const auto& argument : arguments)
            argv.push_back (const_cast<char*> (argument.c_str()));

        argv.push_back (nullptr);

        sigset_t noSignals, allSignals;
        sigemptyset (&noSignals);
        sigfillset (&allSignals);

        SpawnSettings s;
        pid_t pid = -1;

        const bool ready = s.ok
            && ::posix_spawnattr_setflags (&s.attributes, (short) (POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF)) == 0
            && ::posix_spawnattr_setsigmask (&s.attributes, &noSignals) == 0
            && ::posix_spawnattr_setsigdefault (&s.attributes, &allSignals) == 0
            && ::posix_spawn_file_actions_addopen (&s.actions, 0, "/dev/null", O_RDWR, 0) == 0
            && ::posix_spawn_file_actions_adddup2 (&s.actions, 0, 1) == 0
            && ::posix_spawn_file_actions_adddup2 (&s.actions, 0, 2) == 0
            && closeInheritedDescriptors (s.actions);

        if (! ready || ::posix_spawn (&pid, path.c_str(), &s.actions, &s.attributes, argv.data(), environ) != 0)
            return -1;

        return pid;
    }

    void report (const DvxFolderOpener::ResultCallback& onResult, bool opened)
    {
        if (onResult != nullptr)
            onResult (opened);
    }
}

//==============================================================================
std::vector<DvxFolderOpener::Opener> DvxFolderOpener::getDefaultOpeners()
{
    return { { "xdg-open" }, { "gio", "open" } };
}

DvxFolderOpener::DvxFolderOpener (std::vector<Opener> openersToTry)
    : openers (std::move (openersToTry))
{
}

DvxFolderOpener::~DvxFolderOpener()
{
    stopTimer();

    // Nobody is left to hear the results. Openers that have ended are collected; one still
    // running is left alone, since it may be the user's file manager and waiting for it
    // could take hours.
    for (const auto& opening : openings)
        ::waitpid (opening.opener, nullptr, WNOHANG);

    for (const auto opener : busyOpeners)
        ::waitpid (opener, nullptr, WNOHANG);
}

void DvxFolderOpener::setSearchPath (std::string folders)
{
    searchPath = std::move (folders);
}

std::vector<DvxFolderOpener::Command> DvxFolderOpener::findCommands (const std::string& folder) const
{
    const char* pathVariable = std::getenv ("PATH");
    const std::string folders = searchPath.has_value() ? *searchPath
                              : pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";

    std::vector<Command> commands;

    for (const auto& opener : openers)
    {
        if (opener.empty())
            continue;

        auto path = findOnPath (opener.front(), folders);

        if (path.empty())
            continue;

        commands.push_back ({ std::move (path), opener });
        commands.back().arguments.push_back (folder);
    }

    return commands;
}

bool DvxFolderOpener::startNext (Opening& opening)
{
    while (! opening.commandsLeft.empty())
    {
        const auto command = std::move (opening.commandsLeft.front());
        opening.commandsLeft.erase (opening.commandsLeft.begin());
        opening.opener = spawn (command.path, command.arguments);

        if (opening.opener > 0)
        {
            opening.startedAt = std::chrono::steady_clock::now();
            return true;
        }
    }

    return false;
}

void DvxFolderOpener::open (const juce::File& folder, ResultCallback onResult)
{
    if (! folder.isDirectory())
        return report (onResult, false);

    Opening opening { findCommands (folder.getFullPathName().toStdString()), -1, {}, std::move (onResult) };

    if (! startNext (opening))
        return report (opening.onResult, false);

    openings.push_back (std::move (opening));
    startTimer (resultPollMs);
}

void DvxFolderOpener::timerCallback()
{
    for (size_t i = 0; i < openings.size();)
    {
        auto& opening = openings[i];
        int status = 0;
        const auto result = ::waitpid (opening.opener, &status, WNOHANG);
        bool opened = false;

        if (result == 0 || (result < 0 && errno == EINTR))
        {
            if (std::chrono::steady_clock::now() - opening.startedAt < openerPatience)
            {
                ++i;
                continue;
            }

            busyOpeners.push_back (opening.opener);
            opened = true;
        }
        else if (result > 0)
        {
            opened = WIFEXITED (status) && WEXITSTATUS (status) == 0;

            if (! opened && startNext (opening))
            {
                ++i;
                continue;
            }
        }
        else
        {
            // The host collected the opener itself (it ignores SIGCHLD or reaps every child),
            // and its exit status with it: the folder may be open, so no other opener is
            // started, but it is not counted as opened, since it may as well not be.
            opened = false;
        }

        const auto onResult = std::move (opening.onResult);
        openings.erase (openings.begin() + (std::ptrdiff_t) i);
        report (onResult, opened);
    }

    busyOpeners.erase (std::remove_if (busyOpeners.begin(), busyOpeners.end(), [] (pid_t opener)
    {
        const auto result = ::waitpid (opener, nullptr, WNOHANG);
        return result != 0 && ! (result < 0 && errno == EINTR);
    }), busyOpeners.end());

    if (openings.empty() && busyOpeners.empty())
        stopTimer();
    else if (openings.empty())
        startTimer (busyOpenerPollMs);
}

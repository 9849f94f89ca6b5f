#include "processor/DvxFolderOpener.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
    // How long the helper waits for one opener before it takes the opener's silence for
    // success: xdg-open hands a folder to the file manager and returns within a second, or
    // runs a file manager in the foreground for as long as its window stays open.
    constexpr int openerPatienceMs = 2000;
    constexpr int helperPollMs = 10;
    constexpr int resultPollMs = 50;

    struct PreparedOpener
    {
        std::string path;
        std::vector<std::string> arguments;   // the program's name first, the folder last
        std::vector<char*> argv;              // into arguments, ending in a null
    };

    bool isExecutableFile (const std::string& path)
    {
        struct stat info {};
        return ::stat (path.c_str(), &info) == 0 && S_ISREG (info.st_mode) && ::access (path.c_str(), X_OK) == 0;
    }

    // The program's path as execvp would find it, looked up here so that the helper only has
    // to call execve. Empty PATH entries (the current folder) are skipped: nothing is started
    // for the user from wherever the host happens to run.
    std::string findOnPath (const std::string& program)
    {
        if (program.find ('/') != std::string::npos)
            return isExecutableFile (program) ? program : std::string();

        const char* pathVariable = std::getenv ("PATH");
        const std::string folders = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";

        for (size_t start = 0; start <= folders.size();)
        {
            auto end = folders.find (':', start);

            if (end == std::string::npos)
                end = folders.size();

            if (end > start)
            {
                const auto candidate = folders.substr (start, end - start) + "/" + program;

                if (isExecutableFile (candidate))
                    return candidate;
            }

            start = end + 1;
        }

        return {};
    }

    // Everything the helper needs, made before the fork: after it, in a copy of a process
    // with other threads, only calls that take no locks are safe (no allocation).
    std::vector<PreparedOpener> prepare (const std::vector<DvxFolderOpener::Opener>& openers, const std::string& folder)
    {
        std::vector<PreparedOpener> prepared;

        for (const auto& opener : openers)
        {
            if (opener.empty())
                continue;

            auto path = findOnPath (opener.front());

            if (path.empty())
                continue;

            PreparedOpener p;
            p.path = std::move (path);
            p.arguments = opener;
            p.arguments.push_back (folder);
            prepared.push_back (std::move (p));
        }

        for (auto& p : prepared)
        {
            for (auto& argument : p.arguments)
                p.argv.push_back (argument.data());

            p.argv.push_back (nullptr);
        }

        return prepared;
    }

    void sleepMs (int milliseconds)
    {
        const timespec duration { 0, (long) milliseconds * 1000000L };
        ::nanosleep (&duration, nullptr);
    }

    [[noreturn]] void runOpener (const PreparedOpener& opener)
    {
        // A session of its own, so that the host's terminal signals don't reach it, and no
        // signal blocked by the thread that forked.
        ::setsid();
        sigset_t none;
        sigemptyset (&none);
        ::sigprocmask (SIG_SETMASK, &none, nullptr);

        ::execve (opener.path.c_str(), opener.argv.data(), environ);
        ::_exit (127);
    }

    // True when the opener finished without an error, or is still busy after the wait.
    bool openerTookTheFolder (pid_t opener)
    {
        for (int waited = 0;; waited += helperPollMs)
        {
            int status = 0;
            const auto result = ::waitpid (opener, &status, WNOHANG);

            if (result == opener)
                return WIFEXITED (status) && WEXITSTATUS (status) == 0;

            if (result < 0 && errno != EINTR)
                return false;

            if (waited >= openerPatienceMs)
                return true;

            sleepMs (helperPollMs);
        }
    }

    // Runs in the forked helper: only async-signal-safe calls from here on.
    [[noreturn]] void runHelper (const std::vector<PreparedOpener>& openers)
    {
        // The host may ignore SIGCHLD, which would leave nothing for waitpid to collect. And
        // neither the helper nor the file manager, which may outlive the host, may keep the
        // host's audio devices, sockets or files open.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset (&defaultAction.sa_mask);
        ::sigaction (SIGCHLD, &defaultAction, nullptr);
        ::close_range (3, ~0u, 0);

        for (const auto& opener : openers)
        {
            const auto pid = ::fork();

            if (pid == 0)
                runOpener (opener);

            if (pid > 0 && openerTookTheFolder (pid))
                ::_exit (0);
        }

        ::_exit (1);
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

    // Nobody is left to hear the results. A helper is ended at once and collected; an
    // opener it started goes on, as init's child. Only a helper still ours and running is
    // killed: one that a host collecting every child has reaped may have left its process
    // ID to another program.
    for (const auto& r : running)
    {
        if (::waitpid (r.helper, nullptr, WNOHANG) == 0)
        {
            ::kill (r.helper, SIGKILL);
            ::waitpid (r.helper, nullptr, 0);
        }
    }
}

void DvxFolderOpener::open (const juce::File& folder, ResultCallback onResult)
{
    if (! folder.isDirectory())
        return report (onResult, false);

    const auto prepared = prepare (openers, folder.getFullPathName().toStdString());

    if (prepared.empty())
        return report (onResult, false);

    const auto helper = ::fork();

    if (helper == 0)
        runHelper (prepared);

    if (helper < 0)
        return report (onResult, false);

    running.push_back ({ helper, std::move (onResult) });
    startTimer (resultPollMs);
}

void DvxFolderOpener::timerCallback()
{
    for (size_t i = 0; i < running.size();)
    {
        int status = 0;
        const auto result = ::waitpid (running[i].helper, &status, WNOHANG);

        if (result == 0 || (result < 0 && errno == EINTR))
        {
            ++i;
            continue;
        }

        // A host that collects every child itself leaves no answer here; nothing is said then.
        const bool opened = result < 0 || (WIFEXITED (status) && WEXITSTATUS (status) == 0);
        const auto onResult = std::move (running[i].onResult);
        running.erase (running.begin() + (std::ptrdiff_t) i);
        report (onResult, opened);
    }

    if (running.empty())
        stopTimer();
}

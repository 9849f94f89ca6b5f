#include "ProcessWindows.h"
#include "helpers/TestData.h"
#include "helpers/TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <chrono>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

// The built Standalone, started as a user starts it, with a hostile settings file in its
// home (~/.config/Orvelin.settings): it must open its window and quit when asked, at every
// launch. JUCE's own application crashed on each of these before its window came up.

using orvelin::test::testData;

namespace
{
    struct HostileSettings
    {
        const char* what;
        juce::MemoryBlock file;
    };

    juce::MemoryBlock settingsHolding (const char* name, const char* escapedValue)
    {
        const juce::String text = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"")
                                + name + "\" val=\"" + escapedValue + "\"/>\n</PROPERTIES>\n";
        return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
    }

    // Our own properties files are in the same format as the Standalone's settings.
    std::vector<HostileSettings> hostileSettings()
    {
        return {
            { "entity loop in the file",      testData ("hostile-entity-loop.qzproperties") },
            { "deep nesting in the file",     testData ("hostile-deep-nesting.qzproperties") },
            { "entity loop in the device setup, which JUCE parses again",
              settingsHolding ("audioSetup", "&lt;!DOCTYPE DEVICESETUP [&lt;!ENTITY mp '&amp;amp;'&gt;]&gt;"
                                             "&lt;DEVICESETUP deviceType=&quot;&amp;mp;&quot;/&gt;") },
            { "state declaring a size of -1", settingsHolding ("filterState", "-1.VMjLgXj") },
        };
    }

    // Bounds, not timings: the polls below end as soon as the answer is known.
    constexpr auto startBound = std::chrono::seconds (120);
    constexpr auto quitBound = std::chrono::seconds (60);
    constexpr auto pollInterval = std::chrono::milliseconds (20);

    class StandaloneProcess
    {
    public:
        // Starts the built Standalone with HOME and the XDG folders in the given folder.
        explicit StandaloneProcess (const juce::File& home)
        {
            std::vector<std::string> variables;

            for (auto** entry = environ; *entry != nullptr; ++entry)
            {
                const juce::String variable (*entry);

                if (! variable.startsWith ("HOME=") && ! variable.startsWith ("XDG_"))
                    variables.push_back (*entry);
            }

            variables.push_back ("HOME=" + home.getFullPathName().toStdString());
            variables.push_back ("XDG_CONFIG_HOME=" + home.getChildFile (".config").getFullPathName().toStdString());

            std::vector<char*> envp;

            for (auto& variable : variables)
                envp.push_back (variable.data());

            envp.push_back (nullptr);

            std::string path = ORVELIN_STANDALONE_APP;
            char* argv[] = { path.data(), nullptr };

            if (posix_spawn (&pid, path.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
                pid = -1;
        }

        ~StandaloneProcess()
        {
            if (pid > 0 && ! status.has_value())
            {
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
            }
        }

        bool started() const noexcept { return pid > 0; }

        // True once its window is up; false when it ended first or took longer than the bound.
        bool waitForWindow()
        {
            for (const auto end = std::chrono::steady_clock::now() + startBound; std::chrono::steady_clock::now() < end;)
            {
                if (hasEnded())
                    return false;

                if (orvelin::host::showsTopLevelWindow (pid))
                    return true;

                std::this_thread::sleep_for (pollInterval);
            }

            return false;
        }

        // JUCE quits its application cleanly on SIGINT, saving its settings on the way.
        bool quit()
        {
            ::kill (pid, SIGINT);

            for (const auto end = std::chrono::steady_clock::now() + quitBound; std::chrono::steady_clock::now() < end;)
            {
                if (hasEnded())
                    return true;

                std::this_thread::sleep_for (pollInterval);
            }

            return false;
        }

        juce::String describeEnd() const
        {
            if (! status.has_value())                return "still running";
            if (WIFSIGNALED (*status))               return "killed by " + juce::String (strsignal (WTERMSIG (*status)));
            return "exit code " + juce::String (WEXITSTATUS (*status));
        }

        bool endedCleanly() const
        {
            return status.has_value() && WIFEXITED (*status) && WEXITSTATUS (*status) == 0;
        }

    private:
        bool hasEnded()
        {
            if (status.has_value())
                return true;

            int result = 0;

            if (::waitpid (pid, &result, WNOHANG) != pid)
                return false;

            status = result;
            return true;
        }

        pid_t pid = -1;
        std::optional<int> status;
    };
}

TEST (Standalone, StartsAndQuitsWithAHostileSettingsFile)
{
    const auto homes = juce::File (orvelin::test::temporaryHome()).getChildFile ("standalone");

    for (const auto& hostile : hostileSettings())
    {
        SCOPED_TRACE (hostile.what);

        const auto home = homes.getNonexistentChildFile ("home", "");
        const auto settings = home.getChildFile (".config/Orvelin.settings");
        ASSERT_TRUE (settings.getParentDirectory().createDirectory());
        ASSERT_TRUE (settings.replaceWithData (hostile.file.getData(), hostile.file.getSize()));

        StandaloneProcess standalone (home);
        ASSERT_TRUE (standalone.started());

        const bool windowCameUp = standalone.waitForWindow();
        EXPECT_TRUE (windowCameUp) << standalone.describeEnd();

        if (windowCameUp)
        {
            EXPECT_TRUE (standalone.quit());
            EXPECT_TRUE (standalone.endedCleanly()) << standalone.describeEnd();
        }
    }
}

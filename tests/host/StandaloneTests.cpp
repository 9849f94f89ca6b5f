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
// home (~/.config/Orvelin.settings): it must show its window and quit when asked. JUCE's
// own application crashed on each of these before its window came up, at every launch.

using orvelin::test::testData;

namespace
{
    juce::MemoryBlock settingsHolding (std::initializer_list<std::pair<const char*, const char*>> escapedValues)
    {
        juce::String text ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n");

        for (const auto& [name, value] : escapedValues)
            text << "  <VALUE name=\"" << name << "\" val=\"" << value << "\"/>\n";

        text << "</PROPERTIES>\n";
        return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
    }

    struct HostileSettings
    {
        const char* what;
        juce::MemoryBlock file;
    };

    // Our own properties files are in the same format as the Standalone's settings.
    std::vector<HostileSettings> hostileSettings()
    {
        return {
            { "entity loop in the file",      testData ("hostile-entity-loop.qzproperties") },
            { "deep nesting in the file",     testData ("hostile-deep-nesting.qzproperties") },
            { "entity loop in the device setup, which JUCE parses again",
              settingsHolding ({ { "audioSetup", "&lt;!DOCTYPE DEVICESETUP [&lt;!ENTITY mp '&amp;amp;'&gt;]&gt;"
                                                 "&lt;DEVICESETUP deviceType=&quot;&amp;mp;&quot;/&gt;" } }) },
            { "state declaring a size of -1", settingsHolding ({ { "filterState", "-1.VMjLgXj" } }) },
            // JUCE overflows an int placing the window there (reported under UBSan).
            { "window place at the end of the int range",
              settingsHolding ({ { "windowX", "2147483647" }, { "windowY", "2147483647" } }) },
        };
    }

    // A bound, not a timing: each poll ends as soon as its answer is known.
    template <typename Predicate>
    bool pollUntil (Predicate&& isDone)
    {
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::minutes (2);
             std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for (std::chrono::milliseconds (20)))
        {
            if (isDone())
                return true;
        }

        return false;
    }

    // The built Standalone as a child process, with HOME and the XDG folders in a folder of
    // its own and no audio device. Killed on destruction if it still runs.
    class StandaloneProcess
    {
    public:
        explicit StandaloneProcess (const juce::File& home)
        {
            std::vector<std::string> variables;

            for (auto** entry = environ; *entry != nullptr; ++entry)
                if (! juce::String (*entry).startsWith ("HOME=") && ! juce::String (*entry).startsWith ("XDG_")
                     && ! juce::String (*entry).startsWith ("ALSA_CONFIG_PATH="))
                    variables.push_back (*entry);

            // ALSA with an empty configuration knows no device, so that the machine's sound
            // server (PulseAudio, PipeWire, JACK) and its libraries stay out of the test.
            const auto noAudioDevices = home.getChildFile ("alsa-without-devices.conf");
            noAudioDevices.create();

            variables.push_back ("HOME=" + home.getFullPathName().toStdString());
            variables.push_back ("XDG_CONFIG_HOME=" + home.getChildFile (".config").getFullPathName().toStdString());
            variables.push_back ("ALSA_CONFIG_PATH=" + noAudioDevices.getFullPathName().toStdString());

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
            if (pid > 0 && ! hasEnded())
            {
                ::kill (pid, SIGKILL);
                ::waitpid (pid, nullptr, 0);
            }
        }

        bool started() const noexcept { return pid > 0; }

        bool showsItsWindow()
        {
            return pollUntil ([this] { return hasEnded() || orvelin::host::showsTopLevelWindow (pid); })
                && ! hasEnded();
        }

        // JUCE's application quits cleanly on SIGINT, saving its settings on the way.
        bool quitsCleanly()
        {
            ::kill (pid, SIGINT);
            return pollUntil ([this] { return hasEnded(); })
                && WIFEXITED (*status) && WEXITSTATUS (*status) == 0;
        }

        juce::String describeEnd() const
        {
            if (! status.has_value())     return "still running";
            if (WIFSIGNALED (*status))    return "killed by " + juce::String (strsignal (WTERMSIG (*status)));
            return "exit code " + juce::String (WEXITSTATUS (*status));
        }

    private:
        bool hasEnded()
        {
            int result = 0;

            if (! status.has_value() && ::waitpid (pid, &result, WNOHANG) == pid)
                status = result;

            return status.has_value();
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

        const bool windowCameUp = standalone.showsItsWindow();
        EXPECT_TRUE (windowCameUp) << standalone.describeEnd();

        if (windowCameUp)
        {
            EXPECT_TRUE (standalone.quitsCleanly()) << standalone.describeEnd();
        }
    }
}

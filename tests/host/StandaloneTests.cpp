#include "ProcessWindows.h"
#include "ScreenPointer.h"
#include "helpers/TestData.h"
#include "helpers/TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

// The built Standalone, started as a user starts it, with a home of its own (its settings
// are ~/.config/Orvelin.settings) and no audio device.

using orvelin::host::WindowArea;
using orvelin::host::WindowLook;
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

    // The colour of the Standalone's window where nothing inside paints: the default look and
    // feel's window background, there as here.
    std::uint32_t windowBackground()
    {
        return juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId)
                   .getARGB() & 0xffffff;
    }

    juce::String toText (const WindowArea& area)
    {
        return juce::Rectangle<int> (area.x, area.y, area.width, area.height).toString();
    }

    // The smallest area of the window holding every pixel not in the colour.
    WindowArea areaNotIn (std::uint32_t colour, const WindowLook& look)
    {
        int left = look.bounds.width, top = look.bounds.height, right = -1, bottom = -1;

        for (int y = 0; y < look.bounds.height; ++y)
        {
            for (int x = 0; x < look.bounds.width; ++x)
            {
                if (look.pixelAt (x, y) != colour)
                {
                    left = std::min (left, x);
                    right = std::max (right, x);
                    top = std::min (top, y);
                    bottom = std::max (bottom, y);
                }
            }
        }

        return right < 0 ? WindowArea {} : WindowArea { left, top, right - left + 1, bottom - top + 1 };
    }

    std::vector<std::uint32_t> pixelsIn (const WindowLook& look, const WindowArea& area)
    {
        std::vector<std::uint32_t> pixels;

        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x)
                pixels.push_back (look.pixelAt (x, y));

        return pixels;
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

            orvelin::host::defineCloseRequest();

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

        // The window once it looks as asked, or nothing if it never does.
        std::optional<WindowLook> lookOnce (const std::function<bool (const WindowLook&)>& isAsAsked)
        {
            const auto looksAsAsked = [&] { return lastLook.has_value() && isAsAsked (*lastLook); };

            pollUntil ([&]
            {
                // Woken each time, so that it takes what the pointer did meanwhile.
                orvelin::host::nudgeTopLevelWindow (pid);
                lastLook = orvelin::host::lookAtTopLevelWindow (pid);
                return hasEnded() || looksAsAsked();
            });

            return looksAsAsked() ? lastLook : std::nullopt;
        }

        juce::String describeLastLook() const
        {
            return lastLook.has_value() ? "the window at " + toText (lastLook->bounds) + " painted at "
                                              + toText (areaNotIn (windowBackground(), *lastLook))
                                        : "no window, " + describeEnd();
        }

        // JUCE's application quits cleanly on SIGINT, saving its settings on the way, all but
        // the plug-in's state.
        bool quitsCleanly()
        {
            ::kill (pid, SIGINT);
            return endsCleanly();
        }

        // Saves the plug-in's state too, as the window's close button does. (A click on
        // JUCE's own button is lost while the window is not yet active: JUCE disables the
        // title bar's buttons until then.)
        bool closesCleanly()
        {
            return orvelin::host::askTopLevelWindowToClose (pid) && endsCleanly();
        }

        juce::String describeEnd() const
        {
            if (! status.has_value())     return "still running";
            if (WIFSIGNALED (*status))    return "killed by " + juce::String (strsignal (WTERMSIG (*status)));
            return "exit code " + juce::String (WEXITSTATUS (*status));
        }

    private:
        bool endsCleanly()
        {
            return pollUntil ([this] { return hasEnded(); })
                && WIFEXITED (*status) && WEXITSTATUS (*status) == 0;
        }

        bool hasEnded()
        {
            int result = 0;

            if (! status.has_value() && ::waitpid (pid, &result, WNOHANG) == pid)
                status = result;

            return status.has_value();
        }

        pid_t pid = -1;
        std::optional<int> status;
        std::optional<WindowLook> lastLook;
    };

    // Painted up to JUCE's one-pixel border, which has the window's background colour: no
    // strip inside is left empty. A window JUCE has not painted yet is all black.
    bool isWhole (const WindowLook& look)
    {
        return areaNotIn (windowBackground(), look) == WindowArea { 1, 1, look.bounds.width - 2, look.bounds.height - 2 };
    }
}

// JUCE's own application crashed on each of these before its window came up, at every launch.
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

// Closed as with its close button and started again, the Standalone shows its window as it was:
// in the same place, of the same size, painted whole (the editor below JUCE's notification
// bar, no strip left empty). This sees the window as it opens; that the editor keeps its place
// when the restored state makes it re-apply its size a moment later, the editor shell's tests
// check.
TEST (Standalone, ShowsItsWindowAsItWasClosed)
{
    orvelin::host::ScreenPointer pointer;

    if (! pointer.isAvailable())
        GTEST_SKIP() << "needs an X display with the XTest extension (xvfb-run)";

    struct Case { const char* what; int dragX, dragY; };

    for (const auto& c : { Case { "at the default size", 0, 0 }, Case { "after a corner drag", 90, 60 } })
    {
        SCOPED_TRACE (c.what);

        // Off the window, which then opens without the pointer over it.
        pointer.moveTo (0, 0);

        const auto home = juce::File (orvelin::test::temporaryHome()).getChildFile ("standalone")
                              .getNonexistentChildFile ("home", "");
        std::optional<WindowLook> closed;

        {
            StandaloneProcess standalone (home);
            ASSERT_TRUE (standalone.started());

            closed = standalone.lookOnce (isWhole);
            ASSERT_TRUE (closed.has_value()) << standalone.describeLastLook();

            if (c.dragX != 0)
            {
                // The resize corner's middle lies 3.6 % of the editor's width in from the
                // editor's bottom right, which is the window's, inside its border.
                const auto before = closed->bounds;
                const int inset = 1 + (before.width - 2) * 36 / 1000;
                const int x = before.width - inset, y = before.height - inset;
                const WindowArea corner { x - 10, y - 10, 21, 21 };
                const auto cornerBefore = pixelsIn (*closed, corner);

                // Pressed only once the corner shows the pointer over it: JUCE, taking a move
                // late, may ask the X server for the buttons, find this one down and take the
                // move for the press, on whatever lay under the pointer before. Held until
                // the window has followed, so that JUCE does not find it let go mid-drag.
                pointer.moveTo (before.x + x, before.y + y);
                ASSERT_TRUE (standalone.lookOnce ([&] (const WindowLook& look) { return pixelsIn (look, corner) != cornerBefore; }))
                    << "the corner never showed the pointer over it";

                pointer.pressLeftButton();
                pointer.moveTo (before.x + x + c.dragX, before.y + y + c.dragY);
                closed = standalone.lookOnce ([&] (const WindowLook& look)
                {
                    return isWhole (look) && look.bounds.width == before.width + c.dragX;
                });
                pointer.releaseLeftButton();
                ASSERT_TRUE (closed.has_value()) << standalone.describeLastLook();
            }

            ASSERT_TRUE (standalone.closesCleanly()) << standalone.describeEnd();
        }

        StandaloneProcess relaunched (home);
        ASSERT_TRUE (relaunched.started());

        const auto bounds = closed->bounds;
        EXPECT_TRUE (relaunched.lookOnce ([&] (const WindowLook& look) { return isWhole (look) && look.bounds == bounds; }))
            << relaunched.describeLastLook() << ", not whole at " << toText (bounds);

        EXPECT_TRUE (relaunched.quitsCleanly()) << relaunched.describeEnd();
    }
}

#pragma once

#include <cstdint>
#include <optional>
#include <vector>
#include <sys/types.h>

// A process's top-level windows on the X display, found by the process's ID in _NET_WM_PID,
// as JUCE's windows carry it. The X11 headers stay in the .cpp: their names clash with JUCE's.
namespace orvelin::host
{
    // Whether the process shows a top-level window: one that is mapped.
    bool showsTopLevelWindow (pid_t process);

    struct WindowArea
    {
        int x = 0, y = 0, width = 0, height = 0;

        bool operator== (const WindowArea& other) const noexcept
        {
            return x == other.x && y == other.y && width == other.width && height == other.height;
        }
    };

    // A shown top-level window: its place on the screen and its pixels as 0xRRGGBB, row by row.
    struct WindowLook
    {
        WindowArea bounds;
        std::vector<std::uint32_t> pixels;

        std::uint32_t pixelAt (int x, int y) const { return pixels[(size_t) (y * bounds.width + x)]; }
    };

    // The process's shown top-level window, or nothing while it shows none.
    std::optional<WindowLook> lookAtTopLevelWindow (pid_t process);

    // JUCE looks up the atoms of a window manager's close request when it starts, but never
    // creates them, and a bare X server has none: define them before starting the process.
    void defineCloseRequest();

    // Asks the process's top-level window to close, as a window manager does for a click on
    // its close button. False while the process shows no window.
    bool askTopLevelWindowToClose (pid_t process);

    // Sends the process's top-level window a message it ignores, which wakes its event loop:
    // JUCE's sleeps until its X connection has something to read, and events that Xlib has
    // already read into its queue meanwhile wait for the next arrival (for ever, if none).
    void nudgeTopLevelWindow (pid_t process);
}

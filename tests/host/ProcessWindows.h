#pragma once

#include <cstdint>
#include <optional>
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

    struct WindowLook
    {
        WindowArea bounds;    // on the screen
        WindowArea painted;   // inside the window: the smallest area holding every pixel that
                              // is not in the background colour
    };

    // What the process's shown top-level window looks like, or nothing while it shows none.
    std::optional<WindowLook> lookAtTopLevelWindow (pid_t process, std::uint32_t backgroundRgb);
}

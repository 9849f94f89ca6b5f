#pragma once

#include <sys/types.h>

namespace orvelin::host
{
    // Whether a process shows a top-level window on the X display: one that is mapped and
    // carries the process's ID in _NET_WM_PID, as JUCE's windows do. The X11 headers stay in
    // the .cpp: their names clash with JUCE's.
    bool showsTopLevelWindow (pid_t process);
}

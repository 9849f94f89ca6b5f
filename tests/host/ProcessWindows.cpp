#include "ProcessWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orvelin::host
{
    namespace
    {
        bool isShownWindowOf (Display* display, Window window, Atom pidAtom, pid_t process)
        {
            // JUCE creates a window's X window with the component, long before showing it.
            XWindowAttributes attributes {};

            if (! XGetWindowAttributes (display, window, &attributes) || attributes.map_state != IsViewable)
                return false;

            Atom type = None;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;

            const bool found = XGetWindowProperty (display, window, pidAtom, 0, 1, False, XA_CARDINAL,
                                                   &type, &format, &count, &remaining, &data) == Success
                                && type == XA_CARDINAL && format == 32 && count == 1
                                && *reinterpret_cast<unsigned long*> (data) == (unsigned long) process;

            if (data != nullptr)
                XFree (data);

            return found;
        }
    }

    bool showsTopLevelWindow (pid_t process)
    {
        Display* display = XOpenDisplay (nullptr);

        if (display == nullptr)
            return false;

        const Atom pidAtom = XInternAtom (display, "_NET_WM_PID", False);
        Window root = None, parent = None;
        Window* children = nullptr;
        unsigned int numChildren = 0;
        bool found = false;

        if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &numChildren))
        {
            for (unsigned int i = 0; i < numChildren && ! found; ++i)
                found = isShownWindowOf (display, children[i], pidAtom, process);

            if (children != nullptr)
                XFree (children);
        }

        XCloseDisplay (display);
        return found;
    }
}

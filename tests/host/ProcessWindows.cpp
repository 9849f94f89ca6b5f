#include "ProcessWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace orvelin::host
{
    namespace
    {
        struct DisplayCloser
        {
            void operator() (Display* display) const { XCloseDisplay (display); }
        };

        using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

        DisplayConnection openDisplay() { return DisplayConnection (XOpenDisplay (nullptr)); }

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

        Window findShownTopLevelWindow (Display* display, pid_t process)
        {
            const Atom pidAtom = XInternAtom (display, "_NET_WM_PID", False);
            Window root = None, parent = None;
            Window* children = nullptr;
            unsigned int numChildren = 0;
            Window found = None;

            if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &numChildren))
            {
                for (unsigned int i = 0; i < numChildren && found == None; ++i)
                    if (isShownWindowOf (display, children[i], pidAtom, process))
                        found = children[i];

                if (children != nullptr)
                    XFree (children);
            }

            return found;
        }

        // A client message to the process's shown top-level window, of the type and with the
        // atom as its first datum, as window managers send them.
        bool sendMessage (pid_t process, const char* type, const char* datum)
        {
            const auto display = openDisplay();
            const Window window = display != nullptr ? findShownTopLevelWindow (display.get(), process) : None;

            if (window == None)
                return false;

            XEvent event {};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom (display.get(), type, False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = (long) XInternAtom (display.get(), datum, False);
            event.xclient.data.l[1] = CurrentTime;

            return XSendEvent (display.get(), window, False, NoEventMask, &event) != 0;
        }
    }

    bool showsTopLevelWindow (pid_t process)
    {
        const auto display = openDisplay();
        return display != nullptr && findShownTopLevelWindow (display.get(), process) != None;
    }

    std::optional<WindowLook> lookAtTopLevelWindow (pid_t process)
    {
        const auto display = openDisplay();
        const Window window = display != nullptr ? findShownTopLevelWindow (display.get(), process) : None;
        XWindowAttributes attributes {};
        Window child = None;
        WindowLook look;

        if (window == None || ! XGetWindowAttributes (display.get(), window, &attributes)
             || ! XTranslateCoordinates (display.get(), window, DefaultRootWindow (display.get()), 0, 0,
                                         &look.bounds.x, &look.bounds.y, &child))
            return std::nullopt;

        look.bounds.width = attributes.width;
        look.bounds.height = attributes.height;

        // Fails (and returns nothing) when the window has gone meanwhile. The colours are
        // read as 0xRRGGBB, which needs the usual 24-bit TrueColor layout (xvfb-run's).
        auto* image = XGetImage (display.get(), window, 0, 0, (unsigned int) attributes.width,
                                 (unsigned int) attributes.height, AllPlanes, ZPixmap);

        if (image == nullptr)
            return std::nullopt;

        const bool readable = image->red_mask == 0xff0000 && image->green_mask == 0xff00 && image->blue_mask == 0xff;

        if (readable)
        {
            look.pixels.reserve ((size_t) (image->width * image->height));

            for (int y = 0; y < image->height; ++y)
                for (int x = 0; x < image->width; ++x)
                    look.pixels.push_back ((std::uint32_t) XGetPixel (image, x, y) & 0xffffff);
        }

        XDestroyImage (image);
        return readable ? std::optional<WindowLook> (std::move (look)) : std::nullopt;
    }

    void defineCloseRequest()
    {
        if (const auto display = openDisplay())
        {
            XInternAtom (display.get(), "WM_PROTOCOLS", False);
            XInternAtom (display.get(), "WM_DELETE_WINDOW", False);
        }
    }

    bool askTopLevelWindowToClose (pid_t process)
    {
        return sendMessage (process, "WM_PROTOCOLS", "WM_DELETE_WINDOW");
    }

    void nudgeTopLevelWindow (pid_t process)
    {
        sendMessage (process, "ORVELIN_TEST_NUDGE", "ORVELIN_TEST_NUDGE");
    }
}

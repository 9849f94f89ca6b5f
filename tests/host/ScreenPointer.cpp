#include "ScreenPointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace orvelin::host
{
    struct ScreenPointer::Connection
    {
        Display* display = nullptr;
    };

    ScreenPointer::ScreenPointer() : connection (std::make_unique<Connection>())
    {
        connection->display = XOpenDisplay (nullptr);

        int eventBase = 0, errorBase = 0, major = 0, minor = 0;

        if (connection->display != nullptr
             && ! XTestQueryExtension (connection->display, &eventBase, &errorBase, &major, &minor))
        {
            XCloseDisplay (connection->display);
            connection->display = nullptr;
        }
    }

    ScreenPointer::~ScreenPointer()
    {
        if (connection->display != nullptr)
            XCloseDisplay (connection->display);
    }

    bool ScreenPointer::isAvailable() const noexcept { return connection->display != nullptr; }

    int ScreenPointer::countWindowsAt (int screenX, int screenY)
    {
        if (connection->display == nullptr)
            return 0;

        const Window root = DefaultRootWindow (connection->display);
        Window window = root;
        int count = 0;

        for (;;)
        {
            int x = 0, y = 0;
            Window child = None;

            if (! XTranslateCoordinates (connection->display, root, window, screenX, screenY, &x, &y, &child) || child == None)
                return count;

            ++count;
            window = child;
        }
    }

    void ScreenPointer::moveTo (int screenX, int screenY)
    {
        if (connection->display == nullptr)
            return;

        XTestFakeMotionEvent (connection->display, -1, screenX, screenY, CurrentTime);
        XSync (connection->display, False);
    }

    void ScreenPointer::pressLeftButton()
    {
        if (connection->display == nullptr)
            return;

        XTestFakeButtonEvent (connection->display, 1, True, CurrentTime);
        XSync (connection->display, False);
    }

    void ScreenPointer::releaseLeftButton()
    {
        if (connection->display == nullptr)
            return;

        XTestFakeButtonEvent (connection->display, 1, False, CurrentTime);
        XSync (connection->display, False);
    }
}

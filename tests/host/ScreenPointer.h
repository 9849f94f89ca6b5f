#pragma once

#include <memory>

namespace orvelin::host
{
    // The X server's real pointer, moved and clicked through the XTest extension, so that
    // a plug-in's own window receives the same events a user's mouse would give it. The
    // X11 headers stay in the .cpp: their names clash with JUCE's.
    class ScreenPointer
    {
    public:
        ScreenPointer();
        ~ScreenPointer();

        // False without a display or without the XTest extension.
        bool isAvailable() const noexcept;

        // How many windows on the screen are nested at the point: 1 for a top-level
        // window alone, 2 once a window is embedded in it, and so on.
        int countWindowsAt (int screenX, int screenY);

        void moveTo (int screenX, int screenY);
        void pressLeftButton();
        void releaseLeftButton();

    private:
        struct Connection;
        std::unique_ptr<Connection> connection;
    };
}

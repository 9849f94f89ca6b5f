// Xvfb runs without a window manager, so some X requests that JUCE makes (atoms for
// window-manager hints, for example) fail. Xlib's default error handler prints and exits
// the whole test program on the first such error; JUCE only installs its own, lenient
// handler in standalone apps. This file installs one before any test runs.
//
// It lives in a file of its own because the X11 headers define names (Window, Font,
// None, Bool...) that clash with JUCE's.

#include <X11/Xlib.h>

#include <atomic>

namespace
{
    std::atomic<int> numberOfXErrors { 0 };

    int countAndIgnoreXError (Display*, XErrorEvent*)
    {
        numberOfXErrors.fetch_add (1, std::memory_order_relaxed);
        return 0;
    }

    struct LenientXErrorHandlerInstaller
    {
        LenientXErrorHandlerInstaller() { XSetErrorHandler (countAndIgnoreXError); }
    };

    const LenientXErrorHandlerInstaller installer;
}

namespace orvelin::test
{
    int getNumberOfIgnoredXErrors()
    {
        return numberOfXErrors.load (std::memory_order_relaxed);
    }
}

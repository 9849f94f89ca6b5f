#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Shows a folder in the desktop's file manager. JUCE's File::revealToUser hands the path to
// /bin/sh inside double quotes, so "$(...)" or a backtick in a folder name runs as a command
// and a folder named with a '"' does not open. Here the opener is started with an argument
// vector and no shell, the folder as one argument of its own.
//
// Each opening runs under a small helper process: it starts the openers in turn until one
// takes the folder, waits for each a few seconds at most, and exits, leaving an opener that
// is still busy (a file manager that xdg-open runs in the foreground) to init. So nothing is
// ever left unreaped, and the helper's exit says whether the folder could be opened; it is
// collected by a timer on the message thread, which never waits.
class DvxFolderOpener : private juce::Timer
{
public:
    // A program, looked up on the PATH, and the arguments that go before the folder.
    using Opener = std::vector<std::string>;

    // xdg-open, the desktop's own choice, else GLib's gio. No web browser: JUCE falls back to
    // those, but a folder belongs in a file manager.
    static std::vector<Opener> getDefaultOpeners();

    explicit DvxFolderOpener (std::vector<Opener> openersToTry = getDefaultOpeners());
    ~DvxFolderOpener() override;

    // Called on the message thread: true when an opener took the folder (it finished without
    // an error, or was still busy showing it when the helper stopped waiting), false when
    // none could (none is installed, or each one failed).
    using ResultCallback = std::function<void (bool opened)>;

    // Message thread only. The result comes later, or at once when nothing can be started:
    // the folder does not exist, no opener is on the PATH, or no process can be made.
    void open (const juce::File& folder, ResultCallback onResult);

private:
    struct Running
    {
        pid_t helper;
        ResultCallback onResult;
    };

    void timerCallback() override;

    std::vector<Opener> openers;
    std::vector<Running> running;

    JUCE_DECLARE_NON_COPYABLE (DvxFolderOpener)
};

// The settings menu: its items with their ids, enabled states and ticks, where each result
// goes, what keeps it open under the mouse, and a result that arrives after the editor is
// gone.

#include "helpers/PresetTestHelpers.h"
#include "helpers/editor/PanelDialogs.h"
#include "helpers/editor/WidgetTestSupport.h"

#include "editor/FittedPath.h"
#include "editor/PopupCallbackReceiver.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvelin::test;

namespace
{
    // One line per item, sub-menus indented under their name.
    juce::StringArray describe (const juce::PopupMenu& menu, const juce::String& indent = {})
    {
        juce::StringArray lines;

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();

            if (item.isSeparator)
                lines.add (indent + "--");
            else if (item.subMenu != nullptr)
            {
                lines.add (indent + item.text + " >");
                lines.addArray (describe (*item.subMenu, indent + "  "));
            }
            else
                lines.add (indent + juce::String (item.itemID) + " " + item.text
                           + (item.isEnabled ? "" : " (disabled)") + (item.isTicked ? " (ticked)" : ""));
        }

        return lines;
    }

    std::set<int> tickedIDs (const juce::PopupMenu& menu)
    {
        std::set<int> ids;

        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            if (it.getItem().isTicked)
                ids.insert (it.getItem().itemID);

        return ids;
    }

    // JUCE's popup-menu windows on the screen, of every instance.
    std::vector<juce::Component*> menuWindowsShown()
    {
        auto& desktop = juce::Desktop::getInstance();
        std::vector<juce::Component*> shown;

        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (desktop.getComponent (i)->getName() == "menu" && desktop.getComponent (i)->isVisible())
                shown.push_back (desktop.getComponent (i));

        return shown;
    }

    void moveMouseTo (juce::Point<int> position)
    {
        juce::Desktop::setMousePosition (position);
        pumpMessages();
    }

    // Everything a menu result could change, as one comparable text.
    juce::String stateOf (EditorSession& s)
    {
        auto& p = s.processor;
        return p.getCurrentPresetName() + "|" + juce::String (p.getCurrentPresetID()) + "|"
             + juce::String ((int) p.currentPresetIsFactory()) + juce::String ((int) p.currentPresetWasModified()) + "|"
             + juce::String (p.getCurrentColourSchemeBrightness()) + "|" + juce::String (s.editor->getHeight()) + "|"
             + juce::String ((int) saveDialog (s.panel()).isVisible()) + juce::String ((int) infoScreen (s.panel()).isVisible());
    }

    // Whether a process this one started is still running or waits to be collected. WNOWAIT
    // leaves a finished one uncollected: the test only looks.
    bool hasChildProcesses()
    {
        siginfo_t info {};
        return ::waitid (P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
    }

    // Stand-ins for xdg-open and gio, in a folder of their own: each writes down its parent
    // process, then the arguments it was given, one a line after their count, and exits as
    // told.
    class ScopedFakeOpeners
    {
    public:
        ScopedFakeOpeners (int xdgOpenExitCode, int gioExitCode)   // -1: not installed
        {
            folder.createDirectory();
            install ("xdg-open", xdgOpenExitCode);
            install ("gio", gioExitCode);
        }

        ~ScopedFakeOpeners() { folder.deleteRecursively(); }

        const juce::File& getFolder() const noexcept { return folder; }

        juce::String argumentsOf (const char* program) const
        {
            return folder.getChildFile (juce::String (program) + ".args").loadFileAsString();
        }

    private:
        void install (const char* program, int exitCode)
        {
            if (exitCode < 0)
                return;

            const auto script = folder.getChildFile (program);
            const auto record = folder.getChildFile (juce::String (program) + ".args").getFullPathName();
            script.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$PPID\" \"$#\" \"$@\" > '" + record + "'\nexit "
                                    + juce::String (exitCode) + "\n", false, false, "\n");
            script.setExecutePermission (true);
        }

        juce::File folder { temporaryHomeFolder().getChildFile ("fake-openers") };
    };
}
TEST (SettingsMenu, ListsEveryItemWithItsIdEnabledStateAndTick)
{
    ScopedPresetsFolder presets;
    EditorSession session;
    session.open();
    auto& panel = session.panel();
    auto& processor = session.processor;

    // A new instance: factory preset 0, not modified, at the default size, "Bright Eyes".
    juce::StringArray expected { "1 Resize To Default (disabled)", "--", "Factory Presets >" };
    const auto factoryNames = processor.getAllFactoryPresetNames();

    for (int i = 0; i < factoryNames.size(); ++i)
        expected.add ("  " + juce::String (100 + i) + " " + factoryNames[i] + (i == 0 ? " (ticked)" : ""));

    expected.addArray ({ "User Presets >", "--", "5 Save Current Preset As ...", "6 Reveal User Presets Folder", "--",
                         "Colour Scheme >", "  3 Classic Dark", "  4 Bright Eyes (disabled) (ticked)",
                         "2 Show Info / Settings Screen", "--", "-1 Orvelin v1.1 (disabled)" });

    EXPECT_EQ (describe (panel.createSettingsPopupMenu()), expected);

    // Only a loaded preset that is not modified is ticked, and only if its file is still listed.
    processor.setParamAndNotifyHost ("StereoWidth", 0.8f, true);
    EXPECT_EQ (tickedIDs (panel.createSettingsPopupMenu()), (std::set<int> { 4 }));

    ASSERT_TRUE (processor.saveCurrentPresetFromValueTreeToDisk ("Beta", true));
    ASSERT_TRUE (processor.saveCurrentPresetFromValueTreeToDisk ("Alpha", true));
    const auto userNames = processor.getAllUserPresetNames();
    ASSERT_EQ (userNames.size(), 2);
    const int alpha = userNames.indexOf ("Alpha");
    EXPECT_EQ (tickedIDs (panel.createSettingsPopupMenu()), (std::set<int> { 200 + alpha, 4 }));

    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE (describe (panel.createSettingsPopupMenu()).contains ("  " + juce::String (200 + i) + " " + userNames[i]
                                                                           + (i == alpha ? " (ticked)" : ""))) << i;

    // The list is read again at each opening; "Beta" may now hold Alpha's place.
    ASSERT_TRUE (presets.getFolder().getChildFile ("Alpha.qzp").deleteFile());
    EXPECT_EQ (tickedIDs (panel.createSettingsPopupMenu()), (std::set<int> { 4 }));

    processor.setCurrentColourSchemeBrightness (0.0f);
    processor.setEditorHeight (processor.getDefaultEditorHeight() + 1);
    const auto menu = describe (panel.createSettingsPopupMenu());
    EXPECT_EQ (menu[0], "1 Resize To Default");
    EXPECT_TRUE (menu.contains ("  3 Classic Dark (disabled) (ticked)"));
    EXPECT_TRUE (menu.contains ("  4 Bright Eyes"));
}

TEST (SettingsMenu, EachResultReachesItsOperationAndEveryResultClosesTheMenu)
{
    ScopedPresetsFolder presets;

    using Step = std::function<void (EditorSession&)>;
    const Step nothing = [] (EditorSession&) {};

    struct Row
    {
        int result;
        Step before, check;
    };

    const Row rows[] = {
        { 1,   [] (EditorSession& s) { s.processor.setEditorHeight (700); s.editor->updateEditorSize(); },
               [] (EditorSession& s) { EXPECT_EQ (s.editor->getHeight(), s.processor.getDefaultEditorHeight()); } },
        { 2,   nothing, [] (EditorSession& s) { EXPECT_TRUE (infoScreen (s.panel()).isVisible()); } },
        { 3,   nothing, [] (EditorSession& s) { EXPECT_EQ (s.processor.getCurrentColourSchemeBrightness(), 0.0f); } },
        { 4,   [] (EditorSession& s) { s.processor.setCurrentColourSchemeBrightness (0.0f); },
               [] (EditorSession& s) { EXPECT_EQ (s.processor.getCurrentColourSchemeBrightness(), 0.3f); } },
        { 5,   nothing, [] (EditorSession& s) { EXPECT_TRUE (saveDialog (s.panel()).isVisible()); } },
        { 100, [] (EditorSession& s) { s.processor.loadFactoryPresetUndoableWithID (3); },
               [] (EditorSession& s) { EXPECT_TRUE (s.processor.currentPresetIsFactory());
                                       EXPECT_EQ (s.processor.getCurrentPresetID(), 0); } },
        { 200, [] (EditorSession& s) { ASSERT_TRUE (s.processor.saveCurrentPresetFromValueTreeToDisk ("Alpha", true));
                                       s.processor.loadFactoryPresetUndoableWithID (3); },
               [] (EditorSession& s) { EXPECT_FALSE (s.processor.currentPresetIsFactory());
                                       EXPECT_EQ (s.processor.getCurrentPresetName(), "Alpha"); } },
    };

    const auto deliver = [] (EditorSession& s, int result)
    {
        s.panel().setSettingsPopupMenuIsActive (true);
        PopupCallbackReceiver (&s.panel()).modalStateFinished (result);
        EXPECT_FALSE (s.panel().getSettingsPopupMenuIsActive());
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.result);
        EditorSession session;
        session.open();
        row.before (session);
        deliver (session, row.result);
        row.check (session);
    }

    // 0 (closed without a choice), the title's -1 and ids that name nothing only close it.
    EditorSession session;
    session.open();
    session.processor.setParamAndNotifyHost ("StereoWidth", 0.8f, true);
    const auto before = stateOf (session);

    for (const int result : { 0, -1, 7, 99 })
    {
        SCOPED_TRACE (result);
        deliver (session, result);
        EXPECT_EQ (stateOf (session), before);
    }
}

// 6 shows the presets folder in the file manager: the opener, started by the host itself
// and not by a copy of it, gets the folder as one argument whatever its name holds, and no
// shell runs it. When nothing could open it the info line says so and names the folder, and
// every process started for it is collected.
TEST (SettingsMenu, RevealHandsTheFolderToTheOpenerAsOneArgumentAndSaysWhenNothingOpenedIt)
{
    ScopedPresetsFolder presets ("p$(echo>pwned1) `echo>pwned2` \"q\" 'r' & s");
    const auto folder = presets.getFolder().getFullPathName();
    const auto asArguments = [] (juce::StringArray arguments)
    {
        return juce::String ((int) ::getpid()) + "\n" + juce::String (arguments.size()) + "\n" + arguments.joinIntoString ("\n") + "\n";
    };
    const juce::String failed = "REVEAL: ERROR, presets folder could NOT be opened ! ";

    // The answer may also come after the host has closed the editor: it must touch nothing
    // then (run by ./build.sh asan too). A host that ignores SIGCHLD leaves no exit status
    // to read; a relative folder on the search path is never looked in.
    enum Setting { plain, editorClosedFirst, childSignalsIgnored, relativeSearchPath };
    const struct { const char* name; int xdgOpen, gio; bool saysFailed; Setting setting; } rows[] = {
        { "xdg-open opens it",               0, -1, false, plain },
        { "xdg-open can't, gio opens it",    3,  0, false, plain },
        { "neither can",                     4,  2, true,  plain },
        { "none is installed",              -1, -1, true,  plain },
        { "neither can, editor closed",      4,  2, true,  editorClosedFirst },
        { "xdg-open can't, SIGCHLD ignored", 4, -1, true,  childSignalsIgnored },
        { "only on a relative search path",  0, -1, true,  relativeSearchPath },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        ScopedFakeOpeners openers (row.xdgOpen, row.gio);
        EditorSession session;
        session.open();

        // The failure message is pinned for a few seconds of the panel's clock, which stands
        // still here.
        const auto start = juce::Time::getCurrentTime();
        session.panel().setTimeSource ([start] { return start; });
        session.processor.getFolderOpener().setSearchPath ((row.setting == relativeSearchPath
                                                              ? openers.getFolder().getRelativePathFrom (juce::File::getCurrentWorkingDirectory())
                                                              : openers.getFolder().getFullPathName()).toStdString());
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;

        if (row.setting == childSignalsIgnored)
            ::sigaction (SIGCHLD, &ignore, &previous);

        PopupCallbackReceiver (&session.panel()).modalStateFinished (6);

        if (row.setting == editorClosedFirst)
            session.close();

        // With SIGCHLD ignored the kernel collects the opener before the host hears of it.
        const auto answered = [&]
        {
            return row.setting == childSignalsIgnored ? infoLine (session.panel()).getText().startsWith (failed)
                                                      : ! hasChildProcesses();
        };

        for (int i = 0; i < 1000 && ! answered(); ++i)
        {
            juce::Thread::sleep (10);
            pumpMessages();
        }

        if (row.setting == childSignalsIgnored)
            ::sigaction (SIGCHLD, &previous, nullptr);

        EXPECT_FALSE (hasChildProcesses()) << "a process was left uncollected";
        const bool ran = row.xdgOpen >= 0 && row.setting != relativeSearchPath;
        EXPECT_EQ (openers.argumentsOf ("xdg-open"), ran ? asArguments ({ folder }) : "");
        EXPECT_EQ (openers.argumentsOf ("gio"), row.gio < 0 ? "" : asArguments ({ "open", folder }));
        if (session.editor != nullptr)
        {
            // This folder's own name is too long for the line: all leading folders are left out.
            const auto text = infoLine (session.panel()).getText();
            EXPECT_EQ (text.startsWith (failed), row.saysFailed);
            EXPECT_EQ (text == failed + ".../" + presets.getFolder().getFileName(), row.saysFailed) << text;
        }
    }

    for (const char* injected : { "pwned1", "pwned2" })
        EXPECT_FALSE (juce::File::getCurrentWorkingDirectory().getChildFile (injected).exists()) << "a shell ran the name";
}

TEST (SettingsMenu, ARevealedFolderIsShownFromTheHomeFolderAndLosesLeadingFoldersFirst)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const juce::File outside ("/srv/audio/Orvelin Presets");

    const struct { juce::File folder; int room; const char* shown; } rows[] = {
        { outside,                                  26, "/srv/audio/Orvelin Presets" },
        { outside,                                  25, ".../audio/Orvelin Presets" },
        { outside,                                   5, ".../Orvelin Presets" },
        { home.getChildFile ("a/Orvelin Presets"),  80, "~/a/Orvelin Presets" },
    };

    for (const auto& row : rows)
        EXPECT_EQ (fitPath (row.folder, [&] (const juce::String& shown) { return shown.length() <= row.room; }), row.shown) << row.room;
}

TEST (SettingsMenu, TheMouseOverAnyOfJucesMenuWindowsCountsAsOnTheMenu)
{
    EditorSession session;
    auto& editor = session.open();
    putOnScreen (editor);
    auto& panel = session.panel();

    // Opened far from the editor, where JUCE puts it: at the mouse. A JUCE window keeps the
    // focus, or the menu closes itself within milliseconds.
    button (panel, "MONO").grabKeyboardFocus();
    moveMouseTo ({ 1500, 100 });
    panel.createAndShowSettingsPopupMenu();
    pumpMessages();

    EXPECT_TRUE (panel.getSettingsPopupMenuIsActive());
    EXPECT_EQ (infoLine (panel).getText(), "choose from popup menu ...");
    ASSERT_EQ (menuWindowsShown().size(), 1u);
    auto* menuWindow = menuWindowsShown().front();
    renderAndKeep (*menuWindow, "settings-menu");

    // An item row of the menu, the panel, and a spot of the screen without a JUCE window.
    const auto menuBounds = menuWindow->getScreenBounds();
    moveMouseTo (menuBounds.getCentre());
    EXPECT_TRUE (panel.componentUnderMouseIsOK());

    moveMouseTo (editor.getScreenBounds().getCentre());
    EXPECT_FALSE (panel.componentUnderMouseIsOK());

    ASSERT_FALSE (menuBounds.contains (5, 1070));
    moveMouseTo ({ 5, 1070 });
    EXPECT_FALSE (panel.componentUnderMouseIsOK());

    // Closing it from outside delivers 0, which clears the flag.
    juce::PopupMenu::dismissAllActiveMenus();
    pumpMessages();
    EXPECT_FALSE (panel.getSettingsPopupMenuIsActive());
}

// Instances of the plug-in share the host's process, and JUCE's list of open menus.
TEST (SettingsMenu, AnEditorClosesItsOwnMenuAndNoOtherInstancesMenu)
{
    struct Way
    {
        const char* what;
        std::function<void (EditorSession&)> closeMenu;
    };

    const Way ways[] = {
        { "the host closes the editor", [] (EditorSession& s) { s.close(); } },
        { "the pointer has left the menu", [] (EditorSession& s)
          {
              const auto later = juce::Time::getCurrentTime() + juce::RelativeTime::seconds (2.0);
              s.panel().setTimeSource ([later] { return later; });
              moveMouseTo ({ 5, 1070 });
              s.panel().timerCallback();
          } },
    };

    for (const auto& way : ways)
    {
        SCOPED_TRACE (way.what);
        EditorSession first, second;
        putOnScreen (first.open());
        putOnScreen (second.open());

        // An open JUCE menu closes itself once no JUCE window of the process has the focus.
        button (second.panel(), "MONO").grabKeyboardFocus();

        // Each panel closes its menu a second after opening it unless the pointer rests on
        // one, and a run under a sanitizer can take that long here: their clocks stand still
        // until a way moves one on.
        const auto opened = juce::Time::getCurrentTime();

        for (auto* session : { &first, &second })
            session->panel().setTimeSource ([opened] { return opened; });

        moveMouseTo ({ 1500, 100 });
        first.panel().createAndShowSettingsPopupMenu();
        moveMouseTo ({ 1100, 100 });
        second.panel().createAndShowSettingsPopupMenu();
        pumpMessages();
        ASSERT_EQ (menuWindowsShown().size(), 2u);

        way.closeMenu (first);
        pumpMessages();

        EXPECT_EQ (menuWindowsShown().size(), 1u);
        EXPECT_TRUE (second.panel().getSettingsPopupMenuIsActive());

        if (first.editor != nullptr)
        {
            EXPECT_FALSE (first.panel().getSettingsPopupMenuIsActive());
        }

        second.close();
        pumpMessages();
        EXPECT_TRUE (menuWindowsShown().empty());
    }
}

// Run by ./build.sh asan too: a result that reached the destroyed panel would be reported.
TEST (SettingsMenu, AResultArrivingAfterTheEditorIsGoneTouchesNothing)
{
    EditorSession session;
    putOnScreen (session.open());
    session.panel().createAndShowSettingsPopupMenu();
    pumpMessages();
    ASSERT_FALSE (menuWindowsShown().empty());

    // As a host closes the window: the panel closes the menu, and JUCE delivers the
    // menu's 0 afterwards, when the panel is gone. Other results may come just as late.
    auto lateReceiver = std::make_unique<PopupCallbackReceiver> (&session.panel());
    session.close();
    pumpMessages();
    EXPECT_TRUE (menuWindowsShown().empty());

    for (const int result : { 0, 1, 2, 3, 5, 100, 200 })
        lateReceiver->modalStateFinished (result);

    EXPECT_EQ (session.processor.getCurrentColourSchemeBrightness(), 0.3f);
    EXPECT_TRUE (session.processor.currentPresetIsFactory());
}

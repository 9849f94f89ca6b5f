// The save-preset dialog: what it proposes, what can be typed, its keys and buttons, the
// file a save leaves behind and the message the panel shows, and its layout.

#include "helpers/PresetTestHelpers.h"
#include "helpers/editor/PanelDialogs.h"
#include "helpers/editor/WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace orvelin::test;

namespace
{
    // An open editor on the screen whose current preset is "Wide Drums", modified.
    struct ModifiedPresetSession
    {
        ModifiedPresetSession()
        {
            putOnScreen (session.open());
            session.processor.setCurrentPresetNameUndoable ("Wide Drums");
            session.processor.setParamAndNotifyHost ("StereoWidth", 0.8f, true);
        }

        ManagePresetsComponent& openDialog()
        {
            panel().showManagePresetsComponent();
            pumpMessages();
            return saveDialog (panel());
        }

        MainEditorComponent& panel() { return session.panel(); }

        EditorSession session;
    };

    void press (juce::TextEditor& field, const juce::KeyPress& key)
    {
        field.keyPressed (key);
        pumpMessages();
    }

    void type (juce::TextEditor& field, juce::juce_wchar character)
    {
        press (field, juce::KeyPress ((int) character, juce::ModifierKeys(), character));
    }
}

TEST (SaveDialog, ProposesTheNameWithoutItsMarkRefusesBadTypingAndEscapeRestoresIt)
{
    ModifiedPresetSession s;
    ASSERT_EQ (s.session.processor.getProgramName (0), "Wide Drums*");

    auto& dialog = s.openDialog();
    auto& field = nameField (dialog);

    EXPECT_TRUE (dialog.isVisible());
    EXPECT_FALSE (saveButton (s.panel()).isVisible());   // the panel hides what the dialog would cover
    EXPECT_EQ (field.getText(), "Wide Drums");
    EXPECT_EQ (field.getHighlightedRegion(), juce::Range<int> (0, 10));
    EXPECT_TRUE (field.hasKeyboardFocus (false));

    // Typed one by one after the name: "/" is not a preset-name character, and the 40th
    // character is one too many.
    field.moveCaretToEnd();
    type (field, '/');
    EXPECT_EQ (field.getText(), "Wide Drums");

    while (field.getTotalNumChars() < 39)
        type (field, 'x');

    type (field, 'y');
    EXPECT_EQ (field.getText(), "Wide Drums" + juce::String::repeatedString ("x", 29));

    press (field, juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_TRUE (dialog.isVisible());
    EXPECT_EQ (field.getText(), "Wide Drums");
    EXPECT_EQ (field.getHighlightedRegion(), juce::Range<int> (0, 10));
    EXPECT_TRUE (field.hasKeyboardFocus (false));
}

TEST (SaveDialog, ReturnWithAnEmptyFieldSavesUnderTheProposedNameForEveryInstanceToSee)
{
    ScopedPresetsFolder presets;
    ModifiedPresetSession s;
    auto& field = nameField (s.openDialog());

    field.selectAll();
    press (field, juce::KeyPress (juce::KeyPress::backspaceKey));
    ASSERT_TRUE (field.isEmpty());
    press (field, juce::KeyPress (juce::KeyPress::returnKey));

    EXPECT_TRUE (presets.getFolder().getChildFile ("Wide Drums.qzp").existsAsFile());
    EXPECT_TRUE (OrvelinAudioProcessor().getAllUserPresetNames().contains ("Wide Drums"));

    // The panel shows the saved preset's name, no longer modified.
    auto& panel = s.panel();
    EXPECT_EQ (label (panel, "Preset Name Label").getText(), "Wide Drums");
    EXPECT_FALSE (saveDialog (panel).isVisible());
    EXPECT_TRUE (saveButton (panel).isVisible());
    EXPECT_EQ (infoLine (panel).getText(), "SAVE: OK, user preset was saved !");
}

TEST (SaveDialog, CancelSavesNothingAndAFailedOrRefusedSaveIsReportedAsAnError)
{
    ScopedPresetsFolder presets;
    ModifiedPresetSession s;
    const auto folder = presets.getFolder();

    click (dialogCancelButton (s.openDialog()));
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles), 0);
    EXPECT_FALSE (saveDialog (s.panel()).isVisible());
    EXPECT_TRUE (saveButton (s.panel()).isVisible());
    EXPECT_EQ (infoLine (s.panel()).getText(), "CANCEL: preset was NOT saved ...");

    struct Case
    {
        const char* what;
        std::function<void()> breakTheSave;
    };

    const Case cases[] = {
        // A file in the folder's place: no permission bits involved, so this fails as root too.
        { "folder that cannot be written", [&] { ASSERT_TRUE (folder.deleteRecursively()); ASSERT_TRUE (folder.create()); } },
        // Only marks: nothing is left of the name once they are gone.
        { "name of marks only", [&] { s.session.processor.setCurrentPresetNameUndoable ("***"); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        c.breakTheSave();
        s.session.processor.setParamAndNotifyHost ("StereoWidth", 0.3f, true);

        click (dialogSaveButton (s.openDialog()));
        EXPECT_FALSE (saveDialog (s.panel()).isVisible());
        EXPECT_EQ (infoLine (s.panel()).getText(), "SAVE: ERROR, preset was NOT saved !");

        folder.deleteFile();
        folder.createDirectory();
    }

    EXPECT_TRUE (s.session.processor.getAllUserPresetNames().isEmpty());
}

TEST (SaveDialog, UnderTheInfoScreenTheNameFieldTakesNoKeys)
{
    ScopedPresetsFolder presets;
    ModifiedPresetSession s;
    auto& panel = s.panel();
    auto& field = nameField (s.openDialog());
    auto* window = s.session.editor->getPeer();
    ASSERT_NE (window, nullptr);

    // Keys as the window hands them on: to whatever has the keyboard focus.
    const auto pressKeys = [window] (std::initializer_list<juce::KeyPress> keys)
    {
        for (const auto& key : keys)
            window->handleKeyPress (key);

        pumpMessages();
    };

    // The title shows the info screen over the open dialog: typing and Return do nothing.
    panel.mouseDown (makeMouseEvent (label (panel, "Title Label"), {}, juce::ModifierKeys::leftButtonModifier, {}));
    ASSERT_TRUE (infoScreen (panel).isVisible());
    pressKeys ({ juce::KeyPress ('x', {}, 'x'), juce::KeyPress (juce::KeyPress::returnKey) });

    EXPECT_EQ (field.getText(), "Wide Drums");
    EXPECT_FALSE (presets.getFolder().getChildFile ("Wide Drums.qzp").exists());
    EXPECT_NE (infoLine (panel).getText(), "SAVE: OK, user preset was saved !");

    // Tab and Shift-Tab cycle through the screen's own controls, never to what it covers.
    for (const auto shift : { juce::ModifierKeys(), juce::ModifierKeys (juce::ModifierKeys::shiftModifier) })
        for (int i = 0; i < 8; ++i)
        {
            pressKeys ({ juce::KeyPress (juce::KeyPress::tabKey, shift, 0) });
            const auto* focused = juce::Component::getCurrentlyFocusedComponent();
            ASSERT_TRUE (infoScreen (panel).isParentOf (focused)) << (focused != nullptr ? focused->getName() : "nothing");
        }

    // Once the screen is closed the field has the keys again.
    click (*infoScreen (panel).getChildComponent (2));
    EXPECT_TRUE (field.hasKeyboardFocus (false));
    pressKeys ({ juce::KeyPress (juce::KeyPress::returnKey) });
    EXPECT_TRUE (presets.getFolder().getChildFile ("Wide Drums.qzp").existsAsFile());
}

TEST (SaveDialog, LaysOutTheWorkedExampleAt600By400)
{
    EditorSession session;
    session.processor.setEditorHeight (1000);
    session.open();
    session.panel().showManagePresetsComponent();

    auto& dialog = saveDialog (session.panel());
    auto& field = nameField (dialog);
    ASSERT_EQ (dialog.getBounds(), juce::Rectangle<int> (450, 160, 600, 400));

    EXPECT_EQ (field.getFont().getHeight(), 56.0f);
    EXPECT_EQ (field.getBounds(), juce::Rectangle<int> (30, 100, 540, 88));
    EXPECT_EQ (dialogSaveButton (dialog).getBounds(), juce::Rectangle<int> (30, 280, 255, 80));
    EXPECT_EQ (dialogCancelButton (dialog).getBounds(), juce::Rectangle<int> (315, 280, 255, 80));

    // Black with a rounded corner of 10, the inner panel 20 in (white at 0.1 over black),
    // and the caption in dark grey from (30, 24), above the field.
    renderAndKeep (session.panel(), "save-dialog-in-panel");
    const auto image = renderAndKeep (dialog, "save-dialog-600x400");
    EXPECT_EQ (image.getPixelAt (1, 1).getAlpha(), 0);
    EXPECT_TRUE (isNear (image.getPixelAt (19, 200), juce::Colours::black, 0)) << describe (image.getPixelAt (19, 200));
    EXPECT_TRUE (isNear (image.getPixelAt (21, 200), juce::Colour (0xff1a1a1a), 2)) << describe (image.getPixelAt (21, 200));

    const auto caption = juce::Rectangle<int> (0, 0, 600, 100);
    EXPECT_EQ (countPixelsNear (image, caption.withRight (30), juce::Colours::darkgrey, 20), 0);
    EXPECT_EQ (countPixelsNear (image, caption.withBottom (24), juce::Colours::darkgrey, 20), 0);
    EXPECT_GT (countPixelsNear (image, { 30, 24, 540, 76 }, juce::Colours::darkgrey, 20), 100);
}

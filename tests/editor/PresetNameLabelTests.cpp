// The preset-name label's editor: the modified marker goes, the whole name is selected,
// and only allowed characters up to the length limit can be typed.

#include "helpers/editor/WidgetTestSupport.h"

#include "widgets/DvxPresetNameLabel.h"
#include "processor/OrvelinAudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
    // The processor's own set, so the label is tested with what the panel will pass it.
    juce::String allowedCharacters()
    {
        static const juce::String chars = []
        {
            OrvelinAudioProcessor processor;
            return processor.getAllowedCharsForPresetNames();
        }();

        return chars;
    }

    struct LabelListener : juce::Label::Listener
    {
        void labelTextChanged (juce::Label*) override {}
        void editorShown (juce::Label*, juce::TextEditor& editor) override
        {
            ++shown;
            textWhenShown = editor.getText();
        }

        int shown = 0;
        juce::String textWhenShown;
    };

    // The label sits in a small window on the (virtual) screen: its editor takes the
    // keyboard focus when it opens, and only a showing component can have it.
    struct LabelFixture
    {
        explicit LabelFixture (const juce::String& text)
            : label (39, "Preset Name Label", "insert your preset name here", allowedCharacters())
        {
            label.setEditable (false, true, false);
            label.setBounds (0, 0, 300, 30);
            label.setText (text, juce::dontSendNotification);
            label.addListener (&listener);

            window.setBounds (100, 100, 300, 30);
            window.addAndMakeVisible (label);
            window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
            window.setVisible (true);
        }

        ~LabelFixture()
        {
            label.hideEditor (true);
            label.removeListener (&listener);
            window.removeFromDesktop();
        }

        juce::TextEditor& open()
        {
            label.showEditor();
            auto* editor = label.getCurrentTextEditor();
            EXPECT_NE (editor, nullptr);
            return *editor;
        }

        juce::Component window;
        DvxPresetNameLabel label;
        LabelListener listener;
    };

    #define SKIP_WITHOUT_DISPLAY() \
        if (! orvelin::test::hasDisplay()) \
            GTEST_SKIP() << "the label's editor needs a window on a display"

}

TEST (PresetNameLabel, OpeningTheEditorDropsTheMarkerAndSelectsTheName)
{
    SKIP_WITHOUT_DISPLAY();

    LabelFixture f ("My Preset*");
    auto& editor = f.open();

    EXPECT_EQ (editor.getText(), "My Preset");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 9));

    // Listeners heard about the editor first, while it still held the shown text.
    EXPECT_EQ (f.listener.shown, 1);
    EXPECT_EQ (f.listener.textWhenShown, "My Preset*");

    // Typing replaces the selected name.
    editor.insertTextAtCaret ("Club Mix");
    EXPECT_EQ (editor.getText(), "Club Mix");
    f.label.hideEditor (true);
}

TEST (PresetNameLabel, TypingIsLimitedToAllowedCharactersAndLength)
{
    SKIP_WITHOUT_DISPLAY();

    EXPECT_EQ (allowedCharacters(), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _-!+#%&");

    struct Case { const char* typed; const char* kept; };

    const Case cases[] = {
        { "Bass*Boost",           "BassBoost" },
        { "a/b\\c:d.e",           "abcde" },
        { "Wide & Loud #1 +3%",   "Wide & Loud #1 +3%" },
        { "tab\there",            "tabhere" },
        { "\xc3\xa9t\xc3\xa9",    "t" },                    // accented letters are refused
        { "(x)[y]{z}'\"?@$=~",    "xyz" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.typed);
        LabelFixture f ("Old*");
        auto& editor = f.open();
        editor.insertTextAtCaret (juce::String::fromUTF8 (c.typed));
        EXPECT_EQ (editor.getText(), juce::String::fromUTF8 (c.kept));
        f.label.hideEditor (true);
    }

    LabelFixture f ("x");
    auto& editor = f.open();
    editor.insertTextAtCaret (juce::String::repeatedString ("abcdefghij", 5));
    EXPECT_EQ (editor.getText().length(), 39);
    f.label.hideEditor (true);
}

TEST (PresetNameLabel, ExistingTextIsShownUnfiltered)
{
    SKIP_WITHOUT_DISPLAY();

    // Only new typing is limited: a name that already breaks the rules is shown as it is,
    // without its stars.
    const auto longName = juce::String::repeatedString ("n", 45) + "/*";
    LabelFixture f (longName);
    auto& editor = f.open();

    EXPECT_EQ (editor.getText(), juce::String::repeatedString ("n", 45) + "/");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 46));
    f.label.hideEditor (true);
}

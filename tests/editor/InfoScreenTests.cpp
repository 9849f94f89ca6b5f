// The info screen: its command buttons and what they do, the values it paints, and the
// texts it writes for each JUCE 7 wrapper type.

#include "helpers/PresetTestHelpers.h"
#include "helpers/editor/PanelDialogs.h"
#include "helpers/editor/WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace orvelin::test;

namespace
{
    // The screen's children: the upper and lower text, then CLOSE, RESIZE TO DEFAULT,
    // SET CURRENT AS DEFAULT, RESET DEFAULT SIZE and CLEAR UNDO HISTORY.
    enum Child { upperText, lowerText, closeButton, resizeButton, setDefaultButton, resetButton, clearUndoButton };

    juce::Component& child (InfoComponent& screen, Child which) { return *screen.getChildComponent (which); }

    juce::String textOf (InfoComponent& screen, Child which)
    {
        return dynamic_cast<juce::TextEditor&> (child (screen, which)).getText();
    }

    // Which of RESIZE TO DEFAULT, SET CURRENT AS DEFAULT, RESET DEFAULT SIZE and CLEAR
    // UNDO HISTORY are enabled, as four 0s and 1s.
    std::string enabledButtons (InfoComponent& screen)
    {
        std::string states;

        for (const auto which : { resizeButton, setDefaultButton, resetButton, clearUndoButton })
            states += child (screen, which).isEnabled() ? '1' : '0';

        return states;
    }

    void setEditorHeight (EditorSession& s, int newHeight)
    {
        s.processor.setEditorHeight (newHeight);
        s.editor->updateEditorSize();
    }
}

TEST (InfoScreen, ButtonsFollowTheSizesAndTheUndoHistoryAndActOnThem)
{
    ScopedPropertiesFileRestorer properties;
    EditorSession session;
    session.open();
    auto& panel = session.panel();
    auto& screen = infoScreen (panel);
    panel.showInfoComponent();

    ASSERT_EQ (session.processor.getDefaultEditorDesktopHeightRatio(), 0.5f);
    const int defaultHeight = session.processor.getDefaultEditorHeight();
    ASSERT_NE (defaultHeight, 600);

    EXPECT_EQ (enabledButtons (screen), "0000");
    EXPECT_TRUE (child (screen, closeButton).isEnabled());

    // Sized as the resize corner or a host sizes it, which the processor learns from the
    // editor: the screen, still showing, follows at once.
    session.editor->setSize (900, 600);
    EXPECT_EQ (enabledButtons (screen), "1100");

    click (child (screen, setDefaultButton));
    EXPECT_EQ (session.processor.getDefaultEditorHeight(), 600);
    EXPECT_EQ (screen.getPaintedValues().defaultSize, "900,600");
    EXPECT_EQ (enabledButtons (screen), "0010");

    click (child (screen, resetButton));
    EXPECT_EQ (session.processor.getDefaultEditorDesktopHeightRatio(), 0.5f);
    EXPECT_EQ (enabledButtons (screen), "1100");

    click (child (screen, resizeButton));
    EXPECT_EQ (session.editor->getHeight(), defaultHeight);
    EXPECT_EQ (enabledButtons (screen), "0000");

    // The panel's undo refresh reaches the screen; clearing the history disables UNDO too.
    session.processor.setParamAndNotifyHost ("StereoWidth", 0.8f, true);
    panel.updateUndoButtons();
    EXPECT_EQ (enabledButtons (screen), "0001");
    auto& undoButton = button (panel, "UNDO");
    EXPECT_TRUE (undoButton.isEnabled());

    click (child (screen, clearUndoButton));
    EXPECT_FALSE (session.processor.canUndoOrRedo());
    EXPECT_EQ (enabledButtons (screen), "0000");
    EXPECT_FALSE (undoButton.isEnabled());

    click (child (screen, closeButton));
    EXPECT_FALSE (screen.isVisible());
}

TEST (InfoScreen, PaintsTheSizesRoundedHalfToEvenAndWhatItRunsIn)
{
    EditorSession session;
    session.open();
    auto& screen = infoScreen (session.panel());

    for (const auto& [height, text] : { std::pair { 601, "902,601" }, std::pair { 603, "904,603" } })
    {
        setEditorHeight (session, height);
        EXPECT_EQ (screen.getPaintedValues().currentSize, text);
    }

    const auto values = screen.getPaintedValues();
    EXPECT_EQ (values.sampleRate, "(unknown)");
    EXPECT_EQ (values.hostName, "Unknown");   // a test program is no host the table knows
    EXPECT_EQ (values.channels, "2 / 2");

    // A hand-edited ratio in the properties file makes the default height the largest int;
    // 1.5 times it is still written as the number it is.
    ScopedPropertiesFileRestorer properties;
    writePropertyToDisk ("DefaultEditorDesktopHeightRatio", "1e7");
    EditorSession edited;
    edited.open();
    EXPECT_EQ (infoScreen (edited.panel()).getPaintedValues().defaultSize, "3221225472,2147483647");
}

TEST (InfoScreen, TextsNameTheFormatOfEachJuce7WrapperType)
{
    using P = juce::AudioProcessor;

    struct Row
    {
        P::WrapperType type;
        const char* word;
        const char* line;
    };

    const Row rows[] = {
        { P::wrapperType_Undefined,   "",    "" },
        { P::wrapperType_VST,         "VST", "VST Plugin Technology by Steinberg" },
        { P::wrapperType_VST3,        "VST", "VST Plugin Technology by Steinberg" },
        { P::wrapperType_AudioUnit,   "AU",  "Audio Unit Plugin" },
        { P::wrapperType_AudioUnitv3, "AU",  "Audio Unit Plugin" },
        { P::wrapperType_AAX,         "AAX", "AAX Plugin for Pro Tools" },
        { P::wrapperType_Standalone,  "",    "" },
        { P::wrapperType_Unity,       "",    "" },
        { P::wrapperType_LV2,         "",    "" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (P::getWrapperTypeDescription (row.type));

        // The processor takes the wrapper type JUCE's client names just before making it.
        P::setTypeOfNextNewPlugin (row.type);
        EditorSession session;
        P::setTypeOfNextNewPlugin (P::wrapperType_Undefined);
        ASSERT_EQ (session.processor.wrapperType, row.type);

        session.open();
        auto& screen = infoScreen (session.panel());
        const auto upper = juce::StringArray::fromLines (textOf (screen, upperText));
        const auto lower = juce::StringArray::fromLines (textOf (screen, lowerText));
        const juce::String word (row.word);

        EXPECT_EQ (upper[0], "Orvelin v1.1" + (word.isEmpty() ? juce::String() : " (" + word + " 64bit)"));
        EXPECT_EQ (upper.size(), 9);
        EXPECT_EQ (lower.size(), word.isEmpty() ? 2 : 3);
        EXPECT_EQ (lower[0], "(c) Velmora, Nordvale - licence: GPL-3.0-or-later");   // as LICENSE says
        EXPECT_EQ (lower[1], word.isEmpty() ? juce::String ("( built on: " __DATE__ " )") : juce::String (row.line));
        EXPECT_EQ (lower[lower.size() - 1], "( built on: " __DATE__ " )");

        // The maker's addresses are invented ones, under the reserved example.com.
        for (const auto& line : upper)
        {
            if (line.contains ("://"))
            {
                EXPECT_TRUE (line.fromFirstOccurrenceOf ("://", false, false).upToFirstOccurrenceOf ("/", false, false)
                                 .endsWith ("example.com")) << line;
            }
        }

        if (row.type == P::wrapperType_VST3)
        {
            session.panel().showInfoComponent();
            const auto image = renderAndKeep (screen, "info-screen-vst3");
            EXPECT_TRUE (isNear (image.getPixelAt (2, 2), juce::Colour (0xff086fa1), 0));
            // Inside the grey panel, left of the texts.
            EXPECT_TRUE (isNear (pixelAt (image, 0.21f * (float) image.getWidth(), 0.5f * (float) image.getHeight()),
                                 juce::Colours::lightgrey, 0));
        }
    }
}

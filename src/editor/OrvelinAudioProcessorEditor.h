#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class DvxLayoutManager;
class DvxQzLookAndFeelV1;
class MainEditorComponent;
class OrvelinAudioProcessor;
class ResizerForEditor;

// The plug-in's editor: a thin shell around the main panel. It owns the look and feel,
// the layout manager, the display font, the panel and the resize corner, keeps the
// window at the aspect ratio 1.5, tells the processor every new height, and hands the
// processor's peak records to the panel's meters every 70 ms.
class OrvelinAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::Timer
{
public:
    explicit OrvelinAudioProcessorEditor (OrvelinAudioProcessor* processor);
    ~OrvelinAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;

    DvxLayoutManager* getLayoutManager() const noexcept { return layoutManager.get(); }

    // The editor's own look and feel, for the panel's colour scheme and menus. This hides
    // juce::Component::getLookAndFeel, which is not virtual: only code that holds this
    // class reaches it, and both answer the same object while the editor lives.
    DvxQzLookAndFeelV1* getLookAndFeel() noexcept { return lookAndFeel.get(); }

    // Sizes the editor to the processor's stored height, outside the corner's limits too.
    void updateEditorSize();

    // The same after a host's restore, without telling the processor anything: a restore
    // from the host's thread may land meanwhile, and the height read before it must not
    // overwrite it.
    void followStoredEditorSize();

    //==============================================================================
    // The main display's full height, or 1080 pixels without a display or off the
    // message thread, so that no size derived from it is ever 0.
    static int getMainDisplayTotalHeight();

    // Corner drags keep the ratio 1.5 between 25 % and 80 % of the display's height.
    static void applyCornerLimits (juce::ComponentBoundsConstrainer&, int mainDisplayTotalHeight);

    // A stored height comes from a properties file or a host's project; one outside the
    // heights a state restore accepts would overflow the width or starve the layout.
    static int limitStoredHeight (int storedHeight) noexcept;

private:
    // Sets the bounds to editorHeight at the ratio 1.5.
    void applyEditorHeight();

    // Hides AudioProcessorEditor::processor, which holds the same object as its base class.
    OrvelinAudioProcessor* processor;
    std::unique_ptr<DvxLayoutManager> layoutManager;
    int editorHeight = 0;
    bool sizeFollowsProcessor = false;
    std::unique_ptr<juce::Font> font;
    std::unique_ptr<DvxQzLookAndFeelV1> lookAndFeel;
    std::unique_ptr<juce::ComponentBoundsConstrainer> constrainer;
    std::unique_ptr<ResizerForEditor> resizer;
    std::unique_ptr<MainEditorComponent> mainEditorComponent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvelinAudioProcessorEditor)
};

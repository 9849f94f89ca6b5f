#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editable preset name. When its editor opens it drops the modified marker "*",
// limits typing to the characters and length that preset names allow, and selects the
// whole name so that typing replaces it. Checking the result is the listener's job.
class DvxPresetNameLabel : public juce::Label
{
public:
    DvxPresetNameLabel (int maxLength, const juce::String& componentName,
                        const juce::String& initialText, const juce::String& allowedCharacters);
    ~DvxPresetNameLabel() override;

    // The longest preset name: the panel gives it to this label, the save dialog to its field.
    static constexpr int maximumPresetNameLength = 39;

protected:
    void editorShown (juce::TextEditor*) override;

private:
    int maxLength;
    juce::String allowedCharacters;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxPresetNameLabel)
};

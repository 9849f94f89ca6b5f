#include "widgets/DvxPresetNameLabel.h"

DvxPresetNameLabel::DvxPresetNameLabel (int maxLengthToUse, const juce::String& componentName,
                                        const juce::String& initialText, const juce::String& allowedCharactersToUse)
    : juce::Label (componentName, initialText),
      maxLength (maxLengthToUse),
      allowedCharacters (allowedCharactersToUse)
{
}

DvxPresetNameLabel::~DvxPresetNameLabel() = default;

void DvxPresetNameLabel::editorShown (juce::TextEditor* editor)
{
    juce::Label::editorShown (editor);

    if (editor == nullptr)
        return;

    // The shown name carries a trailing "*" while the preset is modified; it is not part
    // of the name. The cleaned text itself is not filtered: only new typing is limited.
    const auto cleaned = editor->getText().removeCharacters ("*");

    editor->setInputRestrictions (maxLength, allowedCharacters);
    editor->setText (cleaned, true);
    editor->setHighlightedRegion ({ 0, cleaned.length() });
}

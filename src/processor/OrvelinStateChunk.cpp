#include "processor/OrvelinStateChunk.h"
#include "processor/DvxSafeXmlReader.h"
#include "parameters/DvxStoredValues.h"
#include "processor/OrvelinCurrentPreset.h"
#include "processor/OrvelinEditorSettings.h"
#include "processor/OrvelinParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstring>
#include <optional>

namespace
{
    const char* const stateTag = "QZPLUGINSETTINGS";

    // The layout of AudioProcessor::copyXmlToBinary: a magic number, the text length, the
    // UTF-8 text and a zero byte.
    constexpr juce::uint32 xmlBlobMagicNumber = 0x21324356;

    // Our state is about a kilobyte; a blob far beyond that is not ours.
    constexpr int maxStateBlobBytes = 1 << 20;

    // The names come from hosts and from typing. A VST3 program name is at most 128 UTF-16
    // units and a VST2 one far less; no host shows a track name longer than a line. A
    // restore keeps this much and a save writes no more, so that whatever a restore takes
    // is saved within the restore's limit and reads back: each character written takes at
    // most 10 bytes ("&#1114111;"), so the names add at most 5 KB to a state.
    constexpr int maxNameLength = 256;
    static_assert (2 * maxNameLength * 10 + 4096 < maxStateBlobBytes);

    juce::String boundedName (const juce::String& name)
    {
        return DvxSafeXmlReader::withOnlyCharactersItCanCarry (name, maxNameLength);
    }

    // The element inside a blob of copyXmlToBinary's layout. The wrapper is checked here and
    // the text goes to the hardened reader, never to getXmlFromBinary: JUCE's parser
    // overflows the stack on deep nesting and on self-referencing entities. The text is read
    // as getXmlFromBinary reads it: at most the stored length, and up to its first zero byte.
    std::unique_ptr<juce::XmlElement> readStateElement (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes <= 8 || sizeInBytes > maxStateBlobBytes)
            return {};

        if (juce::ByteOrder::littleEndianInt (data) != xmlBlobMagicNumber)
            return {};

        const auto storedLength = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

        if (storedLength <= 0)
            return {};

        const auto* text = static_cast<const char*> (data) + 8;
        auto length = (size_t) juce::jmin (sizeInBytes - 8, storedLength);

        if (const auto* zero = static_cast<const char*> (std::memchr (text, 0, length)))
            length = (size_t) (zero - text);

        // Earlier builds wrote a host's name with a control character in it as "&#1;", which
        // XML can't carry; only that character is lost, not the whole state.
        return DvxSafeXmlReader::parse (text, length, DvxSafeXmlReader::generalLimits,
                                        DvxSafeXmlReader::UncarriableReferences::drop);
    }

    enum class NumberAttribute { missing, unusable, usable };

    // Unusable means present but not a finite number ("nan", "inf", garbage).
    NumberAttribute readNumberAttribute (const juce::XmlElement& xml, const juce::String& name, double& value)
    {
        if (! xml.hasAttribute (name))
            return NumberAttribute::missing;

        return DvxStoredValues::parseFiniteNumber (xml.getStringAttribute (name), value) ? NumberAttribute::usable
                                                                                        : NumberAttribute::unusable;
    }

    bool readEditorHeight (const juce::XmlElement& xml, const juce::String& name, int& height)
    {
        double value = 0.0;

        // A height outside the editor's range counts as missing (a negative or enormous
        // editor cannot be drawn).
        if (readNumberAttribute (xml, name, value) != NumberAttribute::usable
             || value < OrvelinEditorSettings::minimumEditorHeight || value > OrvelinEditorSettings::maximumEditorHeight)
            return false;

        height = (int) value;
        return true;
    }
}

//==============================================================================
OrvelinStateChunk::OrvelinStateChunk (OrvelinEditorSettings& settings, OrvelinCurrentPreset& preset)
    : editorSettings (settings), currentPreset (preset)
{
}

void OrvelinStateChunk::write (juce::MemoryBlock& destData) const
{
    // Name, flag and values from one moment, so that a preset loaded meanwhile on the
    // message thread is saved whole or not at all.
    const auto preset = currentPreset.getHostState();

    juce::XmlElement xml (stateTag);

    xml.setAttribute ("defaultEditorHeight", editorSettings.getDefaultEditorHeight());
    xml.setAttribute ("lastEditorHeight", editorSettings.getEditorHeight());
    xml.setAttribute ("colourSchemeBrightnessAsDouble", (double) editorSettings.getCurrentColourSchemeBrightness());
    // Names may come from a host and hold control characters, which XML cannot carry, or be
    // of any length; the blob must read back, so those characters and the excess are left out.
    xml.setAttribute ("programName", boundedName (preset.shownName));
    xml.setAttribute ("channelName", boundedName (editorSettings.getChannelName()));
    xml.setAttribute ("expertModeAsDouble", editorSettings.getExpertModeAsDouble());
    xml.setAttribute ("stepFactoryPresets", preset.isFactory ? 1 : 0);

    // Doubles are written with enough digits to give back the same float.
    for (size_t i = 0; i < OrvelinParameters::table.size() && i < preset.values.size(); ++i)
        xml.setAttribute (OrvelinParameters::table[i].name, (double) preset.values[i]);

    juce::AudioProcessor::copyXmlToBinary (xml, destData);
}

bool OrvelinStateChunk::restore (const void* data, int sizeInBytes)
{
    const auto xml = readStateElement (data, sizeInBytes);

    // Anything that is not our element changes nothing at all. An exact match: hasTagName()
    // ignores case (and asserts when that is what matched).
    if (xml == nullptr || xml->getTagName() != stateTag)
        return false;

    double number = 0.0;

    // Editor sizes. The editor applies its own limits only when the user drags.
    int height = 0;
    std::optional<int> restoredDefaultHeight, restoredEditorHeight;

    if (readEditorHeight (*xml, "defaultEditorHeight", height))
        restoredDefaultHeight = height;

    if (readEditorHeight (*xml, "lastEditorHeight", height))
        restoredEditorHeight = height;

    editorSettings.restoreEditorHeights (restoredDefaultHeight, restoredEditorHeight);

    // Brightness scales colours; keep it where they stay colours.
    float brightness = 0.0f;

    if (readNumberAttribute (*xml, "colourSchemeBrightnessAsDouble", number) == NumberAttribute::usable)
        brightness = (float) juce::jlimit (0.0, 1.0, number);

    editorSettings.setCurrentColourSchemeBrightness (brightness);

    if (xml->hasAttribute ("channelName"))
        editorSettings.setChannelName (boundedName (xml->getStringAttribute ("channelName")));

    // Only exactly 1.0 means on. Stored as 1.0 or 0.0, as the editor would store it: the
    // editor only reads what a restore left.
    editorSettings.setExpertMode (readNumberAttribute (*xml, "expertModeAsDouble", number) == NumberAttribute::usable
                                   && number == 1.0);

    // The shown name, with the "*" it had when the project was saved while modified.
    OrvelinCurrentPreset::HostState preset;
    preset.shownName = boundedName (xml->getStringAttribute ("programName", "(NO NAME)"));

    int stepFactoryPresets = -1;

    if (readNumberAttribute (*xml, "stepFactoryPresets", number) == NumberAttribute::usable)
        stepFactoryPresets = (int) juce::jlimit (-2.0e9, 2.0e9, number);

    preset.isFactory = stepFactoryPresets == 1;

    // A missing value is 0.0; one that is not a number falls back to the parameter's
    // default, and the rest are kept to the normalised range.
    for (const auto& row : OrvelinParameters::table)
    {
        float value = 0.0f;

        if (xml->hasAttribute (row.name))
            value = DvxStoredValues::readNormalisedValue (xml->getStringAttribute (row.name)).value_or (row.defaultValue);

        preset.values.push_back (value);
    }

    currentPreset.restoreHostState (preset, stepFactoryPresets != -1);
    return true;
}

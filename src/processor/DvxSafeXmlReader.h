#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <limits>
#include <memory>

// Reads XML that comes from outside the plug-in: preset files that anybody can drop into
// the presets folder, and state blobs that hosts hand back. JUCE's XmlDocument must never
// see such text: it recurses once per nesting level and expands DOCTYPE entities
// recursively, so a few hundred bytes can overflow the host's stack. This reader parses
// with expat, which does neither, and builds the juce::XmlElement from expat's events.
//
// It accepts well-formed UTF-8 XML of the shape juce::XmlElement writes: an optional XML
// declaration at the very start, elements and attributes with plain ASCII names
// ([A-Za-z_][A-Za-z0-9_.-]*), the predefined and numeric character references, whitespace
// and comments between elements. It refuses everything else, in particular any DOCTYPE
// (and so every entity declaration), processing instructions, text content (a ValueTree
// has no place for it), nesting deeper than maxNestingDepth, and more elements or
// attributes than the limits below.
class DvxSafeXmlReader
{
public:
    // Ours are two levels deep; this leaves room without letting a document go deep.
    static constexpr int maxNestingDepth = 16;

    // juce::XmlElement adds each child and attribute by walking the ones before it, so a
    // megabyte of tiny elements or attributes would take tens of seconds to build; these
    // keep every document cheap. A reader of one kind of document may pass tighter ones.
    static constexpr int maxElements = 1024;
    static constexpr int maxAttributes = 4096;

    struct Limits
    {
        int maxElements, maxAttributes;
    };

    static constexpr Limits generalLimits { maxElements, maxAttributes };

    // What becomes of a character reference to a character XML 1.0 can't carry ("&#1;"):
    // the document is refused, as the standard asks, or only the reference is dropped.
    // JUCE's writer writes such references, and earlier builds of the plug-in saved host
    // names through it, so a reader of their state blobs drops them to keep the rest.
    enum class UncarriableReferences { refuse, drop };

    // The document element, or null when the text is refused.
    static std::unique_ptr<juce::XmlElement> parse (const void* utf8Text, size_t numBytes,
                                                    Limits limits = generalLimits,
                                                    UncarriableReferences references = UncarriableReferences::refuse);

    // Whether parse would take the text, found without building anything: no element, no
    // string and no juce::Identifier, whose global pool would otherwise keep growing with
    // every new attribute name a folder of files holds.
    static bool accepts (const void* utf8Text, size_t numBytes, Limits limits = generalLimits);

    // XML 1.0 cannot carry most control characters, not even as "&#1;", so this reader
    // refuses them; JUCE's writer would still write them. Text that may hold anything (a
    // name a host gave us) goes through this before it is written, so that it reads back.
    static bool canCarry (juce::juce_wchar character) noexcept;
    static juce::String withOnlyCharactersItCanCarry (const juce::String& text,
                                                      int maxLength = std::numeric_limits<int>::max());

    DvxSafeXmlReader() = delete;
};

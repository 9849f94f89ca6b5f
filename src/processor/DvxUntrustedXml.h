#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

// Checks for XML text that comes from outside the plug-in: preset files that anybody can
// drop into the presets folder, and state blobs that hosts hand back. JUCE's XmlDocument
// trusts its input more than we can afford to: it recurses once per nesting level (a few
// hundred kilobytes of "<a><a><a>..." overflow the stack), a self-referencing entity in a
// DOCTYPE recurses forever, and String::fromUTF8 reads past the end of a truncated UTF-8
// sequence. Nothing we write ever contains a DOCTYPE, a comment, a CDATA section, text
// content or more than two levels of elements, and JUCE's writer uses only a plain subset
// of XML, so anything outside that subset is refused before the parser sees it.
namespace DvxUntrustedXml
{
    // Deeper documents are refused before parsing. Ours are two levels deep.
    constexpr int maxNestingDepth = 16;

    // Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF, no sequence
    // cut off at the end). A zero byte counts as valid.
    bool isValidUtf8 (const void* data, size_t numBytes) noexcept;

    // The element nesting depth that JUCE's parser reaches on this text, or -1 when the
    // text is not of the plain shape that juce::XmlElement writes (optional declaration,
    // elements with ASCII names, quoted attributes, text, the five named and the numeric
    // character references). DOCTYPEs, comments, CDATA, processing instructions after the
    // start, and malformed tags from which the parser would try to recover are refused.
    int measureNestingDepth (const char* text, size_t numBytes) noexcept;

    // True when the text (UTF-8, without its terminating zero) may be handed to JUCE's
    // XML parser: valid UTF-8, no zero byte, the plain shape, and nesting within
    // maxNestingDepth.
    bool isSafeForXmlParser (const char* text, size_t numBytes) noexcept;

    // Parses untrusted text. Null when the text is refused by isSafeForXmlParser or when
    // the parser reports any error, including the ones it would carry on after.
    std::unique_ptr<juce::XmlElement> parse (const char* text, size_t numBytes);

    // True when the element or any element below it holds text content (which a
    // juce::ValueTree cannot represent).
    bool containsTextContent (const juce::XmlElement& element);

    // Reads a number written as text by juce::String (decimal, optional fraction and
    // exponent), independently of the C locale. False for text that does not start with a
    // number and for NaN or infinity.
    bool parseFiniteNumber (const juce::String& text, double& result);
}

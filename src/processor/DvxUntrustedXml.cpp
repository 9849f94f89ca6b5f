#include "DvxUntrustedXml.h"

#include <charconv>
#include <cmath>
#include <string>

namespace DvxUntrustedXml
{

bool isValidUtf8 (const void* data, size_t numBytes) noexcept
{
    auto* bytes = static_cast<const unsigned char*> (data);
    size_t i = 0;

    while (i < numBytes)
    {
        const unsigned char lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        int extra = 0;
        uint32_t codePoint = 0, minimum = 0;

        if      ((lead & 0xe0) == 0xc0) { extra = 1; codePoint = lead & 0x1fu; minimum = 0x80; }
        else if ((lead & 0xf0) == 0xe0) { extra = 2; codePoint = lead & 0x0fu; minimum = 0x800; }
        else if ((lead & 0xf8) == 0xf0) { extra = 3; codePoint = lead & 0x07u; minimum = 0x10000; }
        else return false;

        if (numBytes - i <= (size_t) extra)
            return false;

        for (int k = 1; k <= extra; ++k)
        {
            const unsigned char next = bytes[i + (size_t) k];

            if ((next & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (next & 0x3fu);
        }

        if (codePoint < minimum || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;

        i += (size_t) extra + 1;
    }

    return true;
}

int estimateNestingDepth (const char* text, size_t numBytes) noexcept
{
    // Follows the parser just closely enough to know where tags are. Depth only goes down
    // at a closing tag ("</" in content) or at "/>" inside a tag outside any quotes, which
    // is exactly where JUCE's parser leaves an element; every other "<" counts as a new
    // level, wherever it is.
    enum class State { content, tag, quoted, processingInstruction, otherMarkup };

    auto state = State::content;
    char quote = 0, previous = 0;
    int depth = 0, deepest = 0;

    auto open = [&]
    {
        ++depth;
        deepest = juce::jmax (deepest, depth);
    };

    for (size_t i = 0; i < numBytes; ++i)
    {
        const char c = text[i];
        const char next = i + 1 < numBytes ? text[i + 1] : 0;

        switch (state)
        {
            case State::content:
                if (c == '<')
                {
                    if (next == '/')       { depth = juce::jmax (0, depth - 1); state = State::otherMarkup; ++i; }
                    else if (next == '?')  { state = State::processingInstruction; ++i; }
                    else if (next == '!')  { state = State::otherMarkup; ++i; }
                    else                   { open(); state = State::tag; }
                }
                break;

            case State::tag:
                if (c == '"' || c == '\'')  { quote = c; state = State::quoted; }
                else if (c == '>')          { if (previous == '/') depth = juce::jmax (0, depth - 1); state = State::content; }
                else if (c == '<')          { open(); }
                break;

            case State::quoted:
                if (c == quote)             state = State::tag;
                else if (c == '<')          open();
                break;

            case State::processingInstruction:
                if (c == '?' && next == '>') { state = State::content; ++i; }
                else if (c == '<')           open();
                break;

            case State::otherMarkup:
                if (c == '>')               state = State::content;
                else if (c == '<')          open();
                break;
        }

        previous = (i < numBytes) ? text[i] : 0;
    }

    return deepest;
}

bool isSafeForXmlParser (const char* text, size_t numBytes) noexcept
{
    if (text == nullptr || numBytes == 0)
        return false;

    if (! isValidUtf8 (text, numBytes))
        return false;

    size_t firstNonSpace = 0;

    while (firstNonSpace < numBytes && juce::CharacterFunctions::isWhitespace (text[firstNonSpace]))
        ++firstNonSpace;

    for (size_t i = 0; i < numBytes; ++i)
    {
        if (text[i] == 0)
            return false;

        if (text[i] == '<' && i + 1 < numBytes)
        {
            if (text[i + 1] == '!')
                return false;

            // Only the XML declaration, right at the start.
            if (text[i + 1] == '?' && i != firstNonSpace)
                return false;
        }
    }

    return estimateNestingDepth (text, numBytes) <= maxNestingDepth;
}

std::unique_ptr<juce::XmlElement> parse (const char* text, size_t numBytes)
{
    if (! isSafeForXmlParser (text, numBytes))
        return {};

    juce::XmlDocument document (juce::String::fromUTF8 (text, (int) numBytes));
    auto element = document.getDocumentElement();

    if (element == nullptr || document.getLastParseError().isNotEmpty())
        return {};

    return element;
}

bool containsTextContent (const juce::XmlElement& element)
{
    for (auto* child : element.getChildIterator())
        if (child->isTextElement() || containsTextContent (*child))
            return true;

    return false;
}

bool parseFiniteNumber (const juce::String& text, double& result)
{
    const std::string utf8 = text.trim().toStdString();
    const char* first = utf8.data();
    const char* last = first + utf8.size();

    // juce::String never writes a '+', but a hand-edited file might.
    if (first != last && *first == '+')
        ++first;

    double value = 0.0;
    const auto [end, error] = std::from_chars (first, last, value, std::chars_format::general);

    if (error != std::errc() || end == first || ! std::isfinite (value))
        return false;

    result = value;
    return true;
}

} // namespace DvxUntrustedXml

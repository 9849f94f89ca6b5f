#include "processor/DvxUntrustedXml.h"

#include <charconv>
#include <cstring>
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

namespace
{
    // JUCE's parser takes any run of [A-Za-z0-9_:.-] as a name, but asserts when the name is
    // not a valid XML name; ours are plain ASCII identifiers.
    bool isNameStart (char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }
    bool isNameChar (char c) noexcept  { return isNameStart (c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
    bool isSpace (char c) noexcept     { return c == ' ' || (c >= 9 && c <= 13); }

    // Walks the text the way JUCE's parser would, but accepts only the plain subset that
    // juce::XmlElement writes: an optional declaration, elements with valid names,
    // attributes as name="value" or name='value', text, and the five named or numeric
    // character references. Everything where the parser would take a different path
    // (recover from an error, expand an entity across a quote, read a DTD) is refused, so
    // that the depth counted here is the depth the parser reaches.
    class PlainXmlScanner
    {
    public:
        PlainXmlScanner (const char* text, size_t numBytes) noexcept : p (text), end (text + numBytes) {}

        // The deepest element nesting, or -1 when the text is not of the plain shape.
        int run() noexcept
        {
            skipSpace();

            if (startsWith ("<?"))
                if (! skipPast ("?>"))
                    return -1;

            while (p < end)
            {
                if (*p == '<')
                {
                    if (! readMarkup())
                        return -1;
                }
                else if (*p == '&')
                {
                    if (! readReference())
                        return -1;
                }
                else
                {
                    ++p;
                }
            }

            return deepest;
        }

    private:
        bool startsWith (const char* s) const noexcept
        {
            const auto n = std::strlen (s);
            return (size_t) (end - p) >= n && std::memcmp (p, s, n) == 0;
        }

        bool skipPast (const char* s) noexcept
        {
            const auto n = std::strlen (s);

            for (; (size_t) (end - p) >= n; ++p)
            {
                if (std::memcmp (p, s, n) == 0)
                {
                    p += n;
                    return true;
                }
            }

            return false;
        }

        void skipSpace() noexcept
        {
            while (p < end && isSpace (*p))
                ++p;
        }

        bool readName() noexcept
        {
            if (p >= end || ! isNameStart (*p))
                return false;

            while (p < end && isNameChar (*p))
                ++p;

            return true;
        }

        // "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#NNN;" or "&#xHHH;" naming a
        // character other than NUL, a surrogate or anything above U+10FFFF.
        bool readReference() noexcept
        {
            for (auto* named : { "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" })
            {
                if (startsWith (named))
                {
                    p += std::strlen (named);
                    return true;
                }
            }

            if (! startsWith ("&#"))
                return false;

            p += 2;
            const bool hex = p < end && (*p == 'x' || *p == 'X');

            if (hex)
                ++p;

            uint32_t code = 0;
            int digits = 0;

            for (; p < end && *p != ';'; ++p)
            {
                const int value = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) *p)
                                      : ((*p >= '0' && *p <= '9') ? *p - '0' : -1);

                if (value < 0 || ++digits > 7)
                    return false;

                code = code * (hex ? 16u : 10u) + (uint32_t) value;
            }

            if (p >= end || digits == 0 || code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                return false;

            ++p;
            return true;
        }

        bool readMarkup() noexcept
        {
            const char next = p + 1 < end ? p[1] : 0;

            if (next == '!' || next == '?')
                return false;

            if (next == '/')
            {
                // JUCE skips a closing tag up to its '>' without reading the name.
                if (! skipPast (">"))
                    return false;

                depth = juce::jmax (0, depth - 1);
                return true;
            }

            ++p;
            skipSpace();

            if (! readName())
                return false;

            deepest = juce::jmax (deepest, ++depth);

            for (;;)
            {
                skipSpace();

                if (startsWith ("/>"))
                {
                    p += 2;
                    --depth;
                    return true;
                }

                if (startsWith (">"))
                {
                    ++p;
                    return true;
                }

                if (! readName())
                    return false;

                skipSpace();

                if (p >= end || *p != '=')
                    return false;

                ++p;
                skipSpace();

                if (p >= end || (*p != '"' && *p != '\''))
                    return false;

                const char quote = *p++;

                while (p < end && *p != quote)
                {
                    if (*p == '&')
                    {
                        if (! readReference())
                            return false;
                    }
                    else
                    {
                        ++p;
                    }
                }

                if (p >= end)
                    return false;

                ++p;
            }
        }

        const char* p;
        const char* const end;
        int depth = 0, deepest = 0;
    };
}

int measureNestingDepth (const char* text, size_t numBytes) noexcept
{
    if (text == nullptr)
        return -1;

    return PlainXmlScanner (text, numBytes).run();
}

bool isSafeForXmlParser (const char* text, size_t numBytes) noexcept
{
    if (text == nullptr || numBytes == 0)
        return false;

    if (std::memchr (text, 0, numBytes) != nullptr || ! isValidUtf8 (text, numBytes))
        return false;

    const int depth = measureNestingDepth (text, numBytes);
    return depth >= 0 && depth <= maxNestingDepth;
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

#include "processor/DvxSafeXmlReader.h"

#include <expat.h>

#include <limits>
#include <string>
#include <vector>

static_assert (sizeof (XML_Char) == 1, "the reader expects expat's UTF-8 interface");

namespace
{
    bool isPlainNameStart (char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
    bool isPlainNameChar (char c) noexcept  { return isPlainNameStart (c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

    // JUCE asserts on names it thinks invalid, and a ValueTree reads an attribute named
    // "base64:..." as binary data, so only plain identifiers are taken.
    bool isPlainName (const XML_Char* name) noexcept
    {
        if (name == nullptr || ! isPlainNameStart (*name))
            return false;

        while (*++name != 0)
            if (! isPlainNameChar (*name))
                return false;

        return true;
    }

    // Collects expat's events into a tree, and stops the parser at the first thing it
    // refuses. expat may still deliver an event or two after being stopped; they are ignored.
    class TreeBuilder
    {
    public:
        explicit TreeBuilder (XML_Parser p) : parser (p) {}

        std::unique_ptr<juce::XmlElement> takeResult()
        {
            if (refused || ! open.empty())
                return {};

            return std::move (root);
        }

        static void XMLCALL startElement (void* userData, const XML_Char* name, const XML_Char** attributes)
        {
            auto& self = *static_cast<TreeBuilder*> (userData);

            if (self.refused)
                return;

            if ((int) self.open.size() >= DvxSafeXmlReader::maxNestingDepth || ! isPlainName (name)
                 || ++self.numElements > DvxSafeXmlReader::maxElements)
                return self.refuse();

            auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name));

            // Pairs of name and value, in document order; expat has already refused duplicates.
            for (auto* a = attributes; a[0] != nullptr; a += 2)
            {
                if (! isPlainName (a[0]) || ++self.numAttributes > DvxSafeXmlReader::maxAttributes)
                    return self.refuse();

                element->setAttribute (juce::Identifier (juce::String::fromUTF8 (a[0])), juce::String::fromUTF8 (a[1]));
            }

            auto* raw = element.get();

            if (self.open.empty())
                self.root = std::move (element);
            else
                self.open.back()->addChildElement (element.release());

            self.open.push_back (raw);
        }

        static void XMLCALL endElement (void* userData, const XML_Char*)
        {
            auto& self = *static_cast<TreeBuilder*> (userData);

            if (! self.refused && ! self.open.empty())
                self.open.pop_back();
        }

        // Only the whitespace between elements; text has no place in our documents.
        static void XMLCALL characterData (void* userData, const XML_Char* text, int length)
        {
            auto& self = *static_cast<TreeBuilder*> (userData);

            for (int i = 0; i < length && ! self.refused; ++i)
                if (text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
                    self.refuse();
        }

        static void XMLCALL processingInstruction (void* userData, const XML_Char*, const XML_Char*)
        {
            static_cast<TreeBuilder*> (userData)->refuse();
        }

        static void XMLCALL doctype (void* userData, const XML_Char*, const XML_Char*, const XML_Char*, int)
        {
            static_cast<TreeBuilder*> (userData)->refuse();
        }

        static void XMLCALL entityDeclaration (void* userData, const XML_Char*, int, const XML_Char*, int,
                                               const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
        {
            static_cast<TreeBuilder*> (userData)->refuse();
        }

    private:
        void refuse()
        {
            if (! refused)
            {
                refused = true;
                XML_StopParser (parser, XML_FALSE);
            }
        }

        XML_Parser parser;
        bool refused = false;
        std::unique_ptr<juce::XmlElement> root;
        std::vector<juce::XmlElement*> open;   // the elements not yet closed, outermost first
        int numElements = 0, numAttributes = 0;
    };

    // The numeric character reference at the start of text ("&#1;", "&#x1F;") and the
    // character it stands for (beyond Unicode for absurd numbers), or 0 when there is none.
    size_t lengthOfCharacterReference (const char* text, size_t available, juce::juce_wchar& character) noexcept
    {
        if (available < 4 || text[0] != '&' || text[1] != '#')
            return 0;

        const bool hex = text[2] == 'x';
        const int base = hex ? 16 : 10;
        juce::uint32 value = 0;
        size_t i = hex ? 3 : 2;
        const auto firstDigit = i;

        for (; i < available; ++i)
        {
            const auto digit = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (unsigned char) text[i]);

            if (digit < 0 || digit >= base)
                break;

            value = juce::jmin ((juce::uint32) 0x110000, value * (juce::uint32) base + (juce::uint32) digit);
        }

        if (i == firstDigit || i == available || text[i] != ';')
            return 0;

        character = (juce::juce_wchar) value;
        return i + 1;
    }

    std::string withoutUncarriableReferences (const char* text, size_t numBytes)
    {
        std::string kept;
        kept.reserve (numBytes);

        for (size_t i = 0; i < numBytes;)
        {
            juce::juce_wchar character = 0;
            const auto length = lengthOfCharacterReference (text + i, numBytes - i, character);

            if (length > 0 && ! DvxSafeXmlReader::canCarry (character))
            {
                i += length;
                continue;
            }

            const auto copied = juce::jmax ((size_t) 1, length);
            kept.append (text + i, copied);
            i += copied;
        }

        return kept;
    }

    struct ParserDeleter
    {
        void operator() (XML_Parser p) const noexcept { XML_ParserFree (p); }
    };
}

std::unique_ptr<juce::XmlElement> DvxSafeXmlReader::parse (const void* utf8Text, size_t numBytes,
                                                         UncarriableReferences references)
{
    if (utf8Text == nullptr || numBytes == 0 || numBytes > (size_t) std::numeric_limits<int>::max())
        return {};

    // In well-formed XML "&#" can only begin a character reference (or lie inside a comment,
    // which is dropped anyway), so the references can go before the parser sees the text.
    if (references == UncarriableReferences::drop)
    {
        const auto kept = withoutUncarriableReferences (static_cast<const char*> (utf8Text), numBytes);
        return kept.empty() ? nullptr : parse (kept.data(), kept.size(), UncarriableReferences::refuse);
    }

    // UTF-8 whatever the declaration says: that is what juce::XmlElement writes.
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser (XML_ParserCreate ("UTF-8"));

    if (parser == nullptr)
        return {};

    TreeBuilder builder (parser.get());

    XML_SetUserData (parser.get(), &builder);
    XML_SetParamEntityParsing (parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetElementHandler (parser.get(), TreeBuilder::startElement, TreeBuilder::endElement);
    XML_SetCharacterDataHandler (parser.get(), TreeBuilder::characterData);
    XML_SetProcessingInstructionHandler (parser.get(), TreeBuilder::processingInstruction);
    XML_SetStartDoctypeDeclHandler (parser.get(), TreeBuilder::doctype);
    XML_SetEntityDeclHandler (parser.get(), TreeBuilder::entityDeclaration);

    if (XML_Parse (parser.get(), static_cast<const char*> (utf8Text), (int) numBytes, XML_TRUE) != XML_STATUS_OK)
        return {};

    return builder.takeResult();
}

bool DvxSafeXmlReader::canCarry (juce::juce_wchar c) noexcept
{
    // XML 1.0's Char production.
    return c == 0x9 || c == 0xa || c == 0xd
        || (c >= 0x20 && c <= 0xd7ff)
        || (c >= 0xe000 && c <= 0xfffd)
        || (c >= 0x10000 && c <= 0x10ffff);
}

juce::String DvxSafeXmlReader::withOnlyCharactersItCanCarry (const juce::String& text, int maxLength)
{
    juce::String kept;
    int length = 0;

    for (auto p = text.getCharPointer(); ! p.isEmpty() && length < maxLength; ++p)
    {
        if (canCarry (*p))
        {
            kept += *p;
            ++length;
        }
    }

    return kept;
}

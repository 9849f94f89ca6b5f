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

    // Checks expat's events against the shape we take, collects them into a tree unless
    // only the verdict is wanted, and stops the parser at the first thing it refuses. expat
    // may still deliver an event or two after being stopped; they are ignored.
    class TreeBuilder
    {
    public:
        TreeBuilder (XML_Parser p, DvxSafeXmlReader::Limits l, bool buildTree)
            : parser (p), limits (l), builds (buildTree) {}

        bool accepted() const noexcept { return ! refused && depth == 0 && numElements > 0; }

        std::unique_ptr<juce::XmlElement> takeResult()
        {
            return accepted() ? std::move (root) : nullptr;
        }

        static void XMLCALL startElement (void* userData, const XML_Char* name, const XML_Char** attributes)
        {
            auto& self = *static_cast<TreeBuilder*> (userData);

            if (self.refused)
                return;

            if (self.depth >= DvxSafeXmlReader::maxNestingDepth || ! isPlainName (name)
                 || ++self.numElements > self.limits.maxElements)
                return self.refuse();

            // Pairs of name and value, in document order; expat has already refused duplicates.
            for (auto* a = attributes; a[0] != nullptr; a += 2)
                if (! isPlainName (a[0]) || ++self.numAttributes > self.limits.maxAttributes)
                    return self.refuse();

            ++self.depth;

            if (self.builds)
                self.add (name, attributes);
        }

        static void XMLCALL endElement (void* userData, const XML_Char*)
        {
            auto& self = *static_cast<TreeBuilder*> (userData);

            if (self.refused || self.depth == 0)
                return;

            --self.depth;

            if (self.builds)
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
        // Called for an element that passed every check.
        void add (const XML_Char* name, const XML_Char** attributes)
        {
            auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name));

            for (auto* a = attributes; a[0] != nullptr; a += 2)
                element->setAttribute (juce::Identifier (juce::String::fromUTF8 (a[0])), juce::String::fromUTF8 (a[1]));

            auto* raw = element.get();

            if (open.empty())
                root = std::move (element);
            else
                open.back()->addChildElement (element.release());

            open.push_back (raw);
        }

        void refuse()
        {
            if (! refused)
            {
                refused = true;
                XML_StopParser (parser, XML_FALSE);
            }
        }

        XML_Parser parser;
        const DvxSafeXmlReader::Limits limits;
        const bool builds;
        bool refused = false;
        int depth = 0, numElements = 0, numAttributes = 0;
        std::unique_ptr<juce::XmlElement> root;
        std::vector<juce::XmlElement*> open;   // the elements not yet closed, outermost first
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

    using Parser = std::unique_ptr<XML_ParserStruct, ParserDeleter>;

    bool isParseable (const void* utf8Text, size_t numBytes) noexcept
    {
        return utf8Text != nullptr && numBytes > 0 && numBytes <= (size_t) std::numeric_limits<int>::max();
    }

    // UTF-8 whatever the declaration says: that is what juce::XmlElement writes.
    Parser createParser() { return Parser (XML_ParserCreate ("UTF-8")); }

    // Feeds the whole text to expat with the builder's handlers; false when expat itself
    // finds the text ill-formed.
    bool run (XML_Parser parser, TreeBuilder& builder, const void* utf8Text, size_t numBytes)
    {
        XML_SetUserData (parser, &builder);
        XML_SetParamEntityParsing (parser, XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetElementHandler (parser, TreeBuilder::startElement, TreeBuilder::endElement);
        XML_SetCharacterDataHandler (parser, TreeBuilder::characterData);
        XML_SetProcessingInstructionHandler (parser, TreeBuilder::processingInstruction);
        XML_SetStartDoctypeDeclHandler (parser, TreeBuilder::doctype);
        XML_SetEntityDeclHandler (parser, TreeBuilder::entityDeclaration);

        return XML_Parse (parser, static_cast<const char*> (utf8Text), (int) numBytes, XML_TRUE) == XML_STATUS_OK;
    }
}

std::unique_ptr<juce::XmlElement> DvxSafeXmlReader::parse (const void* utf8Text, size_t numBytes, Limits limits,
                                                         UncarriableReferences references)
{
    // In well-formed XML "&#" can only begin a character reference, or lie in a comment or
    // a CDATA section, text no reader of ours keeps; so the references can go before the
    // parser sees the text.
    if (references == UncarriableReferences::drop && isParseable (utf8Text, numBytes))
    {
        const auto kept = withoutUncarriableReferences (static_cast<const char*> (utf8Text), numBytes);
        return parse (kept.data(), kept.size(), limits, UncarriableReferences::refuse);
    }

    const auto parser = createParser();

    if (! isParseable (utf8Text, numBytes) || parser == nullptr)
        return {};

    TreeBuilder builder (parser.get(), limits, true);
    return run (parser.get(), builder, utf8Text, numBytes) ? builder.takeResult() : nullptr;
}

bool DvxSafeXmlReader::accepts (const void* utf8Text, size_t numBytes, Limits limits)
{
    const auto parser = createParser();

    if (! isParseable (utf8Text, numBytes) || parser == nullptr)
        return false;

    TreeBuilder builder (parser.get(), limits, false);
    return run (parser.get(), builder, utf8Text, numBytes) && builder.accepted();
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

#include "processor/DvxSafeXmlReader.h"

#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
    std::unique_ptr<juce::XmlElement> read (const std::string& text)
    {
        return DvxSafeXmlReader::parse (text.data(), text.size());
    }

    std::string nested (int levels)
    {
        std::string s;
        for (int i = 0; i < levels; ++i) s += "<a>";
        for (int i = 0; i < levels; ++i) s += "</a>";
        return s;
    }

    // A root with children, and so this many elements in all.
    std::string elements (int count)
    {
        std::string s = "<r>";
        for (int i = 1; i < count; ++i) s += "<a/>";
        return s + "</r>";
    }

    std::string attributes (int count)
    {
        std::string s = "<r";
        for (int i = 0; i < count; ++i) s += " a" + std::to_string (i) + "=\"\"";
        return s + "/>";
    }
}

TEST (SafeXmlReader, WhatJuceWritesReadsBackTheSame)
{
    // Every class of character that XML can carry, markup included.
    juce::ValueTree tree ("VelmoraPreset");
    tree.setProperty ("PresetName", juce::String::fromUTF8 ("&<>\"' \t\n\r a\xc3\xbc \xe2\x82\xac \xf0\x9f\x8e\xb5 \xef\xbf\xbd \xee\x80\x80 \x7f ]]> ?> -->"), nullptr);
    tree.setProperty ("Empty", "", nullptr);

    for (int i = 0; i < 18; ++i)
    {
        juce::ValueTree child ("Parameter");
        child.setProperty ("ParameterName", "P" + juce::String (i), nullptr);
        child.setProperty ("Value", i / 17.0, nullptr);
        tree.appendChild (child, nullptr);
    }

    auto xml = tree.createXml();
    ASSERT_NE (xml, nullptr);

    for (const auto& format : { juce::XmlElement::TextFormat(), juce::XmlElement::TextFormat().singleLine(),
                                juce::XmlElement::TextFormat().withoutHeader() })
    {
        const auto text = xml->toString (format);
        const auto read = DvxSafeXmlReader::parse (text.toRawUTF8(), text.getNumBytesAsUTF8());

        ASSERT_NE (read, nullptr) << text;
        EXPECT_TRUE (read->isEquivalentTo (xml.get(), false));
        EXPECT_TRUE (juce::ValueTree::fromXml (*read).isEquivalentTo (tree));

        // Attributes keep their order, so what is written again is the same text.
        EXPECT_EQ (read->toString (format), text);
    }
}

TEST (SafeXmlReader, AcceptsOnlyThePlainShape)
{
    const struct { const char* description; std::string text; bool accepted; } cases[] =
    {
        { "declaration and elements",      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<A x=\"1\">\n  <B y='2'/>\n</A>", true },
        { "no declaration",                "<A/>", true },
        { "references",                    "<A b=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x1F3B5;&#10;\"/>", true },
        { "comments between elements",     "<A><!-- note --><B/></A><!-- end -->", true },
        { "a byte order mark",             "\xef\xbb\xbf<A/>", true },
        { "16 levels",                     nested (DvxSafeXmlReader::maxNestingDepth), true },
        { "1024 elements",                 elements (DvxSafeXmlReader::maxElements), true },
        { "4096 attributes",               attributes (DvxSafeXmlReader::maxAttributes), true },

        { "17 levels",                     nested (DvxSafeXmlReader::maxNestingDepth + 1), false },
        { "100000 levels",                 nested (100000), false },
        { "1025 elements",                 elements (DvxSafeXmlReader::maxElements + 1), false },
        { "4097 attributes",               attributes (DvxSafeXmlReader::maxAttributes + 1), false },
        { "a DOCTYPE",                     "<!DOCTYPE A><A/>", false },
        { "an entity bomb",                "<!DOCTYPE r [<!ENTITY a \"x&a;\">]><r v=\"&a;\"/>", false },
        { "an external entity",            "<!DOCTYPE r [<!ENTITY e SYSTEM \"/etc/passwd\">]><r>&e;</r>", false },
        { "an undeclared entity",          "<A b=\"&nope;\"/>", false },
        { "JUCE's declaration gap",        "<?><a b=\"?><c><d/></c>\"/>", false },
        { "a processing instruction",      "<A/><?pi here?>", false },
        { "a declaration not at the start", " <?xml version=\"1.0\"?><A/>", false },
        { "text content",                  "<A>words</A>", false },
        { "text in CDATA",                 "<A><![CDATA[words]]></A>", false },
        { "a control character reference", "<A b=\"&#1;\"/>", false },
        { "a NUL reference",               "<A b=\"&#0;\"/>", false },
        { "a zero byte",                   std::string ("<A/>\0", 5), false },
        { "another declared encoding",     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A b=\"\xe9\"/>", false },
        { "broken UTF-8",                  "<A b=\"\xc3\"/>", false },
        { "an overlong form",              "<A b=\"\xc0\xaf\"/>", false },
        { "two document elements",         "<A/><B/>", false },
        { "an unclosed element",           "<A><B/>", false },
        { "a mismatched end tag",          "<A><B></A></B>", false },
        { "a duplicate attribute",         "<A b=\"1\" b=\"2\"/>", false },
        { "a prefixed name",               "<A x:b=\"1\"/>", false },
        { "JUCE's binary attribute",       "<A base64:b=\"AAAA\"/>", false },
        { "a non-ASCII name",              "<\xc3\xa4/>", false },
        { "nothing",                       "", false },
        { "only a declaration",            "<?xml version=\"1.0\"?>", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        EXPECT_EQ (read (c.text) != nullptr, c.accepted);
        EXPECT_EQ (DvxSafeXmlReader::accepts (c.text.data(), c.text.size()), c.accepted);
    }

    EXPECT_EQ (DvxSafeXmlReader::parse (nullptr, 10), nullptr);
}

TEST (SafeXmlReader, LeavesOutOnlyWhatXmlCannotCarry)
{
    const auto kept = juce::String::fromUTF8 ("a\tb\nc\rd \x7f \xef\xbf\xbd \xf0\x9f\x8e\xb5");
    juce::String withControls = kept;

    for (const juce::juce_wchar c : { (juce::juce_wchar) 0x1, (juce::juce_wchar) 0x1f, (juce::juce_wchar) 0xfffe,
                                      (juce::juce_wchar) 0xffff })
        withControls = juce::String::charToString (c) + withControls + juce::String::charToString (c);

    EXPECT_EQ (DvxSafeXmlReader::withOnlyCharactersItCanCarry (withControls), kept);
    EXPECT_EQ (DvxSafeXmlReader::withOnlyCharactersItCanCarry (kept), kept);
}

#include "processor/DvxUntrustedXml.h"

#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
    bool safe (const std::string& text) { return DvxUntrustedXml::isSafeForXmlParser (text.data(), text.size()); }

    std::string nested (int levels, const std::string& between = {})
    {
        std::string s;
        for (int i = 0; i < levels; ++i) s += "<a>" + between;
        for (int i = 0; i < levels; ++i) s += "</a>";
        return s;
    }
}

TEST (UntrustedXml, Utf8IsCheckedStrictly)
{
    const struct { std::string bytes; bool valid; } cases[] =
    {
        { "plain ascii",               true },
        { "",                          true },
        { "Gr\xc3\xbc\xc3\x9f" "e",    true },
        { "\xe2\x82\xac",              true },    // euro sign
        { "\xf0\x9f\x8e\xb5",          true },    // U+1F3B5
        { std::string ("a\0b", 3),     true },
        { "\xc3",                      false },   // cut off at the end
        { "\xe2\x82",                  false },
        { "\xc3(",                     false },   // bad continuation
        { "\x80",                      false },   // stray continuation
        { "\xc0\xaf",                  false },   // overlong "/"
        { "\xe0\x80\xaf",              false },   // overlong "/"
        { "\xed\xa0\x80",              false },   // surrogate
        { "\xf4\x90\x80\x80",          false },   // above U+10FFFF
        { "\xf8\x88\x80\x80\x80",      false },   // five-byte form
        { "\xff",                      false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (DvxUntrustedXml::isValidUtf8 (c.bytes.data(), c.bytes.size()), c.valid)
            << juce::String::toHexString (c.bytes.data(), (int) c.bytes.size());
}

TEST (UntrustedXml, DepthIsMeasuredOnThePlainShapeOnly)
{
    const struct { std::string text; int depth; } cases[] =
    {
        { "<?xml version=\"1.0\"?>\n<A x=\"1\">\n  <B y=\"2\"/>\n  <B y='3'/>\n</A>", 2 },
        { "<A/>",                                         1 },
        { "< A />",                                       1 },
        { nested (5),                                     5 },
        { nested (40),                                    40 },
        // "/>" only closes inside a tag, never in text or in an attribute value.
        { nested (30, "/>"),                              30 },
        { "<a v=\"/>\"><b v='/>'><c/></b></a>",           3 },
        { "<a>\"<b><c><d>" + nested (20),                 24 },
        { "</a></a></a>" + nested (20),                   20 },
        { "<A b=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x1F3B5;&#10;\"/>", 1 },
        { "<A>x &lt; y</A>",                              1 },

        // Everything the parser would read differently from its writer's output.
        { "<a <b <c <d>",                                 -1 },
        { "<0bad/>",                                      -1 },
        { "<-bad/>",                                      -1 },
        { "<A 0x=\"1\"/>",                                -1 },
        { "<A b=c>",                                      -1 },
        { "<A \"x <0bad/> y\"/>",                         -1 },
        { "<A b=\"1\"",                                   -1 },
        { "<A b=\"1>",                                    -1 },
        { "<A b=\"&x\" c=\";\"/>",                        -1 },   // would run across the quote
        { "<A>&unknown;</A>",                             -1 },
        { "<A b=\"&#0;\"/>",                              -1 },
        { "<A b=\"&#55296;\"/>",                          -1 },   // a surrogate
        { "<A b=\"&#x110000;\"/>",                        -1 },
        { "<A b=\"&#99999999999;\"/>",                    -1 },
        { "<A b=\"&#;\"/>",                               -1 },
        { "<A/><!-- c -->",                               -1 },
        { "<A>\xc3\xa4</A><\xc3\xa4/>",                   -1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.substr (0, 60));
        EXPECT_EQ (DvxUntrustedXml::measureNestingDepth (c.text.data(), c.text.size()), c.depth);
    }
}

TEST (UntrustedXml, OnlyTextOfOurOwnShapeReachesTheParser)
{
    const struct { std::string text; bool accepted; } cases[] =
    {
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VelmoraPreset a=\"1\"/>", true },
        { "  <?xml version=\"1.0\"?><A/>",                    true },
        { "<A b=\"&lt;&amp;&#65;\"/>",                         true },
        { nested (DvxUntrustedXml::maxNestingDepth),          true },
        { nested (DvxUntrustedXml::maxNestingDepth + 1),      false },
        { nested (100000),                                    false },
        { "<!DOCTYPE r [<!ENTITY a \"x&a;\">]><r v=\"&a;\"/>", false },
        { "<A><!-- a comment --></A>",                         false },
        { "<A><![CDATA[text]]></A>",                           false },
        { "<A/><?pi here?>",                                  false },
        { std::string ("<A/>\0<B/>", 9),                      false },
        { "<A b=\"\xc3\"/>",                                   false },
        { "",                                                 false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.substr (0, 60));
        EXPECT_EQ (safe (c.text), c.accepted);
    }
}

TEST (UntrustedXml, ParseRefusesAnythingTheParserComplainsAbout)
{
    const struct { std::string text; bool parses; } cases[] =
    {
        { "<A b=\"1\"><C d=\"2\"/></A>",   true },
        { "<A b=\"&unknown;\"/>",          false },   // the parser would carry on
        { "<A><B></A>",                    false },
        { "just text",                     false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        EXPECT_EQ (DvxUntrustedXml::parse (c.text.data(), c.text.size()) != nullptr, c.parses);
    }

    auto withText = DvxUntrustedXml::parse ("<A><B>words</B></A>", 19);
    ASSERT_NE (withText, nullptr);
    EXPECT_TRUE (DvxUntrustedXml::containsTextContent (*withText));

    auto withoutText = DvxUntrustedXml::parse ("<A>\n  <B/>\n</A>", 15);
    ASSERT_NE (withoutText, nullptr);
    EXPECT_FALSE (DvxUntrustedXml::containsTextContent (*withoutText));
}

// Mutated copies of a real document must never crash, hang or trip a JUCE assertion
// (the test program fails on any assertion text in its output).
TEST (UntrustedXml, MutatedDocumentsNeverUpsetTheParser)
{
    juce::ValueTree tree ("VelmoraPreset");
    tree.setProperty ("PresetName", juce::String::fromUTF8 ("Gr\xc3\xbc\xc3\x9f" "e & <more>"), nullptr);

    for (int i = 0; i < 18; ++i)
    {
        juce::ValueTree child ("Parameter");
        child.setProperty ("ParameterName", "P" + juce::String (i), nullptr);
        child.setProperty ("Value", i / 17.0, nullptr);
        tree.appendChild (child, nullptr);
    }

    const std::string original = tree.toXmlString().toStdString();
    const char alphabet[] = "<>/\"'&#;=?! \n\xc3\x80\xff\0abx0123456789";

    juce::Random random (1234);
    int parsed = 0;

    for (int round = 0; round < 3000; ++round)
    {
        std::string text = original;
        const int edits = 1 + random.nextInt (8);

        for (int e = 0; e < edits && ! text.empty(); ++e)
        {
            const auto at = (size_t) random.nextInt ((int) text.size());
            const char c = alphabet[random.nextInt ((int) sizeof (alphabet) - 1)];

            switch (random.nextInt (4))
            {
                case 0:  text[at] = c; break;
                case 1:  text.insert (at, 1, c); break;
                case 2:  text.erase (at, 1 + (size_t) random.nextInt (20)); break;
                default: text.resize (at); break;
            }
        }

        if (auto xml = DvxUntrustedXml::parse (text.data(), text.size()))
        {
            ++parsed;

            if (! DvxUntrustedXml::containsTextContent (*xml))
                (void) juce::ValueTree::fromXml (*xml);
        }
    }

    EXPECT_GT (parsed, 0) << "some mutations keep the document valid";
}

TEST (UntrustedXml, NumbersAreReadWithoutLocaleAndWithoutOverflow)
{
    const struct { const char* text; bool ok; double value; } cases[] =
    {
        { "0.5",                   true,  0.5 },
        { "0.2860000133514404",    true,  0.2860000133514404 },
        { " 600 ",                 true,  600.0 },
        { "+3",                    true,  3.0 },
        { "-2147483648",           true,  -2147483648.0 },
        { "1e-05",                 true,  1e-05 },
        { "600abc",                true,  600.0 },
        { "99999999999999999999",  true,  1e20 },
        { "1e99999999999",         false, 0.0 },
        { "nan",                   false, 0.0 },
        { "-inf",                  false, 0.0 },
        { "abc",                   false, 0.0 },
        { "",                      false, 0.0 },
        { "0,5",                   true,  0.0 },
    };

    for (const auto& c : cases)
    {
        double value = -1.0;
        EXPECT_EQ (DvxUntrustedXml::parseFiniteNumber (c.text, value), c.ok) << c.text;

        if (c.ok)
            EXPECT_EQ (value, c.value) << c.text;
        else
            EXPECT_EQ (value, -1.0) << "left alone: " << c.text;
    }
}

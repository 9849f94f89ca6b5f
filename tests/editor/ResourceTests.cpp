// The embedded resources: the compiled table must match the files in src/resources byte
// for byte, the font must be the one those bytes hold, and the images must keep the view
// boxes and black colouring that the editor's drawing relies on.

#include "helpers/editor/WidgetTestSupport.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

namespace
{
    juce::File resourceFolder()
    {
        return juce::File (ORVELIN_SOURCE_DIR).getChildFile ("src/resources");
    }

    struct Resource
    {
        const char* name;
        const char* fileName;
        const char* data;
        int size;
    };

    // In the order of the generated table.
    const Resource resources[] = {
        { "kenyan_coffee_rg_ttf",        "kenyan_coffee_rg.ttf",        BinaryData::kenyan_coffee_rg_ttf,        BinaryData::kenyan_coffee_rg_ttfSize },
        { "DropDownArrow_svg",           "DropDownArrow.svg",           BinaryData::DropDownArrow_svg,           BinaryData::DropDownArrow_svgSize },
        { "LOGO_Velmora_01_svg",         "LOGO_Velmora_01.svg",         BinaryData::LOGO_Velmora_01_svg,         BinaryData::LOGO_Velmora_01_svgSize },
        { "LOGO_Velmora_ONLY_Qz_01_svg", "LOGO_Velmora_ONLY_Qz_01.svg", BinaryData::LOGO_Velmora_ONLY_Qz_01_svg, BinaryData::LOGO_Velmora_ONLY_Qz_01_svgSize },
        { "LOGO_Marvek_ACTUAL_svg",      "LOGO_Marvek_ACTUAL.svg",      BinaryData::LOGO_Marvek_ACTUAL_svg,      BinaryData::LOGO_Marvek_ACTUAL_svgSize },
        { "PlayButton_svg",              "PlayButton.svg",              BinaryData::PlayButton_svg,              BinaryData::PlayButton_svgSize },
        { "PlayButtonRotated180_svg",    "PlayButtonRotated180.svg",    BinaryData::PlayButtonRotated180_svg,    BinaryData::PlayButtonRotated180_svgSize },
        { "RedoCurvedArrow_svg",         "RedoCurvedArrow.svg",         BinaryData::RedoCurvedArrow_svg,         BinaryData::RedoCurvedArrow_svgSize },
        { "UndoCurvedArrow_svg",         "UndoCurvedArrow.svg",         BinaryData::UndoCurvedArrow_svg,         BinaryData::UndoCurvedArrow_svgSize },
    };

    struct FontNames { juce::String family, style; };

    // The typographic family and style names (name IDs 16 and 17, else 1 and 2) straight
    // from a TrueType file's name table, so the checks compare against the font actually
    // committed.
    std::optional<FontNames> readNamesFromFontFile (const juce::MemoryBlock& font)
    {
        const auto* d = static_cast<const juce::uint8*> (font.getData());
        const auto size = font.getSize();

        const auto u16 = [&] (size_t at) -> int { return at + 2 <= size ? (d[at] << 8) | d[at + 1] : -1; };
        const auto u32 = [&] (size_t at) -> juce::int64
        {
            return at + 4 <= size ? ((juce::int64) d[at] << 24) | (d[at + 1] << 16) | (d[at + 2] << 8) | d[at + 3] : -1;
        };

        const auto numTables = u16 (4);

        for (int t = 0; t < numTables; ++t)
        {
            const size_t record = 12 + 16 * (size_t) t;

            if (record + 16 > size || std::memcmp (d + record, "name", 4) != 0)
                continue;

            const auto table = (size_t) u32 (record + 8);
            const auto count = u16 (table + 2);
            const auto strings = table + (size_t) u16 (table + 4);

            std::optional<juce::String> found[18];

            for (int i = 0; i < count; ++i)
            {
                const auto entry = table + 6 + 12 * (size_t) i;
                const auto platform = u16 (entry), encoding = u16 (entry + 2), nameID = u16 (entry + 6);
                const auto length = (size_t) u16 (entry + 8), offset = (size_t) u16 (entry + 10);

                if ((nameID != 1 && nameID != 2 && nameID != 16 && nameID != 17)
                    || platform != 3 || encoding != 1 || strings + offset + length > size)
                    continue;

                juce::String text;

                for (size_t c = 0; c + 1 < length; c += 2)
                    text += juce::String::charToString ((juce::juce_wchar) ((d[strings + offset + c] << 8) | d[strings + offset + c + 1]));

                found[nameID] = text;
            }

            if (! (found[1].has_value() || found[16].has_value()))
                return std::nullopt;

            return FontNames { found[16].value_or (found[1].value_or ("")), found[17].value_or (found[2].value_or ("")) };
        }

        return std::nullopt;
    }

    std::unique_ptr<juce::XmlElement> parseSvg (const Resource& r)
    {
        return juce::XmlDocument::parse (juce::String::fromUTF8 (r.data, r.size));
    }
}

TEST (EmbeddedResources, TableMatchesTheFilesByteForByteInOrder)
{
    ASSERT_EQ (BinaryData::namedResourceListSize, (int) std::size (resources));

    for (size_t i = 0; i < std::size (resources); ++i)
    {
        const auto& r = resources[i];
        SCOPED_TRACE (r.name);

        EXPECT_STREQ (BinaryData::namedResourceList[i], r.name);
        EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename (r.name), r.fileName);

        juce::MemoryBlock file;
        ASSERT_TRUE (resourceFolder().getChildFile (r.fileName).loadFileAsData (file));

        // The size handed to JUCE is the file's size; the terminating zero is extra.
        EXPECT_EQ ((size_t) r.size, file.getSize());
        EXPECT_EQ (0, std::memcmp (r.data, file.getData(), file.getSize()));
        EXPECT_EQ ('\0', r.data[r.size]);

        int namedSize = -1;
        EXPECT_EQ (BinaryData::getNamedResource (r.name, namedSize), r.data);
        EXPECT_EQ (namedSize, r.size);
    }
}

TEST (EmbeddedResources, FontIsTheEmbeddedTrueTypeFamily)
{
    juce::MemoryBlock file;
    ASSERT_TRUE (resourceFolder().getChildFile ("kenyan_coffee_rg.ttf").loadFileAsData (file));

    // TrueType outlines (version 0x00010000), not CFF ("OTTO").
    ASSERT_GE (file.getSize(), 4u);
    EXPECT_EQ (0, std::memcmp (file.getData(), "\x00\x01\x00\x00", 4));

    const auto namesInFile = readNamesFromFontFile (file);
    ASSERT_TRUE (namesInFile.has_value());

    // Noto Sans ExtraCondensed, as README.md names it.
    EXPECT_EQ (namesInFile->family, "Noto Sans");
    EXPECT_EQ (namesInFile->style, "ExtraCondensed");

    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                            (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), namesInFile->family);
    EXPECT_EQ (typeface->getStyle(), namesInFile->style);

    // Its licence travels with it.
    const auto licence = resourceFolder().getChildFile ("FONT-LICENSE-OFL-1.1.txt").loadFileAsString();
    EXPECT_TRUE (licence.contains ("SIL OPEN FONT LICENSE Version 1.1"));

    // It really draws glyphs: "B" has an outline.
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    typeface->getGlyphPositions ("B", glyphs, offsets);
    ASSERT_EQ (glyphs.size(), 1);

    juce::Path outline;
    typeface->getOutlineForGlyph (glyphs[0], outline);
    EXPECT_FALSE (outline.isEmpty());
}

TEST (EmbeddedResources, ImagesKeepTheirViewBoxes)
{
    struct Expected { const char* name; const char* width; const char* height; const char* viewBox; };

    const Expected expected[] = {
        { "DropDownArrow_svg",           "32",      "32",      "0 0 32 32" },
        { "LOGO_Velmora_01_svg",         "786.781", "784.905", "0 0 786.781 784.905" },
        { "LOGO_Velmora_ONLY_Qz_01_svg", "783.193", "586.202", "0 0 783.193 586.202" },
        { "LOGO_Marvek_ACTUAL_svg",      "780.281", "100.788", "0 0 780.281 100.788" },
        { "PlayButton_svg",              "16px",    "16px",    "0 0 16 16" },
        { "PlayButtonRotated180_svg",    "16px",    "16px",    "0 0 16 16" },
        { "RedoCurvedArrow_svg",         "16px",    "16px",    "0 0 16 16" },
        { "UndoCurvedArrow_svg",         "16px",    "16px",    "0 0 16 16" },
    };

    for (const auto& e : expected)
    {
        SCOPED_TRACE (e.name);

        const auto* r = std::find_if (std::begin (resources), std::end (resources),
                                      [&] (const Resource& x) { return juce::String (x.name) == e.name; });
        ASSERT_NE (r, std::end (resources));

        auto svg = parseSvg (*r);
        ASSERT_NE (svg, nullptr);
        EXPECT_TRUE (svg->hasTagName ("svg"));
        EXPECT_EQ (svg->getStringAttribute ("width"), e.width);
        EXPECT_EQ (svg->getStringAttribute ("height"), e.height);
        EXPECT_EQ (svg->getStringAttribute ("viewBox"), e.viewBox);

        // Only black: no fill or stroke colour other than none or #000000 anywhere.
        std::function<void (const juce::XmlElement&)> checkColours = [&] (const juce::XmlElement& element)
        {
            for (const auto* attribute : { "fill", "stroke", "style", "color" })
            {
                const auto value = element.getStringAttribute (attribute, "none");
                EXPECT_TRUE (value == "none" || value == "#000000") << attribute << "=" << value;
            }

            for (auto* child : element.getChildIterator())
                checkColours (*child);
        };

        checkColours (*svg);
    }
}

TEST (EmbeddedResources, EveryImageBecomesADrawableThatPaintsOnlyBlack)
{
    for (const auto& r : resources)
    {
        if (! juce::String (r.name).endsWith ("_svg"))
            continue;

        SCOPED_TRACE (r.name);

        auto drawable = juce::Drawable::createFromImageData (r.data, (size_t) r.size);
        ASSERT_NE (drawable, nullptr);

        // Drawn on white, black shapes leave only greys: any tint would show up here.
        juce::Image image (juce::Image::RGB, 160, 160, true);
        {
            juce::Graphics g (image);
            g.fillAll (juce::Colours::white);
            drawable->drawWithin (g, image.getBounds().toFloat(), juce::RectanglePlacement::centred, 1.0f);
        }

        orvelin::test::keepImage (image, juce::String ("resource-") + r.name);

        int painted = 0;

        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto pixel = image.getPixelAt (x, y);
                ASSERT_TRUE (pixel.getRed() == pixel.getGreen() && pixel.getGreen() == pixel.getBlue())
                    << "at " << x << "," << y << ": " << orvelin::test::describe (pixel);

                if (pixel.getRed() < 128)
                    ++painted;
            }
        }

        EXPECT_GT (painted, 100);
    }
}

TEST (EmbeddedResources, ArrowsPointTheWayTheirNamesSay)
{
    // Drawn at 16 x 16 so that one pixel is one view-box unit.
    const auto render = [] (const char* data, int size, int side = 16)
    {
        auto drawable = juce::Drawable::createFromImageData (data, (size_t) size);
        juce::Image image (juce::Image::ARGB, side, side, true);
        juce::Graphics g (image);
        drawable->draw (g, 1.0f);
        return image;
    };

    const auto opaque = [] (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y).getAlpha() > 128; };

    const auto play = render (BinaryData::PlayButton_svg, BinaryData::PlayButton_svgSize);
    EXPECT_TRUE (opaque (play, 2, 8));      // the flat side on the left
    EXPECT_TRUE (opaque (play, 13, 8));     // the tip on the right
    EXPECT_FALSE (opaque (play, 13, 2));

    const auto back = render (BinaryData::PlayButtonRotated180_svg, BinaryData::PlayButtonRotated180_svgSize);
    EXPECT_TRUE (opaque (back, 13, 8));
    EXPECT_TRUE (opaque (back, 2, 8));
    EXPECT_FALSE (opaque (back, 2, 2));

    const auto dropDown = render (BinaryData::DropDownArrow_svg, BinaryData::DropDownArrow_svgSize, 32);
    EXPECT_TRUE (opaque (dropDown, 4, 11));    // wide at the top...
    EXPECT_TRUE (opaque (dropDown, 27, 11));
    EXPECT_TRUE (opaque (dropDown, 16, 22));   // ...down to the tip
    EXPECT_FALSE (opaque (dropDown, 4, 20));
    EXPECT_FALSE (opaque (dropDown, 16, 6));

    // The arrowheads sit in the lower left (undo) and lower right (redo).
    const auto undo = render (BinaryData::UndoCurvedArrow_svg, BinaryData::UndoCurvedArrow_svgSize);
    const auto redo = render (BinaryData::RedoCurvedArrow_svg, BinaryData::RedoCurvedArrow_svgSize);
    EXPECT_TRUE (opaque (undo, 8, 13));
    EXPECT_FALSE (opaque (undo, 14, 13));
    EXPECT_TRUE (opaque (redo, 8, 13));
    EXPECT_FALSE (opaque (redo, 1, 13));
}

// The embedded resources: the compiled table must match the files in src/resources byte
// for byte, the font must be the one README.md names, and the images must keep the black
// colouring and orientation that the editor's drawing relies on.

#include "helpers/editor/WidgetTestSupport.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <cstring>

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

    // Noto Sans ExtraCondensed, as README.md names it.
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                            (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), "Noto Sans");
    EXPECT_EQ (typeface->getStyle(), "ExtraCondensed");

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

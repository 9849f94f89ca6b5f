#include "editor/BackgroundTexture.h"

void BackgroundTexture::drawDirectly (juce::Graphics& g, juce::Rectangle<int> area,
                                     float panelWidth, float panelHeight, juce::Colour base)
{
    g.setColour (base);
    g.fillRect (area);

    juce::Random random (4);
    int x = 0;

    for (int row = 0; (float) row < panelHeight; ++row)
    {
        while ((float) x < panelWidth)
        {
            const int x1 = x + random.nextInt ({ 5, 80 });
            const int x2 = x1 + random.nextInt ({ 5, 80 });
            const float amount = random.nextFloat() * 0.03f;

            g.setColour (random.nextBool() ? base.brighter (amount) : base.darker (amount));
            g.drawHorizontalLine (row, (float) x1, (float) x2);
            x = x2;
        }

        x = random.nextInt (5);
    }

    // Lighter at the top left, darker at the bottom right.
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.05f), 0.0f, 0.0f,
                                             juce::Colours::black.withAlpha (0.05f), panelWidth, panelHeight, false));
    g.fillRect (area);
}

void BackgroundTexture::draw (juce::Graphics& g, juce::Rectangle<int> area,
                              float panelWidth, float panelHeight, juce::Colour base)
{
    const bool drawsOneToOne = ! g.isVectorDevice()
                               && g.getInternalContext().getPhysicalPixelScaleFactor() == 1.0f;
    const bool fitsInMemory = area.getWidth() > 0 && area.getHeight() > 0
                              && (juce::int64) area.getWidth() * area.getHeight() <= maximumPicturePixels;

    if (! (keepsPicture && drawsOneToOne && fitsInMemory))
    {
        drawDirectly (g, area, panelWidth, panelHeight, base);
        return;
    }

    if (picture.isNull() || area != pictureArea || panelWidth != picturePanelWidth
        || panelHeight != picturePanelHeight || base != pictureBase)
    {
        picture = juce::Image (juce::Image::RGB, area.getWidth(), area.getHeight(), false);

        juce::Graphics pictureGraphics (picture);
        pictureGraphics.setOrigin (-area.getPosition());
        drawDirectly (pictureGraphics, area, panelWidth, panelHeight, base);

        pictureArea = area;
        picturePanelWidth = panelWidth;
        picturePanelHeight = panelHeight;
        pictureBase = base;
    }

    // Images are drawn with the current colour's opacity, which the parent may have left
    // translucent; the background is opaque.
    g.setOpacity (1.0f);
    g.drawImageAt (picture, area.getX(), area.getY());
}

void BackgroundTexture::setKeepsPicture (bool shouldKeep)
{
    keepsPicture = shouldKeep;

    if (! keepsPicture)
        picture = {};
}

#include "WidgetTestSupport.h"

#include <juce_graphics/juce_graphics.h>

#include <cmath>

namespace orvelin::test
{
    bool hasDisplay()
    {
        return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
    }

    juce::File getSnapshotFolder()
    {
        const auto folder = juce::File (ORVELIN_BINARY_DIR).getChildFile ("editor-snapshots");
        folder.createDirectory();
        return folder;
    }

    void keepImage (const juce::Image& image, const juce::String& name)
    {
        const auto file = getSnapshotFolder().getChildFile (name + ".png");
        file.deleteFile();

        juce::FileOutputStream stream (file);

        if (stream.openedOk())
            juce::PNGImageFormat().writeImageToStream (image, stream);
    }

    juce::Image renderAndKeep (juce::Component& component, const juce::String& name)
    {
        auto image = component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
        keepImage (image, name);
        return image;
    }

    int colourDistance (juce::Colour a, juce::Colour b)
    {
        return juce::jmax (juce::jmax (std::abs ((int) a.getRed() - (int) b.getRed()),
                                       std::abs ((int) a.getGreen() - (int) b.getGreen())),
                           juce::jmax (std::abs ((int) a.getBlue() - (int) b.getBlue()),
                                       std::abs ((int) a.getAlpha() - (int) b.getAlpha())));
    }

    bool isNear (juce::Colour actual, juce::Colour expected, int tolerance)
    {
        return colourDistance (actual, expected) <= tolerance;
    }

    juce::Colour pixelAt (const juce::Image& image, float x, float y)
    {
        return image.getPixelAt (juce::roundToInt (x), juce::roundToInt (y));
    }

    int countPixelsNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
    {
        int count = 0;
        area = area.getIntersection (image.getBounds());

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (isNear (image.getPixelAt (x, y), colour, tolerance))
                    ++count;

        return count;
    }

    juce::Rectangle<int> findInk (const juce::Image& image, juce::Colour background, int tolerance)
    {
        int left = image.getWidth(), top = image.getHeight(), right = -1, bottom = -1;

        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                if (! isNear (image.getPixelAt (x, y), background, tolerance))
                {
                    left = juce::jmin (left, x);
                    right = juce::jmax (right, x);
                    top = juce::jmin (top, y);
                    bottom = juce::jmax (bottom, y);
                }
            }
        }

        if (right < 0)
            return {};

        return { left, top, right - left + 1, bottom - top + 1 };
    }

    std::string describe (juce::Colour colour)
    {
        return colour.toDisplayString (true).toStdString();
    }

    juce::MouseEvent makeMouseEvent (juce::Component& component, juce::Point<float> position,
                                     juce::ModifierKeys modifiers, juce::Point<float> mouseDownPosition,
                                     int numberOfClicks, bool wasDragged)
    {
        const auto now = juce::Time::getCurrentTime();

        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                                 juce::MouseInputSource::defaultPressure,
                                 juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation,
                                 juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY,
                                 &component, &component, now, mouseDownPosition, now,
                                 numberOfClicks, wasDragged);
    }
}

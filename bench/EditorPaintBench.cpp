// Painting the editor: one full paint at two heights, and the repaint of one input meter's
// area, which the meters cause every 70 ms. Each is measured with the background texture
// copied from its kept picture and drawn stroke by stroke on every paint.

#include "EditorPaintBench.h"

#include "editor/MainEditorComponent.h"
#include "editor/OrvelinAudioProcessorEditor.h"
#include "processor/OrvelinAudioProcessor.h"
#include "widgets/DvxQzStereoVuMeterComponent.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
    struct OpenEditor
    {
        OpenEditor (int height, bool keepsTexturePicture)
        {
            processor.setEditorHeight (height);
            editor = std::make_unique<OrvelinAudioProcessorEditor> (&processor);
            panel().getBackgroundTexture().setKeepsPicture (keepsTexturePicture);
        }

        MainEditorComponent& panel() { return *dynamic_cast<MainEditorComponent*> (editor->getChildComponent (0)); }

        juce::Rectangle<int> inputMeterArea()
        {
            for (auto* child : panel().getChildren())
                if (dynamic_cast<DvxQzStereoVuMeterComponent*> (child) != nullptr)
                    return child->getBoundsInParent();

            return {};
        }

        OrvelinAudioProcessor processor;
        std::unique_ptr<OrvelinAudioProcessorEditor> editor;
    };

    void paintEditor (benchmark::State& state, bool keepsTexturePicture, bool meterAreaOnly)
    {
        OpenEditor open ((int) state.range (0), keepsTexturePicture);
        juce::Image image (juce::Image::ARGB, open.editor->getWidth(), open.editor->getHeight(), true);
        const auto area = meterAreaOnly ? open.inputMeterArea() : open.editor->getLocalBounds();

        for (auto _ : state)
        {
            juce::Graphics g (image);
            g.reduceClipRegion (area);
            open.editor->paintEntireComponent (g, false);
            benchmark::DoNotOptimize (image.getPixelAt (area.getCentreX(), area.getCentreY()));
        }
    }

    void fullPaint (benchmark::State& state)                { paintEditor (state, true, false); }
    void fullPaintStrokeByStroke (benchmark::State& state)  { paintEditor (state, false, false); }
    void meterRepaint (benchmark::State& state)             { paintEditor (state, true, true); }
    void meterRepaintStrokeByStroke (benchmark::State& state) { paintEditor (state, false, true); }
}

BENCHMARK (fullPaint)->Arg (540)->Arg (864)->Unit (benchmark::kMillisecond);
BENCHMARK (fullPaintStrokeByStroke)->Arg (540)->Arg (864)->Unit (benchmark::kMillisecond);
BENCHMARK (meterRepaint)->Arg (540)->Arg (864)->Unit (benchmark::kMillisecond);
BENCHMARK (meterRepaintStrokeByStroke)->Arg (540)->Arg (864)->Unit (benchmark::kMillisecond);

namespace paintcases
{
    const std::vector<Case>& cases()
    {
        static const std::vector<Case> list {
            { "fullPaint", "fullPaintStrokeByStroke", "full paint of the editor" },
            { "meterRepaint", "meterRepaintStrokeByStroke", "repaint of the input meter's area" },
        };
        return list;
    }

    const std::vector<int>& heights()
    {
        static const std::vector<int> list { 540, 864 };
        return list;
    }
}

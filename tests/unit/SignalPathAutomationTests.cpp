// Width and pan are taken again for every sample, so an automation write that lands in
// the middle of a block takes effect from the next sample. Whatever the timing, every
// sample must be computed from one consistent value: a mix of the old and the new one
// (say the old pan's far-side factor with the new pan's side) would be audible as clicks.

#include "SignalPathTestSupport.h"

#include <atomic>
#include <thread>

using namespace signaltest;

TEST (SignalPathAutomation, APanWriteTakesEffectWithinTheBlockAndEachSampleUsesOneValueWholly)
{
    constexpr float panA = 0.2f, panB = 0.85f;
    constexpr int numSamples = 4096;

    auto automated = makeSignalPath();
    auto fixedA = makeSignalPath();
    auto fixedB = makeSignalPath();

    for (auto* p : { automated.get(), fixedA.get(), fixedB.get() })
    {
        set (*p, "StereoWidth", 0.8f);
        set (*p, "PanMode", 0.0f);      // dual pan: the width depends on the pan too
        set (*p, "PanCurve", 0.2f);
        set (*p, "PanLaw", 0.1f);
        set (*p, "MsMode", 0.1f);
    }

    set (*fixedA, "Pan", panA);
    set (*fixedB, "Pan", panB);
    set (*automated, "Pan", panA);

    std::atomic<bool> running { true };
    std::thread host ([&] {
        const int panIndex = automated->parameters->getParameterIndex ("Pan");
        for (int k = 0; running.load(); ++k)
            automated->parameters->setParameterValue (panIndex, k % 2 == 0 ? panB : panA);
    });

    juce::Random random (17);
    int blocksWithBothValues = 0;
    const auto giveUpAt = juce::Time::getMillisecondCounterHiRes() + 5000.0;

    // Until writes have been seen to land inside blocks a few times (each block runs for
    // a while and the writer never pauses, so this normally takes a handful of blocks).
    for (int block = 0; blocksWithBothValues < 3 && juce::Time::getMillisecondCounterHiRes() < giveUpAt; ++block)
    {
        const auto input = randomStereo (random, numSamples);
        auto a = input, b = input, actual = input;
        process (*fixedA, a);
        process (*fixedB, b);
        process (*automated, actual);

        bool sawA = false, sawB = false;

        for (int i = 0; i < numSamples; ++i)
        {
            const bool isA = sameBits (actual.getSample (0, i), a.getSample (0, i)) && sameBits (actual.getSample (1, i), a.getSample (1, i));
            const bool isB = sameBits (actual.getSample (0, i), b.getSample (0, i)) && sameBits (actual.getSample (1, i), b.getSample (1, i));
            sawA |= isA;
            sawB |= isB;

            if (! (isA || isB))
            {
                running = false;
                host.join();
                FAIL() << "block " << block << " sample " << i << " matches neither pan";
            }
        }

        blocksWithBothValues += sawA && sawB ? 1 : 0;
    }

    running = false;
    host.join();

    // A write must take effect from the next sample, not wait for the next block.
    EXPECT_GE (blocksWithBothValues, 1);
}

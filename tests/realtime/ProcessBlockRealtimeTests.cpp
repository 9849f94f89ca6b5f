// The audio thread must never allocate: an allocation can take a lock inside the
// allocator or page in memory, and either can make the host miss its deadline. This
// program counts every allocation made on the thread that runs processBlock (through the
// counting allocation functions of tests/helpers), while other threads automate every
// parameter, read the meters and ask for new SAFE BASS coefficients as a host, an editor
// and a state restore would.

#include "helpers/AllocationCounter.h"
#include "processor/OrvelinAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using orvelin::test::allocationsOnWatchedThreads;
using orvelin::test::WatchAllocations;

namespace
{
    // A host, an editor and a state restore, each on a thread of its own.
    class BusyNeighbours
    {
    public:
        explicit BusyNeighbours (OrvelinAudioProcessor& p) : processor (p)
        {
            threads.emplace_back ([this] { automateEveryParameter(); });
            threads.emplace_back ([this] { readLikeAnEditor(); });
            threads.emplace_back ([this] { restoreLikeAHost(); });
        }

        ~BusyNeighbours() { stop(); }

        void stop()
        {
            running = false;

            for (auto& t : threads)
                if (t.joinable())
                    t.join();
        }

        long parameterWrites() const { return writes.load(); }

    private:
        void automateEveryParameter()
        {
            juce::Random random (1234);
            const float choices[] = { 0.0f, 0.1f, 0.2f, 0.15f };
            const int count = processor.getParameterManager()->getNumberOfParameters();

            while (running.load())
            {
                for (int index = 0; index < count; ++index)
                {
                    // Choice values and switch values as the editor writes them, and
                    // anything in between as a host curve does.
                    const float value = random.nextBool() ? choices[random.nextInt (4)] : random.nextFloat();
                    processor.setParameter (index, value);
                    writes.fetch_add (1);
                }

                // Width and pan far more often, so that writes land inside blocks.
                for (int k = 0; k < 50; ++k)
                {
                    processor.setParameter (1, random.nextFloat());
                    processor.setParameter (2, random.nextFloat());
                }
            }
        }

        void readLikeAnEditor()
        {
            auto* manager = processor.getParameterManager();

            while (running.load())
            {
                processor.getInputVuMeterVisuals();
                processor.getOutputVuMeterVisuals();
                manager->getParameterNeedsToBeUpdatedInEditor();
                manager->getSampleRateNeedsToBeUpdatedInEditor();
                std::this_thread::yield();
            }
        }

        void restoreLikeAHost()
        {
            juce::Random random (99);

            while (running.load())
            {
                processor.calculateSafeBassFilterCoefficients (random.nextDouble());
                std::this_thread::sleep_for (std::chrono::microseconds (200));
            }
        }

        OrvelinAudioProcessor& processor;
        std::atomic<bool> running { true };
        std::atomic<long> writes { 0 };
        std::vector<std::thread> threads;
    };

    void fillWithNoise (juce::AudioBuffer<float>& buffer, juce::Random& random)
    {
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (channel, i, i % 17 == 0 ? 0.0f : random.nextFloat() * 2.0f - 1.0f);
    }

    long processBlocksWatched (OrvelinAudioProcessor& processor, int numBlocks)
    {
        // Every buffer exists before watching starts; block sizes vary as hosts' do.
        const int sizes[] = { 256, 61, 1, 512, 4 };
        std::vector<juce::AudioBuffer<float>> buffers;

        for (const int size : sizes)
            buffers.emplace_back (2, size);

        juce::MidiBuffer midi;
        juce::Random random (42);
        long allocations = 0;

        for (int block = 0; block < numBlocks; ++block)
        {
            auto& buffer = buffers[(size_t) block % buffers.size()];
            fillWithNoise (buffer, random);

            const auto before = allocationsOnWatchedThreads();
            {
                WatchAllocations watch;
                processor.processBlock (buffer, midi);
            }
            allocations += allocationsOnWatchedThreads() - before;
        }

        return allocations;
    }
}

TEST (RealtimeSafety, TheCounterSeesAllocationsOnTheWatchedThreadOnly)
{
    const auto before = allocationsOnWatchedThreads();
    {
        WatchAllocations watch;
        auto* value = new int (3);
        delete value;
        std::vector<float> values (100);
        std::thread ([] { std::vector<int> elsewhere (10); }).join();
    }
    const auto counted = allocationsOnWatchedThreads() - before;

    // The int and the vector; the thread start may allocate too, the other thread's
    // vector must not be counted.
    EXPECT_GE (counted, 2);

    const auto quiet = allocationsOnWatchedThreads();
    std::vector<float> unwatched (100);
    EXPECT_EQ (allocationsOnWatchedThreads(), quiet);
}

TEST (RealtimeSafety, ProcessBlockNeverAllocatesWhileEverythingElseIsBusy)
{
    OrvelinAudioProcessor processor;
    long allocations = 0;
    long writes = 0;

    // Hosts change the rate while stopped; the first blocks at the new rate re-tune the
    // filter on the audio thread, which must not allocate either.
    for (const double rate : { 44100.0, 96000.0 })
    {
        processor.setRateAndBufferSizeDetails (rate, 512);
        BusyNeighbours neighbours (processor);
        allocations += processBlocksWatched (processor, 4000);
        neighbours.stop();
        writes += neighbours.parameterWrites();
    }

    EXPECT_EQ (allocations, 0);
    EXPECT_GT (writes, 1000) << "the automation thread hardly ran; the test proved little";
}

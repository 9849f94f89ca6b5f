#include "FuzzSupport.h"
#include "helpers/TestEnvironment.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace orvelin::test
{
    const std::string& temporaryHome()
    {
        static const std::string home = redirectHomeToFreshTemporaryFolder ("orvelin-fuzz-home");
        return home;
    }
}

namespace orvelin::fuzz
{
    namespace
    {
        // Built with JUCE_LOG_ASSERTIONS, every assertion reaches the current logger.
        class AbortOnAssertion final : public juce::Logger
        {
            void logMessage (const juce::String& message) override
            {
                std::fprintf (stderr, "%s\n", message.toRawUTF8());

                if (message.startsWith ("JUCE Assertion failure"))
                    std::abort();
            }
        };

        struct Plugin
        {
            Plugin() { processor.setRateAndBufferSizeDetails (48000.0, 64); }

            juce::ScopedJuceInitialiser_GUI juceRuntime;
            OrvelinAudioProcessor processor;
        };

        AbortOnAssertion logger;
        Plugin* plugin = nullptr;

        void stopPlugin()
        {
            delete plugin;
            plugin = nullptr;
            juce::DeletedAtShutdown::deleteAll();
            juce::Logger::setCurrentLogger (nullptr);
            juce::File (juce::String (orvelin::test::temporaryHome())).deleteRecursively();
        }
    }

    OrvelinAudioProcessor& startPlugin()
    {
        orvelin::test::temporaryHome();

        if (plugin == nullptr)
        {
            // Before the processor exists, so that its constructor's assertions count too.
            juce::Logger::setCurrentLogger (&logger);
            plugin = new Plugin();
            std::atexit (stopPlugin);
        }

        return plugin->processor;
    }

    void fail (const char* what)
    {
        std::fprintf (stderr, "Broken invariant: %s\n", what);
        std::abort();
    }

    void checkParametersAndAudio (OrvelinAudioProcessor& processor)
    {
        auto* manager = processor.getParameterManager();

        for (int i = 0; i < manager->getNumberOfParameters(); ++i)
        {
            const float value = manager->getParameterValue (i);

            if (! (value >= 0.0f && value <= 1.0f))
                fail ("a parameter is not finite or outside 0..1");
        }

        juce::AudioBuffer<float> block (2, 64);

        for (int i = 0; i < block.getNumSamples(); ++i)
        {
            const auto s = 0.9f * std::sin (0.05f * (float) i);
            block.setSample (0, i, s);
            block.setSample (1, i, -0.3f * s);
        }

        juce::MidiBuffer midi;
        processor.processBlock (block, midi);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < block.getNumSamples(); ++i)
                if (! std::isfinite (block.getSample (channel, i)))
                    fail ("a processed sample is not finite");
    }

    std::map<std::string, std::string> contentsOf (const juce::File& folder)
    {
        std::map<std::string, std::string> contents;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, true))
        {
            juce::MemoryBlock bytes;
            file.loadFileAsData (bytes);
            contents[file.getFullPathName().toStdString()] = std::string (static_cast<const char*> (bytes.getData()), bytes.getSize());
        }

        return contents;
    }

    void writeExactly (const juce::File& file, const uint8_t* data, size_t size)
    {
        std::ofstream out (file.getFullPathName().toStdString(), std::ios::binary | std::ios::trunc);
        out.write (reinterpret_cast<const char*> (data), (std::streamsize) size);

        if (! out.good())
            fail ("cannot write the input file");
    }
}

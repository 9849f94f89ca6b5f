#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
    std::string makeTemporaryHome()
    {
        const char* base = std::getenv ("TMPDIR");
        std::string pattern = std::string (base != nullptr ? base : "/tmp") + "/orvelin-test-home-XXXXXX";

        if (::mkdtemp (pattern.data()) == nullptr)
        {
            std::perror ("mkdtemp");
            std::exit (2);
        }

        return pattern;
    }
}

namespace orvelin::test
{
    const std::string& temporaryHome()
    {
        static const std::string home = makeTemporaryHome();
        return home;
    }
}

int main (int argc, char** argv)
{
    // Nothing a test does may touch the real user's settings or presets: every path that
    // JUCE derives from the home folder now lies in a fresh temporary folder.
    const auto& home = orvelin::test::temporaryHome();
    ::setenv ("HOME", home.c_str(), 1);
    ::setenv ("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv ("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);

    ::testing::InitGoogleTest (&argc, argv);

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
        juce::DeletedAtShutdown::deleteAll();
    }

    if (std::getenv ("ORVELIN_KEEP_TEST_HOME") == nullptr)
        juce::File (home).deleteRecursively();

    return result;
}

#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

namespace orvelin::test
{
    const std::string& temporaryHome()
    {
        static const std::string home = redirectHomeToFreshTemporaryFolder ("orvelin-test-home");
        return home;
    }
}

int main (int argc, char** argv)
{
    // Nothing a test does may touch the real user's settings or presets: every path that
    // JUCE derives from the home folder now lies in a fresh temporary folder.
    const auto& home = orvelin::test::temporaryHome();

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

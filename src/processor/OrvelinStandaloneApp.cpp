// The Standalone application: JUCE's own (juce_StandaloneFilterApp.cpp) in all but where
// its settings come from. JUCE's opens them with juce::PropertiesFile, whose XML parser a
// hostile settings file crashes at every launch; this one opens the same file through
// OrvelinStandaloneSettings. Built into the Standalone target only, which sets
// JUCE_USE_CUSTOM_PLUGIN_STANDALONE_APP so that JUCE leaves the application to us.

#include "processor/OrvelinStandaloneSettings.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

namespace
{
    class OrvelinStandaloneApp : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override            { return JucePlugin_Name; }
        const juce::String getApplicationVersion() override         { return JucePlugin_VersionString; }
        bool moreThanOneInstanceAllowed() override                  { return true; }
        void anotherInstanceStarted (const juce::String&) override  {}

        void initialise (const juce::String&) override
        {
            settings = OrvelinStandaloneSettings::openSettingsFile();

            const auto background = juce::LookAndFeel::getDefaultLookAndFeel()
                                        .findColour (juce::ResizableWindow::backgroundColourId);

            // The window's holder keeps using the settings until the window is gone.
            mainWindow = std::make_unique<juce::StandaloneFilterWindow> (getApplicationName(), background,
                                                                         settings.get(), false);
            mainWindow->setVisible (true);
        }

        void shutdown() override
        {
            mainWindow = nullptr;
            settings = nullptr;   // saves what is left
        }

        void systemRequestedQuit() override
        {
            if (mainWindow != nullptr)
                mainWindow->pluginHolder->savePluginState();

            if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
            {
                juce::Timer::callAfterDelay (100, []
                {
                    if (auto* app = juce::JUCEApplicationBase::getInstance())
                        app->systemRequestedQuit();
                });
            }
            else
            {
                quit();
            }
        }

    private:
        std::unique_ptr<DvxSafePropertiesFile> settings;
        std::unique_ptr<juce::StandaloneFilterWindow> mainWindow;
    };
}

START_JUCE_APPLICATION (OrvelinStandaloneApp)

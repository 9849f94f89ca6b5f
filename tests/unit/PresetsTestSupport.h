#pragma once

// A processor with its own empty presets folder, and the checks that the preset and
// undo tests share.

#include "processor/OrvelinAudioProcessor.h"
#include "helpers/ExpectedParameterTable.h"
#include "helpers/PresetTestHelpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace orvelin::test
{
    // A readable GoogleTest name from a case description: its letters and digits, each word
    // capitalised ("next from user 1" -> "NextFromUser1").
    inline std::string testNameFrom (const char* description)
    {
        std::string name;
        bool startOfWord = true;

        for (auto* c = description; *c != 0; ++c)
        {
            if (std::isalnum ((unsigned char) *c))
            {
                name += startOfWord ? (char) std::toupper ((unsigned char) *c) : *c;
                startOfWord = false;
            }
            else
            {
                startOfWord = true;
            }
        }

        return name;
    }

    // Everything about the current preset that an undo or redo must bring back. The
    // modified flag is left out on purpose: undo and redo don't touch it.
    struct PresetSnapshot
    {
        std::vector<float> values;
        juce::String treeName;
        int presetID = 0;
        bool isFactory = true;

        bool operator== (const PresetSnapshot& other) const
        {
            return values == other.values && treeName == other.treeName
                && presetID == other.presetID && isFactory == other.isFactory;
        }

        bool operator!= (const PresetSnapshot& other) const { return ! operator== (other); }
    };

    inline std::ostream& operator<< (std::ostream& os, const PresetSnapshot& s)
    {
        os << (s.isFactory ? "factory " : "user ") << s.presetID << " \"" << s.treeName << "\" [";

        for (auto v : s.values)
            os << v << ' ';

        return os << ']';
    }

    inline juce::MemoryBlock stateOf (juce::AudioProcessor& p)
    {
        juce::MemoryBlock state;
        p.getStateInformation (state);
        return state;
    }

    inline void restore (juce::AudioProcessor& p, const juce::MemoryBlock& state)
    {
        p.setStateInformation (state.getData(), (int) state.getSize());
    }

    // Everything a refused load or restore must leave as it was, in one comparable text: the
    // state the host would save, the current tree, the preset's identity and the history.
    inline juce::String everythingALoadOrRestoreMayChange (OrvelinAudioProcessor& p)
    {
        return stateOf (p).toBase64Encoding() + p.getCurrentPresetValueTree()->toXmlString()
             + juce::String (p.getCurrentPresetID()) + (p.currentPresetIsFactory() ? "F" : "U")
             + (p.currentPresetWasModified() ? "M" : "-") + (p.canUndo() ? "u" : "-") + (p.canRedo() ? "r" : "-");
    }

    class PresetsTestBase : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            processor = std::make_unique<OrvelinAudioProcessor>();
            processor->addListener (&host);
        }

        void TearDown() override
        {
            processor->removeListener (&host);
            processor.reset();
        }

        OrvelinAudioProcessor& p() { return *processor; }

        const juce::ValueTree& tree() const { return *processor->getCurrentPresetValueTree(); }

        float param (const juce::String& name) const { return processor->getParameterManager()->getParameterValue (name); }

        // The folder the processor took from the properties file, checked to be this test's.
        juce::File userFolder() const
        {
            const auto folder = processor->getUserPresetsFolder();
            EXPECT_EQ (folder, presets.getFolder()) << "the processor did not take its presets folder from \"Presets Folder\"";
            return folder == presets.getFolder() ? folder : juce::File();
        }

        // A preset file that differs from the defaults in "StereoWidth" (and "Pan"), with
        // its own name as "PresetName".
        juce::ValueTree makeUserPresetTree (const juce::String& name, float stereoWidth, float pan = 0.5f) const
        {
            juce::ValueTree t ("VelmoraPreset");
            t.setProperty ("QzPluginName", "Orvelin", nullptr);
            t.setProperty ("PresetName", name, nullptr);
            t.setProperty ("PresetType", "User", nullptr);

            for (const auto& parameter : expectedParameters)
            {
                const juce::String parameterName = parameter.name;
                float value = parameter.defaultValue;

                if (parameterName == "StereoWidth") value = stereoWidth;
                if (parameterName == "Pan")         value = pan;

                juce::ValueTree child ("Parameter");
                child.setProperty ("ParameterName", parameterName, nullptr);
                child.setProperty ("Value", (double) value, nullptr);
                t.appendChild (child, nullptr);
            }

            return t;
        }

        // Widths that are exact in binary, so they survive the XML text unchanged.
        static float widthForUserPreset (int index) { return 0.0625f + 0.125f * (float) index; }

        static juce::String userPresetName (int index) { return "User Preset " + juce::String (index); }

        void writeUserPresets (int count)
        {
            const auto folder = userFolder();
            ASSERT_NE (folder, juce::File());

            for (int i = 0; i < count; ++i)
                writeUncompressedPresetFile (folder, userPresetName (i), makeUserPresetTree (userPresetName (i), widthForUserPreset (i)));
        }

        float widthOfUserPresetNamed (const juce::String& name) const
        {
            for (int i = 0; i < 16; ++i)
                if (userPresetName (i) == name)
                    return widthForUserPreset (i);

            ADD_FAILURE() << "unknown user preset " << name;
            return -1.0f;
        }

        PresetSnapshot snapshot() const
        {
            PresetSnapshot s;

            for (int i = 0; i < processor->getParameterManager()->getNumberOfParameters(); ++i)
                s.values.push_back (processor->getParameterManager()->getParameterValue (i));

            s.treeName = tree().getProperty ("PresetName").toString();
            s.presetID = processor->getCurrentPresetID();
            s.isFactory = processor->currentPresetIsFactory();
            return s;
        }

        // The parameters, what the host sees and was told, the shown name and the preset
        // identity all say the same as the current tree.
        void expectProcessorAgreesWithTree (bool hostWasToldEveryValue = true)
        {
            auto* manager = processor->getParameterManager();
            const auto* current = processor->getCurrentPresetValueTree();

            ASSERT_EQ (current->getNumChildren(), manager->getNumberOfParameters());

            for (int i = 0; i < manager->getNumberOfParameters(); ++i)
            {
                SCOPED_TRACE (manager->getParameterName (i));
                const float inTree = processor->getParamValueFromValueTree (current, i);

                EXPECT_EQ (manager->getParameterValue (i), inTree);
                EXPECT_EQ (processor->getParameter (i), inTree);

                if (hostWasToldEveryValue)
                {
                    ASSERT_EQ (host.lastValues.count (i), 1u);
                    EXPECT_EQ (host.lastValues[i], inTree);
                }
            }

            auto expectedName = current->getProperty ("PresetName").toString();

            if (processor->currentPresetWasModified())
                expectedName = expectedName.removeCharacters ("*") + "*";

            EXPECT_EQ (processor->getCurrentPresetName(), expectedName);
            EXPECT_EQ (processor->getProgramName (0), expectedName);

            if (current->hasProperty ("PresetType"))
            {
                EXPECT_EQ (processor->getCurrentPresetID(), (int) current->getProperty ("PresetID"));
                EXPECT_EQ (processor->currentPresetIsFactory(), current->getProperty ("PresetType").toString() == "Factory");
            }
        }

        // Declared first: the folder (and the properties file it changes) outlives the processor.
        ScopedPresetsFolder presets;
        HostNotificationRecorder host;
        std::unique_ptr<OrvelinAudioProcessor> processor;
    };
}

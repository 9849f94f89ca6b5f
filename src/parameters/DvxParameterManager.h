#pragma once

#include "parameters/DvxParameter.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <optional>

// Owns every parameter of one processor in registration order (position == index) and
// answers any index outside that range with a neutral value, because hosts ask for more
// slots than there are parameters.
//
// The flags tell the editor, which polls them, that something changed. Each getter is a
// test-and-clear; exchange() makes the pair atomic, so a raise that lands between the read
// and the clear is reported rather than lost. A raise is a release and a getter that
// reports it an acquire: the editor then sees everything written before the raise.
class DvxParameterManager
{
public:
    explicit DvxParameterManager (juce::AudioProcessor* owner);
    ~DvxParameterManager();

    juce::AudioProcessor* getAudioProcessor() const noexcept { return processor; }

    // Takes ownership. The parameter list must be complete before any other thread sees
    // the manager; it never shrinks or reorders afterwards.
    void addParameter (DvxParameter* newParameter);

    int getNumberOfParameters() const noexcept { return parameters.size(); }

    int getParameterIndex (const juce::String& name) const;
    DvxParameter* getParameter (const juce::String& name) const;
    DvxParameter* getParameter (int index) const noexcept;

    float getParameterValue (int index) const noexcept;
    float getParameterValue (const juce::String& name) const;

    // Every writer comes through here: host automation, the editor, preset loads, undo and
    // state restores. A value outside 0..1 is kept as the nearest end of it, so the signal
    // path, the editor and every save see the same bounded value. NaN has no nearest end:
    // it is ignored, as is an index outside the table. True when the value was stored.
    bool setParameterValue (int index, float newValue) noexcept;

    // A value as setParameterValue stores it, or nothing for NaN.
    static std::optional<float> bounded (float newValue) noexcept;

    juce::String getParameterValueAsText (int index) const;
    juce::String getParameterName (int index) const;

    bool getParameterNeedsToBeUpdatedInEditor() noexcept   { return testAndClear (parameterFlag); }
    bool getSampleRateNeedsToBeUpdatedInEditor() noexcept  { return testAndClear (sampleRateFlag); }
    bool getPresetNameNeedsToBeUpdatedInEditor() noexcept  { return testAndClear (presetNameFlag); }
    bool getUndoButtonsNeedToBeUpdatedInEditor() noexcept  { return testAndClear (undoButtonsFlag); }

    // A host restored a saved state: the editor settings (sizes, colour scheme, channel
    // name, expert mode) may have changed besides the values.
    bool getHostStateNeedsToBeUpdatedInEditor() noexcept   { return testAndClear (hostStateFlag); }

    void setSampleRateNeedsToBeUpdatedInEditor (bool shouldUpdate) noexcept  { sampleRateFlag.store (shouldUpdate, std::memory_order_release); }
    void setPresetNameNeedsToBeUpdatedInEditor (bool shouldUpdate) noexcept  { presetNameFlag.store (shouldUpdate, std::memory_order_release); }
    void setHostStateNeedsToBeUpdatedInEditor (bool shouldUpdate) noexcept   { hostStateFlag.store (shouldUpdate, std::memory_order_release); }

private:
    static bool testAndClear (std::atomic<bool>& flag) noexcept
    {
        return flag.exchange (false, std::memory_order_acquire);
    }

    juce::AudioProcessor* processor;
    juce::OwnedArray<DvxParameter> parameters;
    std::atomic<bool> parameterFlag { false };
    std::atomic<bool> sampleRateFlag { false };
    std::atomic<bool> presetNameFlag { false };
    std::atomic<bool> undoButtonsFlag { false };
    std::atomic<bool> hostStateFlag { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxParameterManager)
};

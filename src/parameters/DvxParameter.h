#pragma once

#include "parameters/DvxParameterValueMapper.h"

#include <atomic>
#include <memory>

class DvxParameterManager;

// One automatable value. Its name is its key everywhere (host, editor, presets, state),
// so it is fixed at registration. The value and the changed flag are read by the audio
// thread and the editor while the host or the editor writes them, hence atomics. They are
// published with release and taken with acquire, so that a thread that sees a new value
// or flag also sees what its writer did before (on a weakly ordered CPU it otherwise
// might not).
class DvxParameter
{
public:
    DvxParameter (DvxParameterManager* owner, DvxParameterValueMapper::DvxMappingENUM mappingKind);
    ~DvxParameter();

    DvxParameterManager* getParameterManager() const noexcept { return manager; }

    int getIndex() const noexcept { return index; }
    void setIndex (int newIndex) noexcept { index = newIndex; }

    float getValue() const noexcept { return value.load (std::memory_order_acquire); }

    // Stores what it is given. Every writer but the registration of the defaults goes
    // through DvxParameterManager::setParameterValue, which keeps values to 0..1.
    void setValue (float newValue) noexcept
    {
        value.store (newValue, std::memory_order_release);
        changed.store (true, std::memory_order_release);
    }

    float getDefaultValue() const noexcept { return defaultValue; }
    void setDefaultValue (float newDefault) noexcept { defaultValue = newDefault; }

    juce::String getName() const { return name; }
    void setName (const juce::String& newName) { name = newName; }

    juce::String getValueAsText() const;

    bool hasFlagChanged() const noexcept { return changed.load (std::memory_order_acquire); }

    DvxParameterValueMapper* getValueMapper() const noexcept { return valueMapper.get(); }

private:
    int index = -1;
    std::atomic<float> value { 0.0f };
    float defaultValue = 0.0f;
    juce::String name { "reserved" };
    std::atomic<bool> changed { false };
    DvxParameterManager* manager;
    std::unique_ptr<DvxParameterValueMapper> valueMapper;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DvxParameter)
};

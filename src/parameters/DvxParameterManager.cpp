#include "parameters/DvxParameterManager.h"

#include <cmath>

DvxParameterManager::DvxParameterManager (juce::AudioProcessor* owner)
    : processor (owner)
{
}

DvxParameterManager::~DvxParameterManager()
{
    // OwnedArray deletes from the last element to the first, the reverse of registration.
    parameters.clear();
}

void DvxParameterManager::addParameter (DvxParameter* newParameter)
{
    if (newParameter == nullptr)
        return;

    newParameter->setIndex (parameters.size());
    parameters.add (newParameter);
}

int DvxParameterManager::getParameterIndex (const juce::String& name) const
{
    for (int i = 0; i < parameters.size(); ++i)
        if (parameters.getUnchecked (i)->getName() == name)
            return i;

    return -1;
}

DvxParameter* DvxParameterManager::getParameter (const juce::String& name) const
{
    return getParameter (getParameterIndex (name));
}

DvxParameter* DvxParameterManager::getParameter (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, parameters.size()) ? parameters.getUnchecked (index) : nullptr;
}

float DvxParameterManager::getParameterValue (int index) const noexcept
{
    if (auto* p = getParameter (index))
        return p->getValue();

    return 0.0f;
}

float DvxParameterManager::getParameterValue (const juce::String& name) const
{
    return getParameterValue (getParameterIndex (name));
}

std::optional<float> DvxParameterManager::bounded (float newValue) noexcept
{
    if (std::isnan (newValue))
        return std::nullopt;

    return juce::jlimit (0.0f, 1.0f, newValue);
}

bool DvxParameterManager::setParameterValue (int index, float newValue) noexcept
{
    auto* p = getParameter (index);
    const auto value = bounded (newValue);

    if (p == nullptr || ! value.has_value())
        return false;

    p->setValue (*value);
    parameterFlag.store (true, std::memory_order_release);
    presetNameFlag.store (true, std::memory_order_release);
    undoButtonsFlag.store (true, std::memory_order_release);
    return true;
}

juce::String DvxParameterManager::getParameterValueAsText (int index) const
{
    if (auto* p = getParameter (index))
        return p->getValueAsText();

    return {};
}

juce::String DvxParameterManager::getParameterName (int index) const
{
    if (auto* p = getParameter (index))
        return p->getName();

    return index == -1 ? "invalid parameter" : "reserved";
}

#include "parameters/DvxParameter.h"

DvxParameter::DvxParameter (DvxParameterManager* owner, DvxParameterValueMapper::DvxMappingENUM mappingKind)
    : manager (owner)
{
    if (mappingKind != DvxParameterValueMapper::mapNone)
        valueMapper = std::make_unique<DvxParameterValueMapper> (this, mappingKind);
}

DvxParameter::~DvxParameter() = default;

juce::String DvxParameter::getValueAsText() const
{
    if (valueMapper != nullptr)
        return valueMapper->normed2RealValueAsString (getValue());

    return juce::String (getValue());
}

#include "processor/OrvelinParameterTable.h"
#include "parameters/DvxParameterManager.h"

void OrvelinParameters::registerAll (DvxParameterManager& manager, const std::function<void (Index)>& beforeRow)
{
    for (int i = 0; i < numParameters; ++i)
    {
        const auto index = (Index) i;

        if (beforeRow)
            beforeRow (index);

        // Registration stores the default as the value, which raises the parameter's own
        // changed flag but none of the manager's.
        const auto& r = row (index);
        auto* parameter = new DvxParameter (&manager, r.kind);
        parameter->setName (r.name);
        parameter->setValue (r.defaultValue);
        parameter->setDefaultValue (r.defaultValue);
        manager.addParameter (parameter);
    }
}

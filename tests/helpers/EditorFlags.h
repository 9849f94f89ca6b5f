#pragma once

#include "parameters/DvxParameterManager.h"

namespace orvelin::test
{
    // Reads every editor flag once, so that a test starts from "nothing to report" and
    // sees only what its own actions raise.
    inline void drainEditorFlags (DvxParameterManager& m)
    {
        m.getParameterNeedsToBeUpdatedInEditor();
        m.getSampleRateNeedsToBeUpdatedInEditor();
        m.getPresetNameNeedsToBeUpdatedInEditor();
        m.getUndoButtonsNeedToBeUpdatedInEditor();
        m.getHostStateNeedsToBeUpdatedInEditor();
    }
}

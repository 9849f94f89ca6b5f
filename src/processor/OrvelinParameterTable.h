#pragma once

#include "parameters/DvxParameterValueMapper.h"

#include <array>
#include <functional>

class DvxParameterManager;

// The plug-in's parameters, written down once. They are registered in this order, so a
// parameter's index in the DvxParameterManager is its row here; the registration, the
// host's stable IDs and the audio thread's lookups all read this table.
namespace OrvelinParameters
{
    enum Index : int
    {
        bypass,
        stereoWidth,
        pan,
        inputGain,
        outputGain,
        swapLR,
        phaseFlip,
        mono,
        muteAll,
        muteMid,
        muteSide,
        panCurve,
        panLaw,
        msMode,
        panMode,
        phaseAlignSide,
        safeBassFreq,
        safeBass,
        numParameters
    };

    struct Row
    {
        const char* name;       // the key everywhere, and the host's stable ID
        float defaultValue;     // normalised; also the value at registration
        DvxParameterValueMapper::DvxMappingENUM kind;
    };

    using M = DvxParameterValueMapper;

    inline constexpr std::array<Row, numParameters> table { {
        { "Bypass",         0.0f,   M::mapBypass },
        { "StereoWidth",    0.5f,   M::mapPercent200 },
        { "Pan",            0.5f,   M::mapPan100 },
        { "InputGain",      0.5f,   M::mapGainDb12 },
        { "OutputGain",     0.5f,   M::mapGainDb12 },
        { "SwapLR",         0.0f,   M::mapSwap },
        { "PhaseFlip",      0.0f,   M::mapPhaseFlip },
        { "Mono",           0.0f,   M::mapMono },
        { "MuteAll",        0.0f,   M::mapMuteAll },
        { "MuteMid",        0.0f,   M::mapMuteMid },
        { "MuteSide",       0.0f,   M::mapMuteSide },
        { "PanCurve",       0.1f,   M::mapPanCurve },
        { "PanLaw",         0.0f,   M::mapPanLaw },
        { "MsMode",         0.0f,   M::mapMsMode },
        { "PanMode",        0.1f,   M::mapPanMode },
        { "PhaseAlignSide", 0.0f,   M::mapPhaseAlignSide },
        { "SafeBassFreq",   0.286f, M::mapSafeBassFreq },
        { "SafeBass",       0.0f,   M::mapSafeBass },
    } };

    constexpr const Row& row (Index index) noexcept { return table[(size_t) index]; }

    // Registers the rows in order, each as a DvxParameter of its mapping kind whose value
    // and default are the row's default. beforeRow, when given, runs before each row with
    // that row's index.
    void registerAll (DvxParameterManager& manager, const std::function<void (Index)>& beforeRow = {});
}

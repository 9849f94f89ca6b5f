#pragma once

#include <iterator>

namespace orvelin::test
{
    struct ExpectedParameter
    {
        const char* name;
        float defaultValue;
        const char* defaultText;
    };

    // The parameter table as a host must see it, slot by slot. Hosts store slots by index
    // and by name in their sessions, so this is written out independently of the code.
    inline constexpr ExpectedParameter expectedParameters[] = {
        { "Bypass",         0.0f,   "BYPASS OFF" },
        { "StereoWidth",    0.5f,   "100 %" },
        { "Pan",            0.5f,   "C" },
        { "InputGain",      0.5f,   "0.0dB" },
        { "OutputGain",     0.5f,   "0.0dB" },
        { "SwapLR",         0.0f,   "NO SWAP" },
        { "PhaseFlip",      0.0f,   "PHASE NORMAL" },
        { "Mono",           0.0f,   "MONO OFF" },
        { "MuteAll",        0.0f,   "NO MUTE-ALL" },
        { "MuteMid",        0.0f,   "NO MUTE-MID" },
        { "MuteSide",       0.0f,   "NO MUTE-SIDE" },
        { "PanCurve",       0.1f,   "logarithmic" },
        { "PanLaw",         0.0f,   "-0dB" },
        { "MsMode",         0.0f,   "fix mid" },
        { "PanMode",        0.1f,   "balance" },
        { "PhaseAlignSide", 0.0f,   "NO PHASE ALIGN" },
        { "SafeBassFreq",   0.286f, "150Hz" },
        { "SafeBass",       0.0f,   "SAFE BASS OFF" },
    };

    inline constexpr int numRealParameters = (int) std::size (expectedParameters);
    inline constexpr int numParameterSlots = 50;
}

# tests/fuzz/WrapperStateFuzzer.cpp is a host rather than a plug-in: it loads the built VST3,
# LV2 and VST2 binaries and hands each a state through its format's own envelope, using the
# SDK headers JUCE bundles and fst's. The fuzz build links it with libFuzzer (Fuzz.cmake); the
# test build runs it over its seeds with tests/fuzz/SeedRunner.cpp (Tests.cmake), so that the
# JUCE patches only this host reaches are checked on every test run.

# orvelin_add_wrapper_state_host(<target> [<more sources>...])
function(orvelin_add_wrapper_state_host target)
    set(source "${CMAKE_SOURCE_DIR}/tests/fuzz/WrapperStateFuzzer.cpp")
    set(sdks "${JUCE_MODULES_DIR}/juce_audio_processors/format_types")

    add_executable(${target} "${source}" ${ARGN})
    # The VST3 interfaces have no virtual destructor by design (objects end with release()).
    # fst marks its open questions with #warning. JUCE declares fst's types inside a namespace
    # of its own, so clang's UBSan function-type check would flag every call into the VST2 module.
    target_compile_options(${target} PRIVATE ${ORVELIN_WARNING_FLAGS} -Wno-non-virtual-dtor -Wno-cpp
        $<$<CXX_COMPILER_ID:Clang>:-fno-sanitize=function>)
    target_include_directories(${target} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    target_include_directories(${target} SYSTEM PRIVATE "${sdks}/VST3_SDK" "${sdks}/LV2_SDK/lv2")
    target_compile_definitions(${target} PRIVATE
        ORVELIN_VST3_MODULE="$<TARGET_FILE:Orvelin_VST3>"
        ORVELIN_LV2_LIBRARY="$<TARGET_FILE:Orvelin_LV2>"
        ORVELIN_VST2_MODULE="$<TARGET_FILE:Orvelin_VST>")
    target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
    add_dependencies(${target} Orvelin_VST3 Orvelin_LV2 Orvelin_VST)
endfunction()

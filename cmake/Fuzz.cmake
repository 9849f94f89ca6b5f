# libFuzzer targets (tests/fuzz/*Fuzzer.cpp), one per reader of untrusted input, built by
# `./build.sh fuzz` with clang. That mode instruments the whole build
# (ORVELIN_SANITIZE=fuzzer-no-link,address,undefined); only these programs link libFuzzer's
# own main. JUCE's assertions are logged in this build even without debugging, so that the
# fuzz programs can turn each one into a crash.

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer)")
endif()

target_compile_definitions(Orvelin PUBLIC JUCE_LOG_ASSERTIONS=1)

# clang links the sanitizer runtimes into executables only; the plug-in binaries find them
# in the program that loads them, so JUCE's --no-undefined is lifted for them here.
foreach(format VST3 LV2 VST)
    target_link_options(Orvelin_${format} PRIVATE LINKER:-z,undefs)
endforeach()

set(ORVELIN_FUZZ_SUPPORT "${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzSupport.cpp")
file(GLOB ORVELIN_FUZZERS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/*Fuzzer.cpp")
set(ORVELIN_WRAPPER_FUZZER "${CMAKE_SOURCE_DIR}/tests/fuzz/WrapperStateFuzzer.cpp")
list(REMOVE_ITEM ORVELIN_FUZZERS "${ORVELIN_WRAPPER_FUZZER}")

foreach(source IN LISTS ORVELIN_FUZZERS)
    # PresetFileFuzzer.cpp -> orvelin_fuzz_preset_file
    get_filename_component(name "${source}" NAME_WE)
    string(REGEX REPLACE "Fuzzer$" "" name "${name}")
    string(REGEX REPLACE "([a-z])([A-Z])" "\\1_\\2" name "${name}")
    string(TOLOWER "orvelin_fuzz_${name}" target)

    add_executable(${target} "${source}" "${ORVELIN_FUZZ_SUPPORT}")
    set_source_files_properties("${source}" "${ORVELIN_FUZZ_SUPPORT}" PROPERTIES COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS}")
    target_include_directories(${target} PRIVATE
        "${CMAKE_SOURCE_DIR}/tests"
        $<TARGET_PROPERTY:Orvelin,INCLUDE_DIRECTORIES>)
    target_compile_definitions(${target} PRIVATE $<TARGET_PROPERTY:Orvelin,COMPILE_DEFINITIONS>)
    target_link_libraries(${target} PRIVATE Orvelin)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endforeach()

# The wrapper target is a host rather than a plug-in: it loads the built VST3, LV2 and VST2
# binaries (instrumented like everything in this build) and hands each a state through its
# format's own envelope, using the SDK headers JUCE bundles and fst's.
set(ORVELIN_FORMAT_SDKS "${JUCE_MODULES_DIR}/juce_audio_processors/format_types")
add_executable(orvelin_fuzz_wrapper_state "${ORVELIN_WRAPPER_FUZZER}")
# fst marks its open questions with #warning. JUCE declares fst's types inside a namespace
# of its own, so UBSan's function-type check would flag every call into the VST2 module.
set_source_files_properties("${ORVELIN_WRAPPER_FUZZER}" PROPERTIES
    COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS};-Wno-#warnings;-fno-sanitize=function")
target_include_directories(orvelin_fuzz_wrapper_state SYSTEM PRIVATE
    "${ORVELIN_FORMAT_SDKS}/VST3_SDK"
    "${ORVELIN_FORMAT_SDKS}/LV2_SDK/lv2")
target_compile_definitions(orvelin_fuzz_wrapper_state PRIVATE
    ORVELIN_VST3_MODULE="$<TARGET_FILE:Orvelin_VST3>"
    ORVELIN_LV2_LIBRARY="$<TARGET_FILE:Orvelin_LV2>"
    ORVELIN_VST2_MODULE="$<TARGET_FILE:Orvelin_VST>")
target_link_libraries(orvelin_fuzz_wrapper_state PRIVATE ${CMAKE_DL_LIBS})
target_link_options(orvelin_fuzz_wrapper_state PRIVATE -fsanitize=fuzzer)
add_dependencies(orvelin_fuzz_wrapper_state Orvelin_VST3 Orvelin_LV2 Orvelin_VST)

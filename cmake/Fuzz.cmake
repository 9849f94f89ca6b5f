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

# The wrapper target is a host of the built plug-in binaries, instrumented like everything
# in this build.
include(WrapperStateHost)
orvelin_add_wrapper_state_host(orvelin_fuzz_wrapper_state)
target_link_options(orvelin_fuzz_wrapper_state PRIVATE -fsanitize=fuzzer)

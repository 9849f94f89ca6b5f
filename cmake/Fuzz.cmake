# libFuzzer targets (tests/fuzz/*Fuzzer.cpp), one per reader of untrusted input, built by
# `./build.sh fuzz` with clang. That mode instruments the whole build
# (ORVELIN_SANITIZE=fuzzer-no-link,address,undefined); only these programs link libFuzzer's
# own main. JUCE's assertions are logged in this build even without debugging, so that the
# fuzz programs can turn each one into a crash.

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer)")
endif()

target_compile_definitions(Orvelin PUBLIC JUCE_LOG_ASSERTIONS=1)

set(ORVELIN_FUZZ_SUPPORT "${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzSupport.cpp")
file(GLOB ORVELIN_FUZZERS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/*Fuzzer.cpp")

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

# GoogleTest programs under CTest. Every program gets the shared main in tests/helpers,
# which points HOME and XDG_CONFIG_HOME at a temporary folder and starts JUCE.
#
#   tests/unit/*.cpp    processor and parameter tests          (orvelin_unit_tests)
#   tests/editor/*.cpp  widget and editor tests, under Xvfb     (orvelin_editor_tests)
#   tests/realtime/     allocation counting, own operator new   (orvelin_realtime_tests)
#   tests/host/         loads the built plug-ins as a host does (orvelin_host_tests)

find_package(GTest REQUIRED)

set(ORVELIN_TEST_HELPERS
    "${CMAKE_SOURCE_DIR}/tests/helpers/TestMain.cpp")

# JUCE's assertions and leak detector only print; these make them fail the test.
set(ORVELIN_TEST_FAILURES "Leaked objects detected|JUCE Assertion failure|ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer")

find_program(ORVELIN_XVFB_RUN xvfb-run)

# orvelin_add_test_program(<name> SOURCES <files...> [XVFB] [EXTRA_SOURCES <files...>])
function(orvelin_add_test_program name)
    cmake_parse_arguments(ARG "XVFB" "" "SOURCES;EXTRA_SOURCES" ${ARGN})
    if(NOT ARG_SOURCES)
        return()
    endif()

    add_executable(${name} ${ARG_SOURCES} ${ARG_EXTRA_SOURCES} ${ORVELIN_TEST_HELPERS})
    set_source_files_properties(${ARG_SOURCES} ${ARG_EXTRA_SOURCES} ${ORVELIN_TEST_HELPERS}
        PROPERTIES COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS}")
    target_include_directories(${name} PRIVATE
        "${CMAKE_SOURCE_DIR}/tests"
        $<TARGET_PROPERTY:Orvelin,INCLUDE_DIRECTORIES>)
    target_compile_definitions(${name} PRIVATE
        $<TARGET_PROPERTY:Orvelin,COMPILE_DEFINITIONS>
        ORVELIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        ORVELIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
    target_link_libraries(${name} PRIVATE Orvelin GTest::gtest)

    if(ARG_XVFB AND ORVELIN_XVFB_RUN)
        add_test(NAME ${name}
                 COMMAND ${ORVELIN_XVFB_RUN} -a -s "-screen 0 1920x1080x24" $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()

    set_tests_properties(${name} PROPERTIES
        FAIL_REGULAR_EXPRESSION "${ORVELIN_TEST_FAILURES}"
        WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
        TIMEOUT 900)
endfunction()

file(GLOB ORVELIN_UNIT_TESTS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/unit/*.cpp")
orvelin_add_test_program(orvelin_unit_tests SOURCES ${ORVELIN_UNIT_TESTS})

file(GLOB ORVELIN_EDITOR_TESTS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/editor/*.cpp")
file(GLOB ORVELIN_EDITOR_HELPERS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/helpers/editor/*.cpp")
orvelin_add_test_program(orvelin_editor_tests XVFB
    SOURCES ${ORVELIN_EDITOR_TESTS} EXTRA_SOURCES ${ORVELIN_EDITOR_HELPERS})
if(TARGET orvelin_editor_tests)
    find_package(X11 REQUIRED)
    target_link_libraries(orvelin_editor_tests PRIVATE X11::X11)
endif()

file(GLOB ORVELIN_REALTIME_TESTS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/realtime/*.cpp")
set(ORVELIN_ALLOCATION_COUNTER "${CMAKE_SOURCE_DIR}/tests/helpers/AllocationCounter.cpp")
orvelin_add_test_program(orvelin_realtime_tests
    SOURCES ${ORVELIN_REALTIME_TESTS} EXTRA_SOURCES ${ORVELIN_ALLOCATION_COUNTER})

include(HostTests OPTIONAL)

# The wrapper state fuzz target over its seeds: the states in tests/data, which it wraps in
# each format's envelope itself, and ready-made inputs in tests/fuzz/seeds/wrapper_state. As
# in every test, JUCE must not assert: that is how a forged count in a VST3 state shows in a
# build without sanitizers when the value-tree reader's fix is missing.
include(WrapperStateHost)
orvelin_add_wrapper_state_host(orvelin_wrapper_state_seeds "${CMAKE_SOURCE_DIR}/tests/fuzz/SeedRunner.cpp")
file(GLOB ORVELIN_WRAPPER_SEED_STATES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/tests/data/*.state"
    "${CMAKE_SOURCE_DIR}/tests/data/*.bin")
add_test(NAME orvelin_wrapper_state_seeds
         COMMAND orvelin_wrapper_state_seeds "${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/wrapper_state" ${ORVELIN_WRAPPER_SEED_STATES})
set_tests_properties(orvelin_wrapper_state_seeds PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ORVELIN_TEST_FAILURES}"
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    TIMEOUT 900)

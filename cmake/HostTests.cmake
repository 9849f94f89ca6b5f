# orvelin_host_tests: loads the built VST3 and LV2 bundles through JUCE's own hosting
# classes and the VST2 module through a small raw host on the fst headers, checks that
# each host sees what the processor exposes, and opens and resizes the plug-in's editor
# in each. It also starts the built Standalone with hostile settings files.
#
# The program is a host, not a plug-in: it compiles the JUCE modules itself with hosting
# switched on and never links the Orvelin shared-code target, which is built as a plug-in
# client. Included from Tests.cmake, so ORVELIN_TEST_HELPERS and ORVELIN_TEST_FAILURES
# are known here.

file(GLOB ORVELIN_HOST_TEST_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/tests/host/*.cpp"
    "${CMAKE_SOURCE_DIR}/tests/host/*.h")

if(NOT ORVELIN_HOST_TEST_SOURCES)
    return()
endif()

juce_add_console_app(orvelin_host_tests PRODUCT_NAME "OrvelinHostTests")

# The editors open on xvfb-run's screen, which has no window manager: X errors must not
# end the program (see the editor tests).
set(ORVELIN_HOST_TEST_X11_HELPERS "${CMAKE_SOURCE_DIR}/tests/helpers/editor/LenientXErrorHandler.cpp")

target_sources(orvelin_host_tests PRIVATE ${ORVELIN_HOST_TEST_SOURCES} ${ORVELIN_TEST_HELPERS} ${ORVELIN_HOST_TEST_X11_HELPERS}
    ${ORVELIN_ALLOCATION_COUNTER})
set_source_files_properties(${ORVELIN_HOST_TEST_SOURCES} ${ORVELIN_TEST_HELPERS} ${ORVELIN_HOST_TEST_X11_HELPERS}
    ${ORVELIN_ALLOCATION_COUNTER}
    PROPERTIES COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS}")
# The raw VST2 host includes fst, which prints #warning lines on purpose.
set_property(SOURCE "${CMAKE_SOURCE_DIR}/tests/host/RawVst2Host.cpp" APPEND PROPERTY COMPILE_OPTIONS -Wno-cpp)

# Where the format targets put their artefacts. The property holds generator expressions
# of its own, hence GENEX_EVAL.
target_compile_definitions(orvelin_host_tests PRIVATE
    ${ORVELIN_JUCE_DEFINITIONS}
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1
    JUCE_PLUGINHOST_VST=0
    ORVELIN_VST3_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:Orvelin_VST3,JUCE_PLUGIN_ARTEFACT_FILE>>"
    ORVELIN_LV2_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:Orvelin_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
    ORVELIN_VST2_MODULE="$<GENEX_EVAL:$<TARGET_PROPERTY:Orvelin_VST,JUCE_PLUGIN_ARTEFACT_FILE>>"
    ORVELIN_STANDALONE_APP="$<TARGET_FILE:Orvelin_Standalone>"
    ORVELIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

target_include_directories(orvelin_host_tests PRIVATE "${CMAKE_SOURCE_DIR}/tests")

find_package(X11 REQUIRED)

target_link_libraries(orvelin_host_tests PRIVATE
    juce::juce_audio_processors
    juce::juce_recommended_config_flags
    orvelin_quiet_juce
    GTest::gtest
    X11::X11
    X11::Xtst
    ${CMAKE_DL_LIBS})

# The test loads the artefacts (and starts the Standalone), so they must be built (and the
# LV2 turtle files written) before it runs.
add_dependencies(orvelin_host_tests Orvelin_VST3 Orvelin_LV2 Orvelin_VST Orvelin_Standalone)

# The editors need a screen; the resize drag moves xvfb-run's pointer through XTest.
if(ORVELIN_XVFB_RUN)
    add_test(NAME orvelin_host_tests
             COMMAND ${ORVELIN_XVFB_RUN} -a -s "-screen 0 1920x1080x24" $<TARGET_FILE:orvelin_host_tests>)
else()
    add_test(NAME orvelin_host_tests COMMAND orvelin_host_tests)
endif()
set_tests_properties(orvelin_host_tests PROPERTIES
    FAIL_REGULAR_EXPRESSION "${ORVELIN_TEST_FAILURES}"
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    TIMEOUT 900)

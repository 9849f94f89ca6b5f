# Compiler settings and the JUCE package shared by every target.

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

if(ORVELIN_SANITIZE)
    add_compile_options(-fsanitize=${ORVELIN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ORVELIN_SANITIZE})
endif()

# The juce:: targets, from Debian's JUCE with our patches applied.
include(JucePatches)

# Warnings for our own sources. The index-based parameter interface is deprecated in
# JUCE 7 but is the plug-in's design, so that one warning is silenced; GCC 12 also gives
# false dangling-pointer and stringop-overflow reports inside JUCE and the VST3 SDK. The
# fuzz build uses clang, which spells the shadow warning differently and lacks the other two;
# its unused-private-field warning (GCC has none) would flag members kept by design or for
# parts still to come.
set(ORVELIN_WARNING_FLAGS
    -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual
    -Wno-deprecated-declarations)

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND ORVELIN_WARNING_FLAGS -Wshadow=local)
else()
    list(APPEND ORVELIN_WARNING_FLAGS -Wshadow-uncaptured-local -Wno-unused-private-field)
endif()

add_library(orvelin_quiet_juce INTERFACE)
target_compile_options(orvelin_quiet_juce INTERFACE
    -Wno-deprecated-declarations
    $<$<CXX_COMPILER_ID:GNU>:-Wno-dangling-pointer -Wno-stringop-overflow>)
target_link_options(orvelin_quiet_juce INTERFACE
    $<$<CXX_COMPILER_ID:GNU>:-Wno-dangling-pointer -Wno-stringop-overflow>)

# Module options common to the plug-in and to the test host. No web browser, curl or
# external codecs are needed, and the splash screen is not required under the GPL.
set(ORVELIN_JUCE_DEFINITIONS
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_USE_FLAC=0
    JUCE_USE_OGGVORBIS=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    JUCE_STRICT_REFCOUNTEDPOINTER=1)

# The plug-in: one shared-code static library (target Orvelin) holds all of our code and
# the JUCE modules; the format targets and the tests link it.

set(ORVELIN_FORMATS VST3 LV2 VST Standalone)
if(APPLE)
    list(APPEND ORVELIN_FORMATS AU AAX)
endif()

juce_add_plugin(Orvelin
    PRODUCT_NAME "Orvelin"
    COMPANY_NAME "Velmora"
    BUNDLE_ID "com.Velmora.Orvelin"
    PLUGIN_MANUFACTURER_CODE QzVm
    PLUGIN_CODE QzOr
    VERSION 1.1.0
    FORMATS ${ORVELIN_FORMATS}
    IS_SYNTH FALSE
    NEEDS_MIDI_INPUT FALSE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS TRUE
    VST2_CATEGORY kPlugCategEffect
    AAX_IDENTIFIER com.Velmora.Orvelin
    AAX_CATEGORY AAX_ePlugInCategory_SoundField
    LV2URI "https://velmora.example/plugins/orvelin"
    COPY_PLUGIN_AFTER_BUILD FALSE)

file(GLOB_RECURSE ORVELIN_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/*.cpp"
    "${CMAKE_SOURCE_DIR}/src/*.h")
# The Standalone's application class is that target's alone (see below).
set(ORVELIN_STANDALONE_APP_SOURCE "${CMAKE_SOURCE_DIR}/src/processor/OrvelinStandaloneApp.cpp")
list(REMOVE_ITEM ORVELIN_SOURCES "${ORVELIN_STANDALONE_APP_SOURCE}")
target_sources(Orvelin PRIVATE ${ORVELIN_SOURCES})
# Our headers are included from src/ ("processor/OrvelinAudioProcessor.h"); the generated
# BinaryData.h adds its own folder (Resources.cmake).
target_include_directories(Orvelin PUBLIC "${CMAKE_SOURCE_DIR}/src")

# Debian's JUCE defines the LV2 URI from the product name before the CMake value is
# read, which yields a file:// URI that hosts can't open; the real one is given here.
target_compile_definitions(Orvelin PUBLIC
    ${ORVELIN_JUCE_DEFINITIONS}
    JucePlugin_LV2URI="https://velmora.example/plugins/orvelin"
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_FORCE_USE_LEGACY_PARAM_IDS=1)

target_link_libraries(Orvelin
    PRIVATE
        juce::juce_audio_utils
    PUBLIC
        juce::juce_recommended_config_flags
        orvelin_quiet_juce)

# Untrusted XML (preset files, state blobs) is read with expat, from Debian's libexpat1-dev.
find_package(PkgConfig REQUIRED)
pkg_check_modules(EXPAT REQUIRED IMPORTED_TARGET expat)
target_link_libraries(Orvelin PRIVATE PkgConfig::EXPAT)

# Our own sources get the strict warning set; JUCE's module sources, compiled into the
# same target, keep JUCE's own.
set_source_files_properties(${ORVELIN_SOURCES} ${ORVELIN_STANDALONE_APP_SOURCE}
    PROPERTIES COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS}")

if(TARGET OrvelinBinaryData)
    target_link_libraries(Orvelin PRIVATE OrvelinBinaryData)
endif()

foreach(format IN LISTS ORVELIN_FORMATS)
    if(TARGET Orvelin_${format})
        target_link_libraries(Orvelin_${format} PRIVATE orvelin_quiet_juce)
    endif()
endforeach()

# Each binary exports its format's entry points and nothing else (VST2 also its old name
# "main"): our code, JUCE, the resources and the C++ library's inline templates stay inside,
# so that lv2lint passes, no plug-in's symbols bind to another's, and hosts can unload it.
set(ORVELIN_ENTRY_POINTS_VST3 GetPluginFactory ModuleEntry ModuleExit)
set(ORVELIN_ENTRY_POINTS_LV2 lv2_descriptor lv2ui_descriptor)
set(ORVELIN_ENTRY_POINTS_VST VSTPluginMain main)

foreach(format VST3 LV2 VST)
    list(JOIN ORVELIN_ENTRY_POINTS_${format} "; " names)
    set(map "${CMAKE_BINARY_DIR}/exports-${format}.map")
    file(WRITE "${map}" "{\n  global: ${names};\n  local: *;\n};\n")
    target_link_options(Orvelin_${format} PRIVATE "LINKER:--version-script=${map}")
    set_property(TARGET Orvelin_${format} APPEND PROPERTY LINK_DEPENDS "${map}")
endforeach()

# fst warns on purpose with #warning; the VST2 module takes no "lib" prefix.
target_compile_definitions(Orvelin_VST PRIVATE FST_DONT_DEPRECATE_UNKNOWN=1)
target_compile_options(Orvelin_VST PRIVATE -Wno-cpp)
set_target_properties(Orvelin_VST PROPERTIES PREFIX "")

# The Standalone brings its own application class, which opens its settings file through
# our safe reader instead of juce::PropertiesFile.
target_sources(Orvelin_Standalone PRIVATE "${ORVELIN_STANDALONE_APP_SOURCE}")
target_compile_definitions(Orvelin_Standalone PRIVATE JUCE_USE_CUSTOM_PLUGIN_STANDALONE_APP=1)

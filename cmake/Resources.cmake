# The editor's embedded font and images, compiled into the plug-in as named byte arrays
# (namespace BinaryData, header BinaryData.h), so the editor reads no file at run time.
# The order here is the order of the generated table.

set(ORVELIN_RESOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/../src/resources")
get_filename_component(ORVELIN_RESOURCE_DIR "${ORVELIN_RESOURCE_DIR}" ABSOLUTE)

set(ORVELIN_RESOURCE_FILES
    "${ORVELIN_RESOURCE_DIR}/kenyan_coffee_rg.ttf"
    "${ORVELIN_RESOURCE_DIR}/DropDownArrow.svg"
    "${ORVELIN_RESOURCE_DIR}/LOGO_Velmora_01.svg"
    "${ORVELIN_RESOURCE_DIR}/LOGO_Velmora_ONLY_Qz_01.svg"
    "${ORVELIN_RESOURCE_DIR}/LOGO_Marvek_ACTUAL.svg"
    "${ORVELIN_RESOURCE_DIR}/PlayButton.svg"
    "${ORVELIN_RESOURCE_DIR}/PlayButtonRotated180.svg"
    "${ORVELIN_RESOURCE_DIR}/RedoCurvedArrow.svg"
    "${ORVELIN_RESOURCE_DIR}/UndoCurvedArrow.svg")

juce_add_binary_data(OrvelinBinaryData
    HEADER_NAME BinaryData.h
    NAMESPACE BinaryData
    SOURCES ${ORVELIN_RESOURCE_FILES})

# JUCE hides the plug-in's own symbols, but not those of this helper library.
set_target_properties(OrvelinBinaryData PROPERTIES CXX_VISIBILITY_PRESET hidden)

# JUCE's generator step only depends on the list of file names; without this an edited
# image or font would not be re-encoded until the next clean build.
add_custom_command(
    OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/juce_binarydata_OrvelinBinaryData/JuceLibraryCode/BinaryData1.cpp"
    APPEND
    DEPENDS ${ORVELIN_RESOURCE_FILES})

# Orvelin links the table privately; the tests borrow Orvelin's include directories, so
# the generated header's folder is added there once the Orvelin target exists.
function(orvelin_share_binary_data_header)
    if(TARGET Orvelin)
        target_include_directories(Orvelin PUBLIC
            "$<TARGET_PROPERTY:OrvelinBinaryData,INTERFACE_INCLUDE_DIRECTORIES>")
    endif()
endfunction()

cmake_language(DEFER CALL orvelin_share_binary_data_header)

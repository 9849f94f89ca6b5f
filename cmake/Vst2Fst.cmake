# VST2 is built against the free fst headers (Debian's fst-dev). JUCE includes the
# classic SDK paths, so two forwarding headers are generated in the build tree.

find_path(ORVELIN_FST_INCLUDE pluginterfaces/fst/fst.h PATHS /usr/include REQUIRED)

set(ORVELIN_VST2_SDK "${CMAKE_BINARY_DIR}/vst2sdk")
foreach(header aeffect.h aeffectx.h)
    file(WRITE "${ORVELIN_VST2_SDK}/pluginterfaces/vst2.x/${header}.in"
        "#include <pluginterfaces/fst/${header}>\n")
    configure_file("${ORVELIN_VST2_SDK}/pluginterfaces/vst2.x/${header}.in"
                   "${ORVELIN_VST2_SDK}/pluginterfaces/vst2.x/${header}" COPYONLY)
endforeach()

juce_set_vst2_sdk_path("${ORVELIN_VST2_SDK}")

# JUCE 7.0.5 from Debian, mended by the patches in cmake/juce-patches.
#
# At configure time Debian's modules folder is copied into the build tree and every
# cmake/juce-patches/*.patch is applied to the copy in name order; a copy of Debian's
# JUCEConfig.cmake that names the copied folder then defines the juce:: targets, so every
# target (plug-in formats, the LV2 helper that writes the bundle's turtle files, tests,
# bench, fuzz) compiles the mended sources. Only juceaide stays Debian's own program. The
# copy is made again when a patch or the contents of Debian's modules change, and configure
# stops when a patch does not apply or changes no file.
#
# To add a patch: make it against the modules folder (paths a/juce_core/..., b/juce_core/...,
# as `diff -ru modules.orig modules` or `git diff` in a copy gives them; applied with
# `patch -p1`), name it NNNN-short-name.patch with the next number, and start it with a few
# lines saying what it mends and, for a backport, from which upstream commit and version
# (patch ignores text before the first "---"). JUCE's sources end their lines with CRLF, and
# the diff lines must keep them (.gitattributes keeps git from converting them).

function(orvelin_patch_juce result_dir)
    find_path(ORVELIN_DEBIAN_JUCE_CMAKE_DIR JUCEConfig.cmake
        PATHS "/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/cmake" /usr/lib/cmake
        PATH_SUFFIXES JUCE-7.0.5
        NO_DEFAULT_PATH
        REQUIRED)
    find_program(ORVELIN_PATCH patch REQUIRED)

    set(debian_config "${ORVELIN_DEBIAN_JUCE_CMAKE_DIR}/JUCEConfig.cmake")
    file(READ "${debian_config}" config_text)

    if(NOT config_text MATCHES "set\\(JUCE_MODULES_DIR \"([^\"]+)\"")
        message(FATAL_ERROR "No JUCE_MODULES_DIR in ${debian_config}")
    endif()
    set(debian_modules "${CMAKE_MATCH_1}")

    file(GLOB juce_patches CONFIGURE_DEPENDS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/juce-patches/*.patch")
    list(SORT juce_patches)

    # A Debian update rewrites the packages' file lists: configure again then.
    file(GLOB dpkg_lists "/var/lib/dpkg/info/juce-modules-source*.list")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dpkg_lists} ${juce_patches} "${debian_config}")

    # What the copy is made from: the contents of Debian's modules (a security update keeps
    # the version and the list of files), its config, this file and each patch.
    file(GLOB_RECURSE debian_files LIST_DIRECTORIES false RELATIVE "${debian_modules}" "${debian_modules}/*")
    set(contents "")
    foreach(debian_file IN LISTS debian_files)
        file(SHA256 "${debian_modules}/${debian_file}" hash)
        string(APPEND contents "${debian_file} ${hash}\n")
    endforeach()
    string(SHA256 contents_hash "${contents}")

    set(fingerprint "${debian_modules} ${contents_hash}")
    foreach(input IN LISTS juce_patches ITEMS "${debian_config}" "${CMAKE_CURRENT_FUNCTION_LIST_FILE}")
        file(SHA256 "${input}" hash)
        string(APPEND fingerprint "\n${input} ${hash}")
    endforeach()

    set(patched_juce "${CMAKE_BINARY_DIR}/juce-patched")
    set(patched_modules "${patched_juce}/modules")
    set(staging "${patched_juce}/staging")
    set(stamp "${patched_juce}/stamp.txt")

    set(previous_fingerprint "")
    if(EXISTS "${stamp}")
        file(READ "${stamp}" previous_fingerprint)
    endif()

    if(NOT previous_fingerprint STREQUAL fingerprint)
        message(STATUS "Patching a copy of JUCE from ${debian_modules} with ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/juce-patches")
        # Patched in a staging folder; the build's copy then takes only the files that differ,
        # with fresh times, so that a patch edit or a Debian update rebuilds only what it changes.
        # Until the copy is complete again no stamp says what it holds.
        file(REMOVE "${stamp}")
        file(REMOVE_RECURSE "${staging}")
        file(MAKE_DIRECTORY "${staging}")
        execute_process(COMMAND cp -R "${debian_modules}/." "${staging}" COMMAND_ERROR_IS_FATAL ANY)

        foreach(juce_patch IN LISTS juce_patches)
            execute_process(
                COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C
                        "${ORVELIN_PATCH}" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch
                        -d "${staging}" -i "${juce_patch}"
                RESULT_VARIABLE result
                OUTPUT_VARIABLE output
                ERROR_VARIABLE output)

            if(NOT result EQUAL 0)
                message(FATAL_ERROR "JUCE patch does not apply: ${juce_patch}\n${output}")
            endif()

            # patch also succeeds on an empty file; the build would then lack the fix.
            if(NOT output MATCHES "(^|\n)patching file ")
                message(FATAL_ERROR "JUCE patch changes no file: ${juce_patch}\n${output}")
            endif()

            get_filename_component(name "${juce_patch}" NAME)
            message(STATUS "  applied ${name}")
        endforeach()

        file(GLOB_RECURSE staged_files LIST_DIRECTORIES false RELATIVE "${staging}" "${staging}/*")
        file(GLOB_RECURSE removed_files LIST_DIRECTORIES false RELATIVE "${patched_modules}" "${patched_modules}/*")
        if(staged_files AND removed_files)
            list(REMOVE_ITEM removed_files ${staged_files})
        endif()

        foreach(removed_file IN LISTS removed_files)
            file(REMOVE "${patched_modules}/${removed_file}")
        endforeach()

        foreach(staged_file IN LISTS staged_files)
            get_filename_component(folder "${patched_modules}/${staged_file}" DIRECTORY)
            file(MAKE_DIRECTORY "${folder}")
            file(COPY_FILE "${staging}/${staged_file}" "${patched_modules}/${staged_file}" ONLY_IF_DIFFERENT)
        endforeach()

        file(REMOVE_RECURSE "${staging}")

        # Debian's config with the module folder replaced; its helper files stay where they are.
        string(REPLACE "\"${debian_modules}" "\"${patched_modules}" config_text "${config_text}")
        string(REPLACE "\${CMAKE_CURRENT_LIST_DIR}" "${ORVELIN_DEBIAN_JUCE_CMAKE_DIR}" config_text "${config_text}")
        file(WRITE "${patched_juce}/cmake/JUCEConfig.cmake" "${config_text}")
        file(COPY "${ORVELIN_DEBIAN_JUCE_CMAKE_DIR}/JUCEConfigVersion.cmake" DESTINATION "${patched_juce}/cmake")

        file(WRITE "${stamp}" "${fingerprint}")
    endif()

    set(${result_dir} "${patched_juce}" PARENT_SCOPE)
endfunction()

orvelin_patch_juce(patched_juce)

# A build folder configured before may still remember Debian's own config.
set(JUCE_DIR "${patched_juce}/cmake" CACHE PATH "JUCE 7.0.5 with the patches in cmake/juce-patches" FORCE)
find_package(JUCE 7.0.5 CONFIG REQUIRED PATHS "${patched_juce}/cmake" NO_DEFAULT_PATH)

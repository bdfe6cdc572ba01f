# JUCE's module headers make up most of what each of our sources compiles. They are parsed once per
# build tree into a precompiled header, which every C++ target of ours then reuses; the test
# targets reuse a second one that adds GoogleTest's headers. Call morvane_precompile_juce_headers()
# once every target has been defined.
#
# A compiler cache serves the precompiled header and the objects built with it only when it is told
# to ignore the header's time stamps and the macros defined in it (CMakeLists.txt sets that for
# ccache).

option(MORVANE_PRECOMPILED_HEADERS "Parse JUCE's module headers once per build tree" ON)

if(MORVANE_PRECOMPILED_HEADERS)
    # An object library without objects of its own to link: it owns the precompiled header.
    add_library(morvane_juce_headers OBJECT "${CMAKE_CURRENT_LIST_DIR}/PrecompiledJuce.cpp")
    target_link_libraries(morvane_juce_headers PRIVATE morvane_juce)
    morvane_set_warnings(morvane_juce_headers)
    # Without its time stamps, clang's precompiled header can be served from the cache in a fresh
    # checkout too.
    target_compile_options(morvane_juce_headers PRIVATE
        "$<$<CXX_COMPILER_ID:Clang>:SHELL:-Xclang -fno-pch-timestamp>")
    target_precompile_headers(morvane_juce_headers PRIVATE
        <juce_core/juce_core.h>
        <juce_events/juce_events.h>
        <juce_data_structures/juce_data_structures.h>
        <juce_graphics/juce_graphics.h>
        <juce_gui_basics/juce_gui_basics.h>
        <juce_gui_extra/juce_gui_extra.h>
        <juce_audio_basics/juce_audio_basics.h>
        <juce_audio_devices/juce_audio_devices.h>)

    if(MORVANE_BUILD_TESTS)
        find_package(GTest REQUIRED)
        add_library(morvane_test_headers OBJECT "${CMAKE_CURRENT_LIST_DIR}/PrecompiledJuce.cpp")
        target_link_libraries(morvane_test_headers PRIVATE morvane_juce GTest::gtest GTest::gmock)
        morvane_set_warnings(morvane_test_headers)
        get_target_property(juce_headers morvane_juce_headers PRECOMPILE_HEADERS)
        target_precompile_headers(morvane_test_headers PRIVATE ${juce_headers} <gtest/gtest.h> <gmock/gmock.h>)
    endif()
endif()

# Every executable and library below the given directory that links JUCE through morvane_juce, but
# not morvane_juce itself, whose module sources must see JUCE's configuration before its headers.
function(morvane_collect_juce_targets dir out)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    set(found "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$"
           OR target MATCHES "^morvane_(juce|juce_headers|test_headers)$")
            continue()
        endif()
        list(APPEND found ${target})
    endforeach()
    get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        morvane_collect_juce_targets("${subdir}" sub_found)
        list(APPEND found ${sub_found})
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

function(morvane_precompile_juce_headers)
    if(NOT MORVANE_PRECOMPILED_HEADERS)
        return()
    endif()
    morvane_collect_juce_targets("${PROJECT_SOURCE_DIR}" targets)
    foreach(target IN LISTS targets)
        # The test suites and their support library link GoogleTest directly.
        get_target_property(libs ${target} LINK_LIBRARIES)
        if(TARGET morvane_test_headers AND "GTest::gtest" IN_LIST libs)
            target_precompile_headers(${target} REUSE_FROM morvane_test_headers)
        else()
            target_precompile_headers(${target} REUSE_FROM morvane_juce_headers)
        endif()
    endforeach()
endfunction()

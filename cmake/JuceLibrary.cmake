# JUCE ships its modules as interface libraries whose sources would otherwise be compiled again
# for every target that links them. Compile them once into morvane_juce, which the program and
# every test binary link, and pass the include paths and definitions on to those targets.

find_package(PkgConfig REQUIRED)
pkg_check_modules(MORVANE_CURL REQUIRED IMPORTED_TARGET libcurl)
# Debian's JUCE is built without its embedded copies of zlib, libpng and libjpeg.
pkg_check_modules(MORVANE_IMAGE_LIBS REQUIRED IMPORTED_TARGET zlib libpng libjpeg)

add_library(morvane_juce STATIC)

target_link_libraries(morvane_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_gui_extra
        juce::juce_audio_basics
        juce::juce_audio_devices
    PUBLIC
        juce::juce_recommended_config_flags
        PkgConfig::MORVANE_CURL
        PkgConfig::MORVANE_IMAGE_LIBS)

target_compile_definitions(morvane_juce
    PUBLIC
        # Our headers include the module headers directly instead of a generated JuceHeader.h.
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_STANDALONE_APPLICATION=1
        # Synchronous message boxes and modal dialog loops are part of the console's design.
        JUCE_MODAL_LOOPS_PERMITTED=1
        # No embedded browser: web pages open in the user's own browser.
        JUCE_WEB_BROWSER=0
        # The update feeds and downloads go through libcurl on Linux.
        JUCE_USE_CURL=1
        # We never open an audio device, so JUCE need not look for JACK.
        JUCE_JACK=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_APPLICATION_NAME_STRING="Morvane"
        # One version everywhere: the project's (CMakeLists.txt), which the console shows, the
        # program-update check compares and JUCE reports as the application's version.
        JUCE_APPLICATION_VERSION_STRING="${PROJECT_VERSION}"
        MORVANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
        MORVANE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
        MORVANE_VERSION_REVISION=${PROJECT_VERSION_PATCH}
    INTERFACE
        $<TARGET_PROPERTY:morvane_juce,COMPILE_DEFINITIONS>)

target_include_directories(morvane_juce SYSTEM
    INTERFACE
        $<TARGET_PROPERTY:morvane_juce,INCLUDE_DIRECTORIES>)

# JUCE's own sources are not ours to warn about.
set_target_properties(morvane_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)

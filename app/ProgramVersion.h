#pragma once

#include <juce_core/juce_core.h>

/** The program's version, 2.10.0: shown by the console's version label, compared by the
    program-update check and reported to the framework as the application's version. All of them
    take it from the project's version in the build (MORVANE_VERSION_*).
*/
struct ProgramVersion
{
    static constexpr int major = MORVANE_VERSION_MAJOR;
    static constexpr int minor = MORVANE_VERSION_MINOR;
    static constexpr int revision = MORVANE_VERSION_REVISION;

    /** "2.10.0". */
    static juce::String text() { return juce::String (major) + "." + juce::String (minor) + "." + juce::String (revision); }
};

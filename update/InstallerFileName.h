#pragma once

#include <juce_core/juce_core.h>

/** Turns the installer address that the program feed names into a file in the folder that the
    user chose.

    Only letters, digits, '.', '-' and '_' survive from the address's last path component
    (query and fragment left off, escapes decoded), leading dots and dashes are dropped and the name is kept
    short; when nothing is left, fallbackName is used. The installer is then that name, with
    ".exe" appended unless it already ends so, directly inside the chosen folder.
*/
struct InstallerFileName
{
    static constexpr const char* fallbackName = "MorvaneInstaller";
    static constexpr int maxNameLength = 100;

    /** The safe file name for the address (its own extension, if any, kept). */
    static juce::String fromAddress (const juce::String& address);

    /** folder + separator + safeName, ending in one ".exe"; an empty File when the result would not lie
        directly inside the folder (which cannot happen for a name from fromAddress).
    */
    static juce::File makeInstallerPath (const juce::File& folder, const juce::String& safeName);
};

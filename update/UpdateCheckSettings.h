#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** What an update check keeps in the console's settings file: the folder that its chooser opens
    at and whether the check is skipped, each under a key of the check's own.

    The settings file may be null: nothing is then read or stored, the start folder is the home
    folder and the check is not skipped. Message thread only.
*/
class UpdateCheckSettings
{
public:
    UpdateCheckSettings (juce::PropertiesFile* settings, const char* folderKey, const char* skipCheckKey);

    /** Reads both settings. A stored folder that is an absolute path of an existing file or folder
        becomes the start folder; otherwise the home folder does, and nothing is stored: only a
        folder that the user chose is (storeFolder).
    */
    void load();

    /** The start folder becomes the chosen folder, which is stored. */
    void storeFolder (const juce::File& folder);

    /** Stores the skip setting for the next start; the value that load() read stays. */
    void storeSkipCheck (bool skip);

    juce::File getStartFolder() const { return startFolder; }
    bool isSkipCheckSet() const noexcept { return skipCheck; }

private:
    juce::PropertiesFile* const settings;
    const char* const folderKey;
    const char* const skipCheckKey;
    juce::File startFolder;
    bool skipCheck = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateCheckSettings)
};

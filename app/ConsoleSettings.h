#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** The console's per-user settings file: "Morvane.settings" in the folder "Zandrel Audio" /
    "Morvane" of the user's application-data folder, an XML properties file guarded by the process
    lock "Prefs Lock".

    It holds the send folder (`SEND_DIR`), the receive folder (`RCV_DIR`) and the main window's
    state (`MAIN_WINDOW_STATE`); the update service keeps its own keys in the same file through
    getFile(). Message thread only.
*/
class ConsoleSettings
{
public:
    static constexpr const char* mainWindowStateKey = "MAIN_WINDOW_STATE";
    static constexpr const char* sendDirKey = "SEND_DIR";
    static constexpr const char* receiveDirKey = "RCV_DIR";

    /** Settings in the given application-data folder; the default is the user's own. The file
        lies in appDataFolder/"Zandrel Audio"/"Morvane". Nothing is read until load().
    */
    explicit ConsoleSettings (const juce::File& appDataFolder = {});
    ~ConsoleSettings();

    /** Opens the file and reads the keys. A stored folder that is not an absolute path to an
        existing directory is replaced by the home folder. For `SEND_DIR` the home folder is
        written back; for `RCV_DIR` it is not (only a folder the user chose is stored there), and
        isReceiveFolderDefaulted() is set.
    */
    void load();

    /** The open properties file, null before load(). The update components read and write their
        own keys in it.
    */
    juce::PropertiesFile* getFile() const noexcept { return file; }

    /** The options the file is opened with. */
    juce::PropertiesFile::Options getOptions() const;

    juce::String getSendFolder() const { return sendFolder; }
    juce::String getStoredReceiveFolder() const { return storedReceiveFolder; }
    juce::String getWindowState() const { return windowState; }
    bool isReceiveFolderDefaulted() const noexcept { return receiveFolderDefaulted; }

    /** Stores the folder as the send folder and under `SEND_DIR`. */
    void setSendDirectory (const juce::String& path);

    /** Stores the folder as the receive folder and under `RCV_DIR`. */
    void setReceiveDirectory (const juce::String& path);

    /** Stores a window-state text under `MAIN_WINDOW_STATE`. */
    void setWindowState (const juce::String& state);

    /** Writes pending changes now; false when the file could not be written. */
    bool save();

    /** True when the text is an absolute path to an existing directory. */
    static bool isUsableFolder (const juce::String& path);

private:
    juce::String takeFolder (const char* key, bool& defaulted, bool storeDefault);

    juce::File appData;
    juce::InterProcessLock lock { "Prefs Lock" };
    std::unique_ptr<juce::ApplicationProperties> properties;
    juce::PropertiesFile* file = nullptr;
    juce::String sendFolder, storedReceiveFolder, windowState;
    bool receiveFolderDefaulted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSettings)
};

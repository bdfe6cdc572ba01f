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
        existing directory is replaced by the home folder, which is not stored in its place (only
        a folder the user chose is stored); for `RCV_DIR` isReceiveFolderDefaulted() is then set.

        A file that cannot be read (not a regular file, larger than maxFileBytes, not the XML of
        a properties file, or nested deeper than the framework's parser can be trusted with) is
        never parsed: it is kept whole under another name in the same folder, the settings start
        from their defaults, and getStartNotice() says so. Where it cannot even be renamed it
        stays untouched and the settings are kept for this run only.
    */
    void load();

    /** What the user is told once after load() when the file could not be read; empty otherwise. */
    juce::String getStartNotice() const { return startNotice; }

    /** Where the unreadable file was kept, or an empty File. */
    juce::File getKeptFile() const { return keptFile; }

    /** The largest settings file read; the program's own stays far below it. */
    static constexpr juce::int64 maxFileBytes = 1 << 20;

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
    juce::String takeFolder (const char* key, bool& defaulted);

    /** True when the file at the path may be given to the framework's properties reader. */
    static bool isReadable (const juce::File& path);

    /** Moves the unreadable file to a free name beside it; the name, or an empty File on failure. */
    static juce::File keepAside (const juce::File& path);

    juce::File appData;
    juce::InterProcessLock lock { "Prefs Lock" };
    std::unique_ptr<juce::ApplicationProperties> properties;
    std::unique_ptr<juce::PropertiesFile> unsavedFile;
    juce::PropertiesFile* file = nullptr;
    juce::String sendFolder, storedReceiveFolder, windowState, startNotice;
    juce::File keptFile;
    bool receiveFolderDefaulted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSettings)
};

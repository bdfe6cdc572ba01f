#pragma once

#include "ConsoleState.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class ConsolePortPickers;
class ConsoleSettings;
class MidiProcessing;
class SendFile;
class ConsoleTransferView;
class UserDialogs;
struct ConsoleWidgets;

/** The state of the console's two pages: which page shows, which controls are usable for the
    chosen device, its ports and the work in hand, the receive folder and what the File field
    says.

    It works on the console through the calls it is given. Message thread only.
*/
class ConsolePage
{
public:
    /** What the page reads from the console when it acts. */
    struct State
    {
        int deviceModel = 0;
        bool deviceChosen = false, inputOk = false, outputOk = false, firmwareOfferShown = false;
        /** The device has told its firmware version since it was chosen or last reached. */
        bool answered = false;
    };

    /** What the page works on and tells. */
    struct Console
    {
        ConsoleWidgets& ui;
        UserDialogs& dialogs;
        ConsoleSettings& settings;
        ConsolePortPickers& ports;
        SendFile& sendFile;
        /** Shows the transfer's widgets and the invitation to BEGIN in the status line's place. */
        ConsoleTransferView& view;
        /** Repainted when the page changes. */
        juce::Component& console;
        MidiProcessing* link;
        std::function<State()> state;
    };

    explicit ConsolePage (Console console);

    /** Back to the send page, no receive folder chosen, controls unlocked. */
    void reset();

    bool isReceivePage() const noexcept { return receiveMode == 1; }
    int getReceiveMode() const noexcept { return receiveMode; }
    bool isReceiveFolderChosen() const noexcept { return receiveFolderChosen; }
    const juce::String& getReceiveFolder() const noexcept { return receiveFolder; }
    bool isLocked() const noexcept { return controlsLocked; }

    void updatePageVisibility();

    /** Whether the link reaches the ports the model needs on this page. */
    bool isConnectedForModel() const;

    /** Whether the ports the model needs on this page are open and still listed. */
    bool arePortsPresent() const;

    /** What ConsoleState's rule makes of the page as it is now. */
    ConsoleState::Controls currentControls() const;
    void setControlsEnabled (bool enabled);
    void showReceivePage();
    void showSendPage();

    /** Browse on the receive page: "Choose save location", then setReceiveFolder. */
    void browseReceiveFolder();

    /** Takes an existing folder as the receive folder (stored as `RCV_DIR`); anything else is
        ignored.
    */
    void setReceiveFolder (const juce::String& path);

    /** The receive folder kept in the settings, taken at start without touching the page. */
    void takeStoredReceiveFolder (const juce::String& path);

    /** What a drop is told while work runs and the page is locked. */
    static constexpr const char* busyDropText = "A transfer is running. Please drop it again once the transfer has ended.";

    /** True where the framework tells every drag's source that the drop is taken (X11), so that a
        refused drop would vanish without a word: there the console takes every drag and tells
        on the drop why it cannot be used.
    */
    static bool takesEveryDrag() noexcept;

    /** The refusal either page gives a drop that names nothing, or nothing that exists; empty
        when the first path is an existing file or folder.
    */
    static juce::String refusalOfMissing (const juce::StringArray& files);

    /** Whether the receive page can use a drag: the first path is an existing folder. */
    static bool canTakeDrag (const juce::StringArray& files);

    /** Why the receive page cannot use the dragged paths (the text of its box); empty when it can. */
    static juce::String refusalFor (const juce::StringArray& files);

    /** A drop anywhere on the receive page: while no work runs, the first dropped path becomes
        the receive folder when it is an existing folder, as if chosen with Browse; anything
        else, a drop while work runs or before the device's ports are set, is told why in one
        box.
    */
    void receiveFolderDropped (const juce::StringArray& files);

private:
    /** BEGIN, BROWSE (with the File field and the folder button), "Connected" and the ports'
        marks, as the rule gives them: the one place that writes them.
    */
    void showControls();

    Console c;
    int receiveMode = 0;
    bool receiveFolderChosen = false, controlsLocked = false;
    juce::String receiveFolder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsolePage)
};

#pragma once

#include "BackupJobType.h"
#include "ConsoleSettings.h"
#include "ConsoleWidgets.h"
#include "ConsoleTimers.h"
#include "PayloadKind.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>

class BackupChooser;
class ConsoleDeviceInfo;
class ConsoleFirmwareOffer;
class ConsoleKeyboard;
class ConsolePage;
class ConsolePortPickers;
class ConsoleSendPage;
class ConsoleTransferView;
class DeviceQueries;
class DevicePollWaker;
class HoverTooltipWindow;
class MidiProcessing;
class QMR303BackupComponent;
class SendOptionsDialog;
class SendFile;
class SendRoad;
class SkinManager;
class SystemServices;
class Transfers;
class UserDialogs;

/** The transfer console: the one component inside the main window, 800 by 553 pixels, with a
    send page and a receive page.

    It lets the user choose the device and its MIDI ports (opening them through the link worker),
    keeps the page's controls usable only when the ports that the device needs are open, opens
    the help pages, and keeps the user's folders and the window state in the settings file.

    The roads of work (the send, a backup run, the foot controller's dump counter, the device
    queries) and their threads belong to Transfers, which the console owns and hands the user's
    requests to; the console is the view that shows them.

    Message thread only; the link worker is reached through MidiProcessing.
*/
class MorvaneDialog : public juce::Component,
                      public juce::MultiTimer,
                      public juce::FileDragAndDropTarget
{
public:
    static constexpr int consoleWidth = 800;
    static constexpr int consoleHeight = 553;

    /** Builds the console from the skin (section "MainSkin" and the archive's images), loads the
        settings from userFolder (the user's settings folder when empty) and starts the timers.
        The skin and the link may be null (tests); the console then shows what it can.
    */
    MorvaneDialog (SkinManager* skin, MidiProcessing* link, UserDialogs& dialogs, SystemServices& services,
                   const juce::File& userFolder = {});

    /** Saves the settings (silently), stops the worker threads and gives up the pending request
        only once the link worker no longer holds it.
    */
    ~MorvaneDialog() override;

    //==============================================================================
    /** "Morvane MIDI Utility Version 2.10.0". */
    static juce::String getVersionText();

    void paint (juce::Graphics& g) override;

    //==============================================================================
    // Settings
    void setSendDirectory (const juce::String& path);
    void setReceiveDirectory (const juce::String& path);

    /** Stores the main window's state text under `MAIN_WINDOW_STATE`. */
    void saveWindowState();

    /** Saves the settings now; shows "Preferences could not be saved." and returns false on failure. */
    bool saveSettingsAndWarn();

    /** The window state read at start. */
    juce::String getWindowStateText() const { return settings.getWindowState(); }

    ConsoleSettings& getSettings() noexcept { return settings; }

    /** Asks the user before the window closes while a send, a backup or a foot-controller dump
        runs ("Closing the application will cancel the current transfer."); a send is stopped at
        once, and when it cannot be, the user may still force the quit. False when the window
        must stay.
    */
    bool confirmClose();

    //==============================================================================
    // Device and ports
    void showDeviceMenu();
    void showInputPortMenu();
    void showOutputPortMenu();
    bool resetPorts();
    void updatePageVisibility();

    /** Forgets the device after it stopped answering. */
    void onDeviceLost();

    /** The device poll (timer 3) and the device's version and system information. */
    ConsoleDeviceInfo& getDeviceInfo() noexcept { return *deviceInfo; }

    /** The roads of work and their threads. */
    Transfers& getTransfers() noexcept { return *transfers; }

    //==============================================================================
    // The firmware offer and its labels.
    ConsoleFirmwareOffer& getFirmwareOffer() noexcept { return *firmware; }

    /** Timers 4 and 5 after a firmware send that ended well: the device's further instructions. */
    void showFirmwareNotice (int timerId);

    /** Enables or disables the page's controls around a transfer or backup. While they are
        disabled, neither port can be changed, whatever the model.
    */
    void setControlsEnabled (bool enabled);

    /** Chooses a device as the device menu would (the model code of a menu item). */
    void chooseDevice (int model);

    void showReceivePage();
    void showSendPage();

    //==============================================================================
    // The send road: the page's entry points. The check, the classifier, the per-model plans and
    // the transfer live in their own classes (SysExFileCheck, SendPlan, SendOptionsDialog,
    // SendRoad); these hand over to them and show the results.

    /** Loads the file (the chooser when file is empty), checks it for the device and, when it
        is accepted, makes it the page's loaded file. False, after the refusal warning where
        there is one, otherwise.
    */
    bool chooseFileToSend (const juce::File& file);

    /** BEGIN on the send page: classify, check, confirm the options where needed, convert and
        rewrite, and start the send.
    */
    void transmit();

    //==============================================================================
    // The receive page's backups: BEGIN opens the chooser of the device's family; an OK in its
    // dialog starts the run into the receive folder.

    /** Takes an existing folder as the receive folder; anything else changes nothing. */
    void setReceiveFolder (const juce::String& path);

    BackupChooser& getBackupChooser() noexcept { return *backupChooser; }

    /** The send page: the file, BEGIN, and firmware handed over from memory. */
    ConsoleSendPage& getSendPage() noexcept { return *sendPagePart; }

    /** Runs the send options and returns the modal result (1 Send). The console runs the dialog
        modally in a dialog window; tests put their own runner here.
    */
    std::function<int (SendOptionsDialog&)> sendOptionsRunner;

    //==============================================================================
    void timerCallback (int timerId) override;
    void mouseDown (const juce::MouseEvent& event) override;

    /** Drags over the whole console: what the page can use is taken, anything else refused
        (but see ConsolePage::takesEveryDrag); every drop, whatever its point, is used or told.
    */
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    //==============================================================================
    // State, for the window and the tests
    int getDeviceModel() const noexcept;
    bool isDeviceChosen() const noexcept;
    bool isInputOk() const noexcept;
    bool isOutputOk() const noexcept;
    int getReceiveMode() const noexcept;
    int getBufferDelay() const noexcept { return bufferDelay; }
    bool isReceiveFolderChosen() const noexcept;
    juce::String getReceiveFolder() const;

    /** BEGIN on the receive page for the QMR-303: runs the foot controller's dump window
        modally ("QMR-303 Create Backup") and returns when it closes.
    */
    void showQMR303BackupWindow();

private:
    void connectControls();
    void loadSettings();

    void restartDevicePoll();
    void stopDevicePoll();
    void wakeDevicePoll();
    void devicePortsChosen (int model);
    void forgetDeviceAnswer();
    bool isConnectedForModel() const;
    void openHelpPage (const juce::String& address);
    void labelClicked (juce::Component* clicked);

    //==============================================================================
    SkinManager* skinManager = nullptr;
    MidiProcessing* link = nullptr;
    UserDialogs& dialogs;
    SystemServices& services;
    ConsoleSettings settings;

    int bufferDelay = 0;
    bool receiveFolderDefaulted = false;

    // The parts of the console that choose its ports and keep its pages.
    std::unique_ptr<ConsoleDeviceInfo> deviceInfo;
    std::unique_ptr<BackupChooser> backupChooser;
    std::unique_ptr<ConsolePage> page;
    std::unique_ptr<ConsolePortPickers> portChoice;
    std::unique_ptr<ConsoleSendPage> sendPagePart;

    std::unique_ptr<ConsoleKeyboard> keyboard;
    std::unique_ptr<ConsoleFirmwareOffer> firmware;
    std::unique_ptr<ConsoleTransferView> view;   // what the roads show on the page
    std::unique_ptr<Transfers> transfers;
    DeviceQueries* queries = nullptr;   // the transfers' own
    SendRoad* sendRoad = nullptr;
    SendFile* sendFile = nullptr;
    std::unique_ptr<HoverTooltipWindow> tooltipWindow;
    std::unique_ptr<DevicePollWaker> devicePollWaker;

    // The windows that the roads open.
    std::unique_ptr<QMR303BackupComponent> qmr303Component;

    // The widgets, as the layout built them (declared last: they go first).
    ConsoleWidgets ui;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MorvaneDialog)
};

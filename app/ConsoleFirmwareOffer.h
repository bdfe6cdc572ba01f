#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class DeviceQueries;
class FirmwareOffer;
class SendFile;
class SkinManager;
class SystemServices;
class UserDialogs;
struct ConsoleWidgets;

/** The console's side of the firmware offer: asks the feed about the connected device, shows its
    answer in the firmware labels, runs the notes window and the download, hands a checked image
    to the send, answers the folder link, and shows the device's instructions after a firmware
    send. The check, the feed and the download themselves live in FirmwareOffer.

    It works on the console through the calls it is given. Message thread only.
*/
class ConsoleFirmwareOffer
{
public:
    /** What the offer works on and tells. */
    struct Console
    {
        ConsoleWidgets& ui;
        UserDialogs& dialogs;
        SystemServices& services;
        DeviceQueries& queries;
        SendFile& sendFile;
        SkinManager* skin;
        /** The notes window is centred on it. */
        juce::Component& centre;
        /** The settings, in which the check keeps what it needs. */
        std::function<juce::PropertiesFile*()> settingsFile;
        std::function<int()> deviceModel;
        std::function<bool()> isReceivePage;
        /** Whether the device has answered the version question. */
        std::function<bool()> deviceAnswered;
        /** A download was taken: the page follows and the send starts. */
        std::function<void()> pageChanged;
        std::function<void()> transmit;
        /** The device's instructions were shown: the page is given back. */
        std::function<void()> noticeShown;
    };

    explicit ConsoleFirmwareOffer (Console console);
    ~ConsoleFirmwareOffer();

    /** Asks the firmware feed about the connected device; the firmware labels follow once it has
        answered (showFirmwareCheckResult). Returns whether firmware that can be downloaded and
        sent is offered now, which the answer may change.
    */
    bool updateFirmwareLink();

    /** Sets the firmware labels and the offer from a FirmwareCheckResult. */
    void showFirmwareCheckResult (int result);

    /** A click on "Firmware Link Label": the notes window and, when confirmed, the download. */
    void showFirmwareUpdateWindow();

    /** The download's change message: takes the checked image, or tells why not. */
    void onFirmwareDownloadFinished();

    /** The folder link on the send page: reveals the loaded file, or says that downloaded
        firmware is in memory.
    */
    void showSendFileFolder();

    /** The folder link on the receive page: opens the receive folder in the file manager; a
        folder that has gone is told. Nothing happens while no folder is chosen.
    */
    void showReceiveFolder (const juce::String& folder);

    /** After a firmware send that ended well: the device's further instructions
        (see FirmwareOffer::noticeText).
    */
    void showNotice();

    /** Asks the feed again (a device was connected) and keeps whether firmware is offered. */
    void refresh() { offered = updateFirmwareLink(); }

    bool isOffered() const noexcept { return offered; }

    /** Whether the firmware labels show an offer (the send page shows them). */
    bool isShown() const noexcept { return shown; }

    FirmwareOffer& getOffer() noexcept { return *offer; }

    /** Stops the check's download and closes its windows. */
    void close();

private:
    class DownloadWatcher;

    Console c;
    std::unique_ptr<DownloadWatcher> downloadWatcher;   // told when the firmware download ends
    std::unique_ptr<FirmwareOffer> offer;
    bool offered = false, shown = false;

    JUCE_DECLARE_NON_COPYABLE (ConsoleFirmwareOffer)
};

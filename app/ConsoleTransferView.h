#pragma once

#include "TransferView.h"

#include <functional>

class UserDialogs;
struct ConsoleWidgets;

/** The only code that shows the roads' work on the console's page: the progress bar, the status
    line (with the receive page's invitation to BEGIN in its place while no status shows), the
    Cancel button, the messages and questions, and the page's lock.

    What they show follows ConsoleState's rule: Cancel is enabled only while work runs; a road's
    ending sets the line, the bar and the success mark together, and they stay until the next
    work starts or the user changes the device, a port, the file or the page.

    It works on the console through the calls it is given. Message thread only.
*/
class ConsoleTransferView : public TransferView
{
public:
    /** What the view works on and tells. */
    struct Console
    {
        ConsoleWidgets& ui;
        UserDialogs& dialogs;
        std::function<bool()> isReceivePage;
        /** Locks (false) or frees (true) the page's controls and the device poll. */
        std::function<void (bool)> setPageFree;
        /** Starts the timer of the device's instructions after a firmware send. */
        std::function<void (int)> startNoticeTimer;
        /** A road found the device gone: the page stops showing it connected at once. */
        std::function<void()> deviceGone;
    };

    explicit ConsoleTransferView (Console console) : c (std::move (console)) {}

    void lockPage (bool locked) override;
    void showProgress (double value) override;
    void showProgressText (const juce::String& text) override;
    void showPercentage() override;
    void showStatus (const juce::String& text) override;
    void showEnding (const TransferEnding& ending) override;
    void setCancelEnabled (bool enabled) override;
    void tell (Severity severity, const juce::String& text) override;
    bool ask (Severity severity, const juce::String& text) override;
    void setBusy (bool busy) override;
    void scheduleNotice (int delayMs) override;

    //==============================================================================
    /** Whether the receive page has what BEGIN needs there: the invitation to BEGIN then shows
        in the status line's place while no status does.
    */
    void setInvitationWanted (bool wanted);

    /** The user changed the device, a port, the file or the page, or pressed BEGIN: the last
        ending's line, bar and mark go. Nothing changes while work runs.
    */
    void clearEnding();

    /** A firmware send's notice is due: the send ended well, the status line says so. */
    void showFirmwareEnd();

    /** The firmware notice was read: the page is handed back. */
    void endAfterNotice();

private:
    void showInvitationIfFree();

    Console c;
    bool locked = false, invitationWanted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleTransferView)
};

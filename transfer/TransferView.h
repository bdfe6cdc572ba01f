#pragma once

#include <juce_core/juce_core.h>

/** How much a message to the user weighs: a plain notice, or a warning that something failed. */
enum class Severity
{
    info,
    warning
};

/** How a road of work ended, as the page shows it once the road has stopped. */
struct TransferEnding
{
    enum class Kind
    {
        complete,       ///< everything was sent or received
        refused,        ///< nothing was started: the work was refused before its first message
        deviceError,    ///< the device answered with an error, or the item it was asked for is empty
        canceled,       ///< the user's Cancel
        lost,           ///< the device went away while the work ran
        timedOut,       ///< the device stopped answering
        folderError     ///< the backup's folder or file could not be written
    };

    Kind kind = Kind::complete;
    /** The status line under the bar; empty leaves none. */
    juce::String line;
    /** How far the work got, 0..1. */
    double progress = 0.0;
    /** The line says where the work stopped: the bar shows that same percentage. */
    bool toldAsPercent = false;
};

/** What a road of work (a send, a backup run, the device queries, the foot controller's dump)
    asks of the page that shows it. The roads report only through this; the console implements it
    once, and tests record it.

    All calls come on the message thread.
*/
class TransferView
{
public:
    virtual ~TransferView() = default;

    /** Locks the page while work runs (the device poll stops, and nothing that could change the
        device, its ports or the page can be used), or hands it back (the poll starts again, the
        controls are enabled, and with nothing running "Cancel" is disabled).
    */
    virtual void lockPage (bool locked) = 0;

    /** The progress bar's value, 0..1. */
    virtual void showProgress (double value) = 0;

    /** The text the progress bar shows instead of its percentage ("Saving..."); an empty text
        leaves the bar without either.
    */
    virtual void showProgressText (const juce::String& text) = 0;

    /** The progress bar shows its percentage again. */
    virtual void showPercentage() = 0;

    /** The status line under the bar ("Now receiving: ..."); empty clears it. A road shows the
        line it ends with before it tells how it ended, and leaves it there.
    */
    virtual void showStatus (const juce::String& text) = 0;

    /** The page's "Cancel" button. */
    virtual void setCancelEnabled (bool enabled) = 0;

    /** Tells the user something that needs an answer of "OK" before anything goes on. */
    virtual void tell (Severity severity, const juce::String& text) = 0;

    /** Asks the user to decide: true for "OK", false for "Cancel". */
    virtual bool ask (Severity severity, const juce::String& text) = 0;

    /** The wait cursor, while the message thread waits for the device. */
    virtual void setBusy (bool busy) = 0;

    /** The road has stopped: the status line, the bar and the success mark show how it ended
        (see TransferEnding), and Cancel is disabled. A road calls this before it tells the user
        how it ended and before it hands the page back. A view without a bar shows the line.
    */
    virtual void showEnding (const TransferEnding& ending)
    {
        setCancelEnabled (false);
        showStatus (ending.line);
    }

    /** The device is still busy with what it was sent: its further instructions are due after
        delayMs.
    */
    virtual void scheduleNotice (int delayMs) = 0;
};

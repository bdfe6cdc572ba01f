#pragma once

#include <juce_core/juce_core.h>

/** How much a message to the user weighs: a plain notice, or a warning that something failed. */
enum class Severity
{
    info,
    warning
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

    /** The device is still busy with what it was sent: its further instructions are due after
        delayMs.
    */
    virtual void scheduleNotice (int delayMs) = 0;
};

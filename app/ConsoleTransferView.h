#pragma once

#include "TransferView.h"

#include <functional>

class UserDialogs;
struct ConsoleWidgets;

/** The only code that shows the roads' work on the console's page: the progress bar, the status
    line, the Cancel button, the messages and questions, and the page's lock.

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
    };

    explicit ConsoleTransferView (Console console) : c (std::move (console)) {}

    void lockPage (bool locked) override;
    void showProgress (double value) override;
    void showProgressText (const juce::String& text) override;
    void showPercentage() override;
    void showStatus (const juce::String& text) override;
    void setCancelEnabled (bool enabled) override;
    void tell (Severity severity, const juce::String& text) override;
    bool ask (Severity severity, const juce::String& text) override;
    void setBusy (bool busy) override;
    void scheduleNotice (int delayMs) override;

private:
    Console c;
};

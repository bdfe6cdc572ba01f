#include "ConsoleTransferView.h"

#include "ConsoleWidgets.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"
#include "UserDialogs.h"

void ConsoleTransferView::lockPage (bool locked)
{
    c.setPageFree (! locked);

    // The send's mark beside the bar.
    if (! locked)
        c.ui.check3->setVisible (false);
    else if (! c.isReceivePage())
        c.ui.check3->setVisible (true);
}

void ConsoleTransferView::showProgress (double value)
{
    c.ui.progressBar->setProgress (value);
}

void ConsoleTransferView::showProgressText (const juce::String& text)
{
    c.ui.progressBar->setTextToDisplay (text);
}

void ConsoleTransferView::showPercentage()
{
    c.ui.progressBar->setPercentageDisplay (true);
}

void ConsoleTransferView::showStatus (const juce::String& text)
{
    c.ui.progressLabel->setText (text, juce::dontSendNotification);

    // On the receive page the invitation to BEGIN shows while no status does.
    if (c.isReceivePage())
        c.ui.receiveBeginLabel->setVisible (text.isEmpty());
}

void ConsoleTransferView::setCancelEnabled (bool enabled)
{
    c.ui.cancelButton->setEnabled (enabled);
}

void ConsoleTransferView::tell (Severity severity, const juce::String& text)
{
    c.dialogs.showMessage (severity == Severity::warning ? juce::MessageBoxIconType::WarningIcon
                                                         : juce::MessageBoxIconType::InfoIcon,
                           "Morvane", text);
}

bool ConsoleTransferView::ask (Severity severity, const juce::String& text)
{
    return c.dialogs.askOkCancel (severity == Severity::warning ? juce::MessageBoxIconType::WarningIcon
                                                                : juce::MessageBoxIconType::InfoIcon,
                                  "Morvane", text);
}

void ConsoleTransferView::setBusy (bool busy)
{
    if (busy)
        juce::MouseCursor::showWaitCursor();
    else
        juce::MouseCursor::hideWaitCursor();
}

void ConsoleTransferView::scheduleNotice (int delayMs)
{
    c.startNoticeTimer (delayMs);
}

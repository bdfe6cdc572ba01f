#include "ConsoleTransferView.h"

#include "ConsoleWidgets.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"
#include "TransferReport.h"
#include "UserDialogs.h"

void ConsoleTransferView::lockPage (bool shouldLock)
{
    locked = shouldLock;

    // Nothing runs on a page that is handed back: nothing to cancel.
    if (! locked)
        setCancelEnabled (false);

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
    showInvitationIfFree();
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

//==============================================================================
void ConsoleTransferView::setInvitationWanted (bool wanted)
{
    invitationWanted = wanted;
    showInvitationIfFree();
}

void ConsoleTransferView::showInvitationIfFree()
{
    // The invitation and the status line share a place: one shows at a time.
    c.ui.receiveBeginLabel->setVisible (invitationWanted && c.isReceivePage() && c.ui.progressLabel->getText().isEmpty());
}

void ConsoleTransferView::clearForPage()
{
    if (locked)
        return;

    showStatus ({});
    showProgress (0.0);
}

void ConsoleTransferView::showFirmwareEnd()
{
    showStatus (TransferReport::endLine (TransferReport::Ending::succeeded));
}

void ConsoleTransferView::endAfterNotice()
{
    showPercentage();
    showProgress (0.0);
    showFirmwareEnd();
    lockPage (false);
}

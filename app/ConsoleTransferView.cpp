#include "ConsoleTransferView.h"

#include "ConsoleState.h"
#include "ConsoleWidgets.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"
#include "TransferReport.h"
#include "UserDialogs.h"

void ConsoleTransferView::lockPage (bool shouldLock)
{
    locked = shouldLock;

    // Work that starts leaves no earlier ending shown; nothing runs on a page that is handed
    // back, so there is nothing to cancel.
    if (locked)
        c.ui.check3->setVisible (false);
    else
        setCancelEnabled (false);

    c.setPageFree (! locked);
}

void ConsoleTransferView::showProgress (double value)
{
    c.ui.progressBar->setProgress (ConsoleState::barWhileRunning (value));
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
    c.ui.cancelButton->setEnabled (ConsoleState::cancelOffered (locked, enabled));
}

void ConsoleTransferView::showEnding (const TransferEnding& ending)
{
    const auto shown = ConsoleState::showEnding (ending);
    setCancelEnabled (false);
    c.ui.progressBar->setProgress (shown.bar);
    c.ui.check3->setVisible (shown.tick);
    showStatus (shown.line);

    if (ending.kind == TransferEnding::Kind::lost && c.deviceGone != nullptr)
        c.deviceGone();
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

void ConsoleTransferView::clearEnding()
{
    if (locked)
        return;

    c.ui.check3->setVisible (false);
    showStatus ({});
    c.ui.progressBar->setProgress (0.0);
}

void ConsoleTransferView::showFirmwareEnd()
{
    showEnding (TransferReport::endingOf (TransferReport::Ending::succeeded, 1.0));
}

void ConsoleTransferView::endAfterNotice()
{
    showPercentage();
    showFirmwareEnd();
    lockPage (false);
}

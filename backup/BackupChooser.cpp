#include "BackupChooser.h"

#include "BackupDialogFrame.h"
#include "BackupDialogState.h"
#include "BackupRun.h"
#include "DeviceQueries.h"
#include "KT4BackupDialog.h"
#include "LM6BackupDialog.h"
#include "OrvixIIBackupDialog.h"
#include "OrvixIIIBackupDialog.h"
#include "OrvixIIXLBackupDialog.h"
#include "SkinnedDialogWindow.h"

namespace
{
bool firmwareAtLeast (const FirmwareVersionRecord& version, juce::uint32 major, juce::uint32 minor)
{
    return version.major > major || (version.major == major && version.minor >= minor);
}

/** The KT4 or LM6 dialog, built at its first show rather than with the console: measuring its
    texts in the system's font would otherwise keep the window from appearing. It then lives with
    the chooser, so the user's choices stay from one show to the next.
*/
template <typename Dialog>
Dialog& builtAtFirstShow (std::unique_ptr<Dialog>& dialog, SkinManager* skin, juce::ChangeListener* listener)
{
    if (dialog == nullptr)
    {
        dialog = std::make_unique<Dialog>();
        dialog->buildFromSkin (skin);
        dialog->addChangeListener (listener);
    }

    return *dialog;
}
} // namespace

bool BackupChooser::Choice::startOn (BackupRun& run, const juce::String& folder) const
{
    switch (family)
    {
        case Family::orvixII:  return run.startOrvixIIBackup (context.orvixII, context, folder);
        case Family::orvixIII: return run.startOrvixIIIBackup (context.orvixIII, context, folder);
        case Family::kt4:      return run.startKT4Backup (context.kt4, context, folder);
        case Family::lm6:      return run.queueLM6BackupJobs (context.lm6, context, folder);
    }

    return false;
}

//==============================================================================
BackupChooser::BackupChooser (SkinManager* skin, DeviceQueries& queriesToUse)
    : skinManager (skin),
      queries (queriesToUse)
{
}

BackupChooser::~BackupChooser()
{
    for (auto* source : { static_cast<juce::ChangeBroadcaster*> (kt4Dialog.get()), static_cast<juce::ChangeBroadcaster*> (lm6Dialog.get()),
                          static_cast<juce::ChangeBroadcaster*> (orvixIIDialog.get()), static_cast<juce::ChangeBroadcaster*> (orvixIIXLDialog.get()),
                          static_cast<juce::ChangeBroadcaster*> (orvixIIIDialog.get()) })
        if (source != nullptr)
            source->removeChangeListener (this);
}

//==============================================================================
void BackupChooser::choose (int deviceModel, juce::Component* centreAround)
{
    model = deviceModel;

    switch (model)
    {
        case 3: chooseOrvixII (centreAround); break;
        case 6: case 7: chooseOrvixIIXL (centreAround); break;
        case 16: chooseOrvixIII (centreAround); break;
        case 5: case 10: launch (builtAtFirstShow (lm6Dialog, skinManager, this), "LM6 Backup Type", centreAround); break;
        case 8: launch (builtAtFirstShow (kt4Dialog, skinManager, this), "KT4 Backup Type", centreAround); break;
        default: break;
    }
}

void BackupChooser::launch (juce::Component& dialog, const juce::String& title, juce::Component* centreAround)
{
    // OK keeps the user's choice for the next show; Cancel, Escape and the close box put back
    // what the dialog opened with.
    const BackupDialogState opened (dialog);
    shownDialog = &dialog;
    const auto result = SkinnedDialogWindow::runModal (title, dialog, centreAround);
    shownDialog = nullptr;

    if (result != BackupDialogFrame::okResult)
        opened.restore();
}

void BackupChooser::displayOffsetGate()
{
    if (firmwareAtLeast (queries.getFirmwareVersion(), 10, 9))
    {
        queries.queryDisplayOffset();
        displayOffset = queries.getDisplayOffset();
        displayOffsetKnown = true;
    }
    else
    {
        displayOffset = 0;
        displayOffsetKnown = false;
    }
}

void BackupChooser::chooseOrvixII (juce::Component* centreAround)
{
    displayOffsetGate();

    if (orvixIIDialog == nullptr)
    {
        // A second console in one process (tests) gets a dialog of its own.
        auto* instance = OrvixIIBackupDialog::getInstance();
        orvixIIDialog.reset (instance != nullptr ? instance : new OrvixIIBackupDialog());
        orvixIIDialog->setUp (skinManager, displayOffsetKnown);
        orvixIIDialog->addChangeListener (this);
    }

    orvixIIDialog->setDisplayOffset (displayOffset);
    orvixIIDialog->setUserCabCount (queries.getUserCabCount());
    launch (*orvixIIDialog, "Orvix II Backup Type", centreAround);
}

void BackupChooser::chooseOrvixIIXL (juce::Component* centreAround)
{
    displayOffsetGate();

    if (orvixIIXLDialog == nullptr)
    {
        auto* instance = OrvixIIXLBackupDialog::getInstance();
        orvixIIXLDialog.reset (instance != nullptr ? instance : new OrvixIIXLBackupDialog());
        orvixIIXLDialog->setUp (skinManager, displayOffsetKnown);
        orvixIIXLDialog->addChangeListener (this);
    }

    const auto& version = queries.getFirmwareVersion();
    orvixIIXLDialog->setFirmwareVersion (version);

    SystemInfoRecord info = queries.getSystemInfo();

    if (version.major < 20)
    {
        info = {};
        info.fields[2] = (juce::uint16) queries.getUserCabCount();
    }

    orvixIIXLDialog->setUserCabInfo ((juce::uint32) info.fields[0] | ((juce::uint32) info.fields[1] << 16),
                                     (juce::uint32) info.fields[2] | ((juce::uint32) info.fields[3] << 16));
    orvixIIXLDialog->setDisplayOffset (displayOffset);
    launch (*orvixIIXLDialog, "Orvix II XL Backup Type", centreAround);
}

void BackupChooser::chooseOrvixIII (juce::Component* centreAround)
{
    displayOffset = 0;

    if (orvixIIIDialog == nullptr)
    {
        auto* instance = OrvixIIIBackupDialog::getInstance();
        orvixIIIDialog.reset (instance != nullptr ? instance : new OrvixIIIBackupDialog());
        orvixIIIDialog->setUserCabCount (0);
        orvixIIIDialog->setSize (OrvixIIIBackupDialog::dialogWidth, OrvixIIIBackupDialog::dialogHeight);
        orvixIIIDialog->buildFromSkin (skinManager);
        orvixIIIDialog->addChangeListener (this);
    }

    orvixIIIDialog->setDisplayOffset (0);
    orvixIIIDialog->setUserCabCount (queries.getUserCabCount());
    orvixIIIDialog->setSlotRange (1, 1024);
    orvixIIIDialog->setFirmwareVersion (queries.getFirmwareVersion());
    launch (*orvixIIIDialog, "Orvix III Backup Type", centreAround);
}

//==============================================================================
BackupJobPlan::Context BackupChooser::makeContext() const
{
    BackupJobPlan::Context context;
    context.model = (juce::uint8) model;
    context.displayOffset = displayOffset;
    context.userCabCount = queries.getUserCabCount();
    context.firmwareModel = queries.getFirmwareVersion().model;
    return context;
}

void BackupChooser::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (onChosen == nullptr)
        return;

    Choice choice;
    choice.context = makeContext();

    if (source == kt4Dialog.get())
    {
        choice.family = Choice::Family::kt4;
        kt4Dialog->getBackupSelection (choice.context.kt4);
    }
    else if (source == lm6Dialog.get())
    {
        choice.family = Choice::Family::lm6;
        lm6Dialog->getBackupSelection (choice.context.lm6);
    }
    else if (source == orvixIIDialog.get() || source == orvixIIXLDialog.get())
    {
        OrvixIIFamilyBackupDialog* family = orvixIIXLDialog.get();

        if (source == orvixIIDialog.get())
            family = orvixIIDialog.get();

        choice.family = Choice::Family::orvixII;
        family->getBackupSelection (choice.context.orvixII);
    }
    else if (source == orvixIIIDialog.get())
    {
        choice.family = Choice::Family::orvixIII;
        orvixIIIDialog->getBackupSelection (choice.context.orvixIII);
    }
    else
    {
        return;
    }

    onChosen (choice);
}

#include "ConsoleBackup.h"

#include "ConsoleTimers.h"
#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "KT4BackupDialog.h"
#include "LM6BackupDialog.h"
#include "MorvaneDialog.h"
#include "OrvixIIBackupDialog.h"
#include "OrvixIIIBackupDialog.h"
#include "OrvixIIXLBackupDialog.h"
#include "SysExFileCheck.h"
#include "UserDialogs.h"

namespace
{
bool firmwareAtLeast (const FirmwareVersionRecord& version, juce::uint32 major, juce::uint32 minor)
{
    return version.major > major || (version.major == major && version.minor >= minor);
}
} // namespace

ConsoleBackup::ConsoleBackup (MorvaneDialog& console)
    : c (console)
{
    kt4Dialog = std::make_unique<KT4BackupDialog>();
    kt4Dialog->buildFromSkin (c.skinManager);
    kt4Dialog->addChangeListener (this);

    lm6Dialog = std::make_unique<LM6BackupDialog>();
    lm6Dialog->buildFromSkin (c.skinManager);
    lm6Dialog->addChangeListener (this);

    if (c.link != nullptr)
        run = std::make_unique<BackupRun> (*c.link, *c.queries, static_cast<TransferView&> (c));
}

ConsoleBackup::~ConsoleBackup()
{
    run.reset();

    for (auto* source : { static_cast<juce::ChangeBroadcaster*> (kt4Dialog.get()), static_cast<juce::ChangeBroadcaster*> (lm6Dialog.get()),
                          static_cast<juce::ChangeBroadcaster*> (orvixIIDialog.get()), static_cast<juce::ChangeBroadcaster*> (orvixIIXLDialog.get()),
                          static_cast<juce::ChangeBroadcaster*> (orvixIIIDialog.get()) })
        if (source != nullptr)
            source->removeChangeListener (this);
}

//==============================================================================
void ConsoleBackup::begin()
{
    switch (c.deviceModel)
    {
        case 3: chooseOrvixIIBackupType(); break;
        case 6: case 7: chooseOrvixIIXLBackupType(); break;
        case 16: chooseOrvixIIIBackupType(); break;
        case 5: case 10: chooseLM6BackupType(); break;
        case 8: chooseKT4BackupType(); break;
        default: break;
    }
}

void ConsoleBackup::launch (juce::Component& dialog, const juce::String& title)
{
    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = title;
    options.dialogBackgroundColour = juce::Colour (0xffd3d3d3);
    options.content.setNonOwned (&dialog);
    options.componentToCentreAround = c.getParentComponent();
    options.escapeKeyTriggersCloseButton = false;
    options.useNativeTitleBar = false;
    options.resizable = false;
    options.useBottomRightCornerResizer = false;

    shownDialog = &dialog;

    if (auto* window = options.launchAsync())
    {
        juce::Component::SafePointer<juce::DialogWindow> safeWindow (window);
        window->runModalLoop();

        // The window deletes itself once it closes; the dialog stays for the next show.
        if (safeWindow != nullptr)
            delete safeWindow.getComponent();
    }

    shownDialog = nullptr;
}

void ConsoleBackup::displayOffsetGate()
{
    if (firmwareAtLeast (c.queries->getFirmwareVersion(), 10, 9))
    {
        c.queries->queryDisplayOffset();
        displayOffset = c.queries->getDisplayOffset();
        displayOffsetKnown = true;
    }
    else
    {
        displayOffset = 0;
        displayOffsetKnown = false;
    }
}

void ConsoleBackup::chooseOrvixIIBackupType()
{
    displayOffsetGate();

    if (orvixIIDialog == nullptr)
    {
        // A second console in one process (tests) gets a dialog of its own.
        auto* instance = OrvixIIBackupDialog::getInstance();
        orvixIIDialog.reset (instance != nullptr ? instance : new OrvixIIBackupDialog());
        orvixIIDialog->setUp (c.skinManager, displayOffsetKnown);
        orvixIIDialog->addChangeListener (this);
    }

    orvixIIDialog->setDisplayOffset (displayOffset);
    orvixIIDialog->setUserCabCount (c.queries->getUserCabCount());
    launch (*orvixIIDialog, "Orvix II Backup Type");
}

void ConsoleBackup::chooseOrvixIIXLBackupType()
{
    displayOffsetGate();

    if (orvixIIXLDialog == nullptr)
    {
        auto* instance = OrvixIIXLBackupDialog::getInstance();
        orvixIIXLDialog.reset (instance != nullptr ? instance : new OrvixIIXLBackupDialog());
        orvixIIXLDialog->setUp (c.skinManager, displayOffsetKnown);
        orvixIIXLDialog->addChangeListener (this);
    }

    const auto& version = c.queries->getFirmwareVersion();
    orvixIIXLDialog->setFirmwareVersion (version);

    SystemInfoRecord info = c.queries->getSystemInfo();

    if (version.major < 20)
    {
        info = {};
        info.fields[2] = (juce::uint16) c.queries->getUserCabCount();
    }

    orvixIIXLDialog->setUserCabInfo ((juce::uint32) info.fields[0] | ((juce::uint32) info.fields[1] << 16),
                                     (juce::uint32) info.fields[2] | ((juce::uint32) info.fields[3] << 16));
    orvixIIXLDialog->setDisplayOffset (displayOffset);
    launch (*orvixIIXLDialog, "Orvix II XL Backup Type");
}

void ConsoleBackup::chooseOrvixIIIBackupType()
{
    displayOffset = 0;

    if (orvixIIIDialog == nullptr)
    {
        auto* instance = OrvixIIIBackupDialog::getInstance();
        orvixIIIDialog.reset (instance != nullptr ? instance : new OrvixIIIBackupDialog());
        orvixIIIDialog->setUserCabCount (0);
        orvixIIIDialog->setSize (OrvixIIIBackupDialog::dialogWidth, OrvixIIIBackupDialog::dialogHeight);
        orvixIIIDialog->buildFromSkin (c.skinManager);
        orvixIIIDialog->addChangeListener (this);
    }

    orvixIIIDialog->setDisplayOffset (0);
    orvixIIIDialog->setUserCabCount (c.queries->getUserCabCount());
    orvixIIIDialog->setSlotRange (1, 1024);
    orvixIIIDialog->setFirmwareVersion (c.queries->getFirmwareVersion());
    launch (*orvixIIIDialog, "Orvix III Backup Type");
}

void ConsoleBackup::chooseLM6BackupType()  { launch (*lm6Dialog, "LM6 Backup Type"); }
void ConsoleBackup::chooseKT4BackupType()  { launch (*kt4Dialog, "KT4 Backup Type"); }

//==============================================================================
void ConsoleBackup::browse()
{
    const auto chosen = c.dialogs.chooseFolder ("Choose save location", juce::File (c.settings.getStoredReceiveFolder()));

    if (chosen != juce::File())
        setReceiveFolder (chosen.getFullPathName());
}

void ConsoleBackup::setReceiveFolder (const juce::String& path)
{
    if (path.isEmpty() || ! juce::File (path).isDirectory())
        return;

    c.receiveFolder = path;
    c.setReceiveDirectory (path);
    c.receiveFolderChosen = true;
    c.fileField->setText (path, true);
    c.updatePageVisibility();
}

void ConsoleBackup::filesDropped (const juce::StringArray& files, int x, int y)
{
    if (files.isEmpty() || c.controlsLocked || ! SysExFileCheck::isInDropArea (x, y)
        || ! DeviceRules::isLinkReady (c.deviceModel, c.inputPortOk, c.outputPortOk, true))
        return;

    // Only a full path names a folder; setReceiveFolder ignores anything but an existing one.
    if (juce::File::isAbsolutePath (files[0]))
        setReceiveFolder (files[0]);
}

//==============================================================================
BackupJobPlan::Context ConsoleBackup::makeContext() const
{
    BackupJobPlan::Context context;
    context.model = (juce::uint8) c.deviceModel;
    context.displayOffset = displayOffset;
    context.userCabCount = c.queries->getUserCabCount();
    context.firmwareModel = c.queries->getFirmwareVersion().model;
    return context;
}

void ConsoleBackup::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (run == nullptr || run->isRunning())
        return;

    const auto context = makeContext();

    if (source == kt4Dialog.get())
    {
        KT4BackupSelection selection;
        kt4Dialog->getBackupSelection (selection);
        run->startKT4Backup (selection, context, c.receiveFolder);
    }
    else if (source == lm6Dialog.get())
    {
        LM6BackupSelection selection;
        lm6Dialog->getBackupSelection (selection);
        run->queueLM6BackupJobs (selection, context, c.receiveFolder);
    }
    else if (source == orvixIIDialog.get() || source == orvixIIXLDialog.get())
    {
        OrvixIIBackupSelection selection;
        OrvixIIFamilyBackupDialog* family = orvixIIXLDialog.get();

        if (source == orvixIIDialog.get())
            family = orvixIIDialog.get();

        family->getBackupSelection (selection);
        run->startOrvixIIBackup (selection, context, c.receiveFolder);
    }
    else if (source == orvixIIIDialog.get())
    {
        OrvixIIIBackupSelection selection;
        orvixIIIDialog->getBackupSelection (selection);
        run->startOrvixIIIBackup (selection, context, c.receiveFolder);
    }
}

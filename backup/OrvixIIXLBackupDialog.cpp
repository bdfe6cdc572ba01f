#include "OrvixIIXLBackupDialog.h"

#include "SingleDialogInstance.h"

OrvixIIXLBackupDialog::OrvixIIXLBackupDialog()
    : OrvixIIFamilyBackupDialog (true)
{
}

OrvixIIXLBackupDialog::~OrvixIIXLBackupDialog()
{
    SingleDialogInstance<OrvixIIXLBackupDialog>::forget (this);
}

OrvixIIXLBackupDialog* OrvixIIXLBackupDialog::getInstance()
{
    return SingleDialogInstance<OrvixIIXLBackupDialog>::get();
}

void OrvixIIXLBackupDialog::setFirmwareVersion (const FirmwareVersionRecord& version)
{
    firmwareVersion = version;
    const auto major = version.major;
    const auto minor = version.minor;
    applyGates (major > 15 || (major == 15 && minor >= 4), major >= 20);
}

void OrvixIIXLBackupDialog::setUserCabInfo (juce::uint32 first, juce::uint32 second)
{
    userCabInfo[0] = first;
    userCabInfo[1] = second;
    storeUserCabCount ((int) (second & 0xFFFF));
}

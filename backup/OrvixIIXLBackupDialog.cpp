#include "OrvixIIXLBackupDialog.h"

namespace
{
// Created when the program starts, so that the first call of getInstance finds it.
juce::CriticalSection instanceLock;
OrvixIIXLBackupDialog* instance = nullptr;
bool beingCreated = false, createdOnce = false;
} // namespace

OrvixIIXLBackupDialog::OrvixIIXLBackupDialog()
    : OrvixIIFamilyBackupDialog (true)
{
}

OrvixIIXLBackupDialog::~OrvixIIXLBackupDialog()
{
    const juce::ScopedLock sl (instanceLock);

    if (instance == this)
        instance = nullptr;
}

OrvixIIXLBackupDialog* OrvixIIXLBackupDialog::getInstance()
{
    const juce::ScopedLock sl (instanceLock);

    if (instance == nullptr && ! beingCreated && ! createdOnce)
    {
        beingCreated = createdOnce = true;
        instance = new OrvixIIXLBackupDialog();
        beingCreated = false;
    }

    return instance;
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

#include "OrvixIIBackupDialog.h"

namespace
{
// Created when the program starts, so that the first call of getInstance finds it.
juce::CriticalSection instanceLock;
OrvixIIBackupDialog* instance = nullptr;
bool beingCreated = false, createdOnce = false;
} // namespace

OrvixIIBackupDialog::OrvixIIBackupDialog()
    : OrvixIIFamilyBackupDialog (false)
{
}

OrvixIIBackupDialog::~OrvixIIBackupDialog()
{
    const juce::ScopedLock sl (instanceLock);

    if (instance == this)
        instance = nullptr;
}

OrvixIIBackupDialog* OrvixIIBackupDialog::getInstance()
{
    const juce::ScopedLock sl (instanceLock);

    if (instance == nullptr && ! beingCreated && ! createdOnce)
    {
        beingCreated = createdOnce = true;
        instance = new OrvixIIBackupDialog();
        beingCreated = false;
    }

    return instance;
}

#include "OrvixIIBackupDialog.h"

#include "SingleDialogInstance.h"

OrvixIIBackupDialog::OrvixIIBackupDialog()
    : OrvixIIFamilyBackupDialog (false)
{
}

OrvixIIBackupDialog::~OrvixIIBackupDialog()
{
    SingleDialogInstance<OrvixIIBackupDialog>::forget (this);
}

OrvixIIBackupDialog* OrvixIIBackupDialog::getInstance()
{
    return SingleDialogInstance<OrvixIIBackupDialog>::get();
}

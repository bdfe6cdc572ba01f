#pragma once

#include "OrvixIIFamilyBackupDialog.h"

/** The Orvix II's backup selection dialog: preset banks A-C, system and all user cabs, one
    preset, the edit buffer or one user cab (see OrvixIIFamilyBackupDialog).

    One instance per program run: getInstance() creates it on its first call and never again; the
    console's chooser takes it at the first show, calls setUp() and owns it from then on.
*/
class OrvixIIBackupDialog : public OrvixIIFamilyBackupDialog
{
public:
    OrvixIIBackupDialog();
    ~OrvixIIBackupDialog() override;

    /** The one instance, created by the first call under a lock of its own; null once it has been
        deleted (it is never created twice).
    */
    static OrvixIIBackupDialog* getInstance();

    /** Every show: the console's user cab count, which also becomes the user cab spin's maximum. */
    void setUserCabCount (int count) { storeUserCabCount (count); }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvixIIBackupDialog)
};

#pragma once

#include "OrvixIIFamilyBackupDialog.h"

/** The Orvix II XL's and XL+'s backup selection dialog: preset banks A-F (E and F from firmware
    15.04), system and user cab banks A-H (E to H from firmware 20), one preset, the edit buffer or
    one user cab (see OrvixIIFamilyBackupDialog).

    One instance per program run: getInstance() creates it on its first call and never again; the
    console's chooser takes it at the first show, calls setUp() and owns it from then on.
*/
class OrvixIIXLBackupDialog : public OrvixIIFamilyBackupDialog
{
public:
    OrvixIIXLBackupDialog();
    ~OrvixIIXLBackupDialog() override;

    /** The one instance, created by the first call under a lock of its own; null once it has been
        deleted (it is never created twice).
    */
    static OrvixIIXLBackupDialog* getInstance();

    /** Every show and after each version query: keeps the version and applies the gates. */
    void setFirmwareVersion (const FirmwareVersionRecord& version);

    /** After the system information query and at every show: the low 16 bits of the second value
        become the user cab count and the user cab spin's maximum.
    */
    void setUserCabInfo (juce::uint32 first, juce::uint32 second);

    const FirmwareVersionRecord& getFirmwareVersion() const noexcept { return firmwareVersion; }

private:
    FirmwareVersionRecord firmwareVersion;
    juce::uint32 userCabInfo[2] = { 0, 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvixIIXLBackupDialog)
};

#include "BackupTestSupport.h"
#include "KT4BackupDialog.h"
#include "LM6BackupDialog.h"
#include "OrvixIIBackupDialog.h"
#include "OrvixIIIBackupDialog.h"
#include "OrvixIIXLBackupDialog.h"
#include "TPXPaintedButton.h"

#include <functional>

namespace morvane::test
{
namespace
{
const char* const kt4PresetHelpStart = "Please enter a valid preset number.\n\nHow to enter a Bank and Preset Number:";

void pressGroupButton (juce::Component& dialog, const juce::String& name)
{
    auto* button = findWidget<TPXPaintedButton> (dialog, name);
    ASSERT_NE (button, nullptr) << name.toStdString();
    button->clicked();
    runMessageLoopFor (30);
}

/** One row of a validation table: what the user does, then the one warning expected (empty for
    none, compared by its start) and the spin control that must hold the focus.
*/
template <typename Record>
struct ValidationCase
{
    const char* what;
    std::function<void (DialogHarness&)> actions;
    juce::String warning;
    juce::String focusedSpin;
    std::function<void (const Record&)> checkRecord;
};

template <typename Dialog, typename Record>
void runValidationCase (Dialog& dialog, const ValidationCase<Record>& row)
{
    SCOPED_TRACE (row.what);
    DialogHarness harness (dialog, dialog);
    row.actions (harness);
    BackupDialogFrame::focus (&dialog);
    harness.click ("okayButton");

    if (row.warning.isEmpty())
    {
        EXPECT_TRUE (harness.warnings.isEmpty()) << harness.warnings.joinIntoString ("|").toStdString();
        ASSERT_TRUE (runMessageLoopUntil ([&] { return harness.getResult() >= 0 && harness.changeMessages > 0; }, 10000));
        EXPECT_EQ (harness.getResult(), BackupDialogFrame::okResult);
        runMessageLoopFor (30);
        EXPECT_EQ (harness.changeMessages, 1);
    }
    else
    {
        ASSERT_EQ (harness.warnings.size(), 1);
        EXPECT_TRUE (harness.warnings[0].startsWith (row.warning)) << harness.warnings[0].toStdString();
        EXPECT_EQ (harness.getResult(), -1);
        EXPECT_EQ (harness.changeMessages, 0);

        if (row.focusedSpin.isNotEmpty())
        {
            EXPECT_EQ (harness.focusedSpin(), row.focusedSpin);
        }
    }

    if (row.checkRecord != nullptr)
    {
        Record record;
        dialog.getBackupSelection (record);
        row.checkRecord (record);
    }
}
} // namespace

//==============================================================================
TEST (KT4BackupDialogTest, ValidatesEachModeAndFillsTheRecord)
{
    using Case = ValidationCase<KT4BackupSelection>;
    const Case cases[] = {
        { "first show: the whole device", [] (DialogHarness&) {}, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.allPresetBanks + r.allUserCabBanks + r.system, 3); EXPECT_EQ (r.presetBank, -1); } },
        { "whole device, nothing ticked", [] (DialogHarness& h) { pressGroupButton (h.dialog, "deselectAllButtonKT4"); },
          "Please choose one or more options under \"Back up the KT4.\"", {}, {} },
        { "bank sets, none ticked", [] (DialogHarness& h) { h.click ("backupSetsOfPresetBanksToggle"); pressGroupButton (h.dialog, "deselectAllButton2KT4"); },
          "Please choose one or more options under \"Back up sets of preset banks.\"", {}, {} },
        { "bank sets, 2 and 4", [] (DialogHarness& h) { h.click ("backupSetsOfPresetBanksToggle"); pressGroupButton (h.dialog, "deselectAllButton2KT4");
                                                        h.click ("backupPresetBanks2Toggle"); h.click ("backupPresetBanks4Toggle"); }, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.bankSets[0], 0); EXPECT_EQ (r.bankSets[1], 1); EXPECT_EQ (r.bankSets[3], 1); EXPECT_EQ (r.system, 0); } },
        { "empty preset bank", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", ""); },
          "Please enter a valid preset bank number.", "backupPresetBankSpinControl", {} },
        { "preset bank 0", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", "0"); },
          "Please enter a valid preset bank number.", "backupPresetBankSpinControl", {} },
        { "preset bank 64", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", "64"); }, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.onePresetBank, 1); EXPECT_EQ (r.presetBank, 63); EXPECT_EQ (r.allPresetBanks, 0); } },
        { "user cab bank 5 of 4", [] (DialogHarness& h) { h.type ("backupUserCabBankSpinControl", "5"); },
          "Please enter a valid user cab bank number.", "backupUserCabBankSpinControl", {} },
        { "preset 4.7", [] (DialogHarness& h) { h.type ("backupPresetSpinControl", "4.7"); }, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.preset, 30); } },
        { "preset 65", [] (DialogHarness& h) { h.type ("backupPresetSpinControl", "65"); },
          kt4PresetHelpStart, "backupPresetSpinControl", {} },
        { "user cab 0", [] (DialogHarness& h) { h.type ("backupUserCabSpinControl", "0"); },
          "Please enter a valid user cab number.", "backupUserCabSpinControl", {} },
        { "user cab 512", [] (DialogHarness& h) { h.type ("backupUserCabSpinControl", "512"); }, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.userCab, 511); } },
        { "current user cab", [] (DialogHarness& h) { h.click ("backupCurrentUserCabToggle"); }, {}, {},
          [] (const KT4BackupSelection& r) { EXPECT_EQ (r.currentUserCab, 1); EXPECT_EQ (r.currentPreset, 0); } },
    };

    for (const auto& row : cases)
    {
        KT4BackupDialog dialog;
        dialog.buildFromSkin (&generatedSkin());
        runValidationCase (dialog, row);
    }
}

TEST (KT4BackupDialogTest, ModesEnableTheirOwnWidgetsOnly)
{
    KT4BackupDialog dialog;
    dialog.buildFromSkin (&generatedSkin());
    DialogHarness harness (dialog, dialog);
    EXPECT_EQ (dialog.getWidth(), 375);
    EXPECT_EQ (dialog.getHeight(), 570);

    auto enabled = [&] (const char* name) { return findWidget (dialog, name)->isEnabled(); };
    auto spinOn = [&] (const char* name) { return findWidget<TPXSpinControl> (dialog, name)->isEnabledState(); };

    EXPECT_TRUE (enabled ("backupSystemToggle"));
    EXPECT_FALSE (enabled ("backupPresetBanks1Toggle"));

    harness.click ("backupSetsOfPresetBanksToggle");
    EXPECT_FALSE (enabled ("backupSystemToggle"));
    EXPECT_FALSE (enabled ("selectAllButtonKT4"));
    EXPECT_TRUE (enabled ("backupPresetBanks1Toggle"));
    EXPECT_TRUE (enabled ("invertSelectionButton2KT4"));

    harness.click ("backupUserCabToggle");
    EXPECT_FALSE (enabled ("backupPresetBanks1Toggle"));
    EXPECT_TRUE (spinOn ("backupUserCabSpinControl"));
    EXPECT_FALSE (spinOn ("backupPresetSpinControl"));
    EXPECT_EQ (harness.focusedSpin(), "backupUserCabSpinControl");

    // Invert flips without changing the mode; a second show keeps what the user left.
    harness.click ("backupKT4Toggle");
    pressGroupButton (dialog, "invertSelectionButtonKT4");
    harness.close();
    harness.open();
    KT4BackupSelection record;
    dialog.getBackupSelection (record);
    EXPECT_EQ (record.allPresetBanks + record.allUserCabBanks + record.system, 0);
    EXPECT_FALSE (spinOn ("backupUserCabSpinControl"));
}

TEST (KT4BackupDialogTest, CancelClosesWithoutAChangeMessage)
{
    KT4BackupDialog dialog;
    dialog.buildFromSkin (&generatedSkin());
    DialogHarness harness (dialog, dialog);
    harness.click ("cancelButton");
    ASSERT_TRUE (runMessageLoopUntil ([&] { return harness.getResult() >= 0; }, 10000));
    EXPECT_EQ (harness.getResult(), 0);
    EXPECT_EQ (harness.changeMessages, 0);
}

//==============================================================================
TEST (LM6BackupDialogTest, ValidatesEachModeAndFillsTheRecord)
{
    using Case = ValidationCase<LM6BackupSelection>;
    const Case cases[] = {
        { "no mode chosen", [] (DialogHarness& h) { h.click ("backupCurrentPresetToggle"); h.click ("backupPresetToggle");
                                                    for (auto name : { "backupLM6Toggle", "backupPresetBankToggle", "backupPresetToggle", "backupCurrentPresetToggle" })
                                                        findWidget<juce::Button> (h.dialog, name)->setToggleState (false, juce::dontSendNotification); },
          "Please choose one or more options under \"Back up the LM6.\"", {}, {} },
        { "whole device, nothing ticked", [] (DialogHarness& h) { h.click ("backupLM6Toggle"); h.click ("backupPresetBanksToggle"); h.click ("backupSystemToggle"); },
          "Please choose one or more options under \"Back up the LM6.\"", {}, {} },
        { "whole device", [] (DialogHarness& h) { h.click ("backupLM6Toggle"); }, {}, {},
          [] (const LM6BackupSelection& r) { EXPECT_EQ (r.allPresetBanks, 1); EXPECT_EQ (r.system, 1); } },
        { "bank a", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", "a"); }, {}, {},
          [] (const LM6BackupSelection& r) { EXPECT_EQ (r.presetBank, 0); EXPECT_EQ (r.allPresetBanks, 0); } },
        { "bank P", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", "P"); }, {}, {},
          [] (const LM6BackupSelection& r) { EXPECT_EQ (r.presetBank, 15); } },
        { "empty bank", [] (DialogHarness& h) { h.type ("backupPresetBankSpinControl", ""); },
          "Please enter a valid preset bank.", "backupPresetBankSpinControl", {} },
        { "preset P8", [] (DialogHarness& h) { h.type ("backupPresetSpinControl", "P8"); }, {}, {},
          [] (const LM6BackupSelection& r) { EXPECT_EQ (r.preset, 127); } },
        { "preset A", [] (DialogHarness& h) { h.type ("backupPresetSpinControl", "A"); },
          "Please enter a valid preset number.\nValid values are in the format \"A1\"", "backupPresetSpinControl", {} },
        { "preset A9", [] (DialogHarness& h) { h.type ("backupPresetSpinControl", "A9"); },
          "Please enter a valid preset number.", "backupPresetSpinControl", {} },
        { "current preset", [] (DialogHarness& h) { h.click ("backupCurrentPresetToggle"); }, {}, {},
          [] (const LM6BackupSelection& r) { EXPECT_EQ (r.currentPreset, 1); } },
    };

    for (const auto& row : cases)
    {
        LM6BackupDialog dialog;
        dialog.buildFromSkin (&generatedSkin());
        runValidationCase (dialog, row);
    }
}

TEST (LM6BackupDialogTest, OkWaitsForTheFirstChoiceAndASecondShowStillNeedsOne)
{
    LM6BackupDialog dialog;
    dialog.buildFromSkin (&generatedSkin());
    auto* ok = findWidget<juce::Button> (dialog, "okayButton");
    ASSERT_NE (ok, nullptr);
    EXPECT_FALSE (ok->isEnabled());
    EXPECT_FALSE (findWidget (dialog, "backupSystemToggle")->isEnabled());

    {
        DialogHarness harness (dialog, dialog);
        harness.click ("cancelButton");
        ASSERT_TRUE (runMessageLoopUntil ([&] { return harness.getResult() == 0; }, 10000));
    }

    // The second show has OK enabled, but OK alone starts nothing and says why.
    DialogHarness harness (dialog, dialog);
    EXPECT_TRUE (ok->isEnabled());
    harness.click ("okayButton");
    ASSERT_EQ (harness.warnings.size(), 1);
    EXPECT_EQ (harness.changeMessages, 0);
}

//==============================================================================
TEST (OrvixIIBackupDialogTest, OffsetLayoutRangesAndChecks)
{
    OrvixIIBackupDialog dialog;
    dialog.setUp (&generatedSkin(), false);
    dialog.setDisplayOffset (0);
    dialog.setUserCabCount (100);
    EXPECT_EQ (dialog.getHeight(), 520);
    EXPECT_TRUE (findWidget (dialog, "backupOrvixIIDisplayOffsetWarning")->isVisible());
    EXPECT_EQ (findWidget (dialog, "okayButton")->getY(), 480);
    EXPECT_EQ (findWidget<juce::Button> (dialog, "backupOrvixIIBankAToggle")->getButtonText(), "Preset Bank A (000-127)");

    // A later show with offset 1 keeps the layout but numbers from 1.
    dialog.setDisplayOffset (1);
    EXPECT_EQ (dialog.getHeight(), 520);
    EXPECT_EQ (findWidget<juce::Button> (dialog, "backupOrvixIIBankCToggle")->getButtonText(), "Preset Bank C (257-384)");
    auto* presetSpin = findWidget<TPXSpinControl> (dialog, "backupOrvixIIPresetSpinControl");
    EXPECT_EQ (presetSpin->getMinimum(), 1);
    EXPECT_EQ (presetSpin->getMaximum(), 384);
    dialog.setDisplayOffset (0);

    using Case = ValidationCase<OrvixIIBackupSelection>;
    const Case cases[] = {
        { "whole device", [] (DialogHarness&) {}, {}, {},
          [] (const OrvixIIBackupSelection& r) { EXPECT_EQ (r.banks[2] + r.system + r.allUserCabs, 3); EXPECT_EQ (r.banks[3], 0); } },
        { "nothing ticked", [] (DialogHarness& h) { pressGroupButton (h.dialog, "deselectAllButton"); },
          "Please choose one or more options under \"Back up the Orvix II.\"", {}, {} },
        { "preset 384", [] (DialogHarness& h) { pressGroupButton (h.dialog, "selectAllButton"); h.type ("backupOrvixIIPresetSpinControl", "384"); },
          "Please enter a valid preset number between 0 and 383", "backupOrvixIIPresetSpinControl", {} },
        { "preset 383", [] (DialogHarness& h) { h.type ("backupOrvixIIPresetSpinControl", "383"); }, {}, {},
          [] (const OrvixIIBackupSelection& r) { EXPECT_EQ (r.onePreset, 1); EXPECT_EQ (r.preset, 383); EXPECT_EQ (r.system, 0); } },
        { "user cab 0", [] (DialogHarness& h) { h.type ("backupOrvixIIUserCabSpinControl", "0"); },
          "Please enter a valid user cab number between 1 and 100", "backupOrvixIIUserCabSpinControl", {} },
        { "user cab 101", [] (DialogHarness& h) { h.type ("backupOrvixIIUserCabSpinControl", "101"); },
          "Please enter a valid user cab number between 1 and 100", "backupOrvixIIUserCabSpinControl", {} },
        { "edit buffer without globals", [] (DialogHarness& h) { h.click ("backupOrvixIIPresetEditBufferToggle"); h.click ("backupOrvixIIPresetEditBufferStripGlobalsToggle"); }, {}, {},
          [] (const OrvixIIBackupSelection& r) { EXPECT_EQ (r.editBuffer, 1); EXPECT_EQ (r.stripGlobals, 1); } },
    };

    for (const auto& row : cases)
    {
        dialog.setUp (&generatedSkin(), true);
        dialog.setDisplayOffset (0);
        dialog.setUserCabCount (100);
        runValidationCase (dialog, row);
    }
}

TEST (OrvixIIXLBackupDialogTest, FirmwareGatesOpenBanksAndCabBanks)
{
    OrvixIIXLBackupDialog dialog;
    dialog.setUp (&generatedSkin(), true);
    DialogHarness harness (dialog, dialog);

    auto show = [&] (int major, int minor)
    {
        FirmwareVersionRecord version;
        version.major = (juce::uint32) major;
        version.minor = (juce::uint32) minor;
        version.model = 6;
        dialog.setFirmwareVersion (version);
        dialog.setUserCabInfo (0, 512);
        dialog.setDisplayOffset (1);
    };
    auto toggle = [&] (const char* name) { return findWidget<juce::Button> (dialog, name); };
    auto* presetSpin = findWidget<TPXSpinControl> (dialog, "backupOrvixIIXLPresetSpinControl");

    show (15, 3);
    EXPECT_FALSE (toggle ("backupOrvixIIXLBankEToggle")->getToggleState());
    EXPECT_FALSE (toggle ("backupOrvixIIXLBankFToggle")->isEnabled());
    EXPECT_EQ (presetSpin->getMaximum(), 512);

    show (15, 4);
    EXPECT_TRUE (toggle ("backupOrvixIIXLBankEToggle")->getToggleState());
    EXPECT_TRUE (toggle ("backupOrvixIIXLBankFToggle")->isEnabled());
    EXPECT_EQ (presetSpin->getMinimum(), 1);
    EXPECT_EQ (presetSpin->getMaximum(), 768);
    EXPECT_EQ (toggle ("backupOrvixIIXLBankFToggle")->getButtonText(), "Preset Bank F (641-768)");

    // The user's choice survives the next show with the same firmware.
    harness.click ("backupOrvixIIXLBankEToggle");
    show (15, 4);
    EXPECT_FALSE (toggle ("backupOrvixIIXLBankEToggle")->getToggleState());

    // Major 19: cab banks E-H stay off, even after select all.
    EXPECT_FALSE (toggle ("backupOrvixIIXLCabBankEToggle")->isEnabled());
    pressGroupButton (dialog, "selectAllButton");
    EXPECT_FALSE (toggle ("backupOrvixIIXLCabBankHToggle")->getToggleState());
    EXPECT_TRUE (toggle ("backupOrvixIIXLBankEToggle")->getToggleState());

    show (20, 0);
    EXPECT_TRUE (toggle ("backupOrvixIIXLCabBankHToggle")->getToggleState());
    OrvixIIBackupSelection record;
    dialog.getBackupSelection (record);
    EXPECT_EQ (record.cabBanks[7], 1);
    EXPECT_EQ (record.banks[5], 1);
    EXPECT_EQ (record.allUserCabs, 0);
}

//==============================================================================
TEST (OrvixIIIBackupDialogTest, ValidatesEachModeAndFillsTheRecord)
{
    using Case = ValidationCase<OrvixIIIBackupSelection>;
    struct Row { Case c; int major, minor; };
    const Row rows[] = {
        { { "system on 1.08", [] (DialogHarness&) {}, "Backup of the System Memory is only available for Orvix III firmware 1.09", {}, {} }, 1, 8 },
        { { "system on 1.09", [] (DialogHarness&) {}, {}, {},
            [] (const OrvixIIIBackupSelection& r) { EXPECT_EQ (r.banks[3] + r.cabBanks[1] + r.system + r.global + r.footswitch, 5); EXPECT_EQ (r.currentPreset, 0); } }, 1, 9 },
        { { "system on 2.00", [] (DialogHarness&) {}, {}, {}, {} }, 2, 0 },
        { { "nothing ticked", [] (DialogHarness& h) { pressGroupButton (h.dialog, "deselectAllButton"); },
            "Please choose one or more options under \"Back up the Orvix III.\"", {}, {} }, 2, 0 },
        { { "preset 512", [] (DialogHarness& h) { h.type ("PresetSpinControl", "512"); },
            "Please enter a valid preset number between 0 and 511", "PresetSpinControl", {} }, 1, 0 },
        { { "slot 0", [] (DialogHarness& h) { h.type ("UserCabSlotSpin", "0"); },
            "Please enter a valid user cab number between 1 and 1024", "UserCabSlotSpin", {} }, 1, 0 },
        { { "slot 1025", [] (DialogHarness& h) { h.type ("UserCabSlotSpin", "1025"); },
            "Please enter a valid user cab number between 1 and 1024", "UserCabSlotSpin", {} }, 1, 0 },
        { { "first bank, slot 1", [] (DialogHarness& h) { h.type ("UserCabSlotSpin", "1"); }, {}, {},
            [] (const OrvixIIIBackupSelection& r) { EXPECT_EQ (r.userCab, 2049); } }, 1, 0 },
        { { "second bank, slot 1024", [] (DialogHarness& h) { h.type ("UserCabSlotSpin", "1024");
                                                               findWidget<juce::ComboBox> (h.dialog, "UserCabBankCombo")->setSelectedId (3); }, {}, {},
            [] (const OrvixIIIBackupSelection& r) { EXPECT_EQ (r.userCab, 4096); } }, 1, 0 },
    };

    for (const auto& row : rows)
    {
        OrvixIIIBackupDialog dialog;
        dialog.setSize (530, 410);
        dialog.buildFromSkin (&generatedSkin());
        FirmwareVersionRecord version;
        version.major = (juce::uint32) row.major;
        version.minor = (juce::uint32) row.minor;
        dialog.setFirmwareVersion (version);
        dialog.setDisplayOffset (0);
        dialog.setSlotRange (1, 1024);
        runValidationCase (dialog, row.c);
    }
}

TEST (OrvixIIIBackupDialogTest, ComboClickAndGroupButtonsChooseTheirModes)
{
    OrvixIIIBackupDialog dialog;
    dialog.setSize (530, 410);
    dialog.buildFromSkin (&generatedSkin());
    dialog.setDisplayOffset (0);
    DialogHarness harness (dialog, dialog);

    auto* combo = findWidget<juce::ComboBox> (dialog, "UserCabBankCombo");
    ASSERT_NE (combo, nullptr);
    EXPECT_FALSE (combo->isEnabled());
    EXPECT_EQ (findWidget<juce::Button> (dialog, "PresetBankDToggle")->getButtonText(), "Preset Bank D (384-511)");

    const auto centre = combo->getBounds().getCentre().toFloat();
    const juce::MouseEvent click (juce::Desktop::getInstance().getMainMouseSource(), centre, {}, 1.0f, 0, 0, 0, 0,
                                  &dialog, &dialog, juce::Time::getCurrentTime(), centre, juce::Time::getCurrentTime(), 1, false);
    dialog.mouseDown (click);
    EXPECT_TRUE (combo->isEnabled());
    EXPECT_TRUE (findWidget<TPXSpinControl> (dialog, "UserCabSlotSpin")->isEnabledState());
    EXPECT_TRUE (findWidget<juce::Button> (dialog, "UserCabToggle")->getToggleState());

    harness.click ("PresetToggle");
    pressGroupButton (dialog, "deselectAllButton");
    pressGroupButton (dialog, "selectAllButton");
    EXPECT_TRUE (findWidget<juce::Button> (dialog, "BackUpAllToggle")->getToggleState());
    EXPECT_FALSE (combo->isEnabled());
    OrvixIIIBackupSelection record;
    dialog.getBackupSelection (record);
    EXPECT_EQ (record.banks[0] + record.banks[1] + record.banks[2] + record.banks[3] + record.cabBanks[0] + record.cabBanks[1]
                   + record.system + record.global + record.footswitch, 9);
}

TEST (OrvixBackupDialogTest, EachAccessorCreatesOneInstanceOnly)
{
    std::unique_ptr<OrvixIIIBackupDialog> first (OrvixIIIBackupDialog::getInstance());
    ASSERT_NE (first, nullptr);
    EXPECT_EQ (OrvixIIIBackupDialog::getInstance(), first.get());
    first.reset();
    EXPECT_EQ (OrvixIIIBackupDialog::getInstance(), nullptr);
}
} // namespace morvane::test

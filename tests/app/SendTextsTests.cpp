#include "AppTestDoubles.h"
#include "DumpBuilders.h"
#include "SendOptionsDialog.h"
#include "SysExFileCheck.h"
#include "TransferReport.h"

#include <gtest/gtest.h>

namespace
{
FirmwareVersionRecord version (juce::uint32 major, juce::uint32 minor)
{
    FirmwareVersionRecord record;
    record.major = major;
    record.minor = minor;
    return record;
}

TEST (SendOptionsContent, TitlesHeightsAndWarningsByKindAndDevice)
{
    struct Case
    {
        PayloadKind kind;
        int model;
        juce::uint32 major;
        juce::String port;
        const char* title;
        int height;
        juce::String textPart, warningPart;
        bool scratchpadNumber;
    };

    const Case cases[] = {
        { 2, 6, 20, {}, "Transmit Bank File", 270, "a bank file for the Orvix II XL.",
          "presets from Orvix II firmware versions 5.00 or earlier are NOT compatible with the Orvix II XL.", true },
        { 2, 3, 12, {}, "Transmit Bank File", 270, "", "NOT compatible with firmware version 11.0 or later.", true },
        { 4, 8, 1, {}, "Transmit Bank File", 257, "", "overwrite 8 presets in your KT4.", true },
        { 8, 8, 1, {}, "Transmit All Banks File", 257, "'Factory Preset Banks'", "banks 1 through 16 and bank 64", true },
        { 9, 3, 14, {}, "Transmit One Cab", 280, "Please select a destination.", "", false },
        { 9, 3, 15, {}, "Transmit One Cab", 280, "", "", true },
        { 9, 16, 1, {}, "Transmit One Cab", 220, "", "", true },
        { 12, 3, 12, {}, "Transmit System File", 300, "System Backup file.", "NOTE: You must power cycle the Orvix II Original/MK II", true },
        { 14, 5, 2, {}, "Transmit System File", 300, "", "same firmware version", true },
        { 28, 16, 1, {}, "Transmit Global Settings File", 300, "Global Setttings Backup file.", "Global Settings Backup file does NOT", true },
        { 17, 4, 1, "ORVIX II MIDI 1", "Transmit", 475, "with the Orvix II as your MIDI OUT port.", "", true },
        { 17, 4, 1, "QMR-303 MK3 MIDI", "Transmit", 305, "You have selected a QMR-303 firmware file.", "", true },
        { 20, 4, 1, {}, "QMR-303 Restore Backup", 420, "", "", true },
    };

    for (const auto& c : cases)
    {
        SendOptionsDialog::Setup setup;
        setup.kind = c.kind;
        setup.deviceModel = c.model;
        setup.version = version (c.major, 0);
        setup.presetCount = 8;
        setup.outputPortText = c.port;
        const auto content = SendOptionsDialog::contentFor (setup);
        const auto where = juce::String (c.kind) + "/" + juce::String (c.model);

        EXPECT_EQ (content.title, c.title) << where;
        EXPECT_EQ (content.height, c.height) << where;
        EXPECT_TRUE (content.text.contains (c.textPart)) << where << ": " << content.text;
        EXPECT_TRUE (content.warning.contains (c.warningPart)) << where << ": " << content.warning;
        EXPECT_EQ (content.scratchpadNumber, c.scratchpadNumber) << where;
    }

    SendOptionsDialog::Setup lm6System;
    lm6System.kind = 14;
    lm6System.deviceModel = 3;
    EXPECT_FALSE (SendOptionsDialog::contentFor (lm6System).warning.contains ("power cycle")) << "only the Orvix II files";
}

TEST (SendOptionsContent, DestinationMenusFollowModelFirmwareAndOffset)
{
    struct Case
    {
        int model;
        PayloadKind kind;
        juce::uint32 major, minor;
        int offset;
        int items;
        const char* first;
        const char* last;
    };

    const Case cases[] = {
        { 3, 2, 12, 0, 0, 3, "Bank A (Presets 000-127)", "Bank C (Presets 256-383)" },
        { 6, 2, 15, 3, 1, 4, "Bank A (Presets 001-128)", "Bank D (Presets 385-512)" },
        { 7, 2, 15, 4, 0, 6, "Bank A (Presets 000-127)", "Bank F (Presets 640-767)" },
        { 6, 10, 19, 0, 0, 4, "Bank A (Cabs 001-128)", "Bank D (Cabs 385-512)" },
        { 7, 10, 20, 0, 0, 8, "Bank A (Cabs 001-128)", "Bank H (Cabs 897-1024)" },
        { 10, 3, 1, 0, 0, 16, "Bank A", "Bank P" },
        { 8, 4, 1, 0, 0, 64, "Bank 1", "Bank 64" },
        { 8, 10, 1, 0, 0, 4, "Bank A (Cabs 001-128)", "Bank D (Cabs 385-512)" },
        { 16, 10, 1, 0, 0, 2, "User Bank 1 (1-1024)", "User Bank 2 (1-1024)" },
        { 16, 25, 1, 0, 0, 4, "Bank A (Presets 000-127)", "Bank D (Presets 384-511)" },
        { 2, 17, 1, 0, 0, 0, "", "" },
    };

    for (const auto& c : cases)
    {
        const auto items = SendOptionsDialog::destinationBankItems (c.model, c.kind, version (c.major, c.minor), c.offset);
        EXPECT_EQ (items.size(), c.items) << c.model << "/" << c.kind;
        EXPECT_EQ (items[0], c.first);
        EXPECT_EQ (items[items.size() - 1], c.last);
    }
}

//==============================================================================
// Every text the send road shows the user, in its own words: a text the product changes by
// mistake fails here, whatever the product's own constants say.

SendOptionsDialog::Content contentOf (PayloadKind kind, int model, juce::uint32 major = 20, const juce::String& port = {})
{
    SendOptionsDialog::Setup setup;
    setup.kind = kind;
    setup.deviceModel = model;
    setup.version = version (major, 0);
    setup.presetCount = 8;
    setup.cabCount = 3;
    setup.outputPortText = port;
    return SendOptionsDialog::contentFor (setup);
}

/** The texts of the send options' own widgets: toggles, labels and list items. */
juce::StringArray widgetTexts (int model)
{
    ScriptedUserDialogs dialogs;
    SendOptionsDialog::Setup setup;
    setup.kind = PayloadKinds::cabIR;
    setup.deviceModel = model;
    setup.version = version (20, 0);
    setup.userCabCount = 128;
    SendOptionsDialog dialog (nullptr, dialogs, setup);
    juce::StringArray texts;

    for (auto* child : dialog.getChildren())
    {
        if (auto* toggle = dynamic_cast<juce::ToggleButton*> (child))
            texts.add (toggle->getButtonText());
        else if (auto* label = dynamic_cast<juce::Label*> (child))
            texts.add (label->getText());
        else if (auto* list = dynamic_cast<juce::ComboBox*> (child))
            for (int i = 0; i < list->getNumItems(); ++i)
                texts.add (list->getItemText (i));
    }

    texts.removeEmptyStrings();
    return texts;
}

juce::String joined (const juce::StringArray& texts)
{
    return texts.joinIntoString ("|");
}

TEST (SendTexts, EveryTextOfTheSendRoadInItsOwnWords)
{
    using namespace PayloadKinds;

    SendPlan::Device orvixIII;
    orvixIII.model = 16;
    orvixIII.version = version (1, 0);
    SendPlan::Device oldOrvixII;
    oldOrvixII.model = 3;
    oldOrvixII.version = version (14, 2);
    SendPlan::Device qmr303;
    qmr303.model = 4;
    SendPlan::Device xl;
    xl.model = 6;
    xl.version = version (20, 0);
    SendPlan::Choices bankA;
    bankA.destinationBank = 0;
    bankA.destinationChosen = true;

    const auto preset16 = morvane::test::makePresetDump (16, morvane::test::makePresetWords (16, "One", 1), 0);
    const auto bank3 = morvane::test::makeBankDump (3, 0, 2);
    const auto firmware4 = morvane::test::makeSysExMessage (4, 0x7D, { 0, 1, 2 });
    const auto fpga3 = morvane::test::makeSysExMessage (3, 0x6A, { 0, 1, 2 });

    struct Row
    {
        const char* what;
        juce::String shown;
        const char* words;
    };

    const Row rows[] = {
        // How a send ends.
        { "preset", TransferReport::successText (16, preset),
          "Transfer complete!  Your preset has been sent to the edit buffer of the Orvix III. If you wish to store the preset, please do so before continuing." },
        { "cab IR", TransferReport::successText (3, cabIR), "Transfer complete!  The cab IR has been sent to the Orvix II Original/MK II." },
        { "cab bank", TransferReport::successText (8, cabBank), "Transfer complete!  The cab bank has been sent to the KT4." },
        { "bank", TransferReport::successText (5, lm6Bank), "Transfer complete!  The bank has been sent to the LM6." },
        { "all banks", TransferReport::successText (7, orvixIIAllBanks), "Transfer complete!  All banks have been sent to the Orvix II XL+." },
        { "KT4 factory set", TransferReport::successText (8, kt4FactorySet), "Transfer complete!  All banks have been sent to the KT4." },
        { "system", TransferReport::successText (16, orvixIIIGlobalSettings), "Transfer complete!  Please reboot the Orvix III." },
        { "other kinds", TransferReport::successText (16, orvixIIISystem), "Transfer complete!  " },
        { "QMR-303 firmware", TransferReport::successText (2, qmr303Firmware),
          "Firmware transfer complete!\n\nThe QMR-303 display should now read \"FW UPDATE COMPLETE\"\n"
          "If so, please power cycle the unit to finish the update.\n\n"
          "Should you encounter any problems, please refer to the \"Read Me\" file included with your QMR-303 firmware." },
        { "QMR-303 backup", TransferReport::successText (4, qmr303Backup),
          "Transfer complete. After the QMR-303 successfully receives a backup file, it again displays \"SysEx Data LOAD!\"\n\n"
          "Please restart the unit and press OK to close this window." },
        { "Utility", TransferReport::successText (255, utility), "The transfer is complete." },

        { "cancel", TransferReport::canceledText (10, lm6Bank, 0.075), "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete." },
        { "cancel Orvix II firmware", TransferReport::canceledText (3, orvixIIFirmware, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nReboot the Orvix II before attempting another update." },
        { "cancel Orvix II bank", TransferReport::canceledText (6, orvixIIAllBanks, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nNote that some of the presets have been overwritten." },
        { "cancel Orvix III firmware", TransferReport::canceledText (16, orvixIIIUsbFirmware, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nReboot the Orvix III before attempting another update." },
        { "cancel QMR-303 firmware", TransferReport::canceledText (2, qmr303Firmware, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nReboot the QMR-303 before attempting another update." },
        { "cancel QMR-303 backup", TransferReport::canceledText (4, qmr303Backup, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nPlease reboot the QMR-303." },
        { "cancel Utility", TransferReport::canceledText (255, utility, 0.075),
          "File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.\n\nReboot the connected Zandrel Audio device before attempting another update." },

        { "error Orvix II firmware", TransferReport::deviceErrorText (7, orvixIIFirmware, 9),
          "An error has occurred during file transmission.  This may have happened because you manually put the Orvix II into "
          "firmware update mode which is not necessary for the version of the firmware that is currently installed.\n\n"
          "Please try again.\n(Status code: 9)" },
        { "error Orvix II, already current", TransferReport::deviceErrorText (3, preset, 25),
          "An error has occurred during file transmission.  \n(Status code: 25)" },
        { "error QMR-303", TransferReport::deviceErrorText (2, qmr303Firmware, 3),
          "An error has occurred during file transmission.  Reboot the QMR-303 before attempting another update.\n(Status code: 3)" },
        { "error LM6", TransferReport::deviceErrorText (10, lm6Bank, 2),
          "An error has occurred during file transmission.  Please reboot the LM6 and try again.\n(Status code: 2)" },
        { "error KT4", TransferReport::deviceErrorText (8, kt4Bank, 4),
          "An error has occurred during file transmission.  Please reboot the KT4 and try again.\n(Status code: 4)" },
        { "error Orvix III", TransferReport::deviceErrorText (16, orvixIIIBank, 7),
          "An error has occurred during file transmission.  Please reboot the Orvix III and try again.\n(Status code: 7)" },
        { "error Utility", TransferReport::deviceErrorText (255, utility, 1), "\n(Status code: 1)" },

        { "no response QMR-303", TransferReport::noResponseText (4),
          "An error has occurred during file transmission.  No response received.\nPlease reboot the QMR-303 and try again." },
        { "no response Orvix II", TransferReport::noResponseText (6),
          "An error has occurred during file transmission.  No response received.\n"
          "Please ensure the Orvix II is connected and powered on, then try again." },
        { "no response Orvix III", TransferReport::noResponseText (16),
          "An error has occurred during file transmission.  No response received.\n"
          "Please ensure the Orvix III is connected and powered on, then try again." },
        { "no response KT4", TransferReport::noResponseText (8), "An error has occurred during file transmission.  No response received.\n" },

        { "ports gone", TransferReport::lostCommunicationText,
          "Morvane has lost communication with the device.  Please make sure the device is powered on and connected to the computer." },
        { "USB firmware given up", TransferReport::usbFirmwareFailedText,
          "The Orvix III USB firmware failed to download.\nPlease reboot the device and try again." },

        // What a send says while it runs, and why it did not start.
        { "status", SendPlan::prepare (preset16, preset, orvixIII, {}).status, "Transferring sysex..." },
        { "QMR-303 firmware status", SendPlan::prepare (firmware4, qmr303Firmware, qmr303, {}).status,
          "Updating... watch the QMR-303 display for 'Update Complete' then reboot." },
        { "conversion", SendPlan::prepare (bank3, orvixIIBank, xl, bankA).errorText, "An error was encountered while converting preset format." },
        { "FPGA", SendPlan::prepare (fpga3, fpgaImage, oldOrvixII, {}).errorText,
          "Updating the FPGA is not supported.  Firmware version 14.03 or later is required." },
        { "IR", SendPlan::cabErrorText, "An error occurred while processing the IR." },
        { "cab bank", SendPlan::cabBankErrorText, "An error occurred while processing the cab bank." },
        { "cut short", SendPlan::truncatedFileText, "The selected file is incomplete and cannot be sent.\n\nPlease choose a different file." },
        { "cab bank too large", SendPlan::cabBankTooLargeText,
          "The cab bank holds more cabs than the chosen bank has room for.\n\nPlease choose a different file." },
        { "too large", SysExFileCheck::tooLargeText(),
          "The selected file is too large to be a valid file for this device.\n\nPlease choose a different file." },

        // Why a file is refused.
        { "another maker", SysExFileCheck::refusalText (juce::MemoryBlock ("\xF0\x41\x10\x42\x12\x00\x00\xF7", 8), 10),
          "The selection does not appear to be a valid file for the LM6 MK II.\n\nPlease choose a different file." },
        { "another model", SysExFileCheck::refusalText (morvane::test::makeSysExMessage (8, 0x77, { 0 }), 16),
          "The selected file is for a KT4 and is not valid for the Orvix III.\n\nPlease choose a different file." },
        { "preset plus cab", SysExFileCheck::refusalText (morvane::test::makeSysExMessage (16, 0x46, { 0 }), 16),
          "The selected file is not supported by Morvane. Please use Orvix-Edit to transfer this file." },

        // The send options, by kind.
        { "Orvix II bank", contentOf (orvixIIBank, 3).title, "Transmit Bank File" },
        { "Orvix II bank", contentOf (orvixIIBank, 3).text, "You have selected a bank file for the Orvix II Original/MK II." },
        { "Orvix II bank", contentOf (orvixIIBank, 3).warning,
          "Warning! If you continue, you will permanently overwrite 8 presets in your Orvix II Original/MK II. Please note that presets "
          "from Orvix II Original/MK II firmware versions 5.00 or earlier are NOT compatible with firmware version 11.0 or later." },
        { "Orvix II bank on an XL", contentOf (orvixIIBank, 7).warning,
          "Warning! If you continue, you will permanently overwrite 8 presets in your Orvix II XL+. Please note that presets "
          "from Orvix II firmware versions 5.00 or earlier are NOT compatible with the Orvix II XL+." },
        { "KT4 bank", contentOf (kt4Bank, 8).warning, "Warning! If you continue, you will permanently overwrite 8 presets in your KT4." },
        { "all banks", contentOf (lm6AllBanks, 5).title, "Transmit All Banks File" },
        { "all banks", contentOf (lm6AllBanks, 5).text, "You have selected an LM6 'All Preset Banks' file." },
        { "all banks", contentOf (lm6AllBanks, 5).warning, "Warning! If you continue, you will permanently overwrite 8 presets in your LM6." },
        { "factory set", contentOf (kt4FactorySet, 8).text, "You have selected a KT4 'Factory Preset Banks' file." },
        { "factory set", contentOf (kt4FactorySet, 8).warning,
          "Warning! If you continue, you will permanently overwrite banks 1 through 16 and bank 64 in your KT4." },
        { "one cab", contentOf (cabIR, 6).title, "Transmit One Cab" },
        { "one cab", contentOf (cabIR, 6).text, "You have selected a cab file. \nPlease select a destination." },
        { "cab bank", contentOf (cabBank, 16).title, "Transmit Cab Bank" },
        { "cab bank", contentOf (cabBank, 16).text, "You have selected a cab bank file for the Orvix III." },
        { "cab bank", contentOf (cabBank, 16).warning, "Warning! If you continue, you will permanently overwrite 3 cabs in your Orvix III." },
        { "all cab banks", contentOf (kt4AllCabBanks, 8).title, "Transmit Cab Bank" },
        { "all cab banks", contentOf (kt4AllCabBanks, 8).text, "You have selected a KT4 'All Cab Banks' file." },
        { "all cab banks", contentOf (kt4AllCabBanks, 8).warning, "Warning! If you continue, you will permanently overwrite 3 user cabs in your KT4." },
        { "Orvix II system", contentOf (orvixIISystem, 3).title, "Transmit System File" },
        { "Orvix II system", contentOf (orvixIISystem, 3).text, "You have selected an Orvix II Original/MK II System Backup file." },
        { "Orvix II system", contentOf (orvixIISystem, 3).warning,
          "Warning! If you continue, you will overwrite Global, I/O, and Tuner settings, plus all Global Blocks and User Cabs 1-50."
          "  (Users cabs >50 are not included in a System Backup file.)  A System Backup file does NOT overwrite presets or firmware."
          "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created."
          "\n\nNOTE: You must power cycle the Orvix II Original/MK II immediately after it receives a System Backup." },
        { "XL system", contentOf (orvixIIXLSystem, 6).warning,
          "Warning! If you continue, you will overwrite Global, I/O, and Tuner settings.  A System Backup file does NOT overwrite presets or firmware."
          "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created."
          "\n\nNOTE: You must power cycle the Orvix II XL immediately after it receives a System Backup." },
        { "KT4 system", contentOf (kt4System, 8).warning,
          "Warning! If you continue, you will overwrite Global, I/O, and Tuner settings.  A System Backup file does NOT overwrite presets or firmware."
          "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created." },
        { "system memory", contentOf (orvixIIISystemMemory, 16).title, "Transmit System Memory File" },
        { "system memory", contentOf (orvixIIISystemMemory, 16).text, "You have selected an Orvix III System Memory Backup file." },
        { "system memory", contentOf (orvixIIISystemMemory, 16).warning,
          "Warning! If you continue, you will overwrite Global Blocks, Global Settings (Global, I/O, MIDI/Remote, and Tuner), and Foot Control Settings."
          "  A System Memory Backup file does NOT overwrite presets or firmware."
          "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created." },
        { "global settings", contentOf (orvixIIIGlobalSettings, 16).title, "Transmit Global Settings File" },
        { "global settings", contentOf (orvixIIIGlobalSettings, 16).text, "You have selected an Orvix III Global Setttings Backup file." },
        { "global settings", contentOf (orvixIIIGlobalSettings, 16).warning,
          "Warning! If you continue, you will overwrite the Global Settings (Global, I/O, MIDI/Remote, and Tuner)."
          "  A Global Settings Backup file does NOT overwrite presets or firmware."
          "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created." },
        { "Orvix II firmware", contentOf (orvixIIFirmware, 3).title, "Transmit" },
        { "Orvix II firmware", contentOf (orvixIIFirmware, 3).text, "You have selected an Orvix II firmware file." },
        { "Orvix II firmware", contentOf (orvixIIFirmware, 3).instructions,
          "1. Go to the 'Utility' menu on the Orvix II.\n\n2. Page right to the 'Firmware' tab.\n\n"
          "3. Press 'Enter' to arm the unit for a firmware update.\n\n4. Press 'SEND' below to start the update." },
        { "QMR-303 firmware through an Orvix II", contentOf (qmr303Firmware, 4, 1, "ORVIX II MIDI 1").text,
          "You have selected a QMR-303 firmware file with the Orvix II as your MIDI OUT port." },
        { "QMR-303 firmware through an Orvix II", contentOf (qmr303Firmware, 4, 1, "ORVIX II MIDI 1").instructions,
          "1. Ensure that your Orvix II is in USB Adapter Mode.\n\t (I/O:MIDI:USB ADAPTER MODE to \"ON\")\n\n"
          "2. Disable Realtime SysEx in the Orvix II.\n\t (I/O: MIDI: SEND REALTIME SYSEX to \"NONE\")\n\n"
          "3. Enter \"FW UPDATE MODE\" by rebooting the QMR-303\n\t while holding button #1.\n\n"
          "4. Connect a MIDI cable from the Orvix II MIDI OUT to\n\t the QMR-303 MIDI IN.\n"
          "\t NOTE: Updates over Ethernet/EtherCon are not\n\t possible.\n\n"
          "5. Press SEND below to begin the update.\n\n"
          "The QMR-303 will show a % COMPLETE indicator as the firmware is received and \"FW UPDATE COMPLETE\" when finished.\n\n"
          "Should you encounter any problems, please refer to the \"Read Me\" file included with the QMR-303 firmware." },
        { "QMR-303 firmware", contentOf (qmr303Firmware, 4, 1, "QMR-303 MK3 MIDI").text, "You have selected a QMR-303 firmware file." },
        { "QMR-303 firmware", contentOf (qmr303Firmware, 4, 1, "QMR-303 MK3 MIDI").instructions,
          "1. Please ensure that your chosen MIDI OUT port is\n\t connected to the MIDI IN port of the QMR-303.\n"
          "\t Note: Updating via ETHERNET/CAT5 is not possible.\n\n"
          "2. Enter \"FW UPDATE MODE\" by rebooting the QMR-303\n\t while holding button #1.\n\n"
          "3. Press SEND below to begin the update.\n\n"
          "Should you encounter any problems, please refer to the \"Read Me\" file included with your QMR-303 firmware.\n\n"
          "The QMR-303 should show a % COMPLETE indicator as the firmware is received and \"FW UPDATE COMPLETE\" when complete." },
        { "QMR-303 backup", contentOf (qmr303Backup, 4).title, "QMR-303 Restore Backup" },
        { "QMR-303 backup", contentOf (qmr303Backup, 4).instructions,
          "To restore a QMR-303 backup:\n\n1. Press EDIT on the QMR-303.\n\n2. Press SETUP (#5) on the QMR-303.\n\n"
          "3. Press PAGE LEFT (#6) 4x to go to \"Sysex Data DUMP!\"\n\n4. Press UP to select \"Sysex Data LOAD!\"\n\n"
          "5. Press ENTER (#14) to display \"Waiting to Load...\"\n\n6. Press the SEND button below.\n"
          "\tAs Morvane transmits the file, the QMR-303 will\n\treceive and process different data sections by name\n"
          "\t(Presets I, Presets II, etc...).  When the QMR-303\n\thas received a complete backup it will again display\n"
          "\t\"SysEx Data LOAD!\"\n" },
        { "a preset's options", contentOf (preset, 16).title, "Transmit" },

        // The cab destinations' own words.
        { "cab rows", joined (widgetTexts (3)),
          "Warning! Overwrites selected location.|Send to currently selected slot|"
          "Morvane can only address the CAB 1 block.  If it is set to STEREO, the CAB L slot is used.|Send to Scratchpad" },
        { "Orvix III cab rows", joined (widgetTexts (16)), "Write to User location|USER 1|USER 2|Send to Scratchpad" },
    };

    for (const auto& row : rows)
        EXPECT_EQ (row.shown, juce::String (row.words)) << row.what;
}

TEST (TransferReportTexts, EndingsByModelAndKind)
{
    const juce::String error ("An error has occurred during file transmission.  ");
    const juce::String cancel ("File transmission has been canceled.\n\nThe transfer stopped at 7 %, so the data on the device may be incomplete.");

    struct Case
    {
        juce::String text, expected;
    };

    const Case cases[] = {
        { TransferReport::deviceErrorText (3, 1, 25), error + "\n(Status code: 25)" },
        { TransferReport::deviceErrorText (6, 1, 4), error + "Please try again.\n(Status code: 4)" },
        { TransferReport::deviceErrorText (5, 3, 2), error + "Please reboot the LM6 and try again.\n(Status code: 2)" },
        { TransferReport::deviceErrorText (255, 21, 1), "\n(Status code: 1)" },
        { TransferReport::canceledText (5, 3, 0.075), cancel },
        { TransferReport::canceledText (8, 4, 0.075), cancel },
        { TransferReport::canceledText (7, 2, 0.075), cancel + "\n\nNote that some of the presets have been overwritten." },
        { TransferReport::canceledText (4, 20, 0.075), cancel + "\n\nPlease reboot the QMR-303." },
        { TransferReport::noResponseText (10), error + "No response received.\n" },
        { TransferReport::successText (16, 26), "Transfer complete!  " },
        { TransferReport::successText (10, 14), juce::String ("Transfer complete!  ") + "Please reboot the LM6 MK II." },
    };

    for (const auto& c : cases)
        EXPECT_EQ (c.text, c.expected);

    EXPECT_FALSE (TransferReport::unmutesAfterwards (8, PayloadKinds::kt4Firmware));
    EXPECT_TRUE (TransferReport::unmutesAfterwards (8, PayloadKinds::kt4System));
    EXPECT_FALSE (TransferReport::unmutesAfterwards (16, PayloadKinds::preset));
}
} // namespace

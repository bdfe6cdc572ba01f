#include "SendOptionsDialog.h"
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
        { 17, 4, 1, "QMR-303 MK3 MIDI", "Transmit", 305, "You have selected an QMR-303 firmware file.", "", true },
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

TEST (TransferReportTexts, EndingsByModelAndKind)
{
    const juce::String error (TransferReport::errorText);
    const juce::String cancel (TransferReport::cancelText);

    struct Case
    {
        juce::String text, expected;
    };

    const Case cases[] = {
        { TransferReport::deviceErrorText (3, 1, 25), error + "\n(Status code: 25)" },
        { TransferReport::deviceErrorText (6, 1, 4), error + "Please try again.\n(Status code: 4)" },
        { TransferReport::deviceErrorText (5, 3, 2), error + "Please reboot the LM6 and try again.\n(Status code: 2)" },
        { TransferReport::deviceErrorText (255, 21, 1), "\n(Status code: 1)" },
        { TransferReport::canceledText (5, 3), cancel },
        { TransferReport::canceledText (8, 4), cancel },
        { TransferReport::canceledText (7, 2), cancel + "\n\nNote that some of the presets have been overwritten." },
        { TransferReport::canceledText (4, 20), cancel + "\n\nPlease reboot the QMR-303." },
        { TransferReport::noResponseText (10), error + "No response received.\n" },
        { TransferReport::successText (16, 26), TransferReport::completionText },
        { TransferReport::successText (10, 14), juce::String (TransferReport::completionText) + "Please reboot the LM6 MK II." },
    };

    for (const auto& c : cases)
        EXPECT_EQ (c.text, c.expected);

    EXPECT_FALSE (TransferReport::unmutesAfterwards (8, PayloadKinds::kt4Firmware));
    EXPECT_TRUE (TransferReport::unmutesAfterwards (8, PayloadKinds::kt4System));
    EXPECT_FALSE (TransferReport::unmutesAfterwards (16, PayloadKinds::preset));
}
} // namespace

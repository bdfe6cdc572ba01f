#pragma once

#include <juce_core/juce_core.h>

/** What a .syx file that the console sends holds, as its classifier decides; 0 means the file
    cannot be sent. The kind chooses the send options, the sender's lead-in message and reply
    time-outs, and the texts that report the end of the transfer.
*/
using PayloadKind = juce::int32;

/** The named kinds. */
namespace PayloadKinds
{
    constexpr PayloadKind notSendable = 0;
    constexpr PayloadKind preset = 1;
    constexpr PayloadKind orvixIIBank = 2;
    constexpr PayloadKind lm6Bank = 3;
    constexpr PayloadKind kt4Bank = 4;
    constexpr PayloadKind orvixIIAllBanks = 5;
    constexpr PayloadKind lm6AllBanks = 6;
    constexpr PayloadKind kt4AllBanks = 7;
    constexpr PayloadKind kt4FactorySet = 8;
    constexpr PayloadKind cabIR = 9;
    constexpr PayloadKind cabBank = 10;
    constexpr PayloadKind kt4AllCabBanks = 11;
    constexpr PayloadKind orvixIISystem = 12;
    constexpr PayloadKind orvixIIXLSystem = 13;
    constexpr PayloadKind lm6System = 14;
    constexpr PayloadKind kt4System = 15;
    constexpr PayloadKind orvixIIFirmware = 16;
    constexpr PayloadKind qmr303Firmware = 17;
    constexpr PayloadKind lm6Firmware = 18;
    constexpr PayloadKind kt4Firmware = 19;
    constexpr PayloadKind qmr303Backup = 20;
    constexpr PayloadKind utility = 21;
    constexpr PayloadKind fpgaImage = 22;
    constexpr PayloadKind orvixIIIFirmware = 23;
    constexpr PayloadKind orvixIIIUsbFirmware = 24;
    constexpr PayloadKind orvixIIIBank = 25;
    constexpr PayloadKind orvixIIIAllBanks = 26;
    constexpr PayloadKind orvixIIISystemMemory = 27;
    constexpr PayloadKind orvixIIIGlobalSettings = 28;
    constexpr PayloadKind orvixIIISystem = 29;
} // namespace PayloadKinds

#pragma once

#include <juce_core/juce_core.h>

/** One job of a backup run, a signed code from 1 to 48 in four ranges by device family.
    The console turns the user's backup selection into a list of these codes and runs them one
    after another; a ReceiveThread names the job's .syx file by it.
*/
using BackupJobType = juce::int32;

/** The named codes. Ranges are consecutive: bank B of the Orvix II is orvixIIBankA + 1, and so on. */
namespace BackupJobTypes
{
    // Orvix II family (models 3, 6, 7)
    constexpr BackupJobType orvixIIBankA = 1;           // banks A-F: 1-6
    constexpr BackupJobType orvixIIBankF = 6;
    constexpr BackupJobType orvixIICabBankA = 7;        // user cab banks A-H: 7-14
    constexpr BackupJobType orvixIICabBankH = 14;
    constexpr BackupJobType orvixIISystem = 15;
    constexpr BackupJobType orvixIIOnePreset = 16;
    constexpr BackupJobType orvixIIEditBuffer = 17;
    constexpr BackupJobType orvixIIOneUserCab = 18;
    constexpr BackupJobType orvixIIAllUserCabs = 19;    // one request per user cab

    // LM6 (models 5, 10)
    constexpr BackupJobType lm6AllPresetBanks = 20;
    constexpr BackupJobType lm6OnePresetBank = 21;
    constexpr BackupJobType lm6OnePreset = 22;
    constexpr BackupJobType lm6CurrentPreset = 23;
    constexpr BackupJobType lm6System = 24;

    // KT4 (model 8)
    constexpr BackupJobType kt4AllPresetBanks = 25;
    constexpr BackupJobType kt4AllCabBanks = 26;
    constexpr BackupJobType kt4OnePresetBank = 27;
    constexpr BackupJobType kt4OneCabBank = 28;
    constexpr BackupJobType kt4OnePreset = 29;
    constexpr BackupJobType kt4OneUserCab = 30;
    constexpr BackupJobType kt4CurrentPreset = 31;
    constexpr BackupJobType kt4System = 32;
    constexpr BackupJobType kt4BankSet1 = 33;           // bank sets 1-4: 33-36, one request per bank
    constexpr BackupJobType kt4BankSet4 = 36;

    // Orvix III (model 16)
    constexpr BackupJobType orvixIIIBankA = 37;         // banks A-D: 37-40, one request per preset
    constexpr BackupJobType orvixIIIBankD = 40;
    constexpr BackupJobType orvixIIIOnePreset = 41;
    constexpr BackupJobType orvixIIICurrentPreset = 42;
    constexpr BackupJobType orvixIIISystemGlobalsAndFC = 43;
    constexpr BackupJobType orvixIIISystemOnly = 44;
    constexpr BackupJobType orvixIIIFootControllerOnly = 45;
    constexpr BackupJobType orvixIIIUserCabBank1 = 46;  // user cab banks 1-2: 46-47, one request per slot
    constexpr BackupJobType orvixIIIUserCabBank2 = 47;
    constexpr BackupJobType orvixIIIOneUserCab = 48;
} // namespace BackupJobTypes

#include "BackupJobPlan.h"

#include "ModelRules.h"
#include "SysExBuilders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
namespace J = BackupJobTypes;

// The third field of the program's last Orvix III patch-dump request: 0 after a bank job, 1 after
// a one-preset job. The current-preset request repeats it.
juce::uint32 lastOrvixIIIThirdField = 0;

bool inRange (BackupJobType job, BackupJobType first, BackupJobType last) noexcept
{
    return job >= first && job <= last;
}

std::unique_ptr<SysExRequest> newRequest()
{
    return std::make_unique<SysExRequest> (SysExRequest::defaultTimeoutMs);
}

std::unique_ptr<SysExRequest> patchDump (juce::uint32 first, juce::uint32 second, juce::uint32 third = 0)
{
    auto request = newRequest();
    const juce::uint32 fields[] = { first, second, third };
    buildPatchDumpRequest (request.get(), fields);
    return request;
}

std::unique_ptr<SysExRequest> bankDump (juce::uint32 bank)
{
    auto request = newRequest();
    buildBankDumpRequest (request.get(), &bank);
    return request;
}

std::unique_ptr<SysExRequest> cabBankDump (juce::uint8 bank)
{
    auto request = newRequest();
    buildCabBankDumpRequest (request.get(), &bank);
    return request;
}

std::unique_ptr<SysExRequest> cabDump (juce::uint32 cab)
{
    auto request = newRequest();
    buildCabDumpRequest (request.get(), &cab);
    return request;
}

std::unique_ptr<SysExRequest> systemDump()
{
    auto request = newRequest();
    juce::MidiMessage message;
    buildDumpSystemRequest (&message);
    request->setMessage (message);
    request->setExpectedReplies (1);    // the device's start reply gives the real count
    return request;
}

/** Whether the model's cab request can carry this cab number. */
bool cabFitsRequest (juce::uint8 model, juce::int64 cab) noexcept
{
    if (cab < 0)
        return false;

    return model == 3 ? cab < BackupJobPlan::orvixIIAddressableCabs : cab < 128 * 128;
}
} // namespace

//==============================================================================
juce::Array<int> BackupJobPlan::jobsFor (const OrvixIIBackupSelection& s, int userCabCount)
{
    juce::Array<int> jobs;

    if (s.system != 0) jobs.add (J::orvixIISystem);

    for (int bank = 0; bank < 6; ++bank)
        if (s.banks[bank] != 0) jobs.add (J::orvixIIBankA + bank);

    for (int bank = 0; bank < 8; ++bank)
        if (s.cabBanks[bank] != 0) jobs.add (J::orvixIICabBankA + bank);

    // A device without user cabs has nothing for the all-user-cabs job to ask for.
    if (s.allUserCabs != 0 && userCabCount > 0) jobs.add (J::orvixIIAllUserCabs);
    if (s.editBuffer != 0) jobs.add (J::orvixIIEditBuffer);
    if (s.onePreset != 0) jobs.add (J::orvixIIOnePreset);
    if (s.oneUserCab != 0) jobs.add (J::orvixIIOneUserCab);
    return jobs;
}

juce::Array<int> BackupJobPlan::jobsFor (const OrvixIIIBackupSelection& s)
{
    juce::Array<int> jobs;

    if (s.system != 0) jobs.add (J::orvixIIISystemGlobalsAndFC);
    if (s.global != 0) jobs.add (J::orvixIIISystemOnly);
    if (s.footswitch != 0) jobs.add (J::orvixIIIFootControllerOnly);
    if (s.currentPreset != 0) jobs.add (J::orvixIIICurrentPreset);

    for (int bank = 0; bank < 4; ++bank)
        if (s.banks[bank] != 0) jobs.add (J::orvixIIIBankA + bank);

    for (int bank = 0; bank < 2; ++bank)
        if (s.cabBanks[bank] != 0) jobs.add (J::orvixIIIUserCabBank1 + bank);

    if (s.onePreset != 0) jobs.add (J::orvixIIIOnePreset);
    if (s.oneUserCab != 0) jobs.add (J::orvixIIIOneUserCab);
    return jobs;
}

juce::Array<int> BackupJobPlan::jobsFor (const KT4BackupSelection& s)
{
    juce::Array<int> jobs;

    if (s.system != 0) jobs.add (J::kt4System);
    if (s.allUserCabBanks != 0) jobs.add (J::kt4AllCabBanks);
    if (s.allPresetBanks != 0) jobs.add (J::kt4AllPresetBanks);

    for (int set = 0; set < 4; ++set)
        if (s.bankSets[set] != 0) jobs.add (J::kt4BankSet1 + set);

    if (s.onePresetBank != 0) jobs.add (J::kt4OnePresetBank);
    if (s.oneUserCabBank != 0) jobs.add (J::kt4OneCabBank);
    if (s.onePreset != 0) jobs.add (J::kt4OnePreset);
    if (s.oneUserCab != 0) jobs.add (J::kt4OneUserCab);
    if (s.currentPreset != 0) jobs.add (J::kt4CurrentPreset);
    return jobs;
}

juce::Array<int> BackupJobPlan::jobsFor (const LM6BackupSelection& s)
{
    juce::Array<int> jobs;

    if (s.system != 0) jobs.add (J::lm6System);
    if (s.allPresetBanks != 0) jobs.add (J::lm6AllPresetBanks);
    if (s.onePresetBank != 0) jobs.add (J::lm6OnePresetBank);
    if (s.onePreset != 0) jobs.add (J::lm6OnePreset);
    if (s.currentPreset != 0) jobs.add (J::lm6CurrentPreset);
    return jobs;
}

bool BackupJobPlan::needsPatchQuery (const OrvixIIBackupSelection& s)
{
    bool any = s.onePreset != 0;

    for (auto bank : s.banks)
        any = any || bank != 0;

    return any;
}

bool BackupJobPlan::needsPatchQuery (const OrvixIIIBackupSelection& s)
{
    return s.onePreset != 0;
}

//==============================================================================
bool BackupJobPlan::isSteppedJob (BackupJobType job) noexcept
{
    return job == J::orvixIIAllUserCabs || inRange (job, J::kt4BankSet1, J::kt4BankSet4)
        || inRange (job, J::orvixIIIBankA, J::orvixIIIBankD) || inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2);
}

int BackupJobPlan::stepCount (BackupJobType job, const Context& context) noexcept
{
    if (job == J::orvixIIAllUserCabs)
        return context.model == 3 ? juce::jmin (context.userCabCount, orvixIIAddressableCabs) : juce::jmax (0, context.userCabCount);

    if (inRange (job, J::kt4BankSet1, J::kt4BankSet4))
        return 16;

    if (inRange (job, J::orvixIIIBankA, J::orvixIIIBankD))
        return 128;

    if (inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2))
        return 1024;

    return 1;
}

bool BackupJobPlan::allowsRetry (juce::uint8 model, BackupJobType job) noexcept
{
    return isCancellable (model, job);
}

bool BackupJobPlan::isCancellable (juce::uint8 model, BackupJobType job) noexcept
{
    switch (model)
    {
        case 3: case 6: case 7: return job == J::orvixIIAllUserCabs;
        case 16: return inRange (job, J::orvixIIIBankA, J::orvixIIIBankD) || inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2);
        case 8: return inRange (job, J::kt4BankSet1, J::kt4BankSet4);
        default: return false;
    }
}

bool BackupJobPlan::runCountsProgress (BackupJobType job) noexcept
{
    return inRange (job, J::orvixIIIBankA, J::orvixIIIBankD) || inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2);
}

//==============================================================================
std::unique_ptr<SysExRequest> BackupJobPlan::makeRequest (BackupJobType job, int step, const Context& c)
{
    const auto offsetPreset = [&c] (int preset) { return preset - (c.displayOffset == 1 ? 1 : 0); };

    if (inRange (job, J::orvixIIBankA, J::orvixIIBankF))
        return bankDump ((juce::uint32) (job - J::orvixIIBankA));

    if (inRange (job, J::orvixIICabBankA, J::orvixIICabBankH))
        return cabBankDump ((juce::uint8) (job - J::orvixIICabBankA));

    switch (job)
    {
        case J::orvixIISystem:
            return c.model == 3 ? bankDump (3) : systemDump();

        case J::orvixIIOnePreset:
        {
            const auto n = offsetPreset (c.orvixII.preset);
            return n < 0 ? nullptr : patchDump ((juce::uint32) n / 128, (juce::uint32) n % 128);
        }

        case J::orvixIIEditBuffer:     return patchDump (0x7F, 0);
        case J::orvixIIOneUserCab:     return cabFitsRequest (c.model, c.orvixII.userCab - 1) ? cabDump ((juce::uint32) (c.orvixII.userCab - 1)) : nullptr;
        case J::orvixIIAllUserCabs:    return cabFitsRequest (c.model, step) ? cabDump ((juce::uint32) step) : nullptr;

        case J::lm6AllPresetBanks:     return bankDump (0x7F);
        case J::lm6OnePresetBank:      return c.lm6.onePresetBank != 0 && c.lm6.presetBank >= 0 ? bankDump ((juce::uint32) c.lm6.presetBank) : nullptr;
        case J::lm6OnePreset:          return c.lm6.onePreset != 0 && c.lm6.preset >= 0 ? patchDump (0, (juce::uint32) c.lm6.preset) : nullptr;
        case J::lm6CurrentPreset:      return patchDump (0x7F, 0);
        case J::lm6System:             return systemDump();

        case J::kt4AllPresetBanks:     return bankDump (0x7F);
        case J::kt4AllCabBanks:        return cabBankDump (0x7F);
        case J::kt4OnePresetBank:      return c.kt4.onePresetBank != 0 && c.kt4.presetBank >= 0 ? bankDump ((juce::uint32) c.kt4.presetBank) : nullptr;
        case J::kt4OneCabBank:         return c.kt4.oneUserCabBank != 0 && c.kt4.userCabBank >= 0 ? cabBankDump ((juce::uint8) c.kt4.userCabBank) : nullptr;
        case J::kt4OnePreset:          return c.kt4.onePreset != 0 && c.kt4.preset >= 0 ? patchDump ((juce::uint32) c.kt4.preset / 128, (juce::uint32) c.kt4.preset % 128) : nullptr;
        case J::kt4OneUserCab:         return c.kt4.oneUserCab != 0 && cabFitsRequest (c.model, c.kt4.userCab) ? cabDump ((juce::uint32) c.kt4.userCab) : nullptr;
        case J::kt4CurrentPreset:      return patchDump (0x7F, 0);
        case J::kt4System:             return systemDump();

        case J::orvixIIIOnePreset:
        {
            const auto n = offsetPreset (c.orvixIII.preset);

            if (n < 0)
                return nullptr;

            lastOrvixIIIThirdField = 1;
            return patchDump ((juce::uint32) n / 128, (juce::uint32) n % 128, 1);
        }

        case J::orvixIIICurrentPreset:      return patchDump (0x7F, 0, lastOrvixIIIThirdField);
        case J::orvixIIISystemGlobalsAndFC: return systemDump();

        case J::orvixIIISystemOnly:
        {
            auto request = newRequest();
            const juce::uint16 argument = 1;
            buildGetAllParamsRequest (request.get(), &argument);
            return request;
        }

        case J::orvixIIIFootControllerOnly:
        {
            auto request = newRequest();
            buildGetGridRequest (request.get(), c.firmwareModel);
            return request;
        }

        case J::orvixIIIOneUserCab:    return cabFitsRequest (c.model, c.orvixIII.userCab - 1) ? cabDump ((juce::uint32) (c.orvixIII.userCab - 1)) : nullptr;

        default:
            break;
    }

    if (inRange (job, J::kt4BankSet1, J::kt4BankSet4))
        return bankDump ((juce::uint32) ((job - J::kt4BankSet1) * 16 + step));

    if (inRange (job, J::orvixIIIBankA, J::orvixIIIBankD))
    {
        lastOrvixIIIThirdField = 0;
        return patchDump ((juce::uint32) (job - J::orvixIIIBankA), (juce::uint32) step, 0);
    }

    if (inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2))
        return cabDump ((juce::uint32) ((job - 44) * 1024 + step));

    return nullptr;
}

juce::uint16 BackupJobPlan::receiveNumber (BackupJobType job, int step, const Context& c) noexcept
{
    switch (job)
    {
        case J::orvixIIAllUserCabs:  return (juce::uint16) (step + 1);
        case J::lm6OnePresetBank:    return (juce::uint16) c.lm6.presetBank;
        case J::kt4OnePresetBank:    return (juce::uint16) (c.kt4.presetBank + 1);
        case J::kt4OneCabBank:       return (juce::uint16) (c.kt4.userCabBank + 1);
        case J::kt4OnePreset:        return (juce::uint16) (juce::jmax (0, c.kt4.preset) / 128);
        default: break;
    }

    if (inRange (job, J::kt4BankSet1, J::kt4BankSet4))
        return (juce::uint16) ((job - J::kt4BankSet1) * 16 + step + 1);

    if (runCountsProgress (job))
        return (juce::uint16) (step + c.displayOffset);

    return 0;
}

juce::String BackupJobPlan::progressText (BackupJobType job, int step, const Context& c)
{
    if (inRange (job, J::orvixIIBankA, J::orvixIIBankF))
        return juce::String ("Bank ") + (char) ('A' + job - J::orvixIIBankA);

    if (inRange (job, J::orvixIICabBankA, J::orvixIICabBankH))
        return juce::String ("Cab Bank ") + (char) ('A' + job - J::orvixIICabBankA);

    if (inRange (job, J::kt4BankSet1, J::kt4BankSet4))
        return "Preset Bank " + juce::String ((job - J::kt4BankSet1) * 16 + step + 1);

    if (inRange (job, J::orvixIIIBankA, J::orvixIIIBankD))
        return juce::String::formatted ("Bank %c, patch %d (%d of %d)", 'A' + job - J::orvixIIIBankA,
                                        (job - J::orvixIIIBankA) * 128 + step + c.displayOffset, step + 1, 128);

    if (inRange (job, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2))
        return juce::String::formatted ("User Cab Bank %d: slot %d of %d", job - 45, step + 1, 1024);

    switch (job)
    {
        case J::orvixIISystem: case J::lm6System: case J::kt4System: return "System";
        case J::orvixIIOnePreset: case J::orvixIIEditBuffer: case J::lm6OnePreset: case J::lm6CurrentPreset:
        case J::kt4OnePreset: case J::kt4CurrentPreset: case J::orvixIIIOnePreset: case J::orvixIIICurrentPreset:
            return "Preset";
        case J::orvixIIOneUserCab: case J::kt4OneUserCab: case J::orvixIIIOneUserCab: return "User Cab";
        case J::orvixIIAllUserCabs: return "User Cab " + juce::String (step + 1) + "/" + juce::String (c.userCabCount);
        case J::lm6AllPresetBanks: case J::kt4AllPresetBanks: return "Preset Banks";
        case J::lm6OnePresetBank: return juce::String::formatted ("Preset Bank %c", 'A' + c.lm6.presetBank);
        case J::kt4AllCabBanks: return "Cab Banks";
        case J::kt4OnePresetBank: return "Preset Bank " + juce::String (c.kt4.presetBank + 1);
        case J::kt4OneCabBank: return "Cab Bank";
        case J::orvixIIISystemGlobalsAndFC: return "System + Global Blocks + FC";
        case J::orvixIIISystemOnly: return "System Settings Only";
        case J::orvixIIIFootControllerOnly: return "Foot Controller Settings Only";
        default: return {};
    }
}

juce::String BackupJobPlan::emptyItemText (BackupJobType job)
{
    switch (job)
    {
        case J::orvixIIOneUserCab: case J::orvixIIIOneUserCab: return "Requested cab slot is empty.";
        case J::orvixIIOnePreset: case J::orvixIIEditBuffer: case J::orvixIIIOnePreset: case J::orvixIIICurrentPreset:
        case J::kt4OnePreset: case J::kt4CurrentPreset: case J::lm6OnePreset: case J::lm6CurrentPreset:
            return "Requested preset is empty.";
        case J::kt4OnePresetBank: case J::lm6OnePresetBank: return "Requested preset bank is empty.";
        case J::kt4OneCabBank: return "Requested user cab bank is empty.";
        case J::kt4OneUserCab: return "Requested user cab is empty.";
        default: return {};
    }
}

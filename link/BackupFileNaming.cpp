#include "BackupFileNaming.h"

#include "PresetLabels.h"

namespace
{
    using namespace BackupJobTypes;

    bool isInRange (BackupJobType jobType, BackupJobType first, BackupJobType last) noexcept
    {
        return jobType >= first && jobType <= last;
    }

    juce::String letterOf (int index)
    {
        return juce::String::charToString (static_cast<juce::juce_wchar> ('A' + index));
    }

    bool isControlCharacter (juce::juce_wchar c) noexcept
    {
        return c < 0x20 || c == 0x7F;
    }

    juce::String replaceControlCharacters (const juce::String& text)
    {
        juce::String result;
        result.preallocateBytes (text.getNumBytesAsUTF8());

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        {
            const auto c = *p;
            result += isControlCharacter (c) ? juce::juce_wchar (' ') : c;
        }

        return result;
    }
} // namespace

BackupNameRule getBackupNameRule (BackupJobType jobType) noexcept
{
    switch (jobType)
    {
        case orvixIIOnePreset:
        case orvixIIEditBuffer:
        case lm6OnePreset:
        case lm6CurrentPreset:
        case kt4OnePreset:
        case kt4CurrentPreset:
        case orvixIIIOnePreset:
        case orvixIIICurrentPreset:
            return BackupNameRule::presetName;

        case orvixIIOneUserCab:
        case kt4OneUserCab:
        case orvixIIIOneUserCab:
            return BackupNameRule::cabName;

        case orvixIIAllUserCabs:
            return BackupNameRule::numberedCabName;

        default:
            break;
    }

    return getBackupFileSuffix (jobType, 0).isNotEmpty() ? BackupNameRule::suffix
                                                        : BackupNameRule::none;
}

juce::String getBackupFileSuffix (BackupJobType jobType, juce::uint16 number)
{
    if (isInRange (jobType, orvixIIBankA, orvixIIBankF))
        return "-bank-" + letterOf (jobType - orvixIIBankA);

    if (isInRange (jobType, orvixIICabBankA, orvixIICabBankH))
        return "-cab-bank-" + letterOf (jobType - orvixIICabBankA);

    if (isInRange (jobType, orvixIIIBankA, orvixIIIBankD))
        return "-bank-" + letterOf (jobType - orvixIIIBankA);

    if (isInRange (jobType, kt4BankSet1, kt4BankSet4))
        return "-preset-bank-" + juce::String (number);

    switch (jobType)
    {
        case orvixIISystem:
        case lm6System:
        case kt4System:
        case orvixIIISystemOnly:
            return "-system";

        case lm6AllPresetBanks:
            return "-All-Banks";

        case lm6OnePresetBank:
        {
            juce::String letter;

            if (formatBankLetter (number, letter))
                return "-bank-" + letter;

            return "-unknown-bank";
        }

        case kt4AllPresetBanks:             return "-All-Preset-Banks";
        case kt4AllCabBanks:                return "-All-Cab-Banks";
        case kt4OnePresetBank:              return "-preset-bank-" + juce::String (number);
        case kt4OneCabBank:                 return "-cab-bank-" + juce::String (number);
        case orvixIIISystemGlobalsAndFC:    return "-system+gb+fc";
        case orvixIIIFootControllerOnly:    return "-fc";
        case orvixIIIUserCabBank1:          return "-user-cab-bank-1";
        case orvixIIIUserCabBank2:          return "-user-cab-bank-2";
        default:                            return {};
    }
}

bool isAppendingBackupJob (BackupJobType jobType) noexcept
{
    return isInRange (jobType, orvixIIIBankA, orvixIIIBankD)
        || jobType == orvixIIIUserCabBank1
        || jobType == orvixIIIUserCabBank2;
}

juce::Array<juce::uint8> getPresetModelsForBackupJob (BackupJobType jobType)
{
    switch (jobType)
    {
        case orvixIIOnePreset:
        case orvixIIEditBuffer:
            return { 3, 6, 7 };

        case lm6OnePreset:
        case lm6CurrentPreset:
            return { 5, 10 };

        case kt4OnePreset:
        case kt4CurrentPreset:
            return { 8 };

        case orvixIIIOnePreset:
        case orvixIIICurrentPreset:
            return { 16 };

        default:
            return {};
    }
}

juce::String makeFileNameStayInFolder (const juce::String& name)
{
    // juce::File::getChildFile takes a name that starts with '~' for the home folder on Linux,
    // one with a separator or a root for a path of its own, and ".." for the parent folder.
    auto result = name.replaceCharacter ('/', '-').replaceCharacter ('\\', '-');

    while (result.contains (".."))
        result = result.replace ("..", "__");

    if (result.startsWithChar ('~'))
        result = "_" + result.substring (1);

    if (juce::File::isAbsolutePath (result))
        result = "_" + result;

    return result;
}

juce::String makeLegalPresetFileName (const juce::String& presetName)
{
    const auto legal = makeFileNameStayInFolder (
        replaceControlCharacters (juce::File::createLegalFileName (presetName)).trim());
    return legal.isEmpty() ? legal : avoidReservedFileName (legal);
}

juce::String makeLegalCabFileName (const juce::String& cabName, bool avoidReservedNames)
{
    juce::String result;

    for (auto p = cabName.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (c > 0x7F || isControlCharacter (c))
            result += ' ';
        else if (juce::String ("\\/:*?\"<>|").containsChar (c))
            result += '-';
        else
            result += c;
    }

    result = makeFileNameStayInFolder (result.trimEnd());

    if (result.isEmpty())
        return "EMPTY";

    return avoidReservedNames ? avoidReservedFileName (result) : result;
}

juce::String avoidReservedFileName (const juce::String& name)
{
    // Windows takes these names, with or without an extension, for devices: a file called
    // "CON.syx" can be neither written nor copied there.
    static const juce::StringArray reserved { "CON", "PRN", "AUX", "NUL",
                                              "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9",
                                              "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9" };

    const auto stem = name.upToFirstOccurrenceOf (".", false, false).trimEnd();

    if (reserved.contains (stem, true))
        return "_" + name;

    return name;
}

juce::String formatNumberedCabFileName (juce::uint16 number, const juce::String& cabName)
{
    return juce::String (number).paddedLeft ('0', 3) + "-" + cabName;
}

juce::File findUniqueBackupFile (const juce::File& folder, const juce::String& name)
{
    auto stem = makeFileNameStayInFolder (name);

    if (stem.trim().isEmpty())
        stem = "unnamed";

    auto candidate = folder.getChildFile (stem + ".syx");

    for (int n = 1; candidate.exists(); ++n)
        candidate = folder.getChildFile (stem + " (" + juce::String (n) + ").syx");

    jassert (candidate.getParentDirectory() == folder);
    return candidate;
}

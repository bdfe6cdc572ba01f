#include "SysExFieldLayout.h"

namespace SysExFieldLayout
{
constexpr SysExField end { -1, -1, -1 };

const SysExField statusReply[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField versionReply[] = { { 0, 6, 1 }, { 1, 7, 1 }, { 2, 8, 1 }, { 3, 9, 1 }, { 4, 10, 1 }, { 5, 11, 1 }, end };
const SysExField patchNumberReply[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField patchDumpRequest[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField patchDumpRequest16[] = { { 0, 6, 1 }, { 1, 7, 1 }, { 2, 8, 1 }, end };
const SysExField cabDumpRequestXL[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField cabDumpRequest16[] = { { 0, 6, 2 }, end };
const SysExField cabDumpRequest[] = { { 0, 6, 1 }, end };
const SysExField bankDumpRequest[] = { { 0, 6, 1 }, end };
const SysExField cabBankDumpRequest[] = { { 0, 6, 1 }, end };
const SysExField getAllParamsRequest[] = { { 0, 6, 2 }, end };
const SysExField getConfigRequest[] = { { 0, 6, 2 }, end };
const SysExField getConfigReply[] = { { 0, 6, 2 }, { 1, 8, 3 }, end };
const SysExField recallPatchRequest[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField muteRequest[] = { { 0, 6, 1 }, end };
const SysExField sysInfoReply[] = { { 0, 6, 2 }, { 1, 8, 2 }, { 2, 10, 2 }, { 3, 12, 2 }, end };
const SysExField multiMsgStart[] = { { 0, 6, 1 }, { 1, 7, 2 }, end };
const SysExField effectStart[] = { { 0, 6, 2 }, { 1, 8, 2 }, { 2, 10, 1 }, end };
const SysExField effectStart16[] = { { 0, 6, 2 }, { 1, 8, 2 }, end };
const SysExField systemDataStart[] = { { 0, 6, 3 }, end };
const SysExField patchPlusCabDump[] = { { 0, 6, 1 }, { 1, 7, 1 }, end };
const SysExField patchStart[] = { { 0, 6, 1 }, { 1, 7, 1 }, { 2, 8, 2 }, end };
const SysExField patchStart16[] = { { 0, 6, 1 }, { 1, 7, 1 }, { 2, 8, 3 }, end };
const SysExField patchData[] = { { 0, 6, 2 }, { 1, 8, 192 }, end };
const SysExField patchData16[] = { { 0, 6, 2 }, { 1, 8, 3072 }, end };
const SysExField patchEnd[] = { { 0, 6, 3 }, end };
const SysExField cabIRStartXL[] = { { 0, 6, 1 }, { 1, 7, 1 }, { 2, 8, 2 }, end };
const SysExField cabIRStart16[] = { { 0, 6, 2 }, { 1, 8, 2 }, end };
const SysExField cabIRStart[] = { { 0, 6, 1 }, { 1, 7, 2 }, end };
const SysExField cabIRData[] = { { 0, 6, 2 }, { 1, 8, 160 }, end };
const SysExField cabIRData16[] = { { 0, 6, 2 }, { 1, 8, 1280 }, end };
const SysExField cabIREnd[] = { { 0, 6, 5 }, end };

bool isNewGeneration (juce::uint8 model) noexcept
{
    return model >= 16;
}

bool hasTwoByteCabNumber (juce::uint8 model) noexcept
{
    return model == 6 || model == 7 || model == 8;
}

const SysExField* forPatchDumpRequest (juce::uint8 model) noexcept
{
    return isNewGeneration (model) ? patchDumpRequest16 : patchDumpRequest;
}

const SysExField* forCabDumpRequest (juce::uint8 model) noexcept
{
    if (hasTwoByteCabNumber (model))
        return cabDumpRequestXL;

    return isNewGeneration (model) ? cabDumpRequest16 : cabDumpRequest;
}

const SysExField* forEffectStart (juce::uint8 model) noexcept
{
    return isNewGeneration (model) ? effectStart16 : effectStart;
}

const SysExField* forPatchStart (juce::uint8 model) noexcept
{
    return isNewGeneration (model) ? patchStart16 : patchStart;
}

const SysExField* forPatchData (juce::uint8 model) noexcept
{
    return isNewGeneration (model) ? patchData16 : patchData;
}

const SysExField* forCabIRStart (juce::uint8 model) noexcept
{
    if (hasTwoByteCabNumber (model))
        return cabIRStartXL;

    return isNewGeneration (model) ? cabIRStart16 : cabIRStart;
}

const SysExField* forCabIRData (juce::uint8 model) noexcept
{
    return isNewGeneration (model) ? cabIRData16 : cabIRData;
}
} // namespace SysExFieldLayout

namespace
{
bool isEndRow (const SysExField& row) noexcept
{
    return row.id == -1 && row.offset == -1 && row.length == -1;
}

const SysExField* findRow (const SysExField* layout, juce::int32 fieldId) noexcept
{
    if (layout == nullptr)
        return nullptr;

    for (auto* row = layout; ! isEndRow (*row); ++row)
        if (row->id == fieldId)
            return row;

    return nullptr;
}
} // namespace

juce::int32 fieldOffset (const SysExField* layout, juce::int32 fieldId) noexcept
{
    auto* row = findRow (layout, fieldId);
    return row != nullptr ? row->offset : -1;
}

juce::int32 fieldLength (const SysExField* layout, juce::int32 fieldId) noexcept
{
    auto* row = findRow (layout, fieldId);
    return row != nullptr ? row->length : -1;
}

juce::int32 layoutSize (const SysExField* layout) noexcept
{
    if (layout == nullptr)
        return 0;

    juce::int32 total = 0;

    for (auto* row = layout; ! isEndRow (*row); ++row)
        total += row->length;

    return total;
}

#include "ReplyRules.h"

#include "SysExMessage.h"

#include <array>

namespace
{
/** The request functions a reply answers: up to four, 0 ends the list; own stands for the
    reply's own function.
*/
using Requests = std::array<juce::uint8, 4>;
constexpr juce::uint8 own = 0xFF;
constexpr Requests itself { own };
constexpr Requests nothing {};

struct Row
{
    std::array<juce::uint8, 3> replies;   // the reply functions of the row, 0 ends the list
    Requests belowModel16, model16;
};

// Reports that a device sends of its own accord (0x0E, 0x14, 0x23, 0x38, 0x39) count only as
// the answer to a request of their own function; anything without a row is dropped.
constexpr Row rows[] = {
    //  reply functions         below model 16               model 16 and above
    { { 0x01 },                 itself,                      itself },
    { { 0x02 },                 { 0x02, 0x2E },              nothing },   // the newer state report is never an answer
    { { 0x07 },                 { 0x07, 0x3B },              nothing },
    { { 0x08, 0x47 },           itself,                      itself },
    { { 0x0E, 0x0F },           itself,                      nothing },
    { { 0x11, 0x12, 0x13 },     itself,                      nothing },
    { { 0x14 },                 itself,                      itself },    // the current-patch query
    { { 0x15, 0x16, 0x17 },     itself,                      nothing },
    { { 0x18, 0x1A, 0x1C },     itself,                      nothing },
    { { 0x20, 0x23, 0x28 },     itself,                      nothing },
    { { 0x29 },                 { 0x29, 0x0E },              nothing },
    { { 0x2A, 0x2F },           itself,                      nothing },
    { { 0x2C },                 { 0x2C, 0x2B },              nothing },
    { { 0x30, 0x31 },           itself,                      nothing },
    { { 0x32, 0x33 },           { 0x12, 0x2B, 0x01 },        nothing },
    { { 0x35, 0x36, 0x38 },     itself,                      nothing },
    { { 0x39, 0x3A },           itself,                      nothing },
    { { 0x44, 0x45, 0x48 },     itself,                      nothing },
    { { 0x46 },                 { 0x46 },                    nothing },
    { { 0x51, 0x52, 0x53 },     nothing,                     { 0x43 } },
    { { 0x61, 0x62, 0x63 },     { 0x43 },                    { 0x20 } },
    { { 0x67, 0x68, 0x69 },     { 0x40 },                    { 0x40 } },
    { { 0x74, 0x75, 0x76 },     { 0x1F },                    { 0x1F } },
    { { 0x77, 0x78, 0x79 },     { 0x03, 0x46, 0x1C },        { 0x03 } },
    { { 0x7A, 0x7B, 0x7C },     { 0x19, 0x44, 0x46, 0x40 },  { 0x19, 0x44, 0x40 } },
};

template <typename List>
constexpr bool contains (const List& list, juce::uint8 value) noexcept
{
    for (auto item : list)
    {
        if (item == 0)
            return false;

        if (item == value)
            return true;
    }

    return false;
}

constexpr int rowCount = (int) (sizeof (rows) / sizeof (rows[0]));

/** For each reply function, the index of the first row that holds it, or -1: every reply of a
    long dump is looked up here, so the rows are not searched one by one.
*/
constexpr std::array<juce::int8, 128> makeRowIndex() noexcept
{
    std::array<juce::int8, 128> index {};

    for (auto& entry : index)
        entry = -1;

    for (int r = rowCount - 1; r >= 0; --r)
        for (auto reply : rows[r].replies)
            if (reply != 0 && reply < 128)
                index[reply] = (juce::int8) r;

    return index;
}

constexpr auto rowIndex = makeRowIndex();
} // namespace

bool ReplyRules::answers (Generation generation, juce::uint8 reply, juce::uint8 request) noexcept
{
    if (reply == 0 || reply >= rowIndex.size() || rowIndex[reply] < 0)
        return false;

    const auto& row = rows[rowIndex[reply]];
    const auto& requests = generation == Generation::model16 ? row.model16 : row.belowModel16;

    if (request == 0)
        return false;

    return contains (requests, own) ? request == reply : contains (requests, request);
}

juce::uint8 ReplyRules::replyFunctionOf (Generation generation, const juce::MidiMessage& message) noexcept
{
    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();

    if (size < 6 || ! isZandrelSysEx (data, size) || data[size - 1] != 0xF7)
        return 0;

    const auto r = data[5];
    const bool withoutChecksum = generation == Generation::model16 ? r == 0x02 : (r == 0x0D || r == 0x0E || r == 0x10);

    if ((! withoutChecksum && ! hasValidSysExChecksum (data, size)) || r < 0x01 || r > 0x7C)
        return 0;

    return r;
}

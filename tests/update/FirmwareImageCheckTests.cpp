#include "DumpBuilders.h"
#include "FirmwareImageCheck.h"

#include <gtest/gtest.h>

namespace
{
juce::MemoryBlock messages (std::initializer_list<juce::MemoryBlock> parts, const std::vector<juce::uint8>& tail = {})
{
    juce::MemoryOutputStream out;

    for (const auto& part : parts)
        out << part;

    for (auto byte : tail)
        out.writeByte ((char) byte);

    return out.getMemoryBlock();
}

juce::MemoryBlock message (juce::uint8 model, juce::uint8 function)
{
    return morvane::test::makeSysExMessage (model, function, { 1, 2, 3 });
}
} // namespace

TEST (FirmwareImageCheck, OnlyWholeMessagesOfFirmwareForTheDevicePass)
{
    using namespace PayloadKinds;
    auto noChecksum = message (8, 0x7D);
    static_cast<juce::uint8*> (noChecksum.getData())[6] ^= 0x01;

    struct Case { const char* name; juce::MemoryBlock image; juce::uint8 device; PayloadKind kind; };
    const Case cases[] = {
        { "Orvix II", messages ({ message (3, 0x7D), message (3, 0x7E) }), 3, orvixIIFirmware },
        { "Orvix II XL+", messages ({ message (7, 0x7D) }), 7, orvixIIFirmware },
        { "LM6 MK II", messages ({ message (10, 0x7D) }), 10, lm6Firmware },
        { "KT4", messages ({ message (8, 0x7D), message (8, 0x7E) }), 8, kt4Firmware },
        { "QMR-303 MK3", messages ({ message (4, 0x7D) }), 4, qmr303Firmware },
        { "Orvix III", messages ({ message (16, 0x7D) }), 16, orvixIIIFirmware },
        { "Orvix III USB", messages ({ message (17, 0x6D) }), 16, orvixIIIUsbFirmware },
        { "USB for an Orvix II", messages ({ message (17, 0x6D) }), 3, notSendable },
        { "other model", messages ({ message (6, 0x7D) }), 3, notSendable },
        { "FPGA image", messages ({ message (8, 0x6A) }), 8, notSendable },
        { "preset", messages ({ message (8, 0x77) }), 8, notSendable },
        { "empty", juce::MemoryBlock(), 8, notSendable },
        { "bad checksum", messages ({ message (8, 0x7D), noChecksum }), 8, notSendable },
        { "trailing bytes", messages ({ message (8, 0x7D) }, { 0x01, 0x02 }), 8, notSendable },
        { "cut message", messages ({ message (8, 0x7D) }, { 0xF0, 0x00, 0x01, 0x74, 0x08 }), 8, notSendable },
        { "other maker", messages ({ message (8, 0x7D) }, { 0xF0, 0x7E, 0x01, 0x74, 0x08, 0x7D, 0x00, 0x00, 0xF7 }), 8, notSendable },
        { "html page", juce::MemoryBlock ("<html>404</html>", 16), 8, notSendable },
    };

    for (const auto& c : cases)
    {
        juce::String problem;
        EXPECT_EQ (FirmwareImageCheck::classify (c.image, c.device, problem), c.kind) << c.name;
        EXPECT_EQ (problem.isEmpty(), c.kind != notSendable) << c.name;
    }
}

TEST (FirmwareImageCheck, AnImageIsWellFramedOnlyWhenEveryByteBelongsToAWholeMessage)
{
    const auto first = message (8, 0x7D);
    const auto image = messages ({ first, message (8, 0x7E), message (8, 0x7F) });
    const auto* bytes = static_cast<const juce::uint8*> (image.getData());
    int count = -1;

    ASSERT_TRUE (FirmwareImageCheck::isWellFramed (image, count));
    EXPECT_EQ (count, 3);

    // Cut at every length: only the ends of whole messages leave a well-framed image.
    for (size_t length = 0; length < image.getSize(); ++length)
    {
        const juce::MemoryBlock cut (bytes, length);
        const bool atAnEnd = length > 0 && bytes[length - 1] == 0xF7;
        EXPECT_EQ (FirmwareImageCheck::isWellFramed (cut, count), atAnEnd) << "cut to " << length << " bytes";

        if (atAnEnd)
        {
            EXPECT_EQ (count, (int) (length / first.getSize()));
        }
    }

    // Any status byte in place of any byte of the image (a real-time byte, a note, another
    // message's start or end, a reset) breaks its message, even when the checksum is made to
    // hold again.
    const auto messageSize = first.getSize();

    for (size_t at = 0; at < image.getSize(); ++at)
    {
        for (const juce::uint8 status : { 0xF8, 0x90, 0xF0, 0xF7, 0xFF })
        {
            if (status == bytes[at])
                continue;

            auto changed = image;
            auto* changedBytes = static_cast<juce::uint8*> (changed.getData());
            changedBytes[at] = status;

            const auto start = at - at % messageSize, checksumAt = start + messageSize - 2;

            if (at > start && at < checksumAt)
                changedBytes[checksumAt] = morvane::test::sysExChecksum (changedBytes + start, messageSize - 2);

            EXPECT_FALSE (FirmwareImageCheck::isWellFramed (changed, count)) << "byte " << at << " made " << (int) status;
        }
    }
}

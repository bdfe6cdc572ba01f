#include "PacedReplies.h"

#include "DumpBuilders.h"
#include "LinkClock.h"

#include <chrono>
#include <thread>

namespace morvane::test
{
namespace
{
    constexpr juce::uint8 statusFunction = 0x64;
    constexpr juce::uint8 unknownFunctionCode = 5;
    constexpr juce::uint8 wrongModelCode = 3;

    /** The functions a device takes in a send: presets, cabs, system data, global settings,
        firmware and its lead-ins, FPGA and USB images, QMR-303 backups.
    */
    bool isSendFunction (juce::uint8 f)
    {
        return (f >= 0x77 && f <= 0x7F) || (f >= 0x61 && f <= 0x63) || (f >= 0x51 && f <= 0x53)
            || (f >= 0x74 && f <= 0x76) || (f >= 0x6A && f <= 0x6F) || f == 0x25 || f == 0x26;
    }

    bool isMakers (const juce::MidiMessage& message)
    {
        const auto* data = message.getRawData();
        return message.getRawDataSize() >= 6 && data[0] == 0xF0 && data[1] == 0 && data[2] == 1 && data[3] == 0x74;
    }

    juce::MidiMessage rawMessage (const std::vector<juce::uint8>& bytes)
    {
        return juce::MidiMessage (bytes.data(), (int) bytes.size(), 0.0);
    }
} // namespace

PacedReplies::PacedReplies (SimulatedDevice& device)
{
    auto shared = state;
    const auto model = device.getModel();

    device.setPacedHandler ([&device, shared, model] (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
    {
        const int n = ++shared->count;
        juce::uint8 code = 0;
        juce::uint32 delay = 0;
        Fault fault = Fault::none;

        {
            const std::lock_guard<std::mutex> lock (shared->lock);
            const auto pick = [n] (const auto& table, auto& value)
            {
                if (auto found = table.find (n); found != table.end())
                    value = found->second;
                else if (auto every = table.find (0); every != table.end())
                    value = every->second;
            };

            pick (shared->codes, code);
            pick (shared->delays, delay);
            pick (shared->faults, fault);
        }

        const auto functionId = request.getRawData()[5];

        if (request.getRawData()[4] != model)
            code = wrongModelCode;
        else if (! isSendFunction (functionId))
            code = unknownFunctionCode;

        if (delay > 0)
        {
            // The clock is read before the wait is shown, so a test that moves the clock once
            // it sees the wait cannot move it before the start is taken.
            const auto start = LinkClock::now();
            shared->waiting = true;

            while (millisecondsBetween (LinkClock::now(), start) < delay && ! shared->stop)
                std::this_thread::sleep_for (std::chrono::milliseconds (1));

            shared->waiting = false;
        }

        if (fault == Fault::silent || shared->stop)
            return;

        const auto status = device.makeStatusReply (functionId, code);
        const auto* bytes = status.getRawData();
        std::vector<juce::uint8> raw (bytes, bytes + status.getRawDataSize());

        switch (fault)
        {
            case Fault::wrongFunction:
                out (device.makeStatusReply ((juce::uint8) (functionId ^ 0x01), code));
                break;

            case Fault::badChecksum:
                raw[raw.size() - 2] ^= 0x01;
                out (rawMessage (raw));
                break;

            case Fault::tooShort:
                out (rawMessage ({ 0xF0, 0x00, 0x01, 0x74, model, statusFunction, 0xF7 }));
                break;

            case Fault::noF7:
                raw.back() = 0x00;
                out (rawMessage (raw));
                break;

            case Fault::duplicate:
                if (out (status))
                    out (status);
                break;

            case Fault::foreignFirst:
                if (out (SimulatedDevice::makeOtherMakersSysEx()))
                    out (status);
                break;

            case Fault::none:
            case Fault::silent:
                out (status);
                break;
        }
    });
}

PacedReplies::~PacedReplies()
{
    state->stop = true;
}

void PacedReplies::setResultCode (int n, juce::uint8 code)
{
    const std::lock_guard<std::mutex> lock (state->lock);
    state->codes[n] = code;
}

void PacedReplies::setDelayMs (int n, juce::uint32 ms)
{
    const std::lock_guard<std::mutex> lock (state->lock);
    state->delays[n] = ms;
}

void PacedReplies::setFault (int n, Fault fault)
{
    const std::lock_guard<std::mutex> lock (state->lock);
    state->faults[n] = fault;
}

//==============================================================================
std::vector<juce::MidiMessage> PacedReplies::messagesOf (const std::vector<juce::MidiMessage>& received, juce::uint8 functionId)
{
    std::vector<juce::MidiMessage> found;

    for (const auto& message : received)
        if (isMakers (message) && message.getRawData()[5] == functionId)
            found.push_back (message);

    return found;
}

std::vector<juce::MidiMessage> PacedReplies::sentFile (const std::vector<juce::MidiMessage>& received)
{
    std::vector<juce::MidiMessage> found;

    for (const auto& message : received)
        if (isMakers (message) && isSendFunction (message.getRawData()[5]))
            found.push_back (message);

    return found;
}

std::vector<PacedReplies::PatchStart> PacedReplies::patchStarts (const std::vector<juce::MidiMessage>& received)
{
    std::vector<PatchStart> starts;

    for (const auto& message : messagesOf (received, 0x77))
    {
        const auto* data = message.getRawData();
        const auto size = (size_t) message.getRawDataSize();
        const bool ok = size >= 8 && data[size - 1] == 0xF7 && sysExChecksum (data, size - 2) == data[size - 2];
        starts.push_back ({ data[4], size > 6 ? data[6] : -1, size > 7 ? data[7] : -1, ok });
    }

    return starts;
}

std::vector<PacedReplies::Cab> PacedReplies::cabs (const std::vector<juce::MidiMessage>& received)
{
    std::vector<Cab> found;
    juce::MemoryBlock dump;

    const auto finish = [&found, &dump]
    {
        if (dump.isEmpty())
            return;

        Cab cab;
        int wordCount = 0;
        std::vector<juce::uint32> words;
        cab.wellFormed = readCabDump (dump, cab.slot, wordCount, words) && wordCount == 2048 && words.size() == 2048;

        for (int i = 0; i < 32 && cab.wellFormed; ++i)
        {
            const auto c = (char) ((words[(size_t) (i / 4)] >> (8 * (i % 4))) & 0xFF);

            if (c == 0)
                break;

            cab.name += juce::String::charToString ((juce::juce_wchar) (juce::uint8) c);
        }

        found.push_back (cab);
        dump.reset();
    };

    for (const auto& message : received)
    {
        if (! isMakers (message) || message.getRawData()[5] < 0x7A || message.getRawData()[5] > 0x7C)
            continue;

        if (message.getRawData()[5] == 0x7A)
            finish();

        dump.append (message.getRawData(), (size_t) message.getRawDataSize());
    }

    finish();
    return found;
}

int PacedReplies::programChanges (const std::vector<juce::MidiMessage>& received)
{
    int count = 0;

    for (const auto& message : received)
        if (message.isProgramChange() && message.getChannel() == 1 && message.getProgramChangeNumber() == 0)
            ++count;

    return count;
}
} // namespace morvane::test

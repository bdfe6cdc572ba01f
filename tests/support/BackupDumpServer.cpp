#include "BackupDumpServer.h"

#include "DumpBuilders.h"

#include <chrono>

namespace morvane::test
{
namespace
{
int byteAt (const juce::MidiMessage& message, int index)
{
    return index < message.getRawDataSize() ? message.getRawData()[index] : 0;
}

std::vector<juce::MidiMessage> toMessages (const juce::MemoryBlock& block)
{
    std::vector<juce::MidiMessage> messages;

    for (const auto& part : splitMessages (block))
        messages.emplace_back (part.getData(), (int) part.getSize(), 0.0);

    return messages;
}

juce::MidiMessage message (juce::uint8 model, juce::uint8 function, const Bytes& payload)
{
    const auto block = makeSysExMessage (model, function, payload);
    return juce::MidiMessage (block.getData(), (int) block.getSize(), 0.0);
}

Bytes pattern (int size, int seed)
{
    Bytes bytes;

    for (int i = 0; i < size; ++i)
        bytes.push_back ((juce::uint8) ((i * 13 + seed) & 0x7F));

    return bytes;
}
} // namespace

/** Outlives the server in every copy of its handlers that the device thread holds. */
struct BackupDumpServer::Presence
{
    std::mutex mutex;
    std::condition_variable left;
    int inside = 0;
    bool gone = false;
};

BackupDumpServer::BackupDumpServer (SimulatedDevice& deviceToServe, int bytesPerDataMessage)
    : device (deviceToServe), model (deviceToServe.getModel()), dataBytes (bytesPerDataMessage),
      presence (std::make_shared<Presence>())
{
    install();
}

BackupDumpServer::~BackupDumpServer()
{
    for (juce::uint8 function : { 0x03, 0x19, 0x1C, 0x44, 0x43, 0x14 })
        device.setReplyHandler (function, nullptr);

    {
        const std::lock_guard<std::mutex> lock (mutex);
        closing = true;   // lets a held request go
    }

    changed.notify_all();

    // The device thread may have taken a handler just before it was removed: one that has not
    // started yet finds the server gone, and one that has started finishes before the server goes.
    std::unique_lock<std::mutex> lock (presence->mutex);
    presence->gone = true;
    presence->left.wait (lock, [this] { return presence->inside == 0; });
}

SimulatedDevice::ReplyHandler BackupDumpServer::whileHere (SimulatedDevice::ReplyHandler handler)
{
    return [here = presence, handler = std::move (handler)] (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
    {
        {
            const std::lock_guard<std::mutex> lock (here->mutex);

            if (here->gone)
                return;

            ++here->inside;
        }

        handler (request, out);

        {
            const std::lock_guard<std::mutex> lock (here->mutex);
            --here->inside;
        }

        here->left.notify_all();
    };
}

void BackupDumpServer::install()
{
    for (juce::uint8 function : { 0x03, 0x19, 0x1C, 0x44, 0x43 })
        device.setReplyHandler (function, whileHere ([this] (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
        {
            answer (request, out);
        }));

    device.setReplyHandler (0x14, whileHere ([this] (const juce::MidiMessage&, const SimulatedDevice::Emit& out)
    {
        int first = 0, second = 0;

        {
            const std::lock_guard<std::mutex> lock (mutex);

            if (! answerPatch)
                return;

            first = patchFirst;
            second = patchSecond;
        }

        out (message (model, 0x14, { (juce::uint8) (first & 0x7F), (juce::uint8) (second & 0x7F) }));
    }));
}

void BackupDumpServer::setPresetName (int presetNumber, const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (mutex);
    presetNames[presetNumber] = name;
}

void BackupDumpServer::setCabName (int cab, const juce::String& name)
{
    const std::lock_guard<std::mutex> lock (mutex);
    cabNames[cab] = name;
}

void BackupDumpServer::setSystemDataMessages (int count, int announcedDelta)
{
    const std::lock_guard<std::mutex> lock (mutex);
    systemMessages = count;
    systemDelta = announcedDelta;
}

void BackupDumpServer::setSystemRefusal (juce::uint8 resultCode)
{
    const std::lock_guard<std::mutex> lock (mutex);
    systemRefusal = resultCode;
}

void BackupDumpServer::setCurrentPatch (int first, int second, bool answer)
{
    const std::lock_guard<std::mutex> lock (mutex);
    patchFirst = first;
    patchSecond = second;
    answerPatch = answer;
}

void BackupDumpServer::dropRequest (int n)
{
    const std::lock_guard<std::mutex> lock (mutex);
    dropped.insert (n);
}

void BackupDumpServer::holdRequest (int n)
{
    const std::lock_guard<std::mutex> lock (mutex);
    heldRequest = n;
    released = false;
}

void BackupDumpServer::release()
{
    const std::lock_guard<std::mutex> lock (mutex);
    released = true;
    changed.notify_all();
}

bool BackupDumpServer::waitForRequests (int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock (mutex);
    return changed.wait_for (lock, std::chrono::milliseconds (timeoutMs), [&] { return requestCount >= count; });
}

std::vector<BackupDumpServer::Exchange> BackupDumpServer::getExchanges() const
{
    std::unique_lock<std::mutex> lock (mutex);
    changed.wait_for (lock, std::chrono::seconds (5), [this] { return answersGoingOut == 0 || closing; });
    return exchanges;
}

int BackupDumpServer::getRequestCount() const
{
    const std::lock_guard<std::mutex> lock (mutex);
    return requestCount;
}

//==============================================================================
void BackupDumpServer::setRecordReplies (bool shouldRecord)
{
    const std::lock_guard<std::mutex> lock (mutex);
    recordReplies = shouldRecord;
}

void BackupDumpServer::answer (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
{
    const auto arrived = juce::Time::getMillisecondCounterHiRes();
    int n = 0;
    bool drop = false, hold = false;

    {
        const std::lock_guard<std::mutex> lock (mutex);
        n = ++requestCount;
        drop = dropped.count (n) != 0;
        hold = heldRequest == n;
        changed.notify_all();
    }

    if (hold)
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [this] { return released || closing; });
    }

    if (drop)
        return;

    const auto replies = repliesTo (request);
    Exchange exchange { request, {}, arrived, 0.0 };
    bool record = true;

    {
        const std::lock_guard<std::mutex> lock (mutex);
        record = recordReplies;
        ++answersGoingOut;
    }

    for (const auto& reply : replies)
    {
        if (! out (reply))
            break;

        if (record)
            exchange.replies.append (reply.getRawData(), (size_t) reply.getRawDataSize());
    }

    exchange.answeredMs = juce::Time::getMillisecondCounterHiRes();
    const std::lock_guard<std::mutex> lock (mutex);
    exchanges.push_back (std::move (exchange));
    --answersGoingOut;
    changed.notify_all();
}

std::vector<juce::MidiMessage> BackupDumpServer::smallPreset (int number) const
{
    const auto count = presetMessageCount (model);
    std::vector<juce::MidiMessage> messages;
    Bytes start { (juce::uint8) ((number / 128) & 0x7F), (juce::uint8) (number % 128) };
    appendPacked (start, (juce::uint32) ((count - 2) * dataBytes), model >= 16 ? 3 : 2);
    messages.push_back (message (model, 0x77, start));

    for (int i = 0; i < count - 2; ++i)
        messages.push_back (message (model, 0x78, pattern (dataBytes, number + i)));

    Bytes end;
    appendPacked (end, (juce::uint32) number, 3);
    messages.push_back (message (model, 0x79, end));
    return messages;
}

std::vector<juce::MidiMessage> BackupDumpServer::namedPreset (int number) const
{
    juce::String name ("Preset " + juce::String (number));

    {
        const std::lock_guard<std::mutex> lock (mutex);

        if (auto found = presetNames.find (number); found != presetNames.end())
            name = found->second;
    }

    return toMessages (makePresetDump (model, makePresetWords (model, name, (juce::uint32) number + 1), number));
}

std::vector<juce::MidiMessage> BackupDumpServer::namedCab (int cab) const
{
    juce::String name ("Cab " + juce::String (cab));

    {
        const std::lock_guard<std::mutex> lock (mutex);

        if (auto found = cabNames.find (cab); found != cabNames.end())
            name = found->second;
    }

    return toMessages (makeCabDump (model, makeCabWords (name, (juce::uint32) cab + 7), cab));
}

std::vector<juce::MidiMessage> BackupDumpServer::repliesTo (const juce::MidiMessage& request) const
{
    const auto function = byteAt (request, 5);
    std::vector<juce::MidiMessage> replies;
    auto append = [&replies] (const std::vector<juce::MidiMessage>& more) { replies.insert (replies.end(), more.begin(), more.end()); };

    switch (function)
    {
        case 0x03:
        {
            const auto number = byteAt (request, 6) * 128 + byteAt (request, 7);
            const bool bankStep = model >= 16 && byteAt (request, 8) == 0 && byteAt (request, 6) < 4;
            append (bankStep ? smallPreset (number) : namedPreset (number));
            break;
        }

        case 0x19:
        {
            int cab = byteAt (request, 6);

            if (model == 6 || model == 7 || model == 8)
                cab = byteAt (request, 6) * 128 + byteAt (request, 7);
            else if (model >= 16)
                cab = byteAt (request, 6) + byteAt (request, 7) * 128;

            append (namedCab (cab));
            break;
        }

        case 0x1C:
        {
            const auto bank = byteAt (request, 6);

            for (int i = 0; i < presetsInBank (model, bank); ++i)
                append (smallPreset ((bank % 64) * 128 + i));

            break;
        }

        case 0x44:
        {
            const auto bank = byteAt (request, 6);

            for (int i = 0; i < cabsInBank (model, bank); ++i)
                append (namedCab ((bank % 64) * 128 + i));

            break;
        }

        case 0x43:
        {
            int count = 0, delta = 0;
            juce::uint8 refusal = 0;

            {
                const std::lock_guard<std::mutex> lock (mutex);
                count = systemMessages;
                delta = systemDelta;
                refusal = systemRefusal;
            }

            if (refusal != 0)
            {
                replies.push_back (message (model, 0x64, { 0x43, refusal }));
                break;
            }

            // The start announces the length in bytes: 64 per message below model 16, 1024 on it.
            const bool high = model >= 16;
            Bytes start;
            appendPacked (start, (juce::uint32) ((count + delta) << (high ? 10 : 6)), 3);
            replies.push_back (message (model, high ? 0x51 : 0x61, start));

            for (int i = 0; i < count; ++i)
                replies.push_back (message (model, high ? 0x52 : 0x62, pattern (dataBytes, i)));

            replies.push_back (message (model, high ? 0x53 : 0x63, {}));
            break;
        }

        default:
            break;
    }

    return replies;
}
} // namespace morvane::test

#include "SimulatedDevice.h"

#include "DumpBuilders.h"

#include <chrono>

namespace morvane::test
{
namespace
{
    constexpr juce::uint8 statusFunction = 0x64;

    bool isMakersMessage (const juce::MidiMessage& message)
    {
        const auto* data = message.getRawData();
        return message.getRawDataSize() >= 8 && data[0] == 0xF0 && data[1] == 0x00 && data[2] == 0x01
               && data[3] == 0x74;
    }

    bool hasGoodChecksum (const juce::MidiMessage& message)
    {
        const auto* data = message.getRawData();
        const auto size = message.getRawDataSize();
        return size >= 3 && sysExChecksum (data, (size_t) (size - 2)) == data[size - 2];
    }

    int byteAt (const juce::MidiMessage& message, int index)
    {
        return index < message.getRawDataSize() ? message.getRawData()[index] : 0;
    }

    /** A payload of the given size whose first bytes are given and whose rest is a pattern. */
    std::vector<juce::uint8> filledPayload (std::vector<juce::uint8> head, int size, int seed)
    {
        for (auto i = (int) head.size(); i < size; ++i)
            head.push_back ((juce::uint8) ((i * 7 + seed) & 0x7F));

        return head;
    }
} // namespace

//==============================================================================
SimulatedDevice::SimulatedDevice (VirtualMidiPorts& portsToUse, juce::uint8 deviceModel, const juce::String& name)
    : ports (portsToUse),
      model (deviceModel),
      portName (name)
{
    addBuiltInHandlers();

    ports.plugInput (portName);
    ports.plugOutput (portName);
    ports.setOutputReceiver (portName, [this] (const juce::MidiMessage& message)
    {
        {
            const std::lock_guard<std::mutex> lock (recordMutex);

            if (arrivalObserver != nullptr)
                arrivalObserver (message);

            received.push_back (message);
        }

        {
            const std::lock_guard<std::mutex> lock (workMutex);
            work.push_back ({ true, message });
        }

        workChanged.notify_all();
    });

    thread = std::thread ([this] { run(); });
}

SimulatedDevice::~SimulatedDevice()
{
    ports.setOutputReceiver (portName, nullptr);

    {
        const std::lock_guard<std::mutex> lock (workMutex);
        quit = true;
    }

    workChanged.notify_all();
    thread.join();
}

//==============================================================================
void SimulatedDevice::setReplyHandler (juce::uint8 functionId, ReplyHandler handler)
{
    const std::lock_guard<std::mutex> lock (handlerMutex);

    if (handler != nullptr)
        customHandlers[functionId] = std::move (handler);
    else
        customHandlers.erase (functionId);
}

void SimulatedDevice::setReplyGenerator (juce::uint8 functionId, ReplyGenerator generator)
{
    if (generator == nullptr)
    {
        setReplyHandler (functionId, nullptr);
        return;
    }

    setReplyHandler (functionId, [generator] (const juce::MidiMessage& request, const Emit& out)
    {
        for (const auto& reply : generator (request))
            if (! out (reply))
                return;
    });
}

void SimulatedDevice::setArrivalObserver (std::function<void (const juce::MidiMessage&)> observer)
{
    const std::lock_guard<std::mutex> lock (recordMutex);
    arrivalObserver = std::move (observer);
}

void SimulatedDevice::setPacedHandler (ReplyHandler handler)
{
    const std::lock_guard<std::mutex> lock (handlerMutex);
    pacedHandler = std::move (handler);
}

void SimulatedDevice::setFirmwareVersion (int major, int minor)
{
    const std::lock_guard<std::mutex> lock (handlerMutex);
    firmwareMajor = major;
    firmwareMinor = minor;
}

void SimulatedDevice::setSystemInfo (int field0, int field1, int field2, int field3)
{
    const std::lock_guard<std::mutex> lock (handlerMutex);
    systemInfo[0] = field0;
    systemInfo[1] = field1;
    systemInfo[2] = field2;
    systemInfo[3] = field3;
}

SimulatedDevice::ReplyHandler SimulatedDevice::findHandler (juce::uint8 functionId) const
{
    const std::lock_guard<std::mutex> lock (handlerMutex);

    if (auto custom = customHandlers.find (functionId); custom != customHandlers.end())
        return custom->second;

    if (auto builtIn = builtInHandlers.find (functionId); builtIn != builtInHandlers.end())
        return builtIn->second;

    return {};
}

//==============================================================================
void SimulatedDevice::setSilent (bool shouldBeSilent)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    silent = shouldBeSilent;
}

void SimulatedDevice::setSilentAfterReplies (int replies)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    repliesBeforeSilence = replies;
}

void SimulatedDevice::setReplyDelayMs (int ms)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    replyDelayMs = ms;
}

void SimulatedDevice::setResultCodeForMessage (int n, juce::uint8 resultCode)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    resultCodes[n] = resultCode;
}

void SimulatedDevice::setBadChecksums (bool shouldCorrupt)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    badChecksums = shouldCorrupt;
}

void SimulatedDevice::setUnsolicitedEvery (int k, const juce::MidiMessage& message)
{
    const std::lock_guard<std::mutex> lock (faultMutex);
    unsolicitedEvery = juce::jmax (0, k);
    periodicUnsolicited = message;
}

void SimulatedDevice::sendUnsolicited (const juce::MidiMessage& message)
{
    {
        const std::lock_guard<std::mutex> lock (workMutex);
        work.push_back ({ false, message });
    }

    workChanged.notify_all();
}

void SimulatedDevice::unplug()
{
    ports.unplugInput (portName);
    ports.unplugOutput (portName);
}

void SimulatedDevice::replug()
{
    ports.plugInput (portName);
    ports.plugOutput (portName);
}

//==============================================================================
juce::MidiMessage SimulatedDevice::makeMessage (juce::uint8 messageModel, juce::uint8 functionId,
                                                const std::vector<juce::uint8>& payload)
{
    std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x01, 0x74, messageModel, functionId };
    bytes.insert (bytes.end(), payload.begin(), payload.end());
    bytes.push_back (sysExChecksum (bytes.data(), bytes.size()));
    bytes.push_back (0xF7);
    return juce::MidiMessage (bytes.data(), (int) bytes.size(), 0.0);
}

juce::MidiMessage SimulatedDevice::makeMessage (juce::uint8 functionId, const std::vector<juce::uint8>& payload) const
{
    return makeMessage (model, functionId, payload);
}

juce::MidiMessage SimulatedDevice::makeTunerMessage() const
{
    return makeMessage (0x0D, { 0x45, 0x40 });
}

juce::MidiMessage SimulatedDevice::makeTempoMessage() const
{
    return makeMessage (0x10, {});
}

juce::MidiMessage SimulatedDevice::makeStatusReply (juce::uint8 functionId, juce::uint8 resultCode) const
{
    return makeMessage (statusFunction, { (juce::uint8) (functionId & 0x7F), (juce::uint8) (resultCode & 0x7F) });
}

juce::MidiMessage SimulatedDevice::makeOtherMakersSysEx()
{
    const juce::uint8 identityReply[] = { 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x41, 0x10, 0x01, 0x00, 0x00,
                                          0x01, 0x00, 0x00, 0x00, 0xF7 };
    return juce::MidiMessage (identityReply, (int) sizeof (identityReply), 0.0);
}

std::vector<juce::MidiMessage> SimulatedDevice::defaultRepliesTo (const juce::MidiMessage& request) const
{
    std::vector<juce::MidiMessage> replies;
    const Emit collect = [&replies] (const juce::MidiMessage& reply)
    {
        replies.push_back (reply);
        return true;
    };

    if (! isMakersMessage (request))
        return replies;

    const auto functionId = request.getRawData()[5];
    ReplyHandler handler;

    {
        const std::lock_guard<std::mutex> lock (handlerMutex);

        if (auto builtIn = builtInHandlers.find (functionId); builtIn != builtInHandlers.end())
            handler = builtIn->second;
    }

    if (! hasGoodChecksum (request))
        collect (makeStatusReply (functionId, 1));
    else if (handler != nullptr)
        handler (request, collect);
    else
        collect (makeStatusReply (functionId, 0));

    return replies;
}

//==============================================================================
std::vector<juce::MidiMessage> SimulatedDevice::getReceived() const
{
    const std::lock_guard<std::mutex> lock (recordMutex);
    return received;
}

int SimulatedDevice::getReceivedCount() const
{
    const std::lock_guard<std::mutex> lock (recordMutex);
    return (int) received.size();
}

int SimulatedDevice::getReceivedCount (juce::uint8 functionId) const
{
    const std::lock_guard<std::mutex> lock (recordMutex);
    int count = 0;

    for (const auto& message : received)
        if (isMakersMessage (message) && message.getRawData()[5] == functionId)
            ++count;

    return count;
}

bool SimulatedDevice::isIdle() const
{
    const std::lock_guard<std::mutex> lock (workMutex);
    return work.empty() && ! busy;
}

//==============================================================================
void SimulatedDevice::run()
{
    std::unique_lock<std::mutex> lock (workMutex);

    for (;;)
    {
        workChanged.wait (lock, [this] { return quit || ! work.empty(); });

        if (quit)
            return;

        auto next = std::move (work.front());
        work.pop_front();
        busy = true;
        lock.unlock();

        if (next.isRequest)
        {
            answer (next.message);
        }
        else
        {
            ++sentCount;   // counted first: whoever reads the reply finds it counted
            ports.sendToInput (portName, next.message);
        }

        lock.lock();
        busy = false;
    }
}

bool SimulatedDevice::waitFor (int ms)
{
    std::unique_lock<std::mutex> lock (workMutex);
    return ! workChanged.wait_for (lock, std::chrono::milliseconds (ms), [this] { return quit; });
}

void SimulatedDevice::answer (const juce::MidiMessage& request)
{
    if (! isMakersMessage (request))
        return;     // other makers' SysEx and plain MIDI get no answer

    int delayMs = 0;

    {
        const std::lock_guard<std::mutex> lock (faultMutex);
        delayMs = replyDelayMs;
    }

    if (delayMs > 0 && ! waitFor (delayMs))
        return;

    const auto functionId = request.getRawData()[5];
    const Emit out = [this] (const juce::MidiMessage& reply) { return emit (reply); };

    if (! hasGoodChecksum (request))
    {
        out (makeStatusReply (functionId, 1));  // MIDI_ERROR_BAD_CHKSUM
        return;
    }

    if (auto handler = findHandler (functionId))
    {
        handler (request, out);
        return;
    }

    // A message of a paced transfer: acknowledge it with its result code.
    const auto n = ++pacedCount;
    ReplyHandler paced;

    {
        const std::lock_guard<std::mutex> lock (handlerMutex);
        paced = pacedHandler;
    }

    if (paced != nullptr)
    {
        paced (request, out);
        return;
    }

    juce::uint8 resultCode = 0;

    {
        const std::lock_guard<std::mutex> lock (faultMutex);

        if (auto found = resultCodes.find (n); found != resultCodes.end())
            resultCode = found->second;
    }

    out (makeStatusReply (functionId, resultCode));
}

bool SimulatedDevice::emit (const juce::MidiMessage& reply)
{
    bool corrupt = false;
    juce::MidiMessage extra;
    bool sendExtra = false;

    {
        const std::lock_guard<std::mutex> lock (faultMutex);

        if (silent || repliesBeforeSilence == 0)
            return false;

        if (repliesBeforeSilence > 0)
            --repliesBeforeSilence;

        corrupt = badChecksums;

        if (unsolicitedEvery > 0)
        {
            sendExtra = (sentCount.load() + 1) % unsolicitedEvery == 0;
            extra = periodicUnsolicited;
        }
    }

    {
        const std::lock_guard<std::mutex> lock (workMutex);

        if (quit)
            return false;
    }

    ++sentCount;   // counted first: whoever reads the reply finds it counted

    if (corrupt && reply.getRawDataSize() >= 3)
    {
        juce::MemoryBlock bytes (reply.getRawData(), (size_t) reply.getRawDataSize());
        auto* data = static_cast<juce::uint8*> (bytes.getData());
        data[bytes.getSize() - 2] ^= 0x01;
        ports.sendToInput (portName, juce::MidiMessage (bytes.getData(), (int) bytes.getSize(), 0.0));
    }
    else
    {
        ports.sendToInput (portName, reply);
    }

    if (sendExtra)
        ports.sendToInput (portName, extra);

    return true;
}

//==============================================================================
bool SimulatedDevice::emitSeries (const Emit& out, juce::uint8 startFunction, const std::vector<juce::uint8>& startPayload,
                                  juce::uint8 dataFunction, int dataMessages, int dataBytes, juce::uint8 endFunction) const
{
    if (! out (makeMessage (startFunction, startPayload)))
        return false;

    for (int i = 0; i < dataMessages; ++i)
        if (! out (makeMessage (dataFunction, filledPayload ({}, dataBytes, i))))
            return false;

    return out (makeMessage (endFunction, {}));
}

bool SimulatedDevice::emitPresetDump (const Emit& out, int presetNumber) const
{
    const auto messages = presetMessageCount (model);

    if (messages < 2)
        return true;

    const bool high = model >= 16;
    const int wordsPerMessage = high ? 1024 : 64;
    std::vector<juce::uint8> start { (juce::uint8) ((presetNumber / 128) & 0x7F), (juce::uint8) (presetNumber % 128) };
    appendPacked (start, (juce::uint32) (wordsPerMessage * (messages - 2)), high ? 3 : 2);

    if (! out (makeMessage (0x77, start)))
        return false;

    for (int i = 0; i < messages - 2; ++i)
    {
        std::vector<juce::uint8> head;
        appendPacked (head, (juce::uint32) wordsPerMessage, 2);

        if (! out (makeMessage (0x78, filledPayload (head, 2 + wordsPerMessage * 3, presetNumber + i))))
            return false;
    }

    std::vector<juce::uint8> end;
    appendPacked (end, (juce::uint32) presetNumber, 3);
    return out (makeMessage (0x79, end));
}

bool SimulatedDevice::emitCabDump (const Emit& out, int cabNumber) const
{
    // A cab that reads as a real device's does: CABIR_END carries the XOR of the cab's words.
    const auto dump = makeCabDump (model, makeCabWords ("Cab " + juce::String (cabNumber), (juce::uint32) cabNumber + 1),
                                   cabNumber);

    for (const auto& part : splitMessages (dump))
        if (! out (juce::MidiMessage (part.getData(), (int) part.getSize())))
            return false;

    return true;
}

void SimulatedDevice::addBuiltInHandlers()
{
    const bool high = model >= 16;

    // Each row: a request function and how the device answers it.
    builtInHandlers = {
        { 0x08, [this] (const juce::MidiMessage&, const Emit& out)
          {
              int major = 0, minor = 0;

              {
                  const std::lock_guard<std::mutex> lock (handlerMutex);
                  major = firmwareMajor;
                  minor = firmwareMinor;
              }

              out (makeMessage (0x08, { (juce::uint8) (major & 0x7F), (juce::uint8) (minor & 0x7F), 0, 0, 0, 0 }));
          } },

        { 0x47, [this] (const juce::MidiMessage&, const Emit& out)
          {
              std::vector<juce::uint8> payload;

              {
                  const std::lock_guard<std::mutex> lock (handlerMutex);

                  for (auto field : systemInfo)
                      appendPacked (payload, (juce::uint32) field, 2);
              }

              out (makeMessage (0x47, payload));
          } },

        { 0x14, [this] (const juce::MidiMessage&, const Emit& out) { out (makeMessage (0x14, { 0, 0 })); } },

        { 0x35, [this] (const juce::MidiMessage& request, const Emit& out)
          {
              out (makeMessage (0x35, { (juce::uint8) byteAt (request, 6), (juce::uint8) byteAt (request, 7), 0, 0, 0 }));
          } },

        { 0x03, [this] (const juce::MidiMessage& request, const Emit& out)
          {
              emitPresetDump (out, byteAt (request, 6) * 128 + byteAt (request, 7));
          } },

        { 0x19, [this, high] (const juce::MidiMessage& request, const Emit& out)
          {
              int cab = byteAt (request, 6);

              if (model == 6 || model == 7 || model == 8)
                  cab = byteAt (request, 6) * 128 + byteAt (request, 7);
              else if (high)
                  cab = byteAt (request, 6) + byteAt (request, 7) * 128;

              emitCabDump (out, cab);
          } },

        { 0x1C, [this] (const juce::MidiMessage& request, const Emit& out)
          {
              const auto bank = byteAt (request, 6);

              for (int i = 0; i < presetsInBank (model, bank); ++i)
                  if (! emitPresetDump (out, (bank % 64) * 128 + i))
                      return;
          } },

        { 0x44, [this] (const juce::MidiMessage& request, const Emit& out)
          {
              const auto bank = byteAt (request, 6);

              for (int i = 0; i < cabsInBank (model, bank); ++i)
                  if (! emitCabDump (out, i))
                      return;
          } },

        // Get-all-params: the start message announces the count, (length >> 6) + 3 below
        // model 16, (length >> 8) + 3 on it.
        { 0x1F, [this, high] (const juce::MidiMessage& request, const Emit& out)
          {
              const int total = 7;
              std::vector<juce::uint8> start { (juce::uint8) byteAt (request, 6), (juce::uint8) byteAt (request, 7) };
              appendPacked (start, (juce::uint32) ((total - 3) << (high ? 8 : 6)), 2);

              if (! high)
                  start.push_back (0);

              emitSeries (out, 0x74, start, 0x75, total - 2, 64, 0x76);
          } },

        // System data: (length >> 6) + 2 messages below model 16, (length >> 10) + 2 on it.
        { 0x43, [this, high] (const juce::MidiMessage&, const Emit& out)
          {
              std::vector<juce::uint8> start;

              if (high)
              {
                  appendPacked (start, 8192, 3);
                  emitSeries (out, 0x51, start, 0x52, 8, 128, 0x53);
              }
              else
              {
                  appendPacked (start, 6400, 3);
                  emitSeries (out, 0x61, start, 0x62, 100, 64, 0x63);
              }
          } },

        // A preset followed by the cabs whose flags the request sets: S + 1 + k x P messages.
        { 0x46, [this] (const juce::MidiMessage& request, const Emit& out)
          {
              const auto flags = (juce::uint8) (byteAt (request, 6) & 0x0F);

              if (! out (makeMessage (0x46, { flags, (juce::uint8) byteAt (request, 7) })))
                  return;

              if (! emitPresetDump (out, 0))
                  return;

              for (int bit = 0; bit < 4; ++bit)
                  if ((flags & (1 << bit)) != 0 && ! emitCabDump (out, bit))
                      return;
          } },
    };

    if (high)
    {
        // The grid: five fields, the fifth a length n in bytes; (n >> 9) + 2 messages when
        // n / 2 words fill whole messages of 256.
        builtInHandlers[0x20] = [this] (const juce::MidiMessage&, const Emit& out)
        {
            std::vector<juce::uint8> start;
            appendPacked (start, 0, 2);
            appendPacked (start, 0, 3);
            appendPacked (start, 0, 3);
            appendPacked (start, 0, 3);
            appendPacked (start, 1024, 3);
            emitSeries (out, 0x61, start, 0x62, 2, 512, 0x63);
        };

        builtInHandlers[0x01] = [this] (const juce::MidiMessage&, const Emit& out)
        {
            out (makeMessage (0x01, filledPayload ({}, 16, 1)));
        };
    }
    else
    {
        builtInHandlers[0x20] = [this] (const juce::MidiMessage&, const Emit& out)
        {
            out (makeMessage (0x20, filledPayload ({}, 32, 2)));
        };

        // Multi-message dumps: the start announces n data messages, n + 2 in all.
        for (juce::uint8 functionId : { (juce::uint8) 0x01, (juce::uint8) 0x12, (juce::uint8) 0x2B })
        {
            builtInHandlers[functionId] = [this, functionId] (const juce::MidiMessage&, const Emit& out)
            {
                const int dataMessages = 3;
                std::vector<juce::uint8> start { 0 };
                appendPacked (start, (juce::uint32) dataMessages, 2);
                emitSeries (out, 0x32, start, functionId == 0x2B ? (juce::uint8) 0x2C : functionId,
                            dataMessages, 32, 0x33);
            };
        }
    }
}
} // namespace morvane::test

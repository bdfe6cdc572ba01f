#pragma once

#include "SysExMessage.h"
#include "SysExRequest.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <initializer_list>
#include <memory>
#include <vector>

namespace morvane::test
{
using Bytes = std::vector<juce::uint8>;

/** The bytes of a MIDI message. */
inline Bytes bytesOf (const juce::MidiMessage& message)
{
    const auto* data = message.getRawData();
    return Bytes (data, data + message.getRawDataSize());
}

inline Bytes bytesOf (const juce::MemoryBlock& block)
{
    const auto* data = static_cast<const juce::uint8*> (block.getData());
    return Bytes (data, data + block.getSize());
}

inline juce::MidiMessage toMessage (const Bytes& bytes)
{
    return juce::MidiMessage (bytes.data(), (int) bytes.size(), 0.0);
}

inline juce::MemoryBlock toBlock (const Bytes& bytes)
{
    return juce::MemoryBlock (bytes.data(), bytes.size());
}

/** XOR of the bytes, masked with 0x7F, computed here independently of the codec. */
inline juce::uint8 xorChecksum (const Bytes& bytes, size_t count)
{
    juce::uint8 sum = 0;

    for (size_t i = 0; i < count; ++i)
        sum ^= bytes[i];

    return (juce::uint8) (sum & 0x7F);
}

/** A complete maker's message: header, payload, checksum, F7. */
inline Bytes zandrelBytes (juce::uint8 model, juce::uint8 functionId, const Bytes& payload = {})
{
    Bytes bytes { 0xF0, 0x00, 0x01, 0x74, model, functionId };
    bytes.insert (bytes.end(), payload.begin(), payload.end());
    bytes.push_back (xorChecksum (bytes, bytes.size()));
    bytes.push_back (0xF7);
    return bytes;
}

inline juce::MidiMessage zandrelMessage (juce::uint8 model, juce::uint8 functionId, const Bytes& payload = {})
{
    return toMessage (zandrelBytes (model, functionId, payload));
}

/** value in count 7-bit groups, least significant first. */
inline Bytes sevenBit (juce::uint32 value, int count)
{
    Bytes bytes;

    for (int i = 0; i < count; ++i)
        bytes.push_back ((juce::uint8) ((i * 7 < 32 ? value >> (i * 7) : 0) & 0x7F));

    return bytes;
}

inline Bytes concat (std::initializer_list<Bytes> parts)
{
    Bytes all;

    for (auto& part : parts)
        all.insert (all.end(), part.begin(), part.end());

    return all;
}

/** True when the message ends with a correct checksum and F7. */
inline bool isWellFormed (const Bytes& bytes)
{
    return bytes.size() >= 8 && bytes.front() == 0xF0 && bytes.back() == 0xF7
           && bytes[bytes.size() - 2] == xorChecksum (bytes, bytes.size() - 2);
}

/** A request for function q of the model, expecting 7 replies, as a reply matcher sees the
    request in flight.
*/
inline std::unique_ptr<SysExRequest> requestInFlight (juce::uint8 q, juce::uint8 model)
{
    auto request = std::make_unique<SysExRequest> (zandrelMessage (model, q));
    request->setExpectedReplies (7);
    return request;
}

/** Whether a reply Matcher counts the message for a request of function q of the model. */
template <typename Matcher>
bool matcherCounts (juce::uint8 model, juce::uint8 q, const juce::MidiMessage& message)
{
    Matcher matcher;
    auto request = requestInFlight (q, model);
    return matcher.matchReply (request.get(), message);
}

/** Sets currentDeviceModel for the scope of a test and restores it afterwards. */
struct ScopedDeviceModel
{
    explicit ScopedDeviceModel (juce::uint8 model)
        : previous (currentDeviceModel.load())
    {
        currentDeviceModel = model;
    }
    ~ScopedDeviceModel() { currentDeviceModel = previous; }
    void set (juce::uint8 model) { currentDeviceModel = model; }

    juce::uint8 previous;
};
} // namespace morvane::test

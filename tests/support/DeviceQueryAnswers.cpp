#include "DeviceQueryAnswers.h"

namespace morvane::test
{
namespace
{
    constexpr juce::uint8 unknownFunctionCode = 5;   // MIDI_ERROR_UNKNOWN_FUNCTION
    constexpr juce::uint8 wrongModelCode = 3;

    int byteAt (const juce::MidiMessage& message, int index)
    {
        return index < message.getRawDataSize() ? message.getRawData()[index] : 0;
    }

    enum class Answer { reply, unknown, silent };

    bool isOrvixII (int model) { return model == 3 || model == 6 || model == 7; }
    bool isLM6 (int model) { return model == 5 || model == 10; }

    Answer answerFor (int model, juce::uint8 functionId, int major, int minor)
    {
        if (model == 2 || model == 4)
            return Answer::silent;

        switch (functionId)
        {
            case 0x08: return Answer::reply;
            case 0x47: return isLM6 (model) || (isOrvixII (model) && major < 10) ? Answer::unknown : Answer::reply;
            case 0x35: return isOrvixII (model) && (major > 10 || (major == 10 && minor >= 9)) ? Answer::reply : Answer::unknown;
            case 0x14:
            case 0x3C: return isOrvixII (model) || model == 16 ? Answer::reply : Answer::unknown;
            case 0x3E: return model == 8 ? Answer::reply : Answer::unknown;
            case 0x42: return model == 16 ? Answer::unknown : Answer::reply;
            default:   return Answer::unknown;
        }
    }
} // namespace

DeviceQueryAnswers::DeviceQueryAnswers (SimulatedDevice& device, int major, int minor)
{
    device.setFirmwareVersion (major, minor);
    const int model = device.getModel();
    auto shared = state;

    for (juce::uint8 functionId : { 0x08, 0x47, 0x35, 0x14, 0x3C, 0x3E, 0x42 })
    {
        const auto answer = answerFor (model, functionId, major, minor);
        auto builtIn = functionId == 0x08 || functionId == 0x47;

        device.setReplyHandler (functionId, [&device, shared, functionId, answer, builtIn, model]
                                            (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
        {
            if (answer == Answer::silent)
                return;

            if (byteAt (request, 4) != model)
            {
                out (device.makeStatusReply (functionId, wrongModelCode));
                return;
            }

            if (answer == Answer::unknown)
            {
                out (device.makeStatusReply (functionId, unknownFunctionCode));
                return;
            }

            if (builtIn)
            {
                for (const auto& reply : device.defaultRepliesTo (request))
                    if (! out (reply))
                        return;

                return;
            }

            const std::unique_lock<std::mutex> lock (shared->lock);

            switch (functionId)
            {
                case 0x14:
                    out (device.makeMessage (0x14, { (juce::uint8) shared->patch[0], (juce::uint8) shared->patch[1] }));
                    break;

                case 0x35:
                {
                    const auto offset = (juce::uint32) shared->displayOffset;
                    out (device.makeMessage (0x35, { (juce::uint8) byteAt (request, 6), (juce::uint8) byteAt (request, 7),
                                                     (juce::uint8) (offset & 0x7F), (juce::uint8) ((offset >> 7) & 0x7F), 0 }));
                    break;
                }

                case 0x3C:
                    shared->patch[0] = byteAt (request, 6);
                    shared->patch[1] = byteAt (request, 7);
                    shared->recalls.emplace_back (shared->patch[0], shared->patch[1]);
                    out (device.makeStatusReply (functionId, 0));
                    break;

                case 0x3E:
                    shared->muteBytes.push_back (byteAt (request, 6));
                    out (device.makeStatusReply (functionId, 0));
                    break;

                default:
                    out (device.makeStatusReply (functionId, 0));
                    break;
            }
        });
    }
}

void DeviceQueryAnswers::setCurrentPatch (int field0, int field1)
{
    const std::lock_guard<std::mutex> lock (state->lock);
    state->patch[0] = field0 & 0x7F;
    state->patch[1] = field1 & 0x7F;
}

void DeviceQueryAnswers::setDisplayOffset (int offset)
{
    const std::lock_guard<std::mutex> lock (state->lock);
    state->displayOffset = offset;
}

std::vector<std::pair<int, int>> DeviceQueryAnswers::getRecalls() const
{
    const std::lock_guard<std::mutex> lock (state->lock);
    return state->recalls;
}

std::vector<int> DeviceQueryAnswers::getMuteBytes() const
{
    const std::lock_guard<std::mutex> lock (state->lock);
    return state->muteBytes;
}

bool DeviceQueryAnswers::muteCallsArePaired() const
{
    const auto bytes = getMuteBytes();

    if (bytes.size() % 2 != 0)
        return false;

    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != (i % 2 == 0 ? 0 : 1))
            return false;

    return true;
}
} // namespace morvane::test

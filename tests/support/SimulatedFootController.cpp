#include "SimulatedFootController.h"

#include "SimulatedDevice.h"

namespace morvane::test
{
SimulatedFootController::Dump SimulatedFootController::buildDump (juce::uint8 model, int sysExMessages, int payloadBytes,
                                                                  int clockEvery, int sensingEvery)
{
    Dump dump;
    const auto add = [&dump] (const juce::MidiMessage& message)
    {
        dump.messages.push_back (message);
        dump.totalBytes += (juce::uint32) message.getRawDataSize();
    };

    for (int i = 0; i < sysExMessages; ++i)
    {
        std::vector<juce::uint8> payload ((size_t) payloadBytes);

        for (size_t b = 0; b < payload.size(); ++b)
            payload[b] = (juce::uint8) ((b * 7 + (size_t) i) & 0x7F);

        // Function 0x30 onwards: the dump's sections, one function each, as the device names them.
        const auto message = SimulatedDevice::makeMessage (model, (juce::uint8) (0x30 + (i * 4 / juce::jmax (1, sysExMessages))), payload);
        add (message);
        dump.sysExBytes.append (message.getRawData(), (size_t) message.getRawDataSize());

        if (clockEvery > 0 && (i + 1) % clockEvery == 0)
            add (juce::MidiMessage::midiClock());

        if (sensingEvery > 0 && (i + 1) % sensingEvery == 0)
            add (juce::MidiMessage (0xFE));
    }

    return dump;
}

SimulatedFootController::SimulatedFootController (VirtualMidiPorts& portsToUse, juce::uint8 modelToUse, const juce::String& name)
    : ports (portsToUse), model (modelToUse), portName (name)
{
    ports.plugInput (portName);
    ports.plugOutput (portName);
}

SimulatedFootController::~SimulatedFootController()
{
    if (thread.joinable())
        thread.join();
}

void SimulatedFootController::startDump (Dump dump, int burstMessages, int pauseMs)
{
    if (thread.joinable())
        thread.join();

    sending = true;
    thread = std::thread ([this, dump = std::move (dump), burstMessages, pauseMs]
    {
        int inBurst = 0;

        for (const auto& message : dump.messages)
        {
            if (! ports.sendToInput (portName, message))
                break;

            if (++inBurst >= juce::jmax (1, burstMessages))
            {
                inBurst = 0;
                std::this_thread::sleep_for (std::chrono::milliseconds (pauseMs));
            }
        }

        sending = false;
    });
}

bool SimulatedFootController::waitUntilSent (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (sending.load())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (2));
    }

    return ports.waitUntilDelivered (timeoutMs);
}
} // namespace morvane::test

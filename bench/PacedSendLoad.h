#pragma once

#include "MidiProcessing.h"
#include "SimulatedDevice.h"

#include <juce_events/juce_events.h>

/** The paced send that the link and program benchmarks time: messages of 194 payload bytes for
    the KT4 (function 0x78), each of which the simulated device acknowledges, sent by the link's
    paced sender at interval 0 while the program's own message loop runs.
*/
struct PacedSendLoad
{
    /** Loads count such messages into the sender. */
    static void load (SysExMultiMsgTimer& sender, int count)
    {
        juce::MemoryBlock block;

        for (int i = 0; i < count; ++i)
        {
            std::vector<juce::uint8> payload (194);

            for (size_t b = 0; b < payload.size(); ++b)
                payload[b] = (juce::uint8) ((b + (size_t) i) & 0x7F);

            const auto message = morvane::test::SimulatedDevice::makeMessage (8, 0x78, payload);
            block.append (message.getRawData(), (size_t) message.getRawDataSize());
        }

        sender.loadMessages (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), 8);
    }

    /** Starts the sender and runs the message loop, which blocks until the next message, until
        the send is over; a slow check ends the loop then.
    */
    static void runUntilSent (SysExMultiMsgTimer& sender)
    {
        struct EndCheck : public juce::Timer
        {
            explicit EndCheck (SysExMultiMsgTimer& s) : sender (s) { startTimer (50); }

            void timerCallback() override
            {
                if (sender.getState() != TransferStates::running)
                {
                    stopTimer();
                    juce::MessageManager::getInstance()->stopDispatchLoop();
                }
            }

            SysExMultiMsgTimer& sender;
        };

        sender.start (0);
        EndCheck endCheck (sender);
        juce::MessageManager::getInstance()->runDispatchLoop();
    }
};

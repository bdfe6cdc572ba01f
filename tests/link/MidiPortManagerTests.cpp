#include "MessageLoop.h"
#include "MidiPortManager.h"
#include "SimulatedDevice.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using morvane::test::runMessageLoopUntil;
using morvane::test::SimulatedDevice;
using morvane::test::VirtualMidiPorts;

namespace
{
    struct PortRig
    {
        PortRig()
            : backend (hub.createBackend()),
              ports (std::make_unique<MidiPortManager> (*backend, [this] { ++wakeUps; }))
        {
        }

        ~PortRig()
        {
            ports.reset();
        }

        VirtualMidiPorts hub;
        std::unique_ptr<MidiPortBackend> backend;
        std::atomic<int> wakeUps { 0 };
        std::unique_ptr<MidiPortManager> ports;
    };

    /** The hub's ports, with a hook that runs before each open (what another thread might do
        between two tries).
    */
    struct HookedBackend : public MidiPortBackend
    {
        explicit HookedBackend (VirtualMidiPorts& hub) : inner (hub.createBackend()) {}

        juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override  { return inner->getAvailableInputs(); }
        juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override { return inner->getAvailableOutputs(); }

        std::unique_ptr<Input> openInput (const juce::MidiDeviceInfo& device, juce::MidiInputCallback& callback) override
        {
            if (beforeOpen != nullptr)
                beforeOpen (device.name);

            return inner->openInput (device, callback);
        }

        std::unique_ptr<Output> openOutput (const juce::MidiDeviceInfo& device) override
        {
            return inner->openOutput (device);
        }

        std::unique_ptr<MidiPortBackend> inner;
        std::function<void (const juce::String&)> beforeOpen;
    };

    juce::String openedInput (const MidiPortManager& ports)
    {
        juce::String name;
        return ports.getInputName (name) ? name : juce::String ("<none>");
    }
} // namespace

TEST (MidiPortManager, OpensTheFirstListedPortWhoseNameContainsTheText)
{
    PortRig rig;
    rig.hub.plugInput ("Keyboard");
    rig.hub.plugInput ("Zandrel KT4 USB A");
    rig.hub.plugInput ("Zandrel KT4 USB B");
    rig.hub.plugOutput ("Zandrel KT4 USB A");
    rig.ports->refreshDeviceLists();

    EXPECT_EQ (rig.ports->getInputNames(), juce::StringArray ({ "Keyboard", "Zandrel KT4 USB A", "Zandrel KT4 USB B" }));

    EXPECT_TRUE (rig.ports->openInputByName ("KT4"));
    EXPECT_EQ (openedInput (*rig.ports), "Zandrel KT4 USB A");

    // The first one that opens, in list order.
    rig.hub.setInputOpenFails ("Zandrel KT4 USB A", true);
    EXPECT_TRUE (rig.ports->openInputByName ("KT4"));
    EXPECT_EQ (openedInput (*rig.ports), "Zandrel KT4 USB B");

    // Case-sensitive: no candidate, so nothing is tried and the open port stays.
    EXPECT_FALSE (rig.ports->openInputByName ("kt4"));
    EXPECT_EQ (openedInput (*rig.ports), "Zandrel KT4 USB B");

    // An empty text takes the first port that opens.
    EXPECT_TRUE (rig.ports->openInputByName ({}));
    EXPECT_EQ (openedInput (*rig.ports), "Keyboard");

    EXPECT_TRUE (rig.ports->openOutputByName ("KT4"));
    juce::String output;
    EXPECT_TRUE (rig.ports->getOutputName (output));
    EXPECT_EQ (output, "Zandrel KT4 USB A");
}

TEST (MidiPortManager, OpensAMatchingPortEvenWhenTheListIsRefreshedMeanwhile)
{
    VirtualMidiPorts hub;
    hub.plugInput ("Zandrel KT4 USB A");
    hub.plugInput ("Zandrel KT4 USB B");
    HookedBackend backend (hub);
    MidiPortManager ports (backend);
    ports.refreshDeviceLists();

    // The first candidate vanishes as it is tried, and the refreshed list has a keyboard where
    // the second candidate used to be: the keyboard must not be opened in its place.
    backend.beforeOpen = [&] (const juce::String& name)
    {
        if (name == "Zandrel KT4 USB A" && hub.unplugInput (name))
        {
            hub.plugInput ("Keyboard");
            ports.refreshDeviceLists();
        }
    };

    EXPECT_TRUE (ports.openInputByName ("KT4"));
    EXPECT_EQ (openedInput (ports), "Zandrel KT4 USB B");
    EXPECT_EQ (hub.getInputOpenCount ("Keyboard"), 0);
}

TEST (MidiPortManager, AFailedOpenLeavesNoPortOfThatSideOpen)
{
    PortRig rig;
    rig.hub.plugOutput ("Orvix");
    rig.ports->refreshDeviceLists();
    ASSERT_TRUE (rig.ports->openOutputByName ("Orvix"));

    rig.hub.setOutputOpenFails ("Orvix", true);
    EXPECT_FALSE (rig.ports->openOutputByName ("Orvix"));

    juce::String name;
    EXPECT_FALSE (rig.ports->getOutputName (name));
    EXPECT_FALSE (rig.ports->isOutputPresent());
    EXPECT_FALSE (rig.ports->openOutputByIndex (5));
    EXPECT_FALSE (rig.ports->closeOutput());

    // A port listed but gone by the time it is opened does not open either.
    rig.hub.setOutputOpenFails ("Orvix", false);
    rig.hub.unplugOutput ("Orvix");
    EXPECT_FALSE (rig.ports->openOutputByIndex (0));
}

TEST (MidiPortManager, APortIsPresentWhileItsNameIsListed)
{
    PortRig rig;
    rig.hub.plugInput ("Orvix");
    rig.ports->refreshDeviceLists();

    EXPECT_FALSE (rig.ports->isInputPresent());
    ASSERT_TRUE (rig.ports->openInputByName ("Orvix"));
    EXPECT_TRUE (rig.ports->isInputPresent());

    rig.hub.unplugInput ("Orvix");
    EXPECT_TRUE (rig.ports->isInputPresent()) << "the lists change only when refreshed";
    rig.ports->refreshDeviceLists();
    EXPECT_FALSE (rig.ports->isInputPresent());

    rig.hub.plugInput ("Orvix");
    rig.ports->refreshDeviceLists();
    EXPECT_TRUE (rig.ports->isInputPresent());

    EXPECT_TRUE (rig.ports->closeInput());
    EXPECT_FALSE (rig.ports->isInputPresent());

    // Bare names, as the console may set them, still open the listed port.
    rig.ports->setInputNames ({ "Orvix" });
    EXPECT_TRUE (rig.ports->openInputByName ("Orvix"));
}

TEST (MidiPortManager, KeepsIncomingMessagesInOrderAndWakesOncePerBatch)
{
    PortRig rig;
    SimulatedDevice device (rig.hub, 3, "Orvix");
    rig.ports->refreshDeviceLists();
    ASSERT_TRUE (rig.ports->openInputByName ("Orvix"));

    constexpr int count = 300;

    for (int i = 0; i < count; ++i)
        device.sendUnsolicited (juce::MidiMessage::noteOn (1, i % 128, (juce::uint8) (1 + i / 128)));

    std::vector<juce::MidiMessage> received;
    runMessageLoopUntil ([&]
    {
        rig.ports->takeReceived (received);
        return (int) received.size() >= count;
    });

    ASSERT_EQ ((int) received.size(), count);

    for (int i = 0; i < count; ++i)
    {
        EXPECT_EQ (received[(size_t) i].getNoteNumber(), i % 128);
        EXPECT_EQ (received[(size_t) i].getVelocity(), 1 + i / 128);
    }

    EXPECT_GE (rig.wakeUps.load(), 1);
    EXPECT_LE (rig.wakeUps.load(), count);

    // The MidiBuffer form, one event per message.
    device.sendUnsolicited (device.makeTunerMessage());
    device.sendUnsolicited (juce::MidiMessage::controllerEvent (1, 7, 100));
    juce::MidiBuffer buffer;
    runMessageLoopUntil ([&]
    {
        rig.ports->takeReceived (buffer);
        return buffer.getNumEvents() >= 2;
    });
    EXPECT_EQ (buffer.getNumEvents(), 2);
    EXPECT_EQ ((*buffer.begin()).getMessage().getRawDataSize(), device.makeTunerMessage().getRawDataSize());
}

TEST (MidiPortManager, SendsOnlyThroughAnOpenOutput)
{
    PortRig rig;
    SimulatedDevice device (rig.hub, 3, "Orvix");
    rig.ports->refreshDeviceLists();

    const auto message = juce::MidiMessage::programChange (1, 0);
    rig.ports->sendMessage (&message);
    rig.ports->sendMessage (nullptr);
    EXPECT_EQ (device.getReceivedCount(), 0);

    ASSERT_TRUE (rig.ports->openOutputByName ("Orvix"));
    rig.ports->sendMessage (&message);
    ASSERT_EQ (device.getReceivedCount(), 1);
    EXPECT_TRUE (device.getReceived()[0].isProgramChange());
}

TEST (MidiPortManager, PortsCanBeSwitchedWhileTheDriverDeliversAndTheWorkerSends)
{
    // The message thread reopens both ports over and over while a driver thread delivers and
    // another thread sends: nothing may touch a port that is being replaced (the sanitizers
    // watch this test).
    PortRig rig;
    SimulatedDevice device (rig.hub, 3, "Orvix");
    rig.ports->refreshDeviceLists();

    std::atomic<bool> done { false };
    std::thread sender ([&]
    {
        const auto message = juce::MidiMessage::controllerEvent (1, 1, 1);

        while (! done.load())
        {
            rig.ports->sendMessage (&message);
            std::this_thread::yield();
        }
    });

    for (int i = 0; i < 200; ++i)
        device.sendUnsolicited (device.makeTempoMessage());

    for (int i = 0; i < 300; ++i)
    {
        rig.ports->openInputByName ("Orvix");
        rig.ports->openOutputByName ("Orvix");

        std::vector<juce::MidiMessage> taken;
        rig.ports->takeReceived (taken);

        if (i % 3 == 0)
        {
            rig.ports->closeInput();
            rig.ports->closeOutput();
        }
    }

    done = true;
    sender.join();

    ASSERT_TRUE (rig.ports->openOutputByName ("Orvix"));
    const auto last = juce::MidiMessage::programChange (1, 5);
    rig.ports->sendMessage (&last);
    EXPECT_TRUE (device.getReceived().back().isProgramChange());
}

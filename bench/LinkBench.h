#pragma once

#include "MidiProcessing.h"
#include "SimulatedDevice.h"
#include "SysExMessage.h"
#include "VirtualMidiPorts.h"

#include <iostream>
#include <memory>

/** A link on virtual ports with a KT4 answering on them, the port "Zandrel KT4 USB", for the
    benchmarks that measure the link in their own process. Sets currentDeviceModel to the KT4.
*/
struct LinkBench
{
    static constexpr const char* portName = "Zandrel KT4 USB";

    LinkBench()
        : device (std::make_unique<morvane::test::SimulatedDevice> (hub, 8, portName)),
          link (std::make_unique<MidiProcessing> (hub.createBackend()))
    {
        currentDeviceModel = 8;
        link->timerCallback();
        auto& ports = link->getPortManager();

        if (! (ports.openInputByName (portName) && ports.openOutputByName (portName) && link->openDevices (true, true)))
            std::cerr << "could not open the virtual ports" << std::endl;
    }

    ~LinkBench()
    {
        link.reset();
        device.reset();
    }

    morvane::test::VirtualMidiPorts hub;
    std::unique_ptr<morvane::test::SimulatedDevice> device;
    std::unique_ptr<MidiProcessing> link;
};

#include "MidiPortManager.h"

namespace
{
    juce::Array<juce::MidiDeviceInfo> devicesFromNames (const juce::StringArray& names)
    {
        juce::Array<juce::MidiDeviceInfo> devices;

        for (const auto& name : names)
            devices.add (juce::MidiDeviceInfo (name, {}));

        return devices;
    }
} // namespace

MidiPortManager::MidiPortManager (MidiPortBackend& backendToUse, std::function<void()> incomingArrivedCallback)
    : backend (backendToUse),
      incomingArrived (std::move (incomingArrivedCallback))
{
    inputCallback.setOwner (this);
}

MidiPortManager::~MidiPortManager()
{
    closeInput();
    closeOutput();
}

//==============================================================================
void MidiPortManager::refreshDeviceLists()
{
    setInputDevices (backend.getAvailableInputs());
    setOutputDevices (backend.getAvailableOutputs());
}

void MidiPortManager::setInputDevices (const juce::Array<juce::MidiDeviceInfo>& devices)
{
    const juce::ScopedLock sl (inputSide.listLock);
    inputSide.devices = devices;
}

void MidiPortManager::setOutputDevices (const juce::Array<juce::MidiDeviceInfo>& devices)
{
    const juce::ScopedLock sl (outputSide.listLock);
    outputSide.devices = devices;
}

void MidiPortManager::setInputNames (const juce::StringArray& names)
{
    setInputDevices (devicesFromNames (names));
}

void MidiPortManager::setOutputNames (const juce::StringArray& names)
{
    setOutputDevices (devicesFromNames (names));
}

juce::StringArray MidiPortManager::namesOf (const Side& side)
{
    const juce::ScopedLock sl (side.listLock);
    juce::StringArray names;

    for (const auto& device : side.devices)
        names.add (device.name);

    return names;
}

juce::StringArray MidiPortManager::getInputNames() const
{
    return namesOf (inputSide);
}

juce::StringArray MidiPortManager::getOutputNames() const
{
    return namesOf (outputSide);
}

//==============================================================================
bool MidiPortManager::openByName (bool isInput, const juce::String& text)
{
    // The candidates are the listed devices themselves, not their places in the list: the list
    // may be refreshed on the message thread while the worker reopens a port, and a place taken
    // from the old list would then open whatever port now sits there.
    juce::Array<juce::MidiDeviceInfo> devices;

    {
        const auto& side = isInput ? inputSide : outputSide;
        const juce::ScopedLock sl (side.listLock);
        devices = side.devices;
    }

    for (const auto& device : devices)
    {
        if (text.isNotEmpty() && ! device.name.contains (text))
            continue;

        if (isInput ? openInputDevice (device) : openOutputDevice (device))
            return true;
    }

    return false;
}

bool MidiPortManager::openInputByName (const juce::String& text)
{
    return openByName (true, text);
}

bool MidiPortManager::openOutputByName (const juce::String& text)
{
    return openByName (false, text);
}

bool MidiPortManager::openInputByIndex (int index)
{
    return openByIndex (true, index);
}

bool MidiPortManager::openOutputByIndex (int index)
{
    return openByIndex (false, index);
}

bool MidiPortManager::openByIndex (bool isInput, int index)
{
    juce::MidiDeviceInfo device;
    bool listed = false;

    {
        const auto& side = isInput ? inputSide : outputSide;
        const juce::ScopedLock sl (side.listLock);
        listed = juce::isPositiveAndBelow (index, side.devices.size());

        if (listed)
            device = side.devices.getReference (index);
    }

    if (! listed)
    {
        isInput ? closeInput() : closeOutput();
        return false;
    }

    return isInput ? openInputDevice (device) : openOutputDevice (device);
}

bool MidiPortManager::openInputDevice (const juce::MidiDeviceInfo& device)
{
    const juce::ScopedLock sl (inputLock);
    closeInput();

    input = backend.openInput (device, inputCallback);

    if (input == nullptr)
        return false;

    input->start();
    setInputName (device.name);
    return true;
}

bool MidiPortManager::openOutputDevice (const juce::MidiDeviceInfo& device)
{
    const juce::ScopedLock sl (outputLock);
    closeOutput();

    output = backend.openOutput (device);

    if (output == nullptr)
        return false;

    setOutputName (device.name);
    return true;
}

bool MidiPortManager::closeInput()
{
    const juce::ScopedLock sl (inputLock);
    setInputName ({});

    if (input == nullptr)
        return false;

    input->stop();
    input.reset();
    return true;
}

bool MidiPortManager::closeOutput()
{
    const juce::ScopedLock sl (outputLock);
    setOutputName ({});

    if (output == nullptr)
        return false;

    output.reset();
    return true;
}

//==============================================================================
bool MidiPortManager::readOpenedName (const Side& side, bool isOpen, juce::String& out)
{
    if (! isOpen)
        return false;

    const juce::ScopedLock nl (side.nameLock);
    out = side.openedName;
    return true;
}

bool MidiPortManager::getInputName (juce::String& out) const
{
    const juce::ScopedLock sl (inputLock);
    return readOpenedName (inputSide, input != nullptr, out);
}

bool MidiPortManager::getOutputName (juce::String& out) const
{
    const juce::ScopedLock sl (outputLock);
    return readOpenedName (outputSide, output != nullptr, out);
}

void MidiPortManager::setInputName (const juce::String& name)
{
    const juce::ScopedLock sl (inputSide.nameLock);
    inputSide.openedName = name;
}

void MidiPortManager::setOutputName (const juce::String& name)
{
    const juce::ScopedLock sl (outputSide.nameLock);
    outputSide.openedName = name;
}

bool MidiPortManager::isPresent (const Side& side, bool isOpen)
{
    if (! isOpen)
        return false;

    juce::String name;

    {
        const juce::ScopedLock nl (side.nameLock);
        name = side.openedName;
    }

    const juce::ScopedLock ll (side.listLock);

    for (const auto& device : side.devices)
        if (device.name == name)
            return true;

    return false;
}

bool MidiPortManager::isInputPresent() const
{
    const juce::ScopedLock sl (inputLock);
    return isPresent (inputSide, input != nullptr);
}

bool MidiPortManager::isOutputPresent() const
{
    const juce::ScopedLock sl (outputLock);
    return isPresent (outputSide, output != nullptr);
}

//==============================================================================
void MidiPortManager::appendIncoming (const juce::MidiMessage& message)
{
    bool wasEmpty = false;

    {
        const juce::ScopedLock sl (receivedLock);
        wasEmpty = received.isEmpty();
        received.append (message.getRawData(), message.getRawDataSize());
    }

    // One wake-up per batch: the worker takes everything that is there when it runs.
    if (wasEmpty && incomingArrived != nullptr)
        incomingArrived();
}

void MidiPortManager::takeReceived (std::vector<IncomingMessageLog::Range>& out)
{
    const juce::ScopedLock sl (receivedLock);
    received.takeAll (out);
}

void MidiPortManager::takeReceived (std::vector<juce::MidiMessage>& out)
{
    std::vector<IncomingMessageLog::Range> ranges;
    takeReceived (ranges);
    IncomingMessageLog::forEachMessage (ranges, [&out] (const IncomingMessageLog::Message& message)
    {
        out.push_back (message.toMidiMessage());
    });
}

void MidiPortManager::takeReceived (juce::MidiBuffer& out)
{
    std::vector<juce::MidiMessage> messages;
    takeReceived (messages);

    for (const auto& message : messages)
        out.addEvent (message, 0);
}

void MidiPortManager::sendMessage (const juce::MidiMessage* message)
{
    if (message == nullptr)
        return;

    const juce::ScopedLock sl (outputLock);

    if (output != nullptr)
        output->sendMessageNow (*message);
}

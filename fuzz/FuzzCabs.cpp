// The cab converter: a cab dump of any model parsed, named and rebuilt for another model and slot.

#include "CabIR.h"
#include "FuzzInput.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const juce::uint8 models[] = { 3, 6, 7, 8, 16, 5, 2 };
    currentDeviceModel = models[input.byte() % std::size (models)];

    FirmwareVersionRecord target;
    target.model = models[input.byte() % std::size (models)];
    target.major = input.byte();
    target.minor = input.byte();

    SystemInfoRecord info;

    for (auto& field : info.fields)
        field = input.word();

    const auto mode = (juce::uint32) input.byte() % 4;
    const auto n = (juce::uint32) input.word();
    const auto withInfo = (input.byte() & 1) != 0;
    const auto dump = input.rest();

    CabIRWords words;
    parseCabIR (dump, words);

    juce::String name;
    readCabIRName (dump, name);

    juce::uint32 slot = 0;
    cabSlotForDestination (target.model, mode, n, info.fields[2], slot);

    juce::MemoryBlock result;
    convertCabIR (dump, mode, n, target, withInfo ? &info : nullptr, result);
    return 0;
}

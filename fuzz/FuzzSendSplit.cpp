// The send file check and the sender agree on what a message is: any bytes, checked for every
// device the console can choose. Every file that a device (or the Utility) takes is cut by the
// sender into whole messages that hold every byte of it, and so is what the send rules make of
// it for that device: nothing of a taken file is ever left out or glued into a message.

#include "FuzzInput.h"
#include "SendPlan.h"
#include "SysExFileCheck.h"
#include "SysExMessage.h"
#include "SysExStream.h"

#include <cstdlib>

namespace
{
/** Stops the run when the sender's cut of the block by the model's header leaves a byte out,
    hands out a message that is not whole, or counts other than it hands out.
*/
void requireWholeCut (const juce::MemoryBlock& block, juce::uint8 model)
{
    SysExStream stream;

    if (! stream.load (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), model))
        std::abort();

    juce::MemoryBlock cut;
    juce::uint32 messages = 0;

    for (juce::MemoryBlock message; stream.next (message); message.reset(), ++messages)
    {
        if (wholeSysExMessageLength (static_cast<const juce::uint8*> (message.getData()), message.getSize()) != message.getSize())
            std::abort();

        cut.append (message.getData(), message.getSize());
    }

    if (cut != block || messages != stream.count())
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const auto firmwareMajor = (juce::uint32) (input.byte() & 0x3F);
    const auto destination = (int) (input.byte() & 0x07);
    const auto file = input.rest();

    for (const int device : { 2, 3, 4, 5, 6, 7, 8, 10, 16, 255 })
    {
        if (! SysExFileCheck::accepts (file, device, firmwareMajor))
            continue;

        const auto deviceModel = (juce::uint8) device;

        // As the file is: the Utility cuts at any F0, a device by its own model's header, a file
        // of another model (to be converted) by that model's.
        requireWholeCut (file, device == 255 ? SysExStream::anySysEx : SendPlan::fileModelOf (file, deviceModel));

        // As it goes out, converted and pointed at a destination.
        SysExFileCheck::Counts counts;
        const auto kind = SysExFileCheck::classify (file, device, counts);

        SendPlan::Device target;
        target.model = device;
        target.version.model = deviceModel;
        target.version.major = firmwareMajor;

        SendPlan::Choices choices;
        choices.destinationChosen = true;
        choices.destinationBank = destination;
        choices.destinationSlot = destination + 1;
        choices.destinationMode = destination % 3;

        const auto plan = SendPlan::prepare (file, kind, target, choices);

        if (plan.send)
            requireWholeCut (plan.data, device == 255 ? SysExStream::anySysEx : deviceModel);
    }

    return 0;
}

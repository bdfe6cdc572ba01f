// The readers of .syx files: cutting a block into messages by header, re-targeting a block to
// another model, splitting it by function, finding a header.

#include "FuzzInput.h"
#include "SysExBlocks.h"
#include "SysExStream.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const auto model = input.byte();
    const auto functionId = input.byte();
    const auto pattern = input.chunk();
    const auto block = input.rest();

    SysExStream stream;

    if (stream.load (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), model))
    {
        juce::MemoryBlock message;

        for (int i = 0; i < 100000 && stream.hasNext(); ++i)
            if (! stream.next (message))
                break;
    }

    juce::MemoryBlock retargeted;
    retargetSysExModel (block, model, retargeted);

    juce::OwnedArray<juce::MemoryBlock> parts;
    splitSysExByHeader (block, functionId, model, parts);

    findPattern (static_cast<const juce::uint8*> (block.getData()), (int) block.getSize(),
                 static_cast<const juce::uint8*> (pattern.getData()), (int) pattern.getSize());
    return 0;
}

// The .syx file check and classifier: a file from anywhere, checked against and sorted for every
// device the console can choose, with its refusal text; and the check of a firmware image
// downloaded from the firmware feed.

#include "FirmwareImageCheck.h"
#include "FuzzInput.h"
#include "SysExFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const auto firmwareMajor = (juce::uint32) input.byte();
    const auto file = input.rest();

    for (const int device : { 2, 3, 4, 5, 6, 7, 8, 10, 16, 255 })
    {
        SysExFileCheck::Counts counts;
        SysExFileCheck::classify (file, device, counts);

        if (! SysExFileCheck::accepts (file, device, firmwareMajor))
            SysExFileCheck::refusalText (file, device);

        juce::String problem;
        FirmwareImageCheck::classify (file, (juce::uint8) device, problem);
    }

    int messageCount = 0;
    FirmwareImageCheck::isWellFramed (file, messageCount);

    SysExFileCheck::checkUtilityFile (file);
    SysExFileCheck::cabIRHasMarkerA0 (file);
    return 0;
}

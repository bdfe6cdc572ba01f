#include "ModelValues.h"

#include "SysExMessage.h"

juce::int32 replySizeForModel (juce::uint8 model) noexcept
{
    switch (model)
    {
        case 3:
        case 5:
        case 10:
            return 34;
        case 6:
        case 7:
        case 8:
            return 66;
        case 16:
            return 18;
        default:
            return -1;
    }
}

juce::int32 replySizeForModel() noexcept
{
    return replySizeForModel (currentDeviceModel.load());
}

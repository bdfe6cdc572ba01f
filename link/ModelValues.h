#pragma once

#include <juce_core/juce_core.h>

/** The number of messages in the dump of one preset, which a preset dump request expects:
    34 for models 3, 5 and 10; 66 for 6, 7 and 8; 18 for 16; -1 for any other model.
*/
juce::int32 replySizeForModel (juce::uint8 model) noexcept;

/** replySizeForModel for currentDeviceModel. */
juce::int32 replySizeForModel() noexcept;

// The compressed-preset decoder and the preset conversions, fed a preset dump of any model.

#include "FuzzInput.h"
#include "PresetConverter.h"
#include "PresetDecompressor.h"
#include "SysExMessage.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const juce::uint8 models[] = { 3, 6, 7, 5, 10, 8, 16, 2 };
    const auto model = models[input.byte() % std::size (models)];
    const auto action = input.byte();
    const auto dump = input.rest();

    // The decoder on its own: the input as one byte value per element.
    {
        std::vector<juce::uint32> elements (dump.getSize());

        for (size_t i = 0; i < dump.getSize(); ++i)
            elements[i] = (juce::uint8) dump[i];

        std::vector<juce::uint32> output ((size_t) compressedPresetValueCount);
        decodeCompressedPreset (elements.data(), elements.size(), output.data(), output.size());
    }

    // The converter sets the process-wide model for the time of a conversion, as the console does.
    currentDeviceModel = model;
    PresetConverter converter;

    if (! converter.loadPatchDump (dump, model))
        return 0;

    juce::String name;
    converter.getPresetName (name);

    const auto converted = (action & 1) != 0 ? converter.convertToXL ((action & 2) != 0)
                                             : converter.convertToModel3();

    if (converted)
    {
        juce::MemoryBlock out;
        converter.writePatchDump (out);
    }

    return 0;
}

#pragma once

#include "SysExFieldLayout.h"

#include <juce_core/juce_core.h>

/** Helpers for code that assembles whole dumps message by message from a field layout.
    Offsets in a layout count from the F0 byte; these helpers work on the payload alone.
*/

/** A payload of the layout's full size, zero where no field is packed. */
juce::MemoryBlock makeLayoutPayload (const SysExField* layout);

/** Packs a value into the payload at the field's place. Returns false when the layout has no such
    field, leaving the payload untouched. */
bool packLayoutField (juce::MemoryBlock& payload, const SysExField* layout, int fieldId, juce::uint32 value);

/** Builds one message of the given function and model around the payload and appends its bytes. */
void appendSysExMessage (juce::MemoryBlock& out, juce::uint8 functionId, const juce::MemoryBlock& payload,
                         juce::uint8 model);

#pragma once

#include <juce_core/juce_core.h>

/** One row of the protocol's name tables: an id and its name.
    Every table ends with a row whose id is sysExTableEnd and whose name is null.
*/
struct SysExNameRow
{
    juce::uint32 id;
    const char* name;
};

/** The id that ends every SysExNameRow table. */
constexpr juce::uint32 sysExTableEnd = 0xFFFFFFFFu;

/** Function ids (message byte 5) and their SYSEX_ names, 97 rows plus the end row. */
extern const SysExNameRow SysExFunctionNames[];

/** Result codes of a device's status reply (SYSEX_STATUS_MSG) and their MIDI_ERROR_ names,
    28 rows plus the end row. 0 means success and has no row.
*/
extern const SysExNameRow DeviceResultCodes[];

/** Model codes (message byte 4, ModelId) and their display names, 11 rows plus the end row. */
extern const SysExNameRow ModelNames[];

/** Returns the name of the first row of the table whose id matches, or an empty string when
    there is none or the table is null.
*/
juce::String lookupNameById (const SysExNameRow* table, juce::uint32 id);

#pragma once

#include <juce_core/juce_core.h>

/*  Operations on blocks of concatenated SysEx messages (files and streams to send). */

/** Appends to out every message of in, with its model byte set to model and its checksum
    written again where the model changes. A message starts at F0 00 01 74 and ends at its own
    first F7; bytes outside messages are dropped. A piece without an F7, or shorter than 8
    bytes, is copied unchanged; a piece shorter than 5 bytes is dropped.
*/
void retargetSysExModel (const juce::MemoryBlock& in, juce::uint8 model, juce::MemoryBlock& out);

/** The index of the first occurrence of pattern in text; -1 when there is none, either pointer
    is null, or either length is below 1.
*/
int findPattern (const juce::uint8* text, int textLength, const juce::uint8* pattern, int patternLength);

/** Cuts in before every header F0 00 01 74 model functionId. Bytes before the first header form
    a piece of their own, a block without the header is one piece, an empty block gives none.
    Each piece is a new MemoryBlock appended to out; the caller owns and deletes them.
*/
void splitSysExByHeader (const juce::MemoryBlock& in, juce::uint8 functionId, juce::uint8 model, juce::Array<juce::MemoryBlock*>& out);

/** The same, with the pieces owned by out. */
void splitSysExByHeader (const juce::MemoryBlock& in, juce::uint8 functionId, juce::uint8 model, juce::OwnedArray<juce::MemoryBlock>& out);

#pragma once

#include "DumpBuilders.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace morvane::test
{
/** One way a file of whole messages can be damaged, and whether the Utility, which sends a file
    message by message without reading it, still has whole messages to send.
*/
struct DamagedFile
{
    const char* what;
    juce::MemoryBlock file;
    bool wholeMessagesForTheUtility;
};

/** Every kind of damage that leaves bytes outside whole messages, a status byte inside one, a
    hole across two, or a message of another model, done to a file of at least three messages of
    the maker's (its second message at least 12 bytes long).
*/
inline std::vector<DamagedFile> damagedCopiesOf (const juce::MemoryBlock& file, juce::uint8 otherModel)
{
    const auto messages = splitMessages (file);
    jassert (messages.size() >= 3 && messages[1].getSize() >= 12);

    const auto firstEnd = messages[0].getSize();
    const auto secondEnd = firstEnd + messages[1].getSize();

    auto appended = [&file] (const juce::MemoryBlock& tail)
    {
        juce::MemoryBlock copy (file);
        copy.append (tail.getData(), tail.getSize());
        return copy;
    };

    auto insertedAfterFirst = [&file, firstEnd] (const juce::MemoryBlock& piece)
    {
        juce::MemoryBlock copy (file);
        copy.insert (piece.getData(), piece.getSize(), firstEnd);
        return copy;
    };

    auto withHole = file;
    withHole.removeSection (firstEnd / 2, firstEnd + messages[1].getSize() / 2 - firstEnd / 2);

    auto withoutF0 = file;
    withoutF0.removeSection (firstEnd, 1);

    auto withStatusByte = file;
    withStatusByte[(int) (firstEnd + 8)] = (char) 0x90;

    auto withoutLastF7 = file;
    withoutLastF7.setSize (file.getSize() - 1);

    auto withoutInnerF7 = file;
    withoutInnerF7.removeSection (secondEnd - 1, 1);

    const auto other = makeSysExMessage (otherModel, messages[1].getSize() > 5 ? (juce::uint8) messages[1][5] : 0x78, { 1, 2, 3 });

    return {
        { "three bytes after the last F7", appended (juce::MemoryBlock ("\x01\x02\x03", 3)), false },
        { "CR LF after the last F7", appended (juce::MemoryBlock ("\r\n", 2)), false },
        { "a stray F7 after the last message", appended (juce::MemoryBlock ("\xF7", 1)), false },
        { "00 11 F7 between two messages", insertedAfterFirst (juce::MemoryBlock ("\x00\x11\xF7", 3)), false },
        { "a hole from the middle of one message to the middle of the next", withHole, true },
        { "the F0 of a message lost", withoutF0, false },
        { "a status byte (90) inside a message", withStatusByte, false },
        { "a message of another model inside the file", insertedAfterFirst (other), true },
        { "the last F7 lost", withoutLastF7, false },
        { "an F7 inside the file lost", withoutInnerF7, false },
    };
}
} // namespace morvane::test

#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

/** Sends a large SysEx message to an ALSA sequencer port in pieces, paced, from a sequencer
    client of its own.

    Why this goes past JUCE: JUCE's MidiOutput hands the whole message to the sequencer as one
    event. The kernel passes such an event on to a hardware or virtual MIDI port by copying it
    into that port's raw MIDI buffer (4096 bytes), and silently drops what does not fit: a SysEx
    message longer than the buffer never arrives whole, and the sender hears of no error. Pieces
    of pieceBytes, pieceIntervalMs apart, give the port time to pass each piece on before the next
    arrives, so messages of any length are carried. A receiving program sees the pieces as one
    message again, as it would from a MIDI cable.

    Linux only; elsewhere open always fails. Calls are not thread-safe: the owning output port
    serialises them.
*/
class AlsaSysExWriter
{
public:
    /** The longest message sent as one event; longer ones go in pieces. */
    static constexpr int largestSingleEvent = 4096;
    static constexpr int pieceBytes = 256;
    static constexpr int pieceIntervalMs = 2;

    /** Opens a sequencer client with one output port connected to the port that JUCE names by
        identifier ("client-port"). Returns nullptr when the sequencer or the port is not there.
    */
    static std::unique_ptr<AlsaSysExWriter> open (const juce::String& identifier);

    ~AlsaSysExWriter();

    /** Sends the message in pieces. False when the sequencer refused a piece. */
    bool send (const juce::uint8* data, int size);

private:
    struct Handle;
    explicit AlsaSysExWriter (std::unique_ptr<Handle> handleToUse);

    std::unique_ptr<Handle> handle;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlsaSysExWriter)
};

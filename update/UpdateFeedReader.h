#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** Reads the update server's small documents: the feeds (XML) and the notes (plain text).

    Every read has a connection and idle time-out, accepts only a 2xx status and refuses a body
    above a size cap. A feed is checked before it is parsed: a document type or entity
    declaration, a processing instruction after the XML declaration, or oversize text is
    refused, so that no feed can make the parser expand, fetch or loop.

    Synchronous; called on the message thread by the update windows, and from any thread by tests.
*/
class UpdateFeedReader
{
public:
    static constexpr int maxFeedBytes = 256 * 1024;
    static constexpr int maxNotesBytes = 256 * 1024;

    /** Reads the whole body at the address as UTF-8 text. False (text emptied) when the address
        is empty, no connection opens, the status is not 2xx, the body is cut short, is larger
        than maxBytes or is not valid UTF-8 (see SkinXmlReader::decodeText).
    */
    static bool fetchText (const juce::URL& address, int maxBytes, juce::String& text);

    /** True when the text may be handed to the XML parser (see the class comment). */
    static bool isSafeXml (const juce::String& text);

    /** Parses checked text; null for unsafe or malformed text. */
    static std::unique_ptr<juce::XmlElement> parseFeed (const juce::String& text);

    /** fetchText and parseFeed: null when either fails. */
    static std::unique_ptr<juce::XmlElement> readFeed (const juce::URL& address);

    /** The notes at the address, or the fallback when the address is empty, the notes cannot be
        read, or they are an HTML page (they contain "<html").
    */
    static juce::String readNotes (const juce::URL& address, const juce::String& fallback);
};

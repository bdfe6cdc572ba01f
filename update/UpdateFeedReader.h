#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class UpdateHttpSession;

/** Reads the update server's small documents: the feeds (XML) and the notes (plain text).

    Every read has a connection and idle time-out, accepts only a 2xx status and refuses a body
    above a size cap. A feed is checked before it is parsed: a document type or entity
    declaration, a processing instruction after the XML declaration, or oversize text is
    refused, so that no feed can make the parser expand, fetch or loop.

    Synchronous: the update windows read on a background thread (see UpdateCheckThread), within
    the deadline of the session they read in; never on the message thread.
*/
class UpdateFeedReader
{
public:
    static constexpr int maxFeedBytes = 256 * 1024;
    static constexpr int maxNotesBytes = 256 * 1024;

    /** Reads the whole body at the address as UTF-8 text, in the session. False (text emptied)
        when the address is empty or not http(s), no connection opens, a redirect breaks the rules
        (HttpReplyRules), the status is not 2xx, the body is cut short, is larger than maxBytes or
        is not valid UTF-8 (see SkinXmlReader::decodeText), or the session ends first.
    */
    static bool fetchText (UpdateHttpSession& session, const juce::URL& address, int maxBytes, juce::String& text);

    /** True when the text may be handed to the XML parser (see the class comment). */
    static bool isSafeXml (const juce::String& text);

    /** Parses checked text; null for unsafe or malformed text. */
    static std::unique_ptr<juce::XmlElement> parseFeed (const juce::String& text);

    /** fetchText and parseFeed: null when either fails. */
    static std::unique_ptr<juce::XmlElement> readFeed (UpdateHttpSession& session, const juce::URL& address);

    /** The notes at the address, or the fallback when the address is empty, the notes cannot be
        read, or they are an HTML page (they contain "<html").
    */
    static juce::String readNotes (UpdateHttpSession& session, const juce::URL& address, const juce::String& fallback);

    /** The same, each in a session of its own with the server's check deadline. */
    static std::unique_ptr<juce::XmlElement> readFeed (const juce::URL& address);
    static juce::String readNotes (const juce::URL& address, const juce::String& fallback);
};

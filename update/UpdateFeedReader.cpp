#include "UpdateFeedReader.h"

#include "SkinXmlReader.h"
#include "UpdateHttpSession.h"
#include "UpdateServer.h"

bool UpdateFeedReader::fetchText (UpdateHttpSession& session, const juce::URL& address, int maxBytes, juce::String& text)
{
    text = {};
    juce::MemoryBlock body;

    if (address.isEmpty() || ! session.fetch (address, maxBytes, body))
        return false;

    // Only valid text is taken: the framework's UTF-8 decoding overruns its buffers on overlong
    // or cut sequences (found by fuzzing the skin's text, which is decoded the same way).
    return SkinXmlReader::decodeText (body.getData(), body.getSize(), text);
}

bool UpdateFeedReader::isSafeXml (const juce::String& text)
{
    if (text.getNumBytesAsUTF8() > (size_t) maxFeedBytes)
        return false;

    // No document type, no entities, no processing instruction after the XML declaration, and
    // only well-formed references: the parser runs past the end after a cut "&#x" (found by
    // fuzzing the feeds).
    return SkinXmlReader::isSafeToParse (text, false);
}

std::unique_ptr<juce::XmlElement> UpdateFeedReader::parseFeed (const juce::String& text)
{
    if (text.isEmpty() || ! isSafeXml (text))
        return {};

    juce::XmlDocument document (text);
    document.setEmptyTextElementsIgnored (true);
    return document.getDocumentElement();
}

std::unique_ptr<juce::XmlElement> UpdateFeedReader::readFeed (UpdateHttpSession& session, const juce::URL& address)
{
    juce::String text;

    if (! fetchText (session, address, maxFeedBytes, text))
        return {};

    return parseFeed (text);
}

juce::String UpdateFeedReader::readNotes (UpdateHttpSession& session, const juce::URL& address, const juce::String& fallback)
{
    juce::String notes;

    if (! fetchText (session, address, maxNotesBytes, notes) || notes.contains ("<html"))
        return fallback;

    return notes;
}

std::unique_ptr<juce::XmlElement> UpdateFeedReader::readFeed (const juce::URL& address)
{
    UpdateHttpSession session (UpdateServer::getCheckDeadlineMs());
    return readFeed (session, address);
}

juce::String UpdateFeedReader::readNotes (const juce::URL& address, const juce::String& fallback)
{
    UpdateHttpSession session (UpdateServer::getCheckDeadlineMs());
    return readNotes (session, address, fallback);
}

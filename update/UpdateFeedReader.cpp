#include "UpdateFeedReader.h"

#include "SkinXmlReader.h"
#include "UpdateServer.h"

bool UpdateFeedReader::fetchText (const juce::URL& address, int maxBytes, juce::String& text)
{
    text = {};

    if (address.isEmpty() || ! UpdateServer::isWebAddress (address))
        return false;

    int status = 0;
    auto options = juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                       .withConnectionTimeoutMs (UpdateServer::getTimeoutMs())
                       .withNumRedirectsToFollow (5)
                       .withStatusCode (&status);

    auto stream = address.createInputStream (options);

    if (stream == nullptr || status < 200 || status > 299)
        return false;

    const auto announced = stream->getTotalLength();

    if (announced > maxBytes)
        return false;

    juce::MemoryBlock body;
    char chunk[1024];

    for (;;)
    {
        const int read = stream->read (chunk, (int) sizeof (chunk));

        if (read <= 0)
            break;

        body.append (chunk, (size_t) read);

        if ((juce::int64) body.getSize() > maxBytes)
            return false;
    }

    // A body that ended early, or a connection that broke, is no document.
    if (announced >= 0 && (juce::int64) body.getSize() != announced)
        return false;

    if (auto* web = dynamic_cast<juce::WebInputStream*> (stream.get()))
        if (web->isError())
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

std::unique_ptr<juce::XmlElement> UpdateFeedReader::readFeed (const juce::URL& address)
{
    juce::String text;

    if (! fetchText (address, maxFeedBytes, text))
        return {};

    return parseFeed (text);
}

juce::String UpdateFeedReader::readNotes (const juce::URL& address, const juce::String& fallback)
{
    juce::String notes;

    if (! fetchText (address, maxNotesBytes, notes) || notes.contains ("<html"))
        return fallback;

    return notes;
}

#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** Parses the XML that comes with a skin (the skin file, its SVG drawables) only when the
    framework's parser can be trusted with it.

    juce::XmlDocument expands entities without bound and loops for ever on a processing
    instruction inside an element ("<SKIN>x<??>y</SKIN>"), so a document that declares a document
    type or entities, or holds a processing instruction anywhere but its leading XML declaration,
    is refused before it is parsed.
*/
class SkinXmlReader
{
public:
    /** True when the text may be given to juce::XmlDocument: no ENTITY declaration, no DOCTYPE
        unless doctypeAllowed, no "<?" but the one that opens a leading XML declaration, and only
        well-formed references ("&amp;", "&#65;", "&#x41;"; the framework's parser runs past the
        end of the text after a cut one).
    */
    static bool isSafeToParse (const juce::String& xmlText, bool doctypeAllowed);

    /** The text of a file's bytes as the framework would read it (a UTF-16 byte-order mark
        decides that encoding, else UTF-8 with or without its mark; a zero byte ends the text),
        but false, with text empty, when the UTF-8 is not strictly valid (overlong forms, surrogates,
        cut sequences): the framework's decoding reads and writes past the end of such data.
    */
    static bool decodeText (const void* data, size_t size, juce::String& text);

    /** The document element of the text, or null when the text is refused (see isSafeToParse,
        with no DOCTYPE allowed) or is not well-formed XML.
    */
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& xmlText);

private:
    SkinXmlReader() = delete;
};

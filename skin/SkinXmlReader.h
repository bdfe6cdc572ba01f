#pragma once

#include <juce_core/juce_core.h>

#include <limits>
#include <memory>

/** Parses the XML that comes with a skin (the skin file, its SVG drawables) only when the
    framework's parser can be trusted with it.

    juce::XmlDocument expands entities without bound, loops for ever on a processing instruction
    inside an element ("<SKIN>x<??>y</SKIN>") and recurses once per level of nesting, so a document
    that declares a document type or entities, holds a processing instruction anywhere but its
    leading XML declaration, or nests its elements deeper than maxNestingDepth, is refused before
    it is parsed.
*/
class SkinXmlReader
{
public:
    /** The deepest nesting of elements accepted. The program's skin and feeds nest three
        levels, its drawings at most 16 (see SkinDrawingReader); under AddressSanitizer the
        parser takes more than a kilobyte of stack per level, so this many levels still fit a
        thread of 256 KB with room to spare.
    */
    static constexpr int maxNestingDepth = 64;

    /** True when the text may be given to juce::XmlDocument: no ENTITY declaration, no DOCTYPE
        unless doctypeAllowed, no "<?" but the one that opens a leading XML declaration, only
        well-formed references ("&amp;", "&#65;", "&#x41;"; the framework's parser runs past the
        end of the text after a cut one), and no element nested deeper than maxNestingDepth.
    */
    static bool isSafeToParse (const juce::String& xmlText, bool doctypeAllowed);

    /** How deep the framework's parser would recurse into the text's elements (1 for a lone
        document element, 0 when it would find none), counted in one pass without recursion.
        Counting stops as soon as the depth passes stopAbove. Exact for text whose references are
        well-formed (isSafeToParse checks them first); comments, CDATA sections, quoted
        attributes holding '>' and empty-element tags count as the parser reads them.
    */
    static int nestingDepth (const juce::String& xmlText, int stopAbove = std::numeric_limits<int>::max());

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

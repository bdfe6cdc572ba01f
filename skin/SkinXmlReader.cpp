#include "SkinXmlReader.h"

#include <cstring>
#include <limits>

namespace
{
/** Where the document proper starts: after a byte-order mark, blanks and the XML declaration. */
int endOfDeclaration (const juce::String& text)
{
    auto start = 0;

    while (start < text.length() && (text[start] == 0xFEFF || juce::CharacterFunctions::isWhitespace (text[start])))
        ++start;

    if (text.substring (start, start + 5) != "<?xml")
        return 0;

    const auto close = text.indexOf (start + 5, "?>");
    return close < 0 ? 0 : close + 2;
}
} // namespace

bool SkinXmlReader::isSafeToParse (const juce::String& xmlText, bool doctypeAllowed)
{
    if (xmlText.containsIgnoreCase ("<!ENTITY") || (! doctypeAllowed && xmlText.containsIgnoreCase ("<!DOCTYPE")))
        return false;

    return xmlText.indexOf (endOfDeclaration (xmlText), "<?") < 0;
}

std::unique_ptr<juce::XmlElement> SkinXmlReader::parse (const juce::String& xmlText)
{
    if (! isSafeToParse (xmlText, false))
        return {};

    return juce::XmlDocument (xmlText).getDocumentElement();
}

bool SkinXmlReader::decodeText (const void* data, size_t size, juce::String& text)
{
    text = {};
    const auto* bytes = static_cast<const juce::uint8*> (data);

    if (bytes == nullptr || size == 0)
        return true;

    if (size >= 2 && (juce::CharPointer_UTF16::isByteOrderMarkBigEndian (bytes)
                      || juce::CharPointer_UTF16::isByteOrderMarkLittleEndian (bytes)))
    {
        if (size > (size_t) std::numeric_limits<int>::max())
            return false;

        text = juce::String::createStringFromData (data, (int) size);
        return true;
    }

    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (bytes))
    {
        bytes += 3;
        size -= 3;
    }

    const auto* chars = reinterpret_cast<const char*> (bytes);
    const auto length = strnlen (chars, size);

    if (length > (size_t) std::numeric_limits<int>::max() || ! juce::CharPointer_UTF8::isValidString (chars, (int) length))
        return false;

    text = juce::String::fromUTF8 (chars, (int) length);
    return true;
}

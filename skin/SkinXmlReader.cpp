#include "SkinXmlReader.h"

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

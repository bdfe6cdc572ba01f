#include "SkinXmlReader.h"

#include <cstring>
#include <limits>

namespace
{
/** Where the document proper starts, in characters from the text's start: after a byte-order
    mark, blanks and the XML declaration; 0 without a declaration. One pass with a pointer: a
    String's length and its characters by index each walk the text from its start.
*/
int endOfDeclaration (const juce::String& text)
{
    auto p = text.getCharPointer();
    int start = 0;

    while (*p == 0xFEFF || juce::CharacterFunctions::isWhitespace (*p))
    {
        ++p;
        ++start;
    }

    if (juce::CharacterFunctions::compareUpTo (p, juce::CharPointer_ASCII ("<?xml"), 5) != 0)
        return 0;

    const auto close = (p + 5).indexOf (juce::CharPointer_ASCII ("?>"));
    return close < 0 ? 0 : start + 5 + close + 2;
}
/** Strict UTF-8: no overlong forms (such as C0 80 for a zero), no surrogates, nothing above
    U+10FFFF and no sequence cut short. juce::CharPointer_UTF8::isValidString lets overlong forms
    through, and the framework's string building then writes past the end of its buffer.
*/
bool isStrictUtf8 (const juce::uint8* bytes, size_t size)
{
    for (size_t i = 0; i < size;)
    {
        const auto c = bytes[i];

        if (c < 0x80)
        {
            ++i;
            continue;
        }

        int extra = 0;
        juce::uint8 low = 0x80, high = 0xBF;

        if (c >= 0xC2 && c <= 0xDF)       { extra = 1; }
        else if (c == 0xE0)               { extra = 2; low = 0xA0; }
        else if (c == 0xED)               { extra = 2; high = 0x9F; }
        else if (c >= 0xE1 && c <= 0xEF)  { extra = 2; }
        else if (c == 0xF0)               { extra = 3; low = 0x90; }
        else if (c >= 0xF1 && c <= 0xF3)  { extra = 3; }
        else if (c == 0xF4)               { extra = 3; high = 0x8F; }
        else                              { return false; }

        if (size - i <= (size_t) extra)
            return false;

        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return false;

        for (int k = 2; k <= extra; ++k)
            if (bytes[i + (size_t) k] < 0x80 || bytes[i + (size_t) k] > 0xBF)
                return false;

        i += (size_t) extra + 1;
    }

    return true;
}
/** True when every '&' starts a well-formed reference: a name and ';', or '#' with decimal
    digits or 'x' with hexadecimal digits and ';' naming a character (not 0, not a surrogate, at
    most U+10FFFF). The framework's parser steps past the end of the text after a cut "&#x".
*/
bool hasOnlyWellFormedReferences (const juce::String& text)
{
    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        if (p.getAndAdvance() != '&')
            continue;

        if (*p == '#')
        {
            ++p;
            const bool hex = *p == 'x' || *p == 'X';

            if (hex)
                ++p;

            juce::int64 code = 0;
            int digits = 0;

            for (;; ++p)
            {
                const auto c = *p;
                const auto value = hex ? juce::CharacterFunctions::getHexDigitValue (c)
                                       : (c >= '0' && c <= '9' ? (int) (c - '0') : -1);

                if (value < 0 || ++digits > 8)
                    break;

                code = code * (hex ? 16 : 10) + value;
            }

            if (digits == 0 || digits > 8 || *p != ';' || code == 0 || code > 0x10FFFF
                || (code >= 0xD800 && code <= 0xDFFF))
                return false;
        }
        else
        {
            if (! (juce::CharacterFunctions::isLetter (*p) || *p == '_' || *p == ':'))
                return false;

            while (juce::CharacterFunctions::isLetterOrDigit (*p) || *p == '_' || *p == ':' || *p == '.' || *p == '-')
                ++p;

            if (*p != ';')
                return false;
        }

        ++p;
    }

    return true;
}

/** True when the text holds "<!" and then the keyword (upper-case letters), letter case ignored
    as juce::String::containsIgnoreCase ignores it, but looking only where a "<!" stands.
*/
bool containsDeclaration (const juce::String& text, const char* keyword)
{
    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
    {
        if (*p != '<' || *(p + 1) != '!')
            continue;

        auto q = p + 2;
        auto k = keyword;

        while (*k != 0 && ! q.isEmpty() && juce::CharacterFunctions::toUpperCase (*q) == (juce::juce_wchar) *k)
        {
            ++q;
            ++k;
        }

        if (*k == 0)
            return true;
    }

    return false;
}

//==============================================================================
/*  The nesting count below follows juce::XmlDocument step by step (its prologue, tags, attributes,
    comments, CDATA sections and closing tags, and where it gives up), but keeps the depth in a
    counter where the framework recurses, so that any text can be measured without a stack to
    overflow.
*/
using TextPointer = juce::String::CharPointerType;

/** The characters of names, as the framework's parser takes them. */
bool isNameChar (juce::juce_wchar c) noexcept
{
    if (c < 160)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || c == '_' || c == '-' || c == ':' || c == '.';

    return juce::CharacterFunctions::isLetterOrDigit (c);
}

/** Steps over blanks, comments and processing instructions, as the parser does between tokens;
    false when the text ends there or a comment or instruction is never closed (the parser then
    stops reading).
*/
bool skipBlanks (TextPointer& p)
{
    for (;;)
    {
        p.incrementToEndOfWhitespace();

        if (p.isEmpty())
            return false;

        if (*p == '<' && p[1] == '!' && p[2] == '-' && p[3] == '-')
        {
            p += 4;
            const auto close = p.indexOf (juce::CharPointer_ASCII ("-->"));

            if (close < 0)
                return false;

            p += close + 3;
            continue;
        }

        if (*p == '<' && p[1] == '?')
        {
            p += 2;
            const auto close = p.indexOf (juce::CharPointer_ASCII ("?>"));

            if (close < 0)
                return false;

            p += close + 2;
            continue;
        }

        return true;
    }
}
} // namespace

bool SkinXmlReader::isSafeToParse (const juce::String& xmlText, bool doctypeAllowed)
{
    if (containsDeclaration (xmlText, "ENTITY") || (! doctypeAllowed && containsDeclaration (xmlText, "DOCTYPE")))
        return false;

    // The nesting is measured last: it relies on the references being well-formed.
    return xmlText.indexOf (endOfDeclaration (xmlText), "<?") < 0 && hasOnlyWellFormedReferences (xmlText)
           && nestingDepth (xmlText, maxNestingDepth) <= maxNestingDepth;
}

int SkinXmlReader::nestingDepth (const juce::String& xmlText, int stopAbove)
{
    auto p = xmlText.getCharPointer();

    // The prologue: the declaration and whatever stands between tokens, then a document type,
    // whose angle brackets are paired up as the parser pairs them.
    if (! skipBlanks (p))
        return 0;

    if (juce::CharacterFunctions::compareUpTo (p, juce::CharPointer_ASCII ("<!DOCTYPE"), 9) == 0)
    {
        p += 9;

        for (int open = 1; open > 0;)
        {
            const auto c = p.getAndAdvance();

            if (c == 0)
                return 0;

            if (c == '<')
                ++open;
            else if (c == '>')
                --open;
        }
    }

    if (! skipBlanks (p) || *p != '<')
        return 0;

    // depth: the elements open around p, each one a level of the parser's recursion.
    int depth = 0, deepest = 0;
    bool atElement = true;   // p stands at the '<' of an element, else in the content of one

    for (;;)
    {
        bool closes = false;

        if (atElement)
        {
            deepest = juce::jmax (deepest, depth + 1);

            if (deepest > stopAbove)
                return deepest;

            // The name may follow after blanks; without one there is no element, and the one
            // around it ends here.
            ++p;

            if (! isNameChar (*p) && ! skipBlanks (p))
                return deepest;

            if (! isNameChar (*p))
            {
                closes = true;
            }
            else
            {
                while (isNameChar (*p))
                    ++p;

                ++depth;
                atElement = false;

                // The attributes, up to the end of the tag; anything out of place ends the
                // element where it stands, without content.
                for (;;)
                {
                    if (! skipBlanks (p))
                        return deepest;

                    const auto c = *p;

                    if (c == '/' && p[1] == '>')
                    {
                        p += 2;
                        closes = true;
                        break;
                    }

                    if (c == '>')
                    {
                        ++p;
                        break;
                    }

                    if (! isNameChar (c))
                    {
                        closes = true;
                        break;
                    }

                    while (isNameChar (*p))
                        ++p;

                    if (! skipBlanks (p))
                        return deepest;

                    if (p.getAndAdvance() != '=')
                    {
                        closes = true;
                        break;
                    }

                    if (! skipBlanks (p))
                        return deepest;

                    const auto quote = *p;

                    if (quote != '"' && quote != '\'')
                    {
                        closes = true;
                        break;
                    }

                    ++p;
                    const auto end = p.indexOf (quote);

                    if (end < 0)
                        return deepest;

                    p += end + 1;
                }
            }
        }
        else
        {
            if (! skipBlanks (p))
                return deepest;

            if (*p == '<' && p[1] == '/')
            {
                const auto end = p.indexOf ((juce::juce_wchar) '>');

                if (end < 0)
                    return deepest;

                p += end + 1;
                closes = true;
            }
            else if (*p == '<' && p[1] == '!'
                     && juce::CharacterFunctions::compareUpTo (p + 2, juce::CharPointer_ASCII ("[CDATA["), 7) == 0)
            {
                p += 9;
                const auto end = p.indexOf (juce::CharPointer_ASCII ("]]>"));

                if (end < 0)
                    return deepest;

                p += end + 3;
            }
            else if (*p == '<')
            {
                atElement = true;
            }
            else
            {
                // Text, up to the next markup.
                while (! p.isEmpty() && *p != '<')
                    ++p;
            }
        }

        if (closes)
        {
            // The document element's end is the end of what the parser reads.
            if (--depth <= 0)
                return deepest;

            atElement = false;
        }
    }
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

    if (length > (size_t) std::numeric_limits<int>::max() || ! isStrictUtf8 (bytes, length))
        return false;

    text = juce::String::fromUTF8 (chars, (int) length);
    return true;
}

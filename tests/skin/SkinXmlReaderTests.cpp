#include "SkinXmlReader.h"

#include <gtest/gtest.h>

// Entity declarations are refused wherever they stand and however their letters are written, and
// document type declarations unless allowed; the same texts as a case-blind search finds them.
TEST (SkinXmlDeclarations, EntityAndDoctypeAreFoundInAnyLetterCase)
{
    struct Case
    {
        const char* utf8;
        bool entity, doctype;
    };

    const Case cases[] = {
        { "<a/>", false, false },
        { "<!ENTITY x \"y\"><a/>", true, false },
        { "<a><!entity x 'y'></a>", true, false },
        { "<a>text <!EnTiTy", true, false },
        { "<!<!ENTITY x>", true, false },
        { "<<!ENTITY x>", true, false },
        { "<!ENTIT", false, false },
        { "< !ENTITY x>", false, false },
        { "<!-- ENTITY --><a/>", false, false },
        { "<a>!ENTITY</a>", false, false },
        { "<!DOCTYPE a><a/>", false, true },
        { "<!doctype a><a/>", false, true },
        { "<a/><!DocType", false, true },
        { "<!DOCTYP a>", false, false },
        { "<!DOCTYPE a [<!ENTITY b \"c\">]><a/>", true, true },
        { "<a>\xC3\xA4<!ENT\xC4\xB1TY x></a>", false, false },   // a dotless i
        { "<a>\xC3\xA4<!ENT\xC4\xB0TY x></a>", false, false },   // a capital I with a dot
        { "", false, false },
    };

    for (const auto& c : cases)
    {
        const auto text = juce::String::fromUTF8 (c.utf8);
        SCOPED_TRACE (text);

        // The case-blind search of the framework decides what counts as a declaration.
        const auto entity = text.containsIgnoreCase ("<!ENTITY");
        const auto doctype = text.containsIgnoreCase ("<!DOCTYPE");

        // Which letters a case-blind search equates beyond ASCII is the framework's (and the
        // locale's) business; for plain ASCII the expectation is written out.
        if (text.containsOnly ("<>!/ \"'[]-abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        {
            EXPECT_EQ (entity, c.entity);
            EXPECT_EQ (doctype, c.doctype);
        }

        EXPECT_EQ (SkinXmlReader::isSafeToParse (text, true), ! entity);
        EXPECT_EQ (SkinXmlReader::isSafeToParse (text, false), ! entity && ! doctype);
    }
}

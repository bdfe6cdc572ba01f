#include "SkinXmlReader.h"
#include "XmlTreeDepth.h"

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

namespace
{
using morvane::test::treeDepth;

juce::String nested (int levels, const juce::String& open = "<a>", const juce::String& close = "</a>")
{
    return juce::String::repeatedString (open, levels) + juce::String::repeatedString (close, levels);
}
} // namespace

// The count follows the parser: what it takes for markup counts, what it skips does not.
TEST (SkinXmlNesting, CountsLevelsAsTheParserReadsThem)
{
    struct Case
    {
        const char* xml;
        int depth;
    };

    const Case cases[] = {
        { "<a/>", 1 },
        { "<a><b/><b/><b><c/></b></a>", 3 },
        { "<?xml version=\"1.0\"?>\n<!-- <x><x> --><a><b></b></a>", 2 },
        { "<a><!-- <b><b><b> --><c/></a>", 2 },
        { "<a><![CDATA[<b><b><b>]]><c/></a>", 2 },
        { "<a x=\"<b><b>\" y='>'><c z=\"/>\"><d/></c></a>", 3 },
        { "<a x = \"1\" ><b\n/></a>", 2 },
        { "< a><b/></a>", 2 },                                    // a gap after '<' is allowed
        { "<a>text &amp; more <b>x</b> tail</a>", 2 },
        { "<!DOCTYPE a [<!ELEMENT a ANY>]><a><b/></a>", 2 },
        { "<a><b><c></c></b></a><a><b><c><d/></c></b></a>", 3 },  // the parser stops after the first
        { "<a></a>", 1 },
        { "", 0 },
        { "no markup", 0 },
        { "<a", 1 },
        { "<a><b><c>", 3 },                                       // unclosed: still three levels deep
    };

    for (const auto& c : cases)
    {
        const auto text = juce::String::fromUTF8 (c.xml);
        SCOPED_TRACE (text);
        EXPECT_EQ (SkinXmlReader::nestingDepth (text), c.depth);

        if (auto parsed = juce::XmlDocument (text).getDocumentElement())
        {
            EXPECT_EQ (treeDepth (*parsed), c.depth);
        }
    }

    // "<!x" is tried as an element, a level of the parser's recursion that builds none; the
    // parser forgets that error when a harmless one (an unknown entity) follows, and gives a tree
    // one level less deep than its recursion went.
    const juce::String failedTag ("<a><b><!x>&u;</b><c/></a>");
    EXPECT_EQ (SkinXmlReader::nestingDepth (failedTag), 3);
    auto parsed = juce::XmlDocument (failedTag).getDocumentElement();
    ASSERT_NE (parsed, nullptr);
    EXPECT_EQ (treeDepth (*parsed), 2);
}

TEST (SkinXmlNesting, DocumentsDeeperThanTheBoundAreRefusedBeforeParsing)
{
    const auto limit = SkinXmlReader::maxNestingDepth;

    auto atLimit = SkinXmlReader::parse (nested (limit));
    ASSERT_NE (atLimit, nullptr);
    EXPECT_EQ (treeDepth (*atLimit), limit);
    EXPECT_EQ (SkinXmlReader::parse (nested (limit + 1)), nullptr);
    EXPECT_EQ (SkinXmlReader::parse (nested (limit + 1, "<a x='1'>")), nullptr);
    EXPECT_EQ (SkinXmlReader::parse (nested (limit + 1, "<a>text<!-- c -->")), nullptr);
    EXPECT_FALSE (SkinXmlReader::isSafeToParse (nested (limit + 1), true));

    // Many elements side by side, however many, are one level.
    EXPECT_NE (SkinXmlReader::parse ("<a>" + juce::String::repeatedString ("<b/>", 50000) + "</a>"), nullptr);

    // What brought the program down at every start: 30,000 levels (210 KB), measured without
    // recursion and refused at once.
    const auto deep = nested (30000, "<FEED>", "</FEED>");
    EXPECT_FALSE (SkinXmlReader::isSafeToParse (deep, false));
    EXPECT_EQ (SkinXmlReader::nestingDepth (deep), 30000);
}

// A megabyte of blanks before the root is checked in one pass: measured by index, the check
// took minutes for a quarter of that (under the suite's time-out now, far over it before).
TEST (SkinXmlNesting, BlanksBeforeTheRootAreCheckedInOnePass)
{
    const auto blanks = juce::String::repeatedString (" \n", 512 * 1024);

    auto root = SkinXmlReader::parse (blanks + "<?xml version=\"1.0\"?>" + blanks + "<FEED/>");
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "FEED");

    EXPECT_TRUE (SkinXmlReader::isSafeToParse (blanks + "<FEED/>", false));
    EXPECT_FALSE (SkinXmlReader::isSafeToParse (blanks + "<?xml version=\"1.0\"?><?x?><FEED/>", false));
    EXPECT_FALSE (SkinXmlReader::isSafeToParse (blanks + nested (SkinXmlReader::maxNestingDepth + 1), false));
}

// The deepest document taken is parsed on a thread with a small stack: the bound is far below
// what the parser's recursion needs to overflow it (a few thousand levels under AddressSanitizer
// on the main thread's 8 MB).
TEST (SkinXmlNesting, TheDeepestDocumentTakenFitsASmallThreadStack)
{
    struct ParseThread : juce::Thread
    {
        ParseThread() : juce::Thread ("deep parse", 256 * 1024) {}

        void run() override
        {
            if (auto root = SkinXmlReader::parse (nested (SkinXmlReader::maxNestingDepth, "<a x=\"1\">text")))
                depth = treeDepth (*root);
        }

        int depth = 0;
    };

    ParseThread thread;
    ASSERT_TRUE (thread.startThread());
    ASSERT_TRUE (thread.waitForThreadToExit (-1));
    EXPECT_EQ (thread.depth, SkinXmlReader::maxNestingDepth);
}

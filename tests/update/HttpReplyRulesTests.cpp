#include "HttpReplyRules.h"

#include <gtest/gtest.h>

namespace
{
juce::StringArray headers (std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    // As the server sends them: one "Name: value" line each.
    juce::StringArray lines;

    for (const auto& [key, value] : pairs)
        lines.add (juce::String (key) + ": " + value);

    return lines;
}
} // namespace

TEST (HttpReplyRules, ALengthIsTakenOnlyWhenEveryAnnouncementAgrees)
{
    struct Case { juce::StringArray given; juce::int64 length; };
    const Case cases[] = {
        { headers ({}), -1 },
        { headers ({ { "Content-Length", "5000" } }), 5000 },
        { headers ({ { "content-length", " 0 " } }), 0 },
        { headers ({ { "Content-Length", "5000" }, { "Content-Length", "5000" } }), 5000 },
        { headers ({ { "Content-Length", "5000" }, { "Content-Length", "7" } }), -2 },
        { headers ({ { "Content-Length", "-1" } }), -2 },
        { headers ({ { "Content-Length", "12a" } }), -2 },
        { headers ({ { "Content-Length", "" } }), -2 },
        { headers ({ { "Content-Length", "99999999999999999999" } }), -2 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (HttpReplyRules::parseContentLength (c.given), c.length) << c.given.joinIntoString ("|");
}

TEST (HttpReplyRules, ARedirectLeadsOnlyToAWebAddressAndOnlyAFewTimes)
{
    const juce::URL from ("https://updates.example.com/rss/feed/morvane.xml?x=1");
    using Kind = HttpReplyRules::Verdict::Kind;

    struct Case { int status; juce::StringArray given; int hops; Kind kind; const char* next; };
    const Case cases[] = {
        { 302, headers ({ { "Location", "https://mirror.example.net/m.xml" } }), 0, Kind::redirect, "https://mirror.example.net/m.xml" },
        { 301, headers ({ { "Location", "/other/m.xml" } }), 0, Kind::redirect, "https://updates.example.com/other/m.xml" },
        { 307, headers ({ { "Location", "m2.xml#top" } }), 4, Kind::redirect, "https://updates.example.com/rss/feed/m2.xml" },
        { 308, headers ({ { "Location", "//cdn.example.org/m.xml" } }), 0, Kind::redirect, "https://cdn.example.org/m.xml" },
        { 302, headers ({ { "Location", "https://a/x" } }), 5, Kind::refuse, "" },   // a sixth hop
        { 302, headers ({ { "Location", "ftp://updates.example.com/m.xml" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "file:///etc/passwd" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "http:///no-host" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "https://a/x y" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "https://a/x" }, { "Location", "https://b/x" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "https://a/x" }, { "Location", "https://a/x" } }), 0, Kind::redirect, "https://a/x" },
        // Only the header lines as sent count: the first line, no blank after the colon, a comma.
        { 302, { "location:https://a/x,y?b=1,2", "Server: s" }, 0, Kind::redirect, "https://a/x,y?b=1,2" },
        { 302, { "Location:   ?v=2  " }, 0, Kind::redirect, "https://updates.example.com/rss/feed/morvane.xml?v=2" },
        { 302, { "Location: #part" }, 0, Kind::redirect, "https://updates.example.com/rss/feed/morvane.xml?x=1" },
        { 302, { "X-Location: https://a/x" }, 0, Kind::refuse, "" },
        { 302, { "Location: " }, 0, Kind::refuse, "" },
        // Never from https down to plain http, whichever host; up from http is fine.
        { 302, headers ({ { "Location", "http://updates.example.com/rss/feed/morvane.xml" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "HTTP://mirror.example.net/m.xml" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "//mirror.example.net/m.xml" } }), 0, Kind::redirect, "https://mirror.example.net/m.xml" },
        { 302, headers ({}), 0, Kind::refuse, "" },
        { 200, headers ({ { "Content-Length", "3" } }), 0, Kind::accept, "" },
        { 204, headers ({}), 0, Kind::accept, "" },
        { 200, headers ({ { "Content-Length", "3" }, { "Content-Length", "4" } }), 0, Kind::refuse, "" },
        { 304, headers ({ { "Location", "https://a/x" } }), 0, Kind::refuse, "" },
        { 404, headers ({}), 0, Kind::refuse, "" },
        { -1, headers ({}), 0, Kind::refuse, "" },
    };

    for (const auto& c : cases)
    {
        const auto verdict = HttpReplyRules::judge (from, c.status, c.given, c.hops);
        EXPECT_EQ (verdict.kind, c.kind) << c.status << " " << c.given.joinIntoString ("|");

        if (c.kind == Kind::redirect)
        {
            EXPECT_EQ (verdict.next, c.next) << c.given.joinIntoString ("|");
        }

        if (c.kind == Kind::refuse)
        {
            EXPECT_TRUE (verdict.problem.isNotEmpty()) << c.status << " " << c.given.joinIntoString ("|");
        }
    }
}

TEST (HttpReplyRules, ARedirectFromPlainHttpMayGoUpToHttps)
{
    const auto verdict = HttpReplyRules::judge (juce::URL ("http://updates.example.com/f.xml"), 301,
                                                headers ({ { "Location", "https://mirror.example.net/f.xml" } }), 0);
    EXPECT_EQ (verdict.kind, HttpReplyRules::Verdict::Kind::redirect);
    EXPECT_EQ (verdict.next, "https://mirror.example.net/f.xml");
}

// The normal and abnormal examples of RFC 3986 (section 5.4) that an http address can meet.
TEST (HttpReplyRules, ReferencesResolveAsTheStandardSays)
{
    const char* const base = "http://a/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        { "g", "http://a/b/c/g" }, { "./g", "http://a/b/c/g" }, { "g/", "http://a/b/c/g/" }, { "/g", "http://a/g" },
        { "//g", "http://g" }, { "?y", "http://a/b/c/d;p?y" }, { "g?y", "http://a/b/c/g?y" }, { "#s", "http://a/b/c/d;p?q#s" },
        { "g#s", "http://a/b/c/g#s" }, { "g?y#s", "http://a/b/c/g?y#s" }, { ";x", "http://a/b/c/;x" }, { "g;x", "http://a/b/c/g;x" },
        { "g;x?y#s", "http://a/b/c/g;x?y#s" }, { "", "http://a/b/c/d;p?q" }, { ".", "http://a/b/c/" }, { "./", "http://a/b/c/" },
        { "..", "http://a/b/" }, { "../", "http://a/b/" }, { "../g", "http://a/b/g" }, { "../..", "http://a/" },
        { "../../", "http://a/" }, { "../../g", "http://a/g" },
        { "../../../g", "http://a/g" }, { "../../../../g", "http://a/g" }, { "/./g", "http://a/g" }, { "/../g", "http://a/g" },
        { "g.", "http://a/b/c/g." }, { ".g", "http://a/b/c/.g" }, { "g..", "http://a/b/c/g.." }, { "..g", "http://a/b/c/..g" },
        { "./../g", "http://a/b/g" }, { "./g/.", "http://a/b/c/g/" }, { "g/./h", "http://a/b/c/g/h" }, { "g/../h", "http://a/b/c/h" },
        { "g;x=1/./y", "http://a/b/c/g;x=1/y" }, { "g;x=1/../y", "http://a/b/c/y" }, { "g?y/./x", "http://a/b/c/g?y/./x" },
        { "g#s/../x", "http://a/b/c/g#s/../x" }, { "https://b/./x/../y", "https://b/y" },
    };

    for (const auto& [reference, expected] : cases)
        EXPECT_EQ (HttpReplyRules::resolveLocation (base, reference), expected) << reference;

    EXPECT_EQ (HttpReplyRules::resolveLocation ("http://a", "g"), "http://a/g");
    EXPECT_EQ (HttpReplyRules::resolveLocation ("/b/c", "g"), "");
    EXPECT_EQ (HttpReplyRules::resolveLocation (base, "g h"), "");
}

// A scheme is named in any case ("HTTPS://", "Http://"): the rule that keeps https on https reads
// both ends of every hop with the case folded, so no spelling of either lets a redirect step down
// and none makes an https hop look like a plain one.
TEST (HttpReplyRules, TheSchemesCaseNeverDecidesWhetherARedirectStepsDown)
{
    using Kind = HttpReplyRules::Verdict::Kind;
    const char* const secure[] = { "https", "HTTPS", "Https", "hTTPs" };
    const char* const plain[] = { "http", "HTTP", "Http", "hTtP" };

    const auto judged = [] (const juce::String& fromScheme, const juce::String& location)
    {
        return HttpReplyRules::judge (juce::URL (fromScheme + "://updates.example.com/rss/feed/morvane.xml"), 302,
                                      headers ({ { "Location", location.toRawUTF8() } }), 0);
    };

    for (const juce::String from : secure)
    {
        for (const juce::String to : plain)
        {
            const auto verdict = judged (from, to + "://mirror.example.net/m.xml");
            EXPECT_EQ (verdict.kind, Kind::refuse) << from << " -> " << to;
            EXPECT_EQ (verdict.problem, "a redirect from https to plain http") << from << " -> " << to;
        }

        for (const juce::String to : secure)
        {
            const auto verdict = judged (from, to + "://mirror.example.net/m.xml");
            EXPECT_EQ (verdict.kind, Kind::redirect) << from << " -> " << to;
            EXPECT_EQ (verdict.next, to + "://mirror.example.net/m.xml") << from << " -> " << to;
        }

        // A reference without a scheme takes the current address's, spelled as it was.
        for (const juce::String reference : { "/other/m.xml", "//cdn.example.org/m.xml", "m2.xml" })
        {
            const auto verdict = judged (from, reference);
            EXPECT_EQ (verdict.kind, Kind::redirect) << from << " -> " << reference;
            EXPECT_TRUE (verdict.next.startsWith (from + "://")) << from << " -> " << reference << ": " << verdict.next;
        }
    }

    // From plain http any spelling of either scheme is a step up or level.
    for (const juce::String from : plain)
        for (const juce::String to : { "http", "HTTP", "https", "HTTPS" })
            EXPECT_EQ (judged (from, to + "://mirror.example.net/m.xml").kind, Kind::redirect) << from << " -> " << to;
}

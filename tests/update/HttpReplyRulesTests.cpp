#include "HttpReplyRules.h"

#include <gtest/gtest.h>

namespace
{
juce::StringPairArray headers (std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    // As the framework gives them: a repeated header's values joined with ",".
    juce::StringPairArray result;

    for (const auto& [key, value] : pairs)
        result.set (key, result[key].isNotEmpty() ? result[key] + "," + value : juce::String (value));

    return result;
}
} // namespace

TEST (HttpReplyRules, ALengthIsTakenOnlyWhenEveryAnnouncementAgrees)
{
    struct Case { juce::StringPairArray given; juce::int64 length; };
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
        EXPECT_EQ (HttpReplyRules::parseContentLength (c.given), c.length) << c.given.getDescription();
}

TEST (HttpReplyRules, ARedirectLeadsOnlyToAWebAddressAndOnlyAFewTimes)
{
    const juce::URL from ("https://updates.example.com/rss/feed/morvane.xml?x=1");
    using Kind = HttpReplyRules::Verdict::Kind;

    struct Case { int status; juce::StringPairArray given; int hops; Kind kind; const char* next; };
    const Case cases[] = {
        { 302, headers ({ { "Location", "https://mirror.example.net/m.xml" } }), 0, Kind::redirect, "https://mirror.example.net/m.xml" },
        { 301, headers ({ { "Location", "/other/m.xml" } }), 0, Kind::redirect, "https://updates.example.com/other/m.xml" },
        { 307, headers ({ { "Location", "m2.xml#top" } }), 4, Kind::redirect, "https://updates.example.com/rss/feed/m2.xml" },
        { 308, headers ({ { "Location", "//cdn.example.org/m.xml" } }), 0, Kind::redirect, "https://cdn.example.org/m.xml" },
        { 302, headers ({ { "Location", "http://a/x" } }), 5, Kind::refuse, "" },   // a sixth hop
        { 302, headers ({ { "Location", "ftp://updates.example.com/m.xml" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "file:///etc/passwd" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "http:///no-host" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "https://a/x y" } }), 0, Kind::refuse, "" },
        { 302, headers ({ { "Location", "https://a/x" }, { "Location", "https://b/x" } }), 0, Kind::refuse, "" },
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
        EXPECT_EQ (verdict.kind, c.kind) << c.status << " " << c.given.getDescription();

        if (c.kind == Kind::redirect)
        {
            EXPECT_EQ (verdict.next, c.next) << c.given.getDescription();
        }

        if (c.kind == Kind::refuse)
        {
            EXPECT_TRUE (verdict.problem.isNotEmpty()) << c.status << " " << c.given.getDescription();
        }
    }
}

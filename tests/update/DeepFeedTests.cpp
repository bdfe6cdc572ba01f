#include "ProgramFeed.h"
#include "SkinXmlReader.h"
#include "UpdateFeedReader.h"

#include <gtest/gtest.h>

// A feed of 30,000 nested elements (210 KB, under the size cap, nothing declared) overflowed the
// parser's stack at every start; now it is no feed, as a malformed one is.
TEST (UpdateFeedReader, RefusesFeedsNestedDeeperThanTheBoundAndReadsTheRest)
{
    const auto wrapped = [] (int levels)
    {
        return juce::String::repeatedString ("<F>", levels) + "<VERSION major=\"3\"/>"
               + juce::String::repeatedString ("</F>", levels);
    };

    const auto hostile = wrapped (30000);
    ASSERT_LT (hostile.getNumBytesAsUTF8(), (size_t) UpdateFeedReader::maxFeedBytes);
    EXPECT_EQ (UpdateFeedReader::parseFeed (hostile), nullptr);
    EXPECT_EQ (UpdateFeedReader::parseFeed (wrapped (SkinXmlReader::maxNestingDepth)), nullptr);

    auto deepestTaken = UpdateFeedReader::parseFeed (wrapped (SkinXmlReader::maxNestingDepth - 1));
    ASSERT_NE (deepestTaken, nullptr);

    auto plain = UpdateFeedReader::parseFeed (wrapped (1));
    ASSERT_NE (plain, nullptr);
    EXPECT_TRUE (ProgramFeed::read (*plain).isNewerThan (2, 10, 0));
}

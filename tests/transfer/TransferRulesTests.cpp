#include "BackupJobPlan.h"
#include "BackupRun.h"
#include "SysExHeaderSearch.h"

#include <gtest/gtest.h>

namespace
{
TEST (BackupRun, TimestampIsLocalDateThenTime)
{
    const juce::Time time (2025, 1, 3, 9, 5, 7, 0, true); // months count from 0
    EXPECT_EQ (BackupRun::makeTimeStamp (time), "250203-090507");
}

TEST (SysExHeaderSearch, HeaderSearchFindsTheFirstOccurrence)
{
    const std::uint8_t head[] = { 0xF0, 0x00, 0x01, 0x74, 0x10, 0x01 };
    const std::uint8_t data[] = { 0x00, 0xF0, 0x00, 0x01, 0xF0, 0x00, 0x01, 0x74, 0x10, 0x01, 0x55, 0xF7,
                                  0xF0, 0x00, 0x01, 0x74, 0x10, 0x01 };

    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (data, (int) sizeof (data), head), 4);
    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (data + 5, (int) sizeof (data) - 5, head), 7);
    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (data, 9, head), -1);   // cut short before the last byte
    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (data, 0, head), -1);
    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (nullptr, 10, head), -1);
}

TEST (SysExHeaderSearch, HeaderSearchFallsBackOnRepeatingPatterns)
{
    const std::uint8_t pattern[] = { 1, 1, 2, 1, 1, 3 };
    const auto table = SysExHeaderSearch::buildHeaderFailureTable (pattern);
    const std::array<int, 6> expected { 0, 1, 0, 1, 2, 0 };
    EXPECT_EQ (table, expected);

    const std::uint8_t data[] = { 1, 1, 2, 1, 1, 2, 1, 1, 3, 9 };
    EXPECT_EQ (SysExHeaderSearch::findSysExHeader (data, (int) sizeof (data), pattern), 3);
}

TEST (BackupRetries, OnlySteppedJobsOfTheirOwnFamilyAreRetried)
{
    for (juce::uint8 model : { 3, 6, 7 })
    {
        EXPECT_TRUE (BackupJobPlan::allowsRetry (model, 19)) << (int) model;
        EXPECT_FALSE (BackupJobPlan::allowsRetry (model, 18)) << (int) model;
        EXPECT_FALSE (BackupJobPlan::allowsRetry (model, 37)) << "a job of another family, model " << (int) model;
    }

    for (int job : { 37, 40, 46, 47 })
        EXPECT_TRUE (BackupJobPlan::allowsRetry (16, job)) << job;

    for (int job : { 41, 45, 48, 19 })
        EXPECT_FALSE (BackupJobPlan::allowsRetry (16, job)) << job;

    EXPECT_TRUE (BackupJobPlan::allowsRetry (8, 33));
    EXPECT_TRUE (BackupJobPlan::allowsRetry (8, 36));
    EXPECT_FALSE (BackupJobPlan::allowsRetry (8, 32));
    EXPECT_FALSE (BackupJobPlan::allowsRetry (8, 37));
    EXPECT_FALSE (BackupJobPlan::allowsRetry (5, 20));
    EXPECT_FALSE (BackupJobPlan::allowsRetry (254, 19)) << "no device, no retry";
}
} // namespace

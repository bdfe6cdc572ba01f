#include "BackupRun.h"
#include "ConsoleTimers.h"
#include "SendRoad.h"

#include <gtest/gtest.h>

namespace
{
TEST (ConsoleTimers, TimerTable)
{
    EXPECT_EQ (ConsoleTimers::logoTimer, 0);
    EXPECT_EQ (ConsoleTimers::devicePollTimer, 3);
    EXPECT_EQ (ConsoleTimers::firmwareNotice4, 4);
    EXPECT_EQ (ConsoleTimers::firmwareNotice5, 5);
    EXPECT_EQ (ConsoleTimers::logoPeriodMs, 1000);
    EXPECT_EQ (SendRoad::pollPeriodMs, 100);
    EXPECT_EQ (BackupRun::progressPeriodMs, 100);
    EXPECT_EQ (ConsoleTimers::devicePollPeriodMs, 750);
    EXPECT_EQ (ConsoleTimers::firmwareNoticePeriodMs, 10000);
}

TEST (ConsoleTimers, TransferPollActsOnEveryState)
{
    using A = ConsoleTimers::PollAction;
    EXPECT_EQ (ConsoleTimers::pollActionFor (0), A::reenableAndKeepPolling);
    EXPECT_EQ (ConsoleTimers::pollActionFor (1), A::keepPolling);
    EXPECT_EQ (ConsoleTimers::pollActionFor (2), A::reenableAndKeepPolling);
    EXPECT_EQ (ConsoleTimers::pollActionFor (3), A::canceled);
    EXPECT_EQ (ConsoleTimers::pollActionFor (4), A::succeeded);
    EXPECT_EQ (ConsoleTimers::pollActionFor (5), A::deviceError);
    EXPECT_EQ (ConsoleTimers::pollActionFor (6), A::stopQuietly);
    EXPECT_EQ (ConsoleTimers::pollActionFor (7), A::noResponse);
    EXPECT_EQ (ConsoleTimers::pollActionFor (8), A::stopQuietly);
    EXPECT_EQ (ConsoleTimers::pollActionFor (-1), A::stopQuietly);
}

} // namespace

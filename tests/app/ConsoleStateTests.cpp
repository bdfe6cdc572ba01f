#include "ConsoleState.h"
#include "TransferReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using Kind = TransferEnding::Kind;

TEST (PercentRule, TheShownPercentIsTheFloorAndNeverAHundredBeforeTheEnd)
{
    const struct
    {
        double fraction;
        bool complete;
        int percent;
    } cases[] = {
        { 0.0, false, 0 },
        { 0.934, false, 93 },
        { 0.999, false, 99 },
        { 1.0, false, 99 },
        { 0.9999, false, 99 },
        { 1.0, true, 100 },
        { 0.2, true, 100 },
        { 0.29, false, 29 },        // 28.999... times 100 in doubles
        { 0.57, false, 57 },
        { 0.0049, false, 0 },
        { 0.48, false, 48 },
        { 0.4899, false, 48 },
        { -0.25, false, 0 },
        { 3.0, false, 99 },
        { std::numeric_limits<double>::quiet_NaN(), false, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.fraction);
        EXPECT_EQ (TransferReport::shownPercent (c.fraction, c.complete), c.percent);

        if (! c.complete)
        {
            EXPECT_EQ (TransferReport::stoppedAtPercent (c.fraction), c.percent);
        }
    }
}

TEST (PercentRule, TheBarsOwnPercentageAgreesWithEveryTextAboutItAtEveryShare)
{
    // The bar prints the rounded percentage of its value; whatever share a road reports, the bar
    // and the line must name the same whole percent, while running and once stopped there.
    for (int i = 0; i <= 100000; ++i)
    {
        const auto fraction = i / 100000.0;
        const auto told = TransferReport::stoppedAtPercent (fraction);
        ASSERT_EQ (juce::roundToInt (ConsoleState::barWhileRunning (fraction) * 100.0), told) << fraction;

        TransferEnding stopped { Kind::canceled, {}, fraction, true };
        ASSERT_EQ (juce::roundToInt (ConsoleState::showEnding (stopped).bar * 100.0), told) << fraction;
    }

    EXPECT_TRUE (TransferReport::lostDuringSendText (0.4899).contains ("stopped at 48 %"));
    EXPECT_TRUE (TransferReport::endLine (TransferReport::Ending::lost, 0.4899).contains ("stopped at 48 %"));
    EXPECT_TRUE (TransferReport::canceledText (8, 4, 0.4899).contains ("stopped at 48 %"));
}

TEST (ConsoleStateRule, EachEndingShowsItsLineBarAndMarkTogether)
{
    const struct
    {
        const char* what;
        TransferEnding ending;
        double bar;
        bool tick;
    } cases[] = {
        { "send complete", TransferReport::endingOf (TransferReport::Ending::succeeded, 0.9999), 1.0, true },
        { "backup complete", { Kind::complete, "Backup complete.", 0.0, false }, 1.0, true },
        { "send refused", { Kind::refused, {}, 0.0, false }, 0.0, false },
        { "send device error", TransferReport::endingOf (TransferReport::Ending::failed, 0.18), 0.18, false },
        { "send no response", TransferReport::endingOf (TransferReport::Ending::noResponse, 0.5), 0.5, false },
        { "send canceled", TransferReport::endingOf (TransferReport::Ending::canceled, 0.0731), 0.07, false },
        { "send lost", TransferReport::endingOf (TransferReport::Ending::lost, 0.4899), 0.48, false },
        { "usb firmware not taken", TransferReport::endingOf (TransferReport::Ending::usbFirmwareFailed, 0.9999), 0.0, false },
        { "backup canceled", { Kind::canceled, "Backup canceled. 2 preset bank(s) written to disk.", 0.4, false }, 0.0, false },
        { "backup timed out", { Kind::timedOut, "Message timeout.", 0.3, false }, 0.0, false },
        { "backup folder error", { Kind::folderError, "The backup has stopped: ...", 0.3, false }, 0.0, false },
        { "backup device error", { Kind::deviceError, "The device did not send ...", 0.3, false }, 0.0, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto shown = ConsoleState::showEnding (c.ending);
        EXPECT_EQ (shown.line, c.ending.line);
        EXPECT_DOUBLE_EQ (shown.bar, c.bar);
        EXPECT_EQ (shown.tick, c.tick);

        // A line that says where the send stopped names the bar's own percentage.
        if (c.ending.toldAsPercent)
        {
            EXPECT_TRUE (shown.line.contains (juce::String (juce::roundToInt (shown.bar * 100.0)) + " %")) << shown.line;
        }
    }

    EXPECT_EQ (TransferReport::endLine (TransferReport::Ending::canceled, 0.0731),
               "File transmission has been canceled. The transfer stopped at 7 %.");
    EXPECT_EQ (TransferReport::endLine (TransferReport::Ending::failed, 0.18),
               "An error has occurred during file transmission. The transfer stopped at 18 %.");
}

TEST (ConsoleStateRule, ADeviceThatMustAnswerIsConnectedAndOffersBeginAndBrowseOnlyOnceItHasAnswered)
{
    struct Case
    {
        const char* what;
        int model;
        bool receivePage, inputOpen, outputOpen, reached, answered, locked, hasWhatBeginNeeds;
        bool connected, browse, begin;
    };

    const Case cases[] = {
        { "KT4 before its answer",            8, false, true, true, true, false, false, true,   false, false, false },
        { "KT4 answered, file loaded",        8, false, true, true, true, true, false, true,    true, true, true },
        { "KT4 answered, no file",            8, false, true, true, true, true, false, false,   true, true, false },
        { "KT4 answered, page locked",        8, false, true, true, true, true, true, true,     true, false, false },
        { "KT4 answered, ports not reached",  8, false, true, true, false, true, false, true,   false, false, false },
        { "KT4 one port open",                8, false, true, false, true, true, false, true,   false, false, false },
        { "Orvix III receive page, folder",  16, true, true, true, true, true, false, true,     true, true, true },
        { "Orvix III receive page, no answer", 16, true, true, true, true, false, false, true,  false, false, false },
        { "LM6 before its answer",            5, false, true, true, true, false, false, true,   false, false, false },
        { "QMR-303 output, never asked",      2, false, false, true, true, false, false, true,  true, true, true },
        { "QMR-303 output not reached",       2, false, false, true, false, false, false, true, false, false, false },
        { "QMR-303 receive page, input",      4, true, true, false, true, false, false, true,   true, true, true },
        { "QMR-303 receive page, only output", 4, true, false, true, true, false, false, true,  false, false, false },
        { "Utility output",                 255, false, false, true, true, false, false, false, true, true, false },
        { "no device",                      254, false, true, true, true, true, false, true,    false, false, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ConsoleState::Link link;
        link.model = c.model;
        link.deviceChosen = c.model != 254;
        link.inputOpen = c.inputOpen;
        link.outputOpen = c.outputOpen;
        link.reached = c.reached;
        link.answered = c.answered;

        ConsoleState::Page page;
        page.receivePage = c.receivePage;
        page.locked = c.locked;
        page.hasWhatBeginNeeds = c.hasWhatBeginNeeds;

        const auto shown = ConsoleState::controlsFor (link, page);
        EXPECT_EQ (shown.connected, c.connected);
        EXPECT_EQ (shown.browse, c.browse);
        EXPECT_EQ (shown.begin, c.begin);
    }

    EXPECT_TRUE (ConsoleState::cancelOffered (true, true));
    EXPECT_FALSE (ConsoleState::cancelOffered (false, true)) << "nothing runs on a page handed back";
    EXPECT_FALSE (ConsoleState::cancelOffered (true, false));
}
} // namespace

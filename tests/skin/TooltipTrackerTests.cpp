#include "TooltipTracker.h"

#include <gtest/gtest.h>

namespace
{
using Action = TooltipTracker::Action;

const int button = 1, field = 2, plain = 3;

/** One look of a script: where the mouse is, over what, and when. */
struct Step
{
    juce::uint32 ms;
    const int* target;        // null: the mouse is over nothing of ours
    const char* tip;
    float x;
    Action expected;
    bool expectLookAgain;
    bool pressedHere = false;
    bool dismissBefore = false;
};

struct Script
{
    const char* what;
    std::vector<Step> steps;
    juce::uint32 startMs = 1000;
};

void play (const Script& script)
{
    TooltipTracker tracker (700);
    int index = 0;

    for (const auto& step : script.steps)
    {
        if (step.dismissBefore)
            tracker.dismiss();

        TooltipTracker::Look look;
        look.target = step.target;
        look.tip = step.tip;
        look.position = { step.x, 50.0f };
        look.pressedHere = step.pressedHere;
        look.nowMs = script.startMs + step.ms;

        EXPECT_EQ (tracker.look (look), step.expected) << script.what << ", look " << index;
        EXPECT_EQ (tracker.needsAnotherLook(), step.expectLookAgain) << script.what << ", look " << index;

        if (step.expected == Action::show)
        {
            EXPECT_EQ (tracker.getTipShowing(), juce::String (step.tip)) << script.what << ", look " << index;
        }

        ++index;
    }
}
} // namespace

TEST (TooltipTracker, ShowsChangesAndHidesTipsAsTheMouseMovesAndRestsThenStopsLooking)
{
    const std::vector<Script> scripts {
        { "rest over a tip: it shows after the delay, then nothing is left to look at",
          { { 0, &button, "Send", 10, Action::none, true },
            { 123, &button, "Send", 10, Action::none, true },
            { 600, &button, "Send", 10, Action::none, true },
            { 738, &button, "Send", 10, Action::show, false },
            { 861, &button, "Send", 10, Action::none, false } } },
        { "rest over something without a tip: one look after the mouse stops is enough",
          { { 0, &plain, "", 10, Action::none, true },
            { 123, &plain, "", 10, Action::none, false } } },
        { "a tip showing goes when the mouse reaches something without one, or nothing",
          { { 0, &button, "Send", 10, Action::none, true },
            { 800, &button, "Send", 10, Action::show, false },
            { 923, &plain, "", 40, Action::hide, true },
            { 1046, &plain, "", 40, Action::none, false },
            { 1169, &button, "Send", 10, Action::show, true },
            { 1292, nullptr, "", 900, Action::hide, true } } },
        { "from one tip to another the new one shows at once",
          { { 0, &button, "Send", 10, Action::none, true },
            { 800, &button, "Send", 10, Action::show, false },
            { 923, &field, "C:/dumps/kt4.syx", 60, Action::show, true },
            { 1046, &field, "C:/dumps/kt4.syx", 60, Action::none, false } } },
        { "just after a tip went, the next one shows at once; later it waits for the delay",
          { { 0, &button, "Send", 10, Action::none, true },
            { 800, &button, "Send", 10, Action::show, false },
            { 923, &plain, "", 40, Action::hide, true },
            { 1300, &field, "Folder", 60, Action::show, true },
            { 1423, &plain, "", 40, Action::hide, true },
            { 3000, &field, "Folder", 60, Action::none, true },
            { 3500, &field, "Folder", 60, Action::none, true },
            { 3701, &field, "Folder", 60, Action::show, false } } },
        { "a press while a tip shows hides it, and the tip does not come back where it was pressed",
          { { 0, &button, "Send", 10, Action::none, true },
            { 800, &button, "Send", 10, Action::show, false },
            { 900, &button, "Send", 10, Action::hide, false, true, true },
            { 2000, &button, "Send", 10, Action::none, false, true } } },
        { "moving slowly (12 pixels or less between looks) does not start the delay again",
          { { 0, &button, "Send", 10, Action::none, true },
            { 400, &button, "Send", 20, Action::none, true },
            { 701, &button, "Send", 30, Action::show, true },
            { 824, &button, "Send", 30, Action::none, false } } },
        { "moving quickly starts the delay again",
          { { 0, &button, "Send", 10, Action::none, true },
            { 400, &button, "Send", 30, Action::none, true },
            { 701, &button, "Send", 30, Action::none, true },
            { 1101, &button, "Send", 30, Action::show, false } } },
        { "the millisecond counter wrapping round does not hold the tip back",
          { { 0, &button, "Send", 10, Action::none, true },
            { 800, &button, "Send", 10, Action::show, false } },
          0xffffff00u },
    };

    for (const auto& script : scripts)
        play (script);
}

TEST (TooltipTracker, HidingFromOutsideAndDismissingWithoutATipChangeNothingElse)
{
    TooltipTracker tracker (700);
    EXPECT_EQ (tracker.hideNow (10), Action::none);
    tracker.dismiss();
    EXPECT_FALSE (tracker.needsAnotherLook()) << "a press with no tip showing leaves nothing to do";

    TooltipTracker::Look look;
    look.target = &button;
    look.tip = "Send";
    look.nowMs = 100;
    EXPECT_EQ (tracker.look (look), Action::none);
    look.nowMs = 900;
    EXPECT_EQ (tracker.look (look), Action::show);
    EXPECT_TRUE (tracker.isTipShowing());

    EXPECT_EQ (tracker.hideNow (950), Action::hide);
    EXPECT_FALSE (tracker.isTipShowing());
    EXPECT_TRUE (tracker.getTipShowing().isEmpty());
}

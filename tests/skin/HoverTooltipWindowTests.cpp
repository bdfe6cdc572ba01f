#include "HoverTooltipWindow.h"
#include "MessageLoop.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using morvane::test::MouseDriver;
using morvane::test::runMessageLoopUntil;

namespace
{
/** Tips may show although the test's windows never have the display's focus. */
class TooltipsInFront : public HoverTooltipWindow
{
public:
    using HoverTooltipWindow::HoverTooltipWindow;

protected:
    bool mayShowTips() const override { return true; }
};

/** A window's content with a button that has a tip and a panel that has none. */
struct TippedContent
{
    TippedContent()
    {
        parent.setSize (300, 200);
        button.setTooltip ("Send the file");
        button.setBounds (20, 20, 100, 40);
        panel.setBounds (160, 20, 100, 40);
        parent.addAndMakeVisible (button);
        parent.addAndMakeVisible (panel);
    }

    juce::Component parent;
    juce::TextButton button { "Send" };
    juce::Component panel;
};
} // namespace

TEST (HoverTooltipWindow, LooksAtTheMouseOnlyFromAMouseEventUntilNothingIsLeftToShow)
{
    TippedContent content;
    TooltipsInFront tooltips (content.parent);
    MouseDriver mouse (content.parent);

    EXPECT_FALSE (tooltips.isWatchingMouse()) << "no mouse event yet: nothing to look at";
    EXPECT_EQ (tooltips.getParentComponent(), &content.parent);

    // Resting on the button: its tip appears, and then the window stops looking.
    mouse.moveTo ({ 50, 40 });
    EXPECT_TRUE (tooltips.isWatchingMouse());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return tooltips.getTipShowing() == "Send the file"; }));
    EXPECT_TRUE (tooltips.isVisible());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return ! tooltips.isWatchingMouse(); }));
    EXPECT_TRUE (tooltips.isVisible()) << "the tip stays while the mouse rests on the button";

    // Onto the panel, which has no tip: the tip goes, and the window stops looking again.
    mouse.moveTo ({ 200, 40 });
    EXPECT_TRUE (tooltips.isWatchingMouse());
    ASSERT_TRUE (runMessageLoopUntil ([&] { return ! tooltips.isVisible() && ! tooltips.isWatchingMouse(); }));
    EXPECT_TRUE (tooltips.getTipShowing().isEmpty());

    // Back on the button, a click hides its tip, which does not come back where it was clicked.
    mouse.moveTo ({ 50, 40 });
    ASSERT_TRUE (runMessageLoopUntil ([&] { return tooltips.isVisible(); }));
    mouse.click ({ 50, 40 });
    ASSERT_TRUE (runMessageLoopUntil ([&] { return ! tooltips.isVisible() && ! tooltips.isWatchingMouse(); }));

    // Leaving the window: nothing shows and nothing is looked at.
    mouse.moveTo ({ 50, 40 });
    mouse.moveTo ({ 60, 45 });
    mouse.leave();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return ! tooltips.isWatchingMouse(); }));
    EXPECT_FALSE (tooltips.isVisible());
}

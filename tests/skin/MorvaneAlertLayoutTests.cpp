#include "MorvaneAlertLayout.h"
#include "MorvaneLookAndFeel.h"
#include "TPXDrawableButton.h"

#include <gtest/gtest.h>

namespace
{
/** Every part inside the box, none over another, the whole message shown within its width. */
void expectPartsInside (const MorvaneAlertLayout& layout)
{
    const auto box = layout.box;
    EXPECT_EQ (box.getPosition(), juce::Point<int>());

    for (auto part : { layout.titleBar, layout.message, layout.footer })
        EXPECT_TRUE (box.contains (part)) << part.toString() << " in " << box.toString();

    if (! layout.icon.isEmpty())
    {
        EXPECT_TRUE (box.contains (layout.icon));
        EXPECT_FALSE (layout.icon.intersects (layout.message));
        EXPECT_LT (layout.icon.getBottom(), layout.footer.getY());
    }

    EXPECT_LE (layout.message.getBottom(), layout.footer.getY());
    EXPECT_LE (layout.text.getHeight(), (float) layout.message.getHeight() + 0.5f);

    for (int i = 0; i < layout.text.getNumLines(); ++i)
        EXPECT_LE (layout.text.getLine (i).getLineBoundsX().getEnd(), (float) layout.message.getWidth() + 0.5f);

    for (int i = 0; i < layout.buttons.size(); ++i)
    {
        EXPECT_TRUE (layout.footer.contains (layout.buttons[i])) << "button " << i;

        if (i > 0)
        {
            EXPECT_LT (layout.buttons[i - 1].getRight(), layout.buttons[i].getX()) << "buttons " << i - 1 << " and " << i;
        }
    }
}

TEST (MorvaneAlertLayout, EveryPartLiesInsideTheBoxWhateverTheMessage)
{
    const juce::Font font (14.0f);
    const juce::String longWord ("https://www.zandrel-audio.com/support/downloads/morvane/manuals/a-very-long-file-name-for-a-manual-2.10.pdf");

    const struct { const char* name; juce::String message; bool icon; juce::Array<int> buttons; } cases[] = {
        { "short", "Backup complete.", true, { 84 } },
        { "two lines", "Another instance of Morvane was trying to start.\nOnly one instance can execute at a time.", true, { 84 } },
        { "empty", "", true, { 84, 84 } },
        { "no icon", "Update canceled.", false, { 84 } },
        { "paragraph", juce::String::repeatedString ("The device reported an error. ", 12), true, { 84, 84 } },
        { "one long word", "Open:\n" + longWord, true, { 84 } },
        { "a word wider than any box", juce::String::repeatedString ("x", 400), true, { 84 } },
        { "wide buttons", "Quit?", false, { 200, 200, 200 } },
    };

    for (const auto& row : cases)
    {
        SCOPED_TRACE (row.name);
        const auto layout = MorvaneAlertLayout::compute (row.message, font, juce::Colours::black, row.icon, row.buttons, 30);
        EXPECT_GE (layout.box.getWidth(), MorvaneAlertLayout::minimumWidth);
        EXPECT_EQ (layout.icon.isEmpty(), ! row.icon);
        EXPECT_EQ (layout.buttons.size(), row.buttons.size());

        expectPartsInside (layout);
        EXPECT_LE (layout.box.getWidth(), MorvaneAlertLayout::widestText + 2 * MorvaneAlertLayout::margin
                                            + MorvaneAlertLayout::iconSize + MorvaneAlertLayout::iconGap)
            << "the box stays within reach of the screen";
    }

    // An address a little wider than the reading width widens the text so that it stays on one line.
    const auto address = MorvaneAlertLayout::compute ("Open:\nhttps://www.zandrel-audio.com/support/downloads/morvane-manual.pdf",
                                                      font, juce::Colours::black, true, { 84 }, 30);
    EXPECT_EQ (address.text.getNumLines(), 2);
}

TEST (MorvaneAlertLayout, ABoxBuiltByTheLookAndFeelTakesTheLayoutAndItsDefaultButtonComesFirst)
{
    // As in the program, the look-and-feel that builds the box is the default one.
    MorvaneLookAndFeel lookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    std::unique_ptr<juce::AlertWindow> box (lookAndFeel.createAlertWindow ("Morvane", "Closing the application will cancel the current transfer.",
                                                                           "OK", "Cancel", {}, juce::MessageBoxIconType::WarningIcon, 2, nullptr));
    const auto layout = lookAndFeel.getAlertBoxLayout (*box);
    EXPECT_EQ (box->getLocalBounds(), layout.box);

    juce::StringArray order;

    for (auto* child : box->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            if (layout.buttons.contains (button->getBounds()))
                order.set (layout.buttons.indexOf (button->getBounds()), button->getButtonText());

    EXPECT_EQ (order, juce::StringArray ({ "OK", "Cancel" })) << "OK left of Cancel, each where the layout puts it";

    // Drawn without a skin: the fallback colours and fonts still give a whole box.
    juce::Image image (juce::Image::ARGB, box->getWidth(), box->getHeight(), true);
    juce::Graphics g (image);
    box->paintEntireComponent (g, false);
    EXPECT_TRUE (image.getPixelAt (layout.icon.getCentreX(), layout.icon.getCentreY()).isOpaque()) << "the icon is drawn";
    EXPECT_TRUE (lookAndFeel.isLaidOutHere (*box));

    // A text field added afterwards makes the base lay the box out again, and draw it.
    box->addTextEditor ("name", "text");
    EXPECT_FALSE (lookAndFeel.isLaidOutHere (*box));

    box.reset();
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

TEST (TPXDrawableButtonMenu, OpensBelowTheButtonAndAtLeastAsWide)
{
    TPXDrawableButton button ("Device To Update");
    button.setSize (232, 27);
    const auto options = button.menuOptions();
    EXPECT_EQ (options.getTargetComponent(), &button);
    EXPECT_EQ (options.getMinimumWidth(), 232);
    EXPECT_EQ (options.getMaximumNumColumns(), 1);
}
} // namespace

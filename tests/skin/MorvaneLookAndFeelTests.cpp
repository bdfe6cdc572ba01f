#include "MorvaneLookAndFeel.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
std::unique_ptr<MorvaneLookAndFeel> makeLookAndFeel (const SkinManager* skin)
{
    auto lookAndFeel = std::make_unique<MorvaneLookAndFeel> (skin);
    lookAndFeel->loadPopupMenuSkin();
    lookAndFeel->loadMenuBarSkin();
    lookAndFeel->loadAlertWindowSkin();
    lookAndFeel->loadTitlebarSkin();
    return lookAndFeel;
}

/** A title bar of the given window drawn into an image. */
juce::Image drawTitleBar (MorvaneLookAndFeel& lookAndFeel, juce::DocumentWindow& window, const juce::Image* icon,
                          int width = 400, int height = 27)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    lookAndFeel.drawDocumentWindowTitleBar (window, g, width, height, 0, width, icon, false);
    return image;
}

struct TestWindow : juce::DocumentWindow
{
    explicit TestWindow (const juce::String& name)
        : juce::DocumentWindow (name, juce::Colours::grey, juce::DocumentWindow::closeButton)
    {
        setSize (400, 200);
    }
};
} // namespace

TEST (MorvaneLookAndFeel, ReadsMenuAndAlertColoursAndFontsFromTheSkin)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());

    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::backgroundColourId), juce::Colour (0xFFF0F0F0));
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::headerTextColourId), juce::Colour (0xFF000080));
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::textColourId), juce::Colour (0xFF101010));
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xFFFFBC00));
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::highlightedTextColourId), juce::Colour (0xFF000000));
    EXPECT_EQ (lookAndFeel->getMenuBorderColour(), juce::Colour (0xFF404040));
    EXPECT_EQ (lookAndFeel->getPopupMenuFont().getHeight(), 15.0f);
    EXPECT_EQ (lookAndFeel->getPopupMenuFont().getTypefaceName(), "Fixture Regular");

    EXPECT_EQ (lookAndFeel->getMenuBarTextColour(), juce::Colour (0xFF202020));
    EXPECT_EQ (lookAndFeel->getMenuBarSelectedTextColour(), juce::Colour (0xFFFF0000));

    EXPECT_EQ (lookAndFeel->findColour (juce::AlertWindow::backgroundColourId), juce::Colour (0xFFE0E0E0));
    EXPECT_EQ (lookAndFeel->findColour (juce::AlertWindow::textColourId), juce::Colour (0xFF101010));
    EXPECT_EQ (lookAndFeel->findColour (juce::AlertWindow::outlineColourId), juce::Colour (0xFF303030));
    EXPECT_EQ (lookAndFeel->getAlertWindowFont().getHeight(), 16.0f);
    EXPECT_EQ (lookAndFeel->getAlertWindowMessageFont().getHeight(), 14.0f);
    EXPECT_EQ (lookAndFeel->getAlertWindowMessageFont().getTypefaceName(), "Fixture Regular");
}

TEST (MorvaneLookAndFeel, MissingSectionsKeepTheDefaultsAndFontsFallBack)
{
    FixtureSkin fixture ("<SKIN skin=\"fixture.zip\" skinEngineVersion=\"2.0\"><PopupMenuSkin fontSize=\"12\"/></SKIN>");
    const juce::LookAndFeel_V2 base;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());

    EXPECT_EQ (lookAndFeel->findColour (juce::AlertWindow::backgroundColourId),
               base.findColour (juce::AlertWindow::backgroundColourId));
    EXPECT_EQ (lookAndFeel->getMenuBarTextColour(), juce::Colour (0xFF909090));
    EXPECT_EQ (lookAndFeel->getMenuBarSelectedTextColour(), juce::Colour (0xFFFFCC00));
    EXPECT_EQ (lookAndFeel->getAlertWindowFont().getTypefaceName(), juce::Font().getTypefaceName());
    EXPECT_EQ (lookAndFeel->getAlertWindowMessageFont().getHeight(), juce::Font().getHeight());

    // A present section with absent colours: transparent, not the base's colours.
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::backgroundColourId), juce::Colour (0x00000000));
    EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::textColourId), juce::Colour (0x00000000));
    EXPECT_EQ (lookAndFeel->getPopupMenuFont().getTypefaceName(), "Fixture Missing");
}

// At start-up the system's font list is read on a thread of its own; the window draws with the
// skin's typefaces meanwhile, and the first look-up of a system font waits at the gate.
TEST (MorvaneLookAndFeel, OnlyTheSystemsFontsPassTheSystemFontGate)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    int gatePasses = 0;
    lookAndFeel->setSystemFontGate ([&] { ++gatePasses; });
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());

    EXPECT_GT (lookAndFeel->getPopupMenuFont().getStringWidthFloat ("Skin font"), 0.0f);
    EXPECT_GT (fixture.skin->getFont ("regular.stf", 12.0f).getStringWidthFloat ("Skin font"), 0.0f);
    EXPECT_EQ (gatePasses, 0);

    // A family that the framework's typeface cache cannot hold yet.
    const juce::Font systemFont ("Gate " + juce::Uuid().toString(), 12.0f, juce::Font::plain);
    systemFont.getStringWidthFloat ("System font");
    EXPECT_GE (gatePasses, 1);

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

TEST (MorvaneLookAndFeel, SectionsAreFoundByTheirExactTagOnly)
{
    // The look-and-feel finds its sections as every other skin reader does: a tag in other
    // letter case is a section it does not know, so the defaults stay.
    struct Row
    {
        const char* popupMenu;
        const char* menuBar;
        const char* alertWindow;
        const char* titlebar;
        bool read;
    };

    const Row rows[] = {
        { "PopupMenuSkin", "MenuBarSkin", "AlertWindowSkin", "TitlebarSkin", true },
        { "popupmenuskin", "menubarskin", "alertwindowskin", "titlebarskin", false },
        { "POPUPMENUSKIN", "MENUBARSKIN", "ALERTWINDOWSKIN", "TITLEBARSKIN", false },
        { "PopupMenuskin", "MenubarSkin", "AlertwindowSkin", "TitleBarSkin", false },
    };

    const juce::LookAndFeel_V2 base;

    for (const auto& row : rows)
    {
        const auto xml = juce::String ("<SKIN skin=\"fixture.zip\" skinEngineVersion=\"2.0\">")
                       + "<" + row.popupMenu + " menuBackgroundColor=\"FFF0F0F0\" fontSize=\"15\"/>"
                       + "<" + row.menuBar + " topLevelTextColor=\"FF202020\"/>"
                       + "<" + row.alertWindow + " backgroundColor=\"FFE0E0E0\"/>"
                       + "<" + row.titlebar + " gradientTop=\"FF204060\" gradientBtm=\"FF102030\"/>"
                       + "</SKIN>";
        FixtureSkin fixture (xml);
        auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
        TestWindow window ("Morvane");
        const auto titleBar = drawTitleBar (*lookAndFeel, window, nullptr);
        SCOPED_TRACE (row.popupMenu);

        EXPECT_EQ (lookAndFeel->findColour (juce::PopupMenu::backgroundColourId),
                   row.read ? juce::Colour (0xFFF0F0F0) : base.findColour (juce::PopupMenu::backgroundColourId));
        EXPECT_EQ (lookAndFeel->getPopupMenuFont().getHeight(), row.read ? 15.0f : juce::Font().getHeight());
        EXPECT_EQ (lookAndFeel->getMenuBarTextColour(), juce::Colour (row.read ? 0xFF202020 : 0xFF909090));
        EXPECT_EQ (lookAndFeel->findColour (juce::AlertWindow::backgroundColourId),
                   row.read ? juce::Colour (0xFFE0E0E0) : base.findColour (juce::AlertWindow::backgroundColourId));
        EXPECT_EQ (titleBar.getPixelAt (5, 5).getAlpha(), row.read ? 255 : 0);
    }
}

TEST (MorvaneLookAndFeel, WithoutASkinNothingIsReadAndNothingBreaks)
{
    auto lookAndFeel = makeLookAndFeel (nullptr);
    TestWindow window ("Morvane");
    const auto image = drawTitleBar (*lookAndFeel, window, nullptr);
    EXPECT_EQ (image.getPixelAt (5, 5).getAlpha(), 0); // gradient of transparent colours
    EXPECT_EQ (lookAndFeel->getPopupMenuFont().getHeight(), juce::Font().getHeight());

    std::unique_ptr<juce::Button> close (lookAndFeel->createDocumentWindowButton (juce::DocumentWindow::closeButton));
    ASSERT_NE (close, nullptr);
}

TEST (MorvaneLookAndFeel, MessageBoxesAreMarkedNative)
{
    MorvaneLookAndFeel lookAndFeel (nullptr);
   #if JUCE_LINUX || JUCE_BSD
    EXPECT_FALSE (lookAndFeel.isUsingNativeAlertWindows()); // drawn by this look-and-feel here
   #else
    EXPECT_TRUE (lookAndFeel.isUsingNativeAlertWindows());
   #endif
}

TEST (MorvaneLookAndFeel, PopupMenuBackgroundHasABorder)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());

    juce::Image image (juce::Image::ARGB, 50, 30, true);
    {
        juce::Graphics g (image);
        lookAndFeel->drawPopupMenuBackground (g, 50, 30);
    }

    EXPECT_EQ (image.getPixelAt (25, 15), juce::Colour (0xFFF0F0F0));
    // The border colour overdrawn by the text colour at 60 %.
    const auto expectedEdge = juce::Colour (0xFF404040).overlaidWith (juce::Colour (0xFF101010).withAlpha (0.6f));
    EXPECT_TRUE (isNear (image.getPixelAt (0, 15), expectedEdge, 3));
    EXPECT_TRUE (isNear (image.getPixelAt (25, 29), expectedEdge, 3));
}

TEST (MorvaneLookAndFeel, TheInactiveTitleBarIsBrightened)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    TestWindow window ("Some Window");
    ASSERT_FALSE (window.isActiveWindow());

    const auto image = drawTitleBar (*lookAndFeel, window, nullptr, 400, 40);
    EXPECT_TRUE (isNear (image.getPixelAt (2, 0), juce::Colour (0xFF204060).brighter (0.15f), 4));
    EXPECT_TRUE (isNear (image.getPixelAt (2, 39), juce::Colour (0xFF102030).brighter (0.15f), 8));
}

TEST (MorvaneLookAndFeel, AnOtherWindowShowsItsNameCentredAndNoIcon)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    TestWindow window ("Backup");

    juce::Image icon (juce::Image::ARGB, 20, 20, true);
    icon.clear (icon.getBounds(), juce::Colours::magenta);

    const auto image = drawTitleBar (*lookAndFeel, window, &icon);
    EXPECT_EQ (countNear (image, image.getBounds(), juce::Colours::magenta, 30), 0);

    // Inactive text colour, centred over the full width.
    const auto textPixels = countNear (image, { 150, 0, 100, 27 }, juce::Colour (0xFFA0A0A0), 40);
    EXPECT_GT (textPixels, 10);
    EXPECT_EQ (countNear (image, { 0, 0, 120, 27 }, juce::Colour (0xFFA0A0A0), 40), 0);
}

TEST (MorvaneLookAndFeel, TheMainWindowShowsItsNameAndTheDimmedIcon)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    TestWindow window ("Morvane");

    juce::Image icon (juce::Image::ARGB, 20, 20, true);
    icon.clear (icon.getBounds(), juce::Colours::white);

    const auto image = drawTitleBar (*lookAndFeel, window, &icon, 400, 27);
    const auto textWidth = juce::roundToInt (fixture.skin->getFont ("regular.stf", 15.0f).getStringWidthFloat ("Morvane"));
    const auto iconX = (400 - textWidth - 20) / 2;

    // The icon at 60 % over the inactive gradient, from the skin's y position.
    const auto iconPixel = image.getPixelAt (iconX + 10, 3 + 10);
    const auto background = image.getPixelAt (2, 13);
    EXPECT_TRUE (isNear (iconPixel, background.interpolatedWith (juce::Colours::white, 0.6f), 6));
    EXPECT_TRUE (isNear (image.getPixelAt (iconX + 10, 1), image.getPixelAt (2, 1), 2)) << "the icon starts at y 3";
}

TEST (MorvaneLookAndFeel, TitleButtonsComeFromTheSkinAndSitFromTheRightEnd)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    TestWindow window ("Morvane");

    std::unique_ptr<juce::Button> close (lookAndFeel->createDocumentWindowButton (juce::DocumentWindow::closeButton));
    std::unique_ptr<juce::Button> minimise (lookAndFeel->createDocumentWindowButton (juce::DocumentWindow::minimiseButton));
    std::unique_ptr<juce::Button> maximise (lookAndFeel->createDocumentWindowButton (juce::DocumentWindow::maximiseButton));

    auto* drawableClose = dynamic_cast<juce::DrawableButton*> (close.get());
    ASSERT_NE (drawableClose, nullptr);
    EXPECT_EQ (drawableClose->getName(), "Close");
    EXPECT_EQ (drawableClose->getStyle(), juce::DrawableButton::ImageRaw);
    EXPECT_EQ (minimise->getName(), "Minimise");
    ASSERT_NE (maximise, nullptr);

    lookAndFeel->positionDocumentWindowButtons (window, 0, 0, 800, 27, minimise.get(), nullptr, close.get(), false);
    EXPECT_EQ (close->getBounds(), juce::Rectangle<int> (770, 4, 20, 18));
    EXPECT_EQ (minimise->getBounds(), juce::Rectangle<int> (740, 4, 16, 18));

    close->setState (juce::Button::buttonOver);
    EXPECT_EQ (snapshot (*close).getPixelAt (10, 9), fixtureColours::over);
    close->setState (juce::Button::buttonDown);
    EXPECT_EQ (snapshot (*close).getPixelAt (10, 9), fixtureColours::down);

    // The framework disables the buttons of an inactive window: they look as they do at rest,
    // not pressed.
    close->setState (juce::Button::buttonNormal);
    close->setEnabled (false);
    EXPECT_EQ (snapshot (*close).getPixelAt (10, 9), fixtureColours::up);
}

TEST (MorvaneLookAndFeel, SliderThumbsHaveNoHoverShading)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());

    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setLookAndFeel (lookAndFeel.get());
    slider.setBounds (0, 0, 200, 30);
    slider.setColour (juce::Slider::thumbColourId, juce::Colours::red);

    auto render = [&]
    {
        juce::Image image (juce::Image::ARGB, 200, 30, true);
        juce::Graphics g (image);
        lookAndFeel->drawLinearSliderThumb (g, 0, 0, 200, 30, 100.0f, 0.0f, 200.0f, juce::Slider::LinearHorizontal, slider);
        return image;
    };

    const auto image = render();
    EXPECT_GT (countNear (image, { 90, 5, 20, 20 }, juce::Colours::red, 90), 10);
    EXPECT_EQ (countNear (image, { 0, 0, 60, 30 }, juce::Colours::red, 90), 0);

    MouseDriver mouse (slider);
    mouse.moveTo ({ 100, 15 });
    const auto hovered = render();
    EXPECT_EQ (hovered.getPixelAt (100, 15), image.getPixelAt (100, 15));

    slider.setLookAndFeel (nullptr);
}

TEST (MorvaneLookAndFeel, MenuBarItemsUseTheSkinTextColours)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    juce::MenuBarComponent menuBar;
    menuBar.setLookAndFeel (lookAndFeel.get());

    auto render = [&] (bool over)
    {
        juce::Image image (juce::Image::ARGB, 80, 20, true);
        juce::Graphics g (image);
        lookAndFeel->drawMenuBarItem (g, 80, 20, 0, "FILE", over, false, over, menuBar);
        return image;
    };

    EXPECT_GT (countNear (render (false), { 0, 0, 80, 20 }, juce::Colour (0xFF202020), 40), 5);

    const auto highlighted = render (true);
    EXPECT_EQ (highlighted.getPixelAt (1, 1), juce::Colour (0xFFFFBC00));
    EXPECT_GT (countNear (highlighted, { 0, 0, 80, 20 }, juce::Colours::red, 60), 5);

    menuBar.setLookAndFeel (nullptr);
}

TEST (MorvaneLookAndFeel, CheckBoxesAreTickedSquaresAndOneOfChoicesAreCircles)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    lookAndFeel->loadDialogSkin();   // the fixture has no section: the defaults hold
    const auto& look = lookAndFeel->getDialogLook();

    const auto draw = [&] (int radioGroup, bool ticked)
    {
        juce::ToggleButton toggle ("Preset Bank A");
        toggle.setRadioGroupId (radioGroup, juce::dontSendNotification);
        juce::Image image (juce::Image::ARGB, 20, 20, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        lookAndFeel->drawTickBox (g, toggle, 0.0f, 0.0f, 20.0f, 20.0f, ticked, true, false, false);
        return image;
    };

    // A check box fills its corners; a radio button leaves them.
    EXPECT_NE (draw (0, false).getPixelAt (3, 3), juce::Colours::black) << "a check box is a square";
    EXPECT_EQ (draw (1, false).getPixelAt (3, 3), juce::Colours::black) << "a radio button is a circle";

    // Ticked: the square is filled with the mark colour and carries a tick in the fill colour;
    // the circle gets a dot in the mark colour.
    const auto ticked = draw (0, true);
    EXPECT_EQ (ticked.getPixelAt (4, 4), look.toggleMark);
    EXPECT_TRUE (ticked.getPixelAt (8, 13) == look.toggleFill || ticked.getPixelAt (9, 13) == look.toggleFill) << "the tick";
    EXPECT_EQ (draw (1, true).getPixelAt (10, 10), look.toggleMark);
    EXPECT_NE (draw (1, false).getPixelAt (10, 10), look.toggleMark);
}

TEST (MorvaneLookAndFeel, TheDialogSectionOverridesOnlyWhatItGives)
{
    DialogLook look;
    auto section = juce::parseXML ("<DialogSkin toggleMarkColor=\"FF112233\" titleBarHeight=\"30\"/>");
    ASSERT_NE (section, nullptr);
    look.read (*section);

    EXPECT_EQ (look.toggleMark, juce::Colour (0xFF112233));
    EXPECT_EQ (look.titleBarHeight, 30);
    EXPECT_EQ (look.background, DialogLook().background);
    EXPECT_EQ (look.toggleFill, DialogLook().toggleFill);
}

TEST (MorvaneLookAndFeel, AProgressBarShowsItsDonePartAndKeepsItsTextLegible)
{
    FixtureSkin fixture;
    auto lookAndFeel = makeLookAndFeel (fixture.skin.get());
    const auto& look = lookAndFeel->getDialogLook();

    double value = 0.5;
    juce::ProgressBar bar (value);
    bar.setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xFF2D7D84));
    bar.setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xFFF7F9FA));

    juce::Image image (juce::Image::ARGB, 200, 22, true);
    juce::Graphics g (image);
    lookAndFeel->drawProgressBar (g, bar, 200, 22, 0.5, "50%");

    EXPECT_EQ (image.getPixelAt (20, 11), juce::Colour (0xFF2D7D84)) << "the done part";
    EXPECT_EQ (image.getPixelAt (180, 11), juce::Colour (0xFFF7F9FA)) << "the open part";

    // The text over the open part is in the dialogs' text colour, not a pale contrast colour.
    bool darkText = false;

    for (int x = 100; x < 130; ++x)
        for (int y = 4; y < 18; ++y)
            darkText = darkText || image.getPixelAt (x, y) == look.text;

    EXPECT_TRUE (darkText);
}

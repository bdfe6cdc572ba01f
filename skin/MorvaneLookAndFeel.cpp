#include "MorvaneLookAndFeel.h"

#include "DialogKeyboard.h"
#include "OwnedWindows.h"
#include "SkinManager.h"

namespace
{
const juce::String programName ("Morvane");

// Message boxes built by createAlertWindow() keep their message and the order of their buttons
// here: juce::AlertWindow gives neither back.
const juce::Identifier alertMessageProperty ("morvaneAlertMessage");
const juce::Identifier alertButtonIndexProperty ("morvaneAlertButtonIndex");

/** A box's buttons in the order they were added; the first one is the default. */
juce::Array<juce::TextButton*> alertButtons (juce::AlertWindow& box)
{
    juce::Array<juce::TextButton*> buttons;

    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            buttons.add (button);

    std::stable_sort (buttons.begin(), buttons.end(), [] (auto* a, auto* b)
    {
        return (int) a->getProperties()[alertButtonIndexProperty] < (int) b->getProperties()[alertButtonIndexProperty];
    });

    return buttons;
}

bool isDefaultAlertButton (juce::Button& button)
{
    return button.getProperties().contains (alertButtonIndexProperty)
        && (int) button.getProperties()[alertButtonIndexProperty] == 0;
}

// The space before a menu item's text: the same as the console's selector boxes leave before theirs.
constexpr int popupMenuTextInset = 5;

juce::Colour hexColour (const juce::XmlElement& element, const char* attribute)
{
    return juce::Colour ((juce::uint32) element.getStringAttribute (attribute).getHexValue32());
}

float decimal (const juce::XmlElement& element, const char* attribute)
{
    return (float) element.getDoubleAttribute (attribute, 0.0);
}
} // namespace

MorvaneLookAndFeel::MorvaneLookAndFeel (const SkinManager* skin)
    : skinManager (skin)
{
    // Platforms without native message boxes (Linux) keep drawing them from this look-and-feel.
    setUsingNativeAlertWindows (true);
}

MorvaneLookAndFeel::~MorvaneLookAndFeel() = default;

void MorvaneLookAndFeel::setSystemFontGate (std::function<void()> waitForSystemFonts)
{
    systemFontGate = std::move (waitForSystemFonts);
}

juce::Typeface::Ptr MorvaneLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (systemFontGate != nullptr)
        systemFontGate();

    return juce::LookAndFeel_V2::getTypefaceForFont (font);
}

//==============================================================================
const juce::XmlElement* MorvaneLookAndFeel::findSection (const char* tag, bool needsLoadedFlag) const
{
    if (skinManager == nullptr || skinManager->getSkinRoot() == nullptr)
        return nullptr;

    if (needsLoadedFlag && ! skinManager->isSkinLoaded())
        return nullptr;

    return SkinManager::findSection (*skinManager->getSkinRoot(), tag);
}

std::unique_ptr<juce::Font> MorvaneLookAndFeel::readFont (const juce::XmlElement& section, const char* fontAttribute,
                                                          const char* sizeAttribute) const
{
    return std::make_unique<juce::Font> (skinManager->getFont (section.getStringAttribute (fontAttribute),
                                                               decimal (section, sizeAttribute)));
}

juce::Font MorvaneLookAndFeel::fontOrDefault (const std::unique_ptr<juce::Font>& font) const
{
    return font != nullptr ? *font : juce::Font();
}

void MorvaneLookAndFeel::loadPopupMenuSkin()
{
    const auto* section = findSection ("PopupMenuSkin", true);

    if (section == nullptr)
        return;

    setColour (juce::PopupMenu::backgroundColourId, hexColour (*section, "menuBackgroundColor"));
    menuBorderColour = hexColour (*section, "menuBorderColor");
    setColour (juce::PopupMenu::headerTextColourId, hexColour (*section, "fontHeaderColor"));
    setColour (juce::PopupMenu::textColourId, hexColour (*section, "fontColor"));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, hexColour (*section, "itemHighlightedColor"));
    setColour (juce::PopupMenu::highlightedTextColourId, hexColour (*section, "fontHighlightedColor"));
    popupMenuFontSize = decimal (*section, "fontSize");
    popupMenuFont = readFont (*section, "font", "fontSize");
}

void MorvaneLookAndFeel::loadMenuBarSkin()
{
    const auto* section = findSection ("MenuBarSkin", true);

    if (section == nullptr)
        return;

    menuBarTextColour = hexColour (*section, "topLevelTextColor");
    menuBarSelectedTextColour = hexColour (*section, "topLevelTextColorSelected");
    menuBarFont = readFont (*section, "font", "fontSize");
}

void MorvaneLookAndFeel::loadAlertWindowSkin()
{
    const auto* section = findSection ("AlertWindowSkin", true);

    if (section == nullptr)
        return;

    setColour (juce::AlertWindow::backgroundColourId, hexColour (*section, "backgroundColor"));
    setColour (juce::AlertWindow::textColourId, hexColour (*section, "fontColor"));
    setColour (juce::AlertWindow::outlineColourId, hexColour (*section, "borderColor"));
    alertFontSize = decimal (*section, "fontSize");
    alertFont = readFont (*section, "font", "fontSize");
    alertMessageFontSize = decimal (*section, "msgFontSize");
    alertMessageFont = readFont (*section, "msgFont", "msgFontSize");
}

void MorvaneLookAndFeel::readTitleButton (const juce::XmlElement& widget, TitleButtonImages& images)
{
    images.up.setImage (SkinManager::getImage (widget.getStringAttribute ("upImage").hashCode64()));
    images.over.setImage (SkinManager::getImage (widget.getStringAttribute ("overImage").hashCode64()));
    images.down.setImage (SkinManager::getImage (widget.getStringAttribute ("downImage").hashCode64()));
    images.toolTip = widget.getStringAttribute ("toolTip");
    images.offsetX = widget.getIntAttribute ("positionX");
    images.offsetY = widget.getIntAttribute ("positionY");
}

void MorvaneLookAndFeel::loadTitlebarSkin()
{
    const auto* section = findSection ("TitlebarSkin", false);

    if (section == nullptr)
        return;

    titleGradientTop = hexColour (*section, "gradientTop");
    titleGradientBottom = hexColour (*section, "gradientBtm");

    for (auto* widget : section->getChildIterator())
    {
        if (! widget->getTagName().equalsIgnoreCase ("Widget"))
            continue;

        const auto name = widget->getStringAttribute ("name");

        if (name == "zandrelIcon")
        {
            iconY = widget->getIntAttribute ("positionY");
            titleFont = readFont (*widget, "font", "fontSize");
            activeTitleColour = hexColour (*widget, "fontColorActive");
            inactiveTitleColour = hexColour (*widget, "fontColorInactive");
        }
        else if (name == "closeButton")
        {
            readTitleButton (*widget, closeButtonImages);
        }
        else if (name == "minimizeButton")
        {
            readTitleButton (*widget, minimiseButtonImages);
        }
    }
}

//==============================================================================
void MorvaneLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (menuBorderColour);
    g.drawRect (0, 0, width, height, 1);
    g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha (0.6f));
    g.drawRect (0, 0, width, height, 1);
}

juce::Font MorvaneLookAndFeel::getPopupMenuFont()
{
    return fontOrDefault (popupMenuFont);
}

void MorvaneLookAndFeel::drawMenuBarBackground (juce::Graphics&, int, int, bool, juce::MenuBarComponent&)
{
}

juce::Font MorvaneLookAndFeel::getMenuBarFont (juce::MenuBarComponent&, int, const juce::String&)
{
    return fontOrDefault (menuBarFont);
}

void MorvaneLookAndFeel::drawMenuBarItem (juce::Graphics& g, int width, int height, int itemIndex,
                                          const juce::String& itemText, bool isMouseOverItem, bool isMenuOpen,
                                          bool, juce::MenuBarComponent& menuBar)
{
    juce::Colour colour;

    if (! menuBar.isEnabled())
    {
        colour = menuBar.findColour (juce::PopupMenu::textColourId).withMultipliedAlpha (0.5f);
    }
    else if (isMenuOpen || isMouseOverItem)
    {
        g.fillAll (menuBar.findColour (juce::PopupMenu::highlightedBackgroundColourId));
        colour = menuBarSelectedTextColour;
    }
    else
    {
        colour = menuBarTextColour;
    }

    g.setColour (colour);
    g.setFont (getMenuBarFont (menuBar, itemIndex, itemText));
    g.drawFittedText (itemText, 0, 0, width, height, juce::Justification::centred, 1, 0.7f);
}

void MorvaneLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                                    int& idealWidth, int& idealHeight)
{
    if (isSeparator)
    {
        idealWidth = 50;
        idealHeight = 9;
        return;
    }

    const auto font = getPopupMenuFont();
    idealHeight = standardMenuItemHeight > 0 ? standardMenuItemHeight
                                             : juce::roundToInt (font.getHeight() * 1.25f) + 8;
    idealWidth = juce::roundToInt (font.getStringWidthFloat (text)) + popupMenuTextInset * 2 + idealHeight / 2;
}

void MorvaneLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator,
                                            bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                                            const juce::String& text, const juce::String& shortcutKeyText,
                                            const juce::Drawable* icon, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        g.setColour (menuBorderColour.withMultipliedAlpha (0.5f));
        g.fillRect (area.reduced (popupMenuTextInset / 2, 0).withHeight (1).withY (area.getCentreY()));
        return;
    }

    auto r = area.reduced (1, 0);

    if (isHighlighted && isActive)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRect (r);
        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        g.setColour (textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId));
    }

    if (! isActive)
        g.setOpacity (0.4f);

    auto font = getPopupMenuFont();
    font.setHeight (juce::jmin (font.getHeight(), (float) area.getHeight() / 1.3f));
    g.setFont (font);

    r.removeFromLeft (popupMenuTextInset);
    r.removeFromRight (popupMenuTextInset);

    if (icon != nullptr || isTicked || hasSubMenu)
    {
        // Ticks, icons and sub-menu arrows sit at the right end, so that every item's text starts
        // where the box's own text does.
        auto mark = r.removeFromRight (r.getHeight() / 2).toFloat();

        if (icon != nullptr)
            icon->drawWithin (g, mark, juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
        else if (isTicked)
            g.fillPath (getTickShape (1.0f), getTickShape (1.0f).getTransformToScaleToFit (mark.reduced (0.0f, mark.getHeight() * 0.2f), true));
        else
        {
            const auto arrow = mark.withSizeKeepingCentre (mark.getWidth() * 0.4f, mark.getHeight() * 0.5f);
            juce::Path triangle;
            triangle.addTriangle (arrow.getTopLeft(), arrow.getBottomLeft(), { arrow.getRight(), arrow.getCentreY() });
            g.fillPath (triangle);
        }
    }

    g.drawFittedText (text, r, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        g.setFont (font.withHeight (font.getHeight() * 0.8f));
        g.drawText (shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}

void MorvaneLookAndFeel::drawPopupMenuSectionHeader (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                     const juce::String& sectionName)
{
    g.setFont (getPopupMenuFont());
    g.setColour (findColour (juce::PopupMenu::headerTextColourId));
    g.drawFittedText (sectionName, area.reduced (popupMenuTextInset + 1, 0), juce::Justification::centredLeft, 1);
}

juce::Font MorvaneLookAndFeel::getAlertWindowMessageFont()
{
    return fontOrDefault (alertMessageFont);
}

juce::Font MorvaneLookAndFeel::getAlertWindowFont()
{
    return fontOrDefault (alertFont);
}

juce::Font MorvaneLookAndFeel::getAlertWindowTitleFont()
{
    return fontOrDefault (alertFont);
}

juce::Font MorvaneLookAndFeel::alertButtonFont() const
{
    const auto font = fontOrDefault (alertFont);
    return font.withHeight (juce::jmin (font.getHeight(), 14.0f));
}

//==============================================================================
juce::AlertWindow* MorvaneLookAndFeel::createAlertWindow (const juce::String& title, const juce::String& message,
                                                          const juce::String& button1, const juce::String& button2,
                                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                                          int numButtons, juce::Component* associatedComponent)
{
    auto* box = juce::LookAndFeel_V2::createAlertWindow (title, message, button1, button2, button3, iconType,
                                                         numButtons, associatedComponent);

    // The base added the buttons in order and brought each to the front in that order.
    int index = 0;

    for (auto* child : box->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            button->getProperties().set (alertButtonIndexProperty, index++);

    box->getProperties().set (alertMessageProperty, message);

    // The base has laid the box out for its own drawing; this one is sized around its parts.
    const auto layout = getAlertBoxLayout (*box);
    const auto buttons = alertButtons (*box);
    box->centreAroundComponent (associatedComponent, layout.box.getWidth(), layout.box.getHeight());

    for (int i = 0; i < buttons.size() && i < layout.buttons.size(); ++i)
        buttons.getUnchecked (i)->setBounds (layout.buttons.getReference (i));

    // The first button is the one that Return presses; Space presses the focused one.
    if (! buttons.isEmpty())
        DialogKeyboard::setDefaultButton (*buttons.getFirst());

    DialogKeyboard::serve (*box);

    // Before it shows, so that the window manager places it as the main window's dialog.
    OwnedWindows::markAsDialog (*box);
    return box;
}

MorvaneAlertLayout MorvaneLookAndFeel::getAlertBoxLayout (juce::AlertWindow& box)
{
    juce::Array<int> buttonWidths;

    for (auto* button : alertButtons (box))
        buttonWidths.add (button->getWidth());

    return MorvaneAlertLayout::compute (box.getProperties()[alertMessageProperty].toString(), getAlertWindowMessageFont(),
                                        box.findColour (juce::AlertWindow::textColourId),
                                        box.getAlertType() != juce::MessageBoxIconType::NoIcon,
                                        buttonWidths, getAlertWindowButtonHeight());
}

bool MorvaneLookAndFeel::isLaidOutHere (juce::AlertWindow& box)
{
    if (! box.getProperties().contains (alertMessageProperty) || box.containsAnyExtraComponents())
        return false;

    const auto layout = getAlertBoxLayout (box);
    const auto buttons = alertButtons (box);

    if (box.getLocalBounds() != layout.box || buttons.size() != layout.buttons.size())
        return false;

    for (int i = 0; i < buttons.size(); ++i)
        if (buttons.getUnchecked (i)->getBounds() != layout.buttons.getReference (i))
            return false;

    return true;
}

int MorvaneLookAndFeel::getAlertWindowButtonHeight()
{
    return 30;
}

juce::Array<int> MorvaneLookAndFeel::getWidthsForTextButtons (juce::AlertWindow&, const juce::Array<juce::TextButton*>& buttons)
{
    const auto font = alertButtonFont();
    juce::Array<int> widths;

    for (auto* button : buttons)
        widths.add (juce::jmax (84, juce::roundToInt (font.getStringWidthFloat (button->getButtonText())) + 36));

    return widths;
}

void MorvaneLookAndFeel::drawAlertIcon (juce::Graphics& g, juce::MessageBoxIconType type, juce::Rectangle<float> area)
{
    const auto ink = findColour (juce::AlertWindow::textColourId);
    const auto accent = findColour (juce::PopupMenu::highlightedBackgroundColourId).withAlpha (1.0f);
    const auto light = findColour (juce::PopupMenu::highlightedTextColourId).withAlpha (1.0f);
    const auto unit = area.getWidth() / 12.0f;
    const auto cx = area.getCentreX();

    if (type == juce::MessageBoxIconType::WarningIcon)
    {
        juce::Path triangle;
        triangle.addTriangle (cx, area.getY() + unit * 0.5f, area.getRight() - unit * 0.2f, area.getBottom() - unit * 0.8f,
                              area.getX() + unit * 0.2f, area.getBottom() - unit * 0.8f);
        g.setColour (juce::Colour (0xffe9a23b));
        g.fillPath (triangle.createPathWithRoundedCorners (unit * 1.2f));

        g.setColour (ink);
        g.fillRoundedRectangle (cx - unit * 0.6f, area.getY() + unit * 3.6f, unit * 1.2f, unit * 4.2f, unit * 0.6f);
        g.fillEllipse (cx - unit * 0.7f, area.getY() + unit * 8.4f, unit * 1.4f, unit * 1.4f);
        return;
    }

    g.setColour (accent);
    g.fillEllipse (area.reduced (unit * 0.3f));
    g.setColour (light);

    if (type == juce::MessageBoxIconType::QuestionIcon)
    {
        g.setFont (juce::Font (area.getHeight() * 0.7f, juce::Font::bold));
        g.drawText ("?", area, juce::Justification::centred, false);
        return;
    }

    g.fillEllipse (cx - unit * 0.75f, area.getY() + unit * 2.4f, unit * 1.5f, unit * 1.5f);
    g.fillRoundedRectangle (cx - unit * 0.65f, area.getY() + unit * 4.9f, unit * 1.3f, unit * 4.8f, unit * 0.6f);
}

void MorvaneLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& box, const juce::Rectangle<int>& textArea,
                                       juce::TextLayout& textLayout)
{
    // A box that was built elsewhere, or that the base laid out again (text fields or a progress
    // bar added later), keeps the base's drawing.
    if (! isLaidOutHere (box))
    {
        juce::LookAndFeel_V2::drawAlertBox (g, box, textArea, textLayout);
        return;
    }

    const auto layout = getAlertBoxLayout (box);
    const auto background = box.findColour (juce::AlertWindow::backgroundColourId);
    const auto outline = box.findColour (juce::AlertWindow::outlineColourId);

    g.fillAll (background);

    // The title strip, like the main window's title bar where the skin gives one.
    const auto hasTitleGradient = ! (titleGradientTop.isTransparent() && titleGradientBottom.isTransparent());
    const auto title = layout.titleBar.toFloat();

    if (hasTitleGradient)
        g.setGradientFill (juce::ColourGradient (titleGradientTop, 0.0f, 0.0f, titleGradientBottom, 0.0f, title.getBottom(), false));
    else
        g.setColour (outline);

    g.fillRect (title);
    g.setColour (hasTitleGradient && ! activeTitleColour.isTransparent() ? activeTitleColour : background);
    g.setFont (getAlertWindowTitleFont());
    g.drawText (box.getName(), layout.titleBar.reduced (MorvaneAlertLayout::margin, 0), juce::Justification::centred, true);

    if (! layout.icon.isEmpty())
        drawAlertIcon (g, box.getAlertType(), layout.icon.toFloat());

    layout.text.draw (g, layout.message.toFloat());

    // The footer that holds the buttons, set off from the message by a line.
    g.setColour (background.interpolatedWith (outline, 0.08f));
    g.fillRect (layout.footer);
    g.setColour (background.interpolatedWith (outline, 0.25f));
    g.fillRect (layout.footer.withHeight (1));

    g.setColour (outline);
    g.drawRect (box.getLocalBounds(), 1);
}

//==============================================================================
void MorvaneLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                               bool isMouseOverButton, bool isButtonDown)
{
    auto* box = dynamic_cast<juce::AlertWindow*> (button.getParentComponent());

    if (box == nullptr)
    {
        juce::LookAndFeel_V2::drawButtonBackground (g, button, backgroundColour, isMouseOverButton, isButtonDown);
        return;
    }

    const auto area = button.getLocalBounds().toFloat().reduced (0.5f);
    const auto isDefault = isDefaultAlertButton (button);
    const auto accent = findColour (juce::PopupMenu::highlightedBackgroundColourId).withAlpha (1.0f);
    const auto background = box->findColour (juce::AlertWindow::backgroundColourId);
    const auto outline = box->findColour (juce::AlertWindow::outlineColourId);

    juce::Colour top, bottom, border;

    if (isDefault)
    {
        const auto base = isButtonDown ? accent.darker (0.35f) : isMouseOverButton ? accent.brighter (0.15f) : accent;
        top = base.brighter (0.08f);
        bottom = base.darker (0.08f);
        border = accent.darker (0.45f);
    }
    else
    {
        top = isButtonDown ? background.interpolatedWith (outline, 0.18f) : juce::Colours::white;
        bottom = isButtonDown ? top : background.interpolatedWith (outline, 0.08f);
        border = isMouseOverButton || isButtonDown ? accent : background.interpolatedWith (outline, 0.55f);
    }

    if (! button.isEnabled())
    {
        top = top.withMultipliedAlpha (0.5f);
        bottom = bottom.withMultipliedAlpha (0.5f);
        border = border.withMultipliedAlpha (0.5f);
    }

    g.setGradientFill (juce::ColourGradient (top, 0.0f, area.getY(), bottom, 0.0f, area.getBottom(), false));
    g.fillRoundedRectangle (area, 3.0f);
    g.setColour (border);
    g.drawRoundedRectangle (area, 3.0f, 1.0f);

    if (button.hasKeyboardFocus (false) && ! isDefault)
    {
        g.setColour (accent.withAlpha (0.35f));
        g.drawRoundedRectangle (area.reduced (2.0f), 2.0f, 1.0f);
    }
}

void MorvaneLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool isMouseOverButton, bool isButtonDown)
{
    auto* box = dynamic_cast<juce::AlertWindow*> (button.getParentComponent());

    if (box == nullptr)
    {
        juce::LookAndFeel_V2::drawButtonText (g, button, isMouseOverButton, isButtonDown);
        return;
    }

    const auto isDefault = isDefaultAlertButton (button);
    const auto accent = findColour (juce::PopupMenu::highlightedBackgroundColourId).withAlpha (1.0f);

    auto colour = isDefault ? findColour (juce::PopupMenu::highlightedTextColourId).withAlpha (1.0f)
                            : (isMouseOverButton || isButtonDown ? accent.darker (0.2f)
                                                                 : box->findColour (juce::AlertWindow::textColourId));

    g.setColour (colour.withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));
    g.setFont (alertButtonFont());
    g.drawFittedText (button.getButtonText(), button.getLocalBounds().reduced (6, 0), juce::Justification::centred, 1);
}

//==============================================================================
void MorvaneLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                                float sliderPos, float minSliderPos, float maxSliderPos,
                                                juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const auto r = (float) (getSliderThumbRadius (slider) - 2);
    const auto knobColour = slider.findColour (juce::Slider::thumbColourId);
    const auto outline = slider.isEnabled() ? 0.8f : 0.3f;
    const auto fx = (float) x, fy = (float) y, fw = (float) width, fh = (float) height;

    const auto horizontalSphere = [&] { drawGlassSphere (g, sliderPos - r, fy + fh * 0.5f - r, r * 2.0f, knobColour, outline); };
    const auto verticalSphere = [&] { drawGlassSphere (g, fx + fw * 0.5f - r, sliderPos - r, r * 2.0f, knobColour, outline); };

    const auto verticalPointers = [&]
    {
        const auto s = juce::jmin (r, fw * 0.4f);
        drawGlassPointer (g, juce::jmax (0.0f, fx + fw * 0.5f - r * 2.0f), minSliderPos - r, r * 2.0f, knobColour, outline, 1);
        drawGlassPointer (g, juce::jmin (fx + fw - r * 2.0f, fx + fw * 0.5f), maxSliderPos - s, r * 2.0f, knobColour, outline, 3);
    };

    const auto horizontalPointers = [&]
    {
        const auto s = juce::jmin (r, fh * 0.4f);
        drawGlassPointer (g, minSliderPos - s, juce::jmax (0.0f, fy + fh * 0.5f - r * 2.0f), r * 2.0f, knobColour, outline, 2);
        drawGlassPointer (g, maxSliderPos - r, juce::jmin (fy + fh - r * 2.0f, fy + fh * 0.5f), r * 2.0f, knobColour, outline, 4);
    };

    switch (style)
    {
        case juce::Slider::LinearHorizontal:      horizontalSphere(); break;
        case juce::Slider::LinearVertical:        verticalSphere(); break;
        case juce::Slider::ThreeValueVertical:    verticalSphere(); verticalPointers(); break;
        case juce::Slider::ThreeValueHorizontal:  horizontalSphere(); horizontalPointers(); break;
        case juce::Slider::TwoValueVertical:      verticalPointers(); break;
        case juce::Slider::TwoValueHorizontal:    horizontalPointers(); break;
        default: break;
    }
}

//==============================================================================
void MorvaneLookAndFeel::drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int,
                                                     int height, int, int, const juce::Image* icon, bool)
{
    const auto active = window.isActiveWindow();
    const auto top = active ? titleGradientTop : titleGradientTop.brighter (0.15f);
    const auto bottom = active ? titleGradientBottom : titleGradientBottom.brighter (0.15f);

    g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, (float) height, false));
    g.fillAll();

    if (titleFont == nullptr)
        return;

    g.setFont (*titleFont);
    g.setColour (active ? activeTitleColour : inactiveTitleColour);

    const auto textWidth = juce::roundToInt (titleFont->getStringWidthFloat (programName));
    const auto isMainWindow = window.getName() == programName;

    if (isMainWindow)
        g.drawText (programName, 15, 0, window.getWidth(), height, juce::Justification::centred, true);
    else
        g.drawText (window.getName(), 0, 0, window.getWidth(), height, juce::Justification::centred, true);

    if (icon != nullptr && icon->isValid() && isMainWindow)
    {
        g.setOpacity (active ? 1.0f : 0.6f);
        const auto iconX = (window.getWidth() - textWidth - icon->getWidth()) / 2;
        g.drawImageWithin (*icon, iconX, iconY, icon->getWidth(), icon->getHeight(),
                           juce::RectanglePlacement::centred);
    }
}

std::unique_ptr<MorvaneLookAndFeel> MorvaneLookAndFeel::installFromSkin (const SkinManager* skin)
{
    auto lookAndFeel = std::make_unique<MorvaneLookAndFeel> (skin);
    lookAndFeel->loadPopupMenuSkin();
    lookAndFeel->loadMenuBarSkin();
    lookAndFeel->loadAlertWindowSkin();
    lookAndFeel->loadTitlebarSkin();
    lookAndFeel->loadDialogSkin();
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());
    return lookAndFeel;
}

void MorvaneLookAndFeel::loadDialogSkin()
{
    if (const auto* section = findSection ("DialogSkin", true))
        dialogLook.read (*section);
}

void MorvaneLookAndFeel::drawTickBox (juce::Graphics& g, juce::Component& component, float x, float y, float w, float h,
                                      bool ticked, bool isEnabled, bool isMouseOverButton, bool)
{
    dialogLook.drawToggleMark (g, component, { x, y, w, h }, ticked, isEnabled, isMouseOverButton);
}

void MorvaneLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height, double progress,
                                          const juce::String& textToShow)
{
    dialogLook.drawProgressBar (g, bar, width, height, progress, textToShow);
}

juce::Button* MorvaneLookAndFeel::createDocumentWindowButton (int buttonType)
{
    const TitleButtonImages* images = nullptr;

    if (buttonType == juce::DocumentWindow::closeButton)
        images = &closeButtonImages;
    else if (buttonType == juce::DocumentWindow::minimiseButton)
        images = &minimiseButtonImages;

    if (images == nullptr)
        return juce::LookAndFeel_V2::createDocumentWindowButton (buttonType);

    auto* button = new juce::DrawableButton (images->toolTip, juce::DrawableButton::ImageRaw);
    // The framework disables the title bar's buttons while the window is inactive: they keep
    // their normal look then, rather than looking pressed.
    button->setImages (&images->up, &images->over, &images->down, &images->up,
                       &images->up, &images->over, &images->down, nullptr);
    return button;
}

void MorvaneLookAndFeel::positionDocumentWindowButtons (juce::DocumentWindow&, int, int, int titleBarW, int,
                                                        juce::Button* minimiseButton, juce::Button* maximiseButton,
                                                        juce::Button* closeButton, bool)
{
    const auto place = [titleBarW] (juce::Button* button, const TitleButtonImages& images)
    {
        if (button == nullptr)
            return;

        const auto image = images.up.getImage();
        button->setBounds (titleBarW + images.offsetX, images.offsetY, image.getWidth(), image.getHeight());
    };

    place (minimiseButton, minimiseButtonImages);
    place (maximiseButton, maximiseButtonImages);
    place (closeButton, closeButtonImages);
}

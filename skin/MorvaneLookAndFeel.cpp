#include "MorvaneLookAndFeel.h"

#include "SkinManager.h"

namespace
{
const juce::String programName ("Morvane");

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

//==============================================================================
const juce::XmlElement* MorvaneLookAndFeel::findSection (const char* tag, bool needsLoadedFlag) const
{
    if (skinManager == nullptr || skinManager->getSkinRoot() == nullptr)
        return nullptr;

    if (needsLoadedFlag && ! skinManager->isSkinLoaded())
        return nullptr;

    return skinManager->getSkinRoot()->getChildByName (tag);
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

juce::Font MorvaneLookAndFeel::getAlertWindowMessageFont()
{
    return fontOrDefault (alertMessageFont);
}

juce::Font MorvaneLookAndFeel::getAlertWindowFont()
{
    return fontOrDefault (alertFont);
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
    button->setImages (&images->up, &images->over, &images->down, &images->down,
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

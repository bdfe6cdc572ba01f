#pragma once

#include "DialogLook.h"
#include "MorvaneAlertLayout.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SkinManager;

/** The program's default look-and-feel. Takes the colours and fonts of pop-up menus, menu bars and
    message boxes from the skin, draws the main window's own title bar (a vertical gradient, the
    program name, the window icon and two image buttons from the skin) and draws linear slider
    thumbs without hover shading.

    Where the platform has no message boxes of its own (Linux), JUCE draws them with this
    look-and-feel: a title strip, an icon that fits the box, the message wrapped to the box and
    buttons drawn like the console's, in the skin's alert colours and fonts. Pop-up menus get the
    skin's menu colours and font and items of a comfortable height.

    The application builds it once the skin has loaded with installFromSkin, which calls the
    load...Skin() readers in their declared order and installs it as the default look-and-feel. Fonts that the skin does
    not give fall back to the framework's default font.
*/
class MorvaneLookAndFeel : public juce::LookAndFeel_V2
{
public:
    /** The images, tooltip and offsets of one title bar button; the x offset counts from the right
        end of the title bar.
    */
    struct TitleButtonImages
    {
        juce::DrawableImage up, over, down, upOn, overOn, downOn;
        juce::String toolTip;
        int offsetX = 0;
        int offsetY = 0;
    };

    explicit MorvaneLookAndFeel (const SkinManager* skin);
    ~MorvaneLookAndFeel() override;

    /** A look-and-feel with every section of the skin read (pop-up menus, menu bar, alert
        windows, title bar, dialogs), made the default of every component. The caller owns it
        and clears the default (setDefaultLookAndFeel (nullptr)) before deleting it.
    */
    static std::unique_ptr<MorvaneLookAndFeel> installFromSkin (const SkinManager* skin);

    void loadPopupMenuSkin();
    void loadMenuBarSkin();
    void loadAlertWindowSkin();
    void loadTitlebarSkin();

    /** Reads the section "DialogSkin": the dialogs' body colour, their check boxes, radio buttons
        and progress bars, and their title bar's height. Without it the defaults of DialogLook hold.
    */
    void loadDialogSkin();

    const DialogLook& getDialogLook() const noexcept { return dialogLook; }

    /** Called before each look-up of one of the system's typefaces (a font that is not the
        skin's, when the framework's typeface cache does not hold it yet), on the thread that
        draws or measures with it. The application waits here for the system's font list, which
        it reads on a thread of its own while the program starts: the framework's list may not be
        read by two threads at once. Set it before anything draws with this look-and-feel.
    */
    void setSystemFontGate (std::function<void()> waitForSystemFonts);

    /** The framework's choice, once the system font gate has let the look-up through. */
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    const TitleButtonImages& getCloseButtonImages() const noexcept { return closeButtonImages; }
    const TitleButtonImages& getMinimiseButtonImages() const noexcept { return minimiseButtonImages; }
    juce::Colour getMenuBorderColour() const noexcept { return menuBorderColour; }
    juce::Colour getMenuBarTextColour() const noexcept { return menuBarTextColour; }
    juce::Colour getMenuBarSelectedTextColour() const noexcept { return menuBarSelectedTextColour; }
    int getIconPositionY() const noexcept { return iconY; }

    //==============================================================================
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    void drawMenuBarBackground (juce::Graphics&, int width, int height, bool isMouseOverBar,
                                juce::MenuBarComponent&) override;
    juce::Font getMenuBarFont (juce::MenuBarComponent&, int itemIndex, const juce::String& itemText) override;
    void drawMenuBarItem (juce::Graphics&, int width, int height, int itemIndex, const juce::String& itemText,
                          bool isMouseOverItem, bool isMenuOpen, bool isMouseOverBar,
                          juce::MenuBarComponent&) override;

    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                    int& idealWidth, int& idealHeight) override;
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                            bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                            const juce::String& shortcutKeyText, const juce::Drawable* icon,
                            const juce::Colour* textColour) override;
    void drawPopupMenuSectionHeader (juce::Graphics&, const juce::Rectangle<int>& area, const juce::String& sectionName) override;

    juce::Font getAlertWindowMessageFont() override;
    juce::Font getAlertWindowFont() override;
    juce::Font getAlertWindowTitleFont() override;

    /** Builds a box as the base does, then sizes it and places its buttons by getAlertBoxLayout(). */
    juce::AlertWindow* createAlertWindow (const juce::String& title, const juce::String& message,
                                          const juce::String& button1, const juce::String& button2,
                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                          int numButtons, juce::Component* associatedComponent) override;
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    int getAlertWindowButtonHeight() override;
    juce::Array<int> getWidthsForTextButtons (juce::AlertWindow&, const juce::Array<juce::TextButton*>&) override;

    /** Where the parts of the given box lie when this look-and-feel draws it. */
    MorvaneAlertLayout getAlertBoxLayout (juce::AlertWindow&);

    /** True when the box is a plain message box that createAlertWindow() laid out, as
        getAlertBoxLayout() says; any other box is drawn by the base.
    */
    bool isLaidOutHere (juce::AlertWindow&);

    /** A message box's buttons are drawn like the console's (the first one as its default);
        every other button as the base draws it.
    */
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool isMouseOverButton, bool isButtonDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool isMouseOverButton, bool isButtonDown) override;

    /** Check boxes as ticked squares, radio buttons (toggles in a radio group) as circles. */
    void drawTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h, bool ticked, bool isEnabled,
                      bool isMouseOverButton, bool isButtonDown) override;
    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height, double progress,
                          const juce::String& textToShow) override;

    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                                juce::Slider&) override;

    void drawDocumentWindowTitleBar (juce::DocumentWindow&, juce::Graphics&, int width, int height,
                                     int titleSpaceX, int titleSpaceW, const juce::Image* icon,
                                     bool drawTitleTextOnLeft) override;
    juce::Button* createDocumentWindowButton (int buttonType) override;
    void positionDocumentWindowButtons (juce::DocumentWindow&, int titleBarX, int titleBarY, int titleBarW,
                                        int titleBarH, juce::Button* minimiseButton, juce::Button* maximiseButton,
                                        juce::Button* closeButton, bool positionTitleBarButtonsOnLeft) override;

private:
    const juce::XmlElement* findSection (const char* tag, bool needsLoadedFlag) const;
    juce::Font fontOrDefault (const std::unique_ptr<juce::Font>& font) const;
    std::unique_ptr<juce::Font> readFont (const juce::XmlElement&, const char* fontAttribute,
                                          const char* sizeAttribute) const;
    static void readTitleButton (const juce::XmlElement& widget, TitleButtonImages& images);
    juce::Font alertButtonFont() const;
    void drawAlertIcon (juce::Graphics&, juce::MessageBoxIconType, juce::Rectangle<float> area);

    std::unique_ptr<juce::Font> popupMenuFont;
    float popupMenuFontSize = 0.0f;
    juce::Colour menuBorderColour { 0x00000000 };
    std::unique_ptr<juce::Font> menuBarFont;
    juce::Colour menuBarSelectedTextColour { 0xFFFFCC00 };
    juce::Colour menuBarTextColour { 0xFF909090 };
    std::unique_ptr<juce::Font> alertFont;
    float alertFontSize = 0.0f;
    std::unique_ptr<juce::Font> alertMessageFont;
    float alertMessageFontSize = 0.0f;
    TitleButtonImages closeButtonImages;
    TitleButtonImages maximiseButtonImages;
    TitleButtonImages minimiseButtonImages;
    juce::Colour titleGradientTop { 0x00000000 };
    juce::Colour titleGradientBottom { 0x00000000 };
    int iconY = 0;
    std::unique_ptr<juce::Font> titleFont;
    juce::Colour activeTitleColour { 0x00000000 };
    juce::Colour inactiveTitleColour { 0x00000000 };
    DialogLook dialogLook;
    const SkinManager* skinManager = nullptr;
    std::function<void()> systemFontGate;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MorvaneLookAndFeel)
};

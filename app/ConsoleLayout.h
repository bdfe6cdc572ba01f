#pragma once

#include "ConsoleWidgets.h"

#include <juce_gui_basics/juce_gui_basics.h>

class SkinManager;

/** Builds the console's widgets from the skin: the backgrounds, the tab, device, port, file,
    transfer and help widgets at their fixed places, the skin's folder link, and the labels of
    copyright and version. It makes and places them on the console; the console owns them.
*/
class ConsoleLayout
{
public:
    /** Makes every widget of the console from the skin (which may be null) and adds each to the
        console at its place. The labels that open menus or windows report their clicks to
        labelClicks; the receive page's hint to browse shows when the receive folder is still the
        default one.
    */
    static ConsoleWidgets build (juce::Component& console, SkinManager* skin, juce::MouseListener& labelClicks,
                                 bool receiveFolderDefaulted, const juce::String& versionText);

    /** The name of an image's variant: "a.png" with "-over" gives "a-over.png". */
    static juce::String variant (const juce::String& image, const juce::String& suffix);

private:
    ConsoleLayout (juce::Component& console, ConsoleWidgets& widgets, SkinManager* skin, juce::MouseListener& labelClicks);

    void buildAll (bool receiveFolderDefaulted, const juce::String& versionText);
    void buildImagesAndFolderLink();
    void buildTabs();
    void buildDevicePanel();
    void buildBufferDelay();
    void buildFilePanel (bool receiveFolderDefaulted);
    void buildTransferPanel();
    void buildHelpPanel();
    void buildFooter (const juce::String& versionText);
    void addChild (juce::Component& child, bool visible);
    std::unique_ptr<juce::ImageButton> makeImageButton (const juce::String& name, const juce::String& image,
                                                        const juce::String& down, const juce::String& over,
                                                        juce::Rectangle<int> bounds, bool visible);
    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text, juce::Rectangle<int> bounds, bool visible);
    std::unique_ptr<juce::DrawableButton> makeSelector (const juce::String& name, juce::Rectangle<int> bounds);

    juce::Component& parent;
    ConsoleWidgets& w;
    SkinManager* skinManager = nullptr;
    juce::MouseListener& labelClicks;

    JUCE_DECLARE_NON_COPYABLE (ConsoleLayout)
};

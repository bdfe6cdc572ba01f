#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include "MessageLoop.h"
#include "OffscreenPeer.h"

namespace morvane::test
{
ScopedTempFolder::ScopedTempFolder()
    // A name of its own: test processes run side by side.
    : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                  .getChildFile ("morvane-skin-test-" + juce::Uuid().toString()))
{
    folder.createDirectory();
}

ScopedTempFolder::~ScopedTempFolder()
{
    folder.deleteRecursively();
}

ScopedWorkingDirectory::ScopedWorkingDirectory (const juce::File& folder)
    : previous (juce::File::getCurrentWorkingDirectory())
{
    folder.setAsCurrentWorkingDirectory();
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    previous.setAsCurrentWorkingDirectory();
}

//==============================================================================
juce::MemoryBlock makePng (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    image.clear (image.getBounds(), colour);

    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

juce::MemoryBlock makeStf (const juce::String& typefaceName)
{
    const juce::Font source ("DejaVu Sans", 10.0f, juce::Font::plain);

    juce::CustomTypeface typeface;
    typeface.setCharacteristics (typefaceName, "Regular", 1.0f, ' ');
    typeface.addGlyphsFromOtherTypeface (*source.getTypefacePtr(), 32, 96);

    juce::MemoryOutputStream out;
    typeface.writeToStream (out);
    return out.getMemoryBlock();
}

juce::MemoryBlock textBlock (const juce::String& text)
{
    return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
}

ArchiveEntries standardEntries()
{
    return {
        { "up.png", makePng (20, 10, fixtureColours::up) },
        { "over.png", makePng (20, 10, fixtureColours::over) },
        { "down.png", makePng (20, 10, fixtureColours::down) },
        { "disabled.png", makePng (20, 10, fixtureColours::disabled) },
        { "plus.png", makePng (24, 14, fixtureColours::up) },
        { "plus-down.png", makePng (24, 14, fixtureColours::down) },
        { "minus.png", makePng (24, 14, fixtureColours::over) },
        { "minus-down.png", makePng (24, 14, fixtureColours::down) },
        { "close.png", makePng (20, 18, fixtureColours::up) },
        { "close-over.png", makePng (20, 18, fixtureColours::over) },
        { "close-down.png", makePng (20, 18, fixtureColours::down) },
        { "minimise.png", makePng (16, 18, fixtureColours::disabled) },
        { "missing_image_release.png", makePng (16, 16, fixtureColours::missing) },
        { "regular.stf", makeStf ("Fixture Regular") },
        { "_missing_font.stf", makeStf ("Fixture Missing") },
        { "dot.svg", textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                                "<rect width=\"4\" height=\"4\" fill=\"#000000\"/></svg>") },
    };
}

juce::String standardSkinXml()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<SKIN skin="fixture.zip" skinEngineVersion="2.0">
  <TestSkin>
    <Widget name="fullButton" upImage="up.png" overImage="over.png" downImage="down.png"
            disabledImage="disabled.png" positionX="5" positionY="6" width="40" height="20" toolTip="Press me"/>
    <Widget name="upOnlyButton" upImage="up.png" positionX="1" positionY="2"/>
    <Widget name="label" font="regular.stf" fontSize="14" fontColor="FF000000" backgroundColor="FFFFFFFF"
            bounds="10, 20, 120, 24" textJustify="centredLeft" text="Device"/>
  </TestSkin>
  <PopupMenuSkin menuBackgroundColor="FFF0F0F0" menuBorderColor="FF404040" fontHeaderColor="FF000080"
                 fontColor="FF101010" itemHighlightedColor="FFFFBC00" fontHighlightedColor="FF000000"
                 font="regular.stf" fontSize="15"/>
  <MenuBarSkin topLevelTextColor="FF202020" topLevelTextColorSelected="FFFF0000" font="regular.stf" fontSize="13"/>
  <AlertWindowSkin backgroundColor="FFE0E0E0" fontColor="FF101010" borderColor="FF303030"
                   font="regular.stf" fontSize="16" msgFont="regular.stf" msgFontSize="14"/>
  <TitlebarSkin gradientTop="FF204060" gradientBtm="FF102030">
    <Widget name="zandrelIcon" positionY="3" font="regular.stf" fontSize="15" fontColorActive="FFFFFFFF"
            fontColorInactive="FFA0A0A0"/>
    <Widget name="closeButton" upImage="close.png" overImage="close-over.png" downImage="close-down.png"
            toolTip="Close" positionX="-30" positionY="4"/>
    <Widget name="minimizeButton" upImage="minimise.png" overImage="minimise.png" downImage="minimise.png"
            toolTip="Minimise" positionX="-60" positionY="4"/>
  </TitlebarSkin>
</SKIN>
)";
}

void writeSkin (const juce::File& folder, const juce::String& xml, const ArchiveEntries& entries,
                const juce::String& archiveName)
{
    folder.createDirectory();
    folder.getChildFile (SkinManager::skinFileName).replaceWithText (xml);

    juce::ZipFile::Builder builder;

    for (const auto& [name, data] : entries)
        builder.addEntry (new juce::MemoryInputStream (data, true), 9, name, juce::Time::getCurrentTime());

    const auto archive = folder.getChildFile (archiveName);
    archive.deleteFile();
    juce::FileOutputStream out (archive);
    builder.writeToStream (out, nullptr);
}

std::unique_ptr<SkinManager> loadSkin (const juce::File& folder)
{
    auto skin = std::make_unique<SkinManager> (folder);
    skin->load (false);
    return skin;
}

const juce::XmlElement* findWidget (const SkinManager& skin, const juce::String& section, const juce::String& name)
{
    if (const auto* element = skin.getSection (section))
        for (auto* widget : element->getChildWithTagNameIterator ("Widget"))
            if (widget->getStringAttribute ("name") == name)
                return widget;

    return nullptr;
}

FixtureSkin::FixtureSkin (const juce::String& xml, const ArchiveEntries& entries)
{
    writeSkin (temp.getFolder(), xml, entries);
    skin = loadSkin (temp.getFolder());
}

std::unique_ptr<juce::XmlElement> makeWidget (std::initializer_list<std::pair<const char*, const char*>> attributes)
{
    auto widget = std::make_unique<juce::XmlElement> ("Widget");

    for (const auto& [name, value] : attributes)
        widget->setAttribute (name, value);

    return widget;
}

//==============================================================================
juce::Image snapshot (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, true);
    return image;
}

bool isNear (juce::Colour a, juce::Colour b, int tolerance)
{
    return std::abs ((int) a.getRed() - (int) b.getRed()) <= tolerance
        && std::abs ((int) a.getGreen() - (int) b.getGreen()) <= tolerance
        && std::abs ((int) a.getBlue() - (int) b.getBlue()) <= tolerance
        && std::abs ((int) a.getAlpha() - (int) b.getAlpha()) <= tolerance;
}

int darkestLevel (const juce::Image& image, juce::Rectangle<int> area)
{
    int darkest = 255;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = juce::Colours::white.overlaidWith (image.getPixelAt (x, y));
            darkest = juce::jmin (darkest, ((int) c.getRed() + (int) c.getGreen() + (int) c.getBlue()) / 3);
        }
    }

    return darkest;
}

int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (isNear (image.getPixelAt (x, y), colour, tolerance))
                ++count;

    return count;
}

//==============================================================================
MouseDriver::MouseDriver (juce::Component& c)
    : component (c), holder (std::make_unique<Offscreen<juce::Component>>())
{
    holder->setBounds (100, 100, c.getWidth() + margin * 2, c.getHeight() + margin * 2);
    holder->addAndMakeVisible (component);
    component.setTopLeftPosition (margin, margin);
    holder->addToDesktop (0);
    holder->setVisible (true);
    jassert (holder->getPeer() != nullptr);
}

MouseDriver::~MouseDriver()
{
    if (held.isAnyMouseButtonDown())
        release ({ -margin - 50, -margin - 50 });

    leave();
    holder->removeChildComponent (&component);
    holder->removeFromDesktop();
}

juce::ComponentPeer* MouseDriver::getPeer() const noexcept
{
    return holder->getPeer();
}

void MouseDriver::send (juce::Point<int> position, juce::ModifierKeys mods)
{
    const auto inPeer = position + juce::Point<int> (margin, margin);
    juce::Desktop::setMousePosition (holder->localPointToGlobal (inPeer));

    held = mods;
    getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inPeer.toFloat(), mods,
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::Time::currentTimeMillis());
}

void MouseDriver::moveTo (juce::Point<int> position)
{
    send (position, held);
}

void MouseDriver::press (juce::Point<int> position, juce::ModifierKeys buttons)
{
    send (position, held);
    send (position, buttons);
}

void MouseDriver::release (juce::Point<int> position)
{
    send (position, held); // a drag to where the button is released
    send (position, {});
}

void MouseDriver::click (juce::Point<int> position, juce::ModifierKeys buttons)
{
    press (position, buttons);
    release (position);
}

void MouseDriver::leave()
{
    send ({ -margin - 50, -margin - 50 }, {});
}

//==============================================================================
ChangeCounter::ChangeCounter (juce::ChangeBroadcaster& source)
    : broadcaster (source)
{
    broadcaster.addChangeListener (this);
}

ChangeCounter::~ChangeCounter()
{
    broadcaster.removeChangeListener (this);
}

void ChangeCounter::changeListenerCallback (juce::ChangeBroadcaster*)
{
    ++count;

    if (onChange != nullptr)
        onChange();
}
} // namespace morvane::test

#pragma once

#include "SkinManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <utility>
#include <vector>

namespace morvane::test
{
/** A folder under the system's temporary folder, deleted with everything in it at the end. */
class ScopedTempFolder
{
public:
    ScopedTempFolder();
    ~ScopedTempFolder();

    const juce::File& getFolder() const noexcept { return folder; }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (ScopedTempFolder)
};

/** Makes the given folder the working directory for the scope, and restores the old one. */
class ScopedWorkingDirectory
{
public:
    explicit ScopedWorkingDirectory (const juce::File& folder);
    ~ScopedWorkingDirectory();

private:
    juce::File previous;

    JUCE_DECLARE_NON_COPYABLE (ScopedWorkingDirectory)
};

using ArchiveEntries = std::vector<std::pair<juce::String, juce::MemoryBlock>>;

/** A PNG of one colour. */
juce::MemoryBlock makePng (int width, int height, juce::Colour colour);

/** A serialised typeface (".stf") named typefaceName, made from an installed font. */
juce::MemoryBlock makeStf (const juce::String& typefaceName);

juce::MemoryBlock textBlock (const juce::String& text);

/** The colours of the fixture skin's images. */
namespace fixtureColours
{
    const juce::Colour up (0xFFD02020);
    const juce::Colour over (0xFF20D020);
    const juce::Colour down (0xFF2020D0);
    const juce::Colour disabled (0xFF808080);
    const juce::Colour missing (0xFFFF00FF);
} // namespace fixtureColours

/** Images (up.png 20x10, over.png, down.png, disabled.png, the spin buttons, the missing-image
    placeholder 16x16), the fonts "regular.stf" and "_missing_font.stf", and a small drawable.
*/
ArchiveEntries standardEntries();

/** A fixture skin document with the sections the tests use. */
juce::String standardSkinXml();

/** Writes the skin file "MV.qorby" with the given text and a ZIP archive of the entries. */
void writeSkin (const juce::File& folder, const juce::String& xml, const ArchiveEntries& entries,
                const juce::String& archiveName = "fixture.zip");

/** A manager on the folder, loaded without a message box on failure. */
std::unique_ptr<SkinManager> loadSkin (const juce::File& folder);

/** The Widget of that name in the section, or null. */
const juce::XmlElement* findWidget (const SkinManager& skin, const juce::String& section, const juce::String& name);

/** The standard fixture skin written into a temporary folder and loaded. */
struct FixtureSkin
{
    FixtureSkin (const juce::String& xml = standardSkinXml(), const ArchiveEntries& entries = standardEntries());

    ScopedTempFolder temp;
    std::unique_ptr<SkinManager> skin;
};

/** A Widget element made from attribute pairs. */
std::unique_ptr<juce::XmlElement> makeWidget (std::initializer_list<std::pair<const char*, const char*>> attributes);

//==============================================================================
/** The component painted into an image of its own size (alpha of the component not applied). */
juce::Image snapshot (juce::Component& component);

/** True when the two colours differ by at most tolerance in every channel. */
bool isNear (juce::Colour a, juce::Colour b, int tolerance = 8);

/** The lowest brightness (0 black, 255 white) of the pixels in the area, over opaque white. */
int darkestLevel (const juce::Image& image, juce::Rectangle<int> area);

/** The number of pixels in the area near the colour. */
int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance = 8);

//==============================================================================
/** Puts a component into a window of its own and sends it mouse input through the window's
    peer, so that enter, exit, press and release reach it as they would from a user. Positions are
    in the component's coordinates.

    The window is known to JUCE only, not to the display, so no event of the real display can come
    between the test's own. JUCE still asks the system where the pointer really is (whether a
    button is under the mouse, whether a release clicks), so the real pointer is moved along with
    every event.
*/
class MouseDriver
{
public:
    explicit MouseDriver (juce::Component& component);
    ~MouseDriver();

    void moveTo (juce::Point<int> position);
    void press (juce::Point<int> position, juce::ModifierKeys buttons = juce::ModifierKeys::leftButtonModifier);
    void release (juce::Point<int> position);
    void click (juce::Point<int> position, juce::ModifierKeys buttons = juce::ModifierKeys::leftButtonModifier);

    /** Moves the mouse off the component. */
    void leave();

    juce::ComponentPeer* getPeer() const noexcept;

private:
    void send (juce::Point<int> position, juce::ModifierKeys mods);

    static constexpr int margin = 10;

    juce::Component& component;
    std::unique_ptr<juce::Component> holder;
    juce::ModifierKeys held;

    JUCE_DECLARE_NON_COPYABLE (MouseDriver)
};

/** Counts the change messages of a broadcaster. */
class ChangeCounter : public juce::ChangeListener
{
public:
    explicit ChangeCounter (juce::ChangeBroadcaster& source);
    ~ChangeCounter() override;

    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    int count = 0;
    std::function<void()> onChange;

private:
    juce::ChangeBroadcaster& broadcaster;

    JUCE_DECLARE_NON_COPYABLE (ChangeCounter)
};
} // namespace morvane::test

#pragma once

#include "MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <string>

/*  What the window tests need to wait for real windows on a busy display: the X server's own view
    of a window (the framework hears of the window manager's moves later), waits that ask the
    window manager again, and a description of every window for a wait that ran out.
*/
namespace morvane::test
{
/** What xwininfo says of a window on the X server: where it is, its size and whether it is
    mapped; tells a misplaced window from one whose place the framework has not caught up with.
*/
inline juce::StringArray whatTheServerSays (juce::Component& c)
{
    juce::StringArray where;

    if (c.getPeer() == nullptr)
        return where;

    juce::ChildProcess xwininfo;
    const auto id = juce::String ((juce::pointer_sized_uint) c.getWindowHandle());

    if (! xwininfo.start (juce::StringArray { "xwininfo", "-id", id }))
        return where;

    juce::StringArray lines;
    lines.addLines (xwininfo.readAllProcessOutput());

    for (auto& line : lines)
        if (line.contains ("Absolute") || line.contains ("Relative") || line.contains ("Width") || line.contains ("Height") || line.contains ("Map State"))
            where.add (line.trim());

    return where;
}

inline juce::String whereTheServerHas (juce::Component& c)
{
    const auto where = whatTheServerSays (c);
    return where.isEmpty() ? juce::String ("xwininfo did not answer") : where.joinIntoString ("; ");
}

/** The window's top-left corner as the X server has it; (-1, -1) when it could not be asked. */
inline juce::Point<int> serverPosition (juce::Component& c)
{
    juce::Point<int> position { -1, -1 };

    for (auto& line : whatTheServerSays (c))
    {
        if (line.startsWith ("Absolute upper-left X:"))
            position.x = line.fromLastOccurrenceOf (":", false, false).getIntValue();
        else if (line.startsWith ("Absolute upper-left Y:"))
            position.y = line.fromLastOccurrenceOf (":", false, false).getIntValue();
    }

    return position;
}

/** Every window of the program: its name, its place as the framework and the X server have it,
    whether it shows, is active or modal, and which component has the keyboard focus.
*/
inline std::string describeWindows()
{
    auto& desktop = juce::Desktop::getInstance();
    juce::StringArray windows;

    for (int i = 0; i < desktop.getNumComponents(); ++i)
    {
        auto* c = desktop.getComponent (i);
        juce::String line;
        line << "'" << c->getName() << "' at " << c->getScreenBounds().toString()
             << (c->isShowing() ? ", showing" : ", not showing")
             << (c->getPeer() != nullptr && c->getPeer()->isFocused() ? ", focused" : "")
             << (c->isCurrentlyModal (false) ? ", modal" : "")
             << "; the X server: " << whereTheServerHas (*c);
        windows.add (line);
    }

    auto* modal = juce::Component::getCurrentlyModalComponent();
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    juce::String text;
    text << desktop.getNumComponents() << " windows [" << windows.joinIntoString (" | ") << "]; modal: "
         << (modal != nullptr ? "'" + modal->getName() + "'" : juce::String ("none")) << "; focus: "
         << (focused != nullptr ? "'" + focused->getName() + "' in '" + focused->getTopLevelComponent()->getName() + "'"
                                : juce::String ("none"));
    return text.toStdString();
}

/** Waits until the condition holds, asking the window manager again every second with the given
    request: a busy one may pass over a request (it may judge it stale, or take the window on
    without it). False when the deadline passed first.
*/
inline bool waitAskingEverySecond (const std::function<bool()>& holds, const std::function<void()>& ask, int timeoutMs = 30000)
{
    auto lastAsked = 0.0;

    return runMessageLoopUntil ([&]
    {
        if (holds())
            return true;

        const auto now = juce::Time::getMillisecondCounterHiRes();

        if (now - lastAsked >= 1000.0)
        {
            lastAsked = now;
            ask();
        }

        return false;
    }, timeoutMs);
}

/** Waits until the framework and the X server both have the window's top-left corner at the
    place, on two looks in a row a tenth of a second apart (a move the window manager has not
    finished shows once and goes), asking for the place again every second.
*/
inline bool waitUntilPlaced (juce::Component& window, juce::Point<int> place, int timeoutMs = 30000)
{
    auto lastLooked = 0.0;
    int looksInARow = 0;

    return waitAskingEverySecond ([&]
                                  {
                                      const auto now = juce::Time::getMillisecondCounterHiRes();

                                      if (window.getScreenPosition() != place)
                                      {
                                          looksInARow = 0;
                                          return false;
                                      }

                                      // xwininfo is asked only once the framework has the place, ten times a second
                                      if (now - lastLooked < 100.0)
                                          return false;

                                      lastLooked = now;
                                      looksInARow = serverPosition (window) == place ? looksInARow + 1 : 0;
                                      return looksInARow >= 2;
                                  },
                                  [&]
                                  {
                                      window.setTopLeftPosition (place.translated (0, 1));   // a move the framework cannot take for no change
                                      window.setTopLeftPosition (place);
                                  },
                                  timeoutMs);
}
} // namespace morvane::test

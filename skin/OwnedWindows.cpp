// This file reads JUCE's X11 layer, which JUCE's GUI header offers only on request; it is
// compiled without the shared precompiled header (skin/CMakeLists.txt).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "OwnedWindows.h"

namespace
{
juce::Component::SafePointer<juce::Component>& mainWindowPointer()
{
    static juce::Component::SafePointer<juce::Component> window;
    return window;
}

/** The desktop window that holds the component, if it is one the marks are for. */
juce::ComponentPeer* secondaryPeer (juce::Component& componentInWindow)
{
    auto* window = componentInWindow.getTopLevelComponent();
    auto* main = OwnedWindows::getMainWindow();

    if (window == nullptr || main == nullptr || window == main || ! window->isOnDesktop())
        return nullptr;

    auto* peer = window->getPeer();

    // Menus, tooltips and drag images are pop-ups, not windows of their own.
    if (peer == nullptr || (peer->getStyleFlags() & juce::ComponentPeer::windowIsTemporary) != 0)
        return nullptr;

    return peer;
}

/** The window that a new secondary window belongs to: the modal window it is opened from (a box
    over a backup dialog belongs to that dialog), else the main window.
*/
juce::ComponentPeer* ownerPeer (juce::Component& window)
{
    if (auto* modal = juce::Component::getCurrentlyModalComponent())
    {
        auto* modalWindow = modal->getTopLevelComponent();

        if (modalWindow != &window && modalWindow->isOnDesktop() && modalWindow->isShowing()
            && secondaryPeer (*modalWindow) != nullptr)
            return modalWindow->getPeer();
    }

    auto* main = OwnedWindows::getMainWindow();
    return main != nullptr && main->isOnDesktop() ? main->getPeer() : nullptr;
}

#if JUCE_LINUX || JUCE_BSD
::Display* display()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}

::Window windowOf (juce::ComponentPeer& peer)
{
    return (::Window) (juce::pointer_sized_uint) peer.getNativeHandle();
}

/** The first 32-bit item of a window's property, or 0. */
unsigned long readProperty (::Display* d, ::Window window, Atom property, Atom type)
{
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;

    if (juce::X11Symbols::getInstance()->xGetWindowProperty (d, window, property, 0, 1, False, type, &actualType,
                                                             &actualFormat, &items, &after, &data) == Success
        && data != nullptr)
    {
        if (actualType == type && actualFormat == 32 && items > 0)
            value = *reinterpret_cast<unsigned long*> (data);
    }

    if (data != nullptr)
        juce::X11Symbols::getInstance()->xFree (data);

    return value;
}
#endif
} // namespace

namespace
{
/** Paints again, at once, what a secondary window uncovers as it goes (hidden or deleted): the
    part of every other window of the program that it lay over. The framework paints an uncovered
    part only when it hears of it from the X server, and it may not hear until the next event
    reaches the program: the window manager's, or the pointer moving over the window, seconds
    later, while the part showed the closed box.
*/
class ClosingWatch : private juce::ComponentListener
{
public:
    static void watch (juce::Component& window)
    {
        static const juce::Identifier watchedProperty ("morvaneClosingWatch");

        if (window.getProperties().contains (watchedProperty))
            return;

        window.getProperties().set (watchedProperty, true);
        new ClosingWatch (window);   // deletes itself with the window
    }

private:
    explicit ClosingWatch (juce::Component& windowToWatch) : window (windowToWatch)
    {
        window.addComponentListener (this);
    }

    ~ClosingWatch() override { window.removeComponentListener (this); }

    void componentVisibilityChanged (juce::Component& component) override
    {
        if (! component.isVisible())
            paintBelowLater (component);
    }

    void componentBeingDeleted (juce::Component& component) override
    {
        paintBelowLater (component);
        delete this;
    }

    static void paintBelowLater (juce::Component& closing)
    {
        if (! closing.isOnDesktop())
            return;

        // Posted: it runs once the native window is gone.
        juce::MessageManager::callAsync ([area = closing.getScreenBounds(), gone = juce::Component::SafePointer<juce::Component> (&closing)]
        {
            auto& desktop = juce::Desktop::getInstance();

            for (int i = 0; i < desktop.getNumComponents(); ++i)
                if (auto* other = desktop.getComponent (i); other != gone.getComponent() && other->isShowing())
                    other->repaint (other->getLocalArea (nullptr, area));
        });
    }

    juce::Component& window;
};
} // namespace

void OwnedWindows::setMainWindow (juce::Component* mainWindow)
{
    mainWindowPointer() = mainWindow;
}

juce::Component* OwnedWindows::getMainWindow()
{
    return mainWindowPointer().getComponent();
}

bool OwnedWindows::markAsDialog (juce::Component& componentInWindow)
{
    if (auto* window = componentInWindow.getTopLevelComponent(); window != nullptr && window != getMainWindow())
        ClosingWatch::watch (*window);

    auto* peer = secondaryPeer (componentInWindow);
    auto* owner = peer != nullptr ? ownerPeer (*componentInWindow.getTopLevelComponent()) : nullptr;

    if (peer == nullptr || owner == nullptr)
        return false;

   #if JUCE_LINUX || JUCE_BSD
    auto* d = display();

    if (d == nullptr)
        return false;

    auto* x = juce::X11Symbols::getInstance();
    const juce::XWindowSystemUtilities::ScopedXLock lock;

    const auto window = windowOf (*peer);
    auto ownerWindow = windowOf (*owner);
    x->xChangeProperty (d, window, XA_WM_TRANSIENT_FOR, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*> (&ownerWindow), 1);

    auto dialogType = x->xInternAtom (d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    x->xChangeProperty (d, window, x->xInternAtom (d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*> (&dialogType), 1);
    x->xFlush (d);
    return true;
   #else
    return false;
   #endif
}

namespace
{
/** The native window that the component's window is a dialog of; 0 when it is not marked as one. */
juce::pointer_sized_uint dialogOwnerOf (juce::Component& componentInWindow)
{
   #if JUCE_LINUX || JUCE_BSD
    auto* window = componentInWindow.getTopLevelComponent();
    auto* d = display();

    if (window == nullptr || d == nullptr || window->getPeer() == nullptr)
        return 0;

    auto* x = juce::X11Symbols::getInstance();
    const juce::XWindowSystemUtilities::ScopedXLock lock;
    const auto handle = windowOf (*window->getPeer());

    if (readProperty (d, handle, x->xInternAtom (d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM)
        != x->xInternAtom (d, "_NET_WM_WINDOW_TYPE_DIALOG", False))
        return 0;

    return (juce::pointer_sized_uint) readProperty (d, handle, XA_WM_TRANSIENT_FOR, XA_WINDOW);
   #else
    juce::ignoreUnused (componentInWindow);
    return 0;
   #endif
}
} // namespace

bool OwnedWindows::isMarkedAsDialogOf (juce::Component& componentInWindow, juce::Component& owner)
{
    auto* ownerWindow = owner.getTopLevelComponent();

    if (ownerWindow == nullptr || ownerWindow->getPeer() == nullptr)
        return false;

    const auto ownerHandle = (juce::pointer_sized_uint) ownerWindow->getPeer()->getNativeHandle();
    return ownerHandle != 0 && dialogOwnerOf (componentInWindow) == ownerHandle;
}

//==============================================================================
OwnedWindows::ChooserMarks::ChooserMarks()
{
    startTimer (20);
}

OwnedWindows::ChooserMarks::~ChooserMarks()
{
    stopTimer();
}

void OwnedWindows::ChooserMarks::timerCallback()
{
    auto* modal = juce::Component::getCurrentlyModalComponent();

    if (modal == nullptr || getMainWindow() == nullptr)
        return;

    auto* window = modal->getTopLevelComponent();

    if (window->isShowing() && secondaryPeer (*window) != nullptr && dialogOwnerOf (*window) == 0)
        markAsDialog (*window);
}

//==============================================================================
OwnedWindows::Watcher::Watcher()
{
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

OwnedWindows::Watcher::~Watcher()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
}

void OwnedWindows::Watcher::globalFocusChanged (juce::Component* focusedComponent)
{
    auto* main = getMainWindow();

    if (focusedComponent == nullptr || main == nullptr)
        return;

    if (secondaryPeer (*focusedComponent) != nullptr && dialogOwnerOf (*focusedComponent) == 0)
        markAsDialog (*focusedComponent);
}

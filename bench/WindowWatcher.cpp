#include "WindowWatcher.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace
{
    // A window may go while it is read (the window manager reframes it, the program ends): the
    // errors that follow are expected and ignored rather than fatal.
    int ignoreErrors (Display*, XErrorEvent*) { return 0; }

    Display* asDisplay (void* d) { return static_cast<Display*> (d); }

    long pidOf (Display* display, Window window)
    {
        const auto atom = XInternAtom (display, "_NET_WM_PID", True);

        if (atom == 0)
            return -1;

        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long result = -1;

        if (XGetWindowProperty (display, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
            && data != nullptr)
        {
            if (count == 1 && format == 32)
                result = (long) *reinterpret_cast<unsigned long*> (data);

            XFree (data);
        }

        return result;
    }

    juce::uint64 hashOf (const XImage& image)
    {
        juce::uint64 hash = 14695981039346656037ull;
        const auto bytes = (size_t) image.bytes_per_line * (size_t) image.height;

        for (size_t i = 0; i < bytes; ++i)
            hash = (hash ^ (juce::uint8) image.data[i]) * 1099511628211ull;

        return hash;
    }
} // namespace

WindowWatcher::WindowWatcher()
{
    XSetErrorHandler (ignoreErrors);
    display = XOpenDisplay (nullptr);
}

WindowWatcher::~WindowWatcher()
{
    if (display != nullptr)
        XCloseDisplay (asDisplay (display));
}

unsigned long WindowWatcher::findWindowOf (int pid)
{
    auto* d = asDisplay (display);

    // The program's window, or the window manager's frame around it and its child.
    std::vector<Window> level { DefaultRootWindow (d) };

    for (int depth = 0; depth < 3; ++depth)
    {
        std::vector<Window> next;

        for (const auto parent : level)
        {
            Window root = 0, parentOut = 0;
            Window* children = nullptr;
            unsigned int count = 0;

            if (XQueryTree (d, parent, &root, &parentOut, &children, &count) == 0)
                continue;

            for (unsigned int i = 0; i < count; ++i)
            {
                if (pidOf (d, children[i]) == pid)
                {
                    XWindowAttributes attributes;

                    if (XGetWindowAttributes (d, children[i], &attributes) != 0 && attributes.map_state == IsViewable
                        && attributes.width > 100 && attributes.height > 100)
                    {
                        const auto found = children[i];
                        XFree (children);
                        return found;
                    }
                }

                next.push_back (children[i]);
            }

            if (children != nullptr)
                XFree (children);
        }

        level = std::move (next);
    }

    return 0;
}

double WindowWatcher::timeToFirstPaint (int pid, double startMs, int timeoutMs, int settleMs)
{
    if (display == nullptr)
        return -1.0;

    auto* d = asDisplay (display);
    const auto deadline = startMs + timeoutMs;
    Window window = 0;

    struct Sample
    {
        double atMs;
        juce::uint64 hash;
    };

    std::vector<Sample> samples;
    double lastChange = 0.0;

    for (;;)
    {
        const auto now = juce::Time::getMillisecondCounterHiRes();

        if (now > deadline)
            break;

        if (! samples.empty() && now - lastChange > settleMs)
            break;

        if (window == 0)
        {
            window = findWindowOf (pid);

            if (window == 0)
            {
                juce::Thread::sleep (1);
                continue;
            }
        }

        XWindowAttributes attributes;

        if (XGetWindowAttributes (d, window, &attributes) == 0 || attributes.map_state != IsViewable)
        {
            juce::Thread::sleep (1);
            continue;
        }

        constexpr int side = 32;
        auto* image = XGetImage (d, window, attributes.width / 2 - side / 2, attributes.height / 2 - side / 2,
                                 side, side, AllPlanes, ZPixmap);

        if (image != nullptr)
        {
            const auto hash = hashOf (*image);
            XDestroyImage (image);

            if (samples.empty() || samples.back().hash != hash)
                lastChange = now;

            samples.push_back ({ now, hash });
        }

        juce::Thread::sleep (1);
    }

    if (samples.empty() || juce::Time::getMillisecondCounterHiRes() > deadline)
        return -1.0;

    const auto settled = samples.back().hash;

    for (const auto& sample : samples)
        if (sample.hash == settled)
            return sample.atMs - startMs;

    return -1.0;
}

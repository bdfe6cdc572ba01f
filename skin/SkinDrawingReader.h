#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Reads the SVG drawings of a skin archive, which are small icons, without trusting them.

    The framework's SVG code turns coordinates into integer component bounds without range
    checks, so a huge number, a tiny view box or a stack of scaling transforms overflows them, and
    an embedded image would reach the framework's unsafe image decoders. A drawing is therefore
    refused unless it is a plain icon: valid text without entities or processing instructions
    (SkinXmlReader); only the elements svg, g, path, rect, circle, ellipse, line, polyline,
    polygon, linearGradient, radialGradient, stop, defs, title and desc; no transform attributes;
    path data and point lists of commands, numbers and separators only (the framework's path
    parser reads past the end of some malformed paths); every number finite and within
    maxNumber; a view box at least 1 wide and high; at most maxDepth levels and maxElements
    elements.
*/
class SkinDrawingReader
{
public:
    static constexpr double maxNumber = 10000.0;
    static constexpr int maxDepth = 16;
    static constexpr int maxElements = 4096;

    /** The drawing, or null with the reason in problem. */
    static std::unique_ptr<juce::Drawable> read (const juce::MemoryBlock& data, juce::String& problem);

private:
    SkinDrawingReader() = delete;
};

#pragma once

#include <juce_core/juce_core.h>

/** Keeps the numbers of a skin within what the widgets and the framework's drawing can take.

    Every builder reads positions, sizes and decimals straight from the skin's attributes, and
    the framework's integer parsing overflows on long digit strings; a font size of "nan" or a
    width near INT_MAX would then reach float-to-int conversions and integer overflow in the
    drawing code. So the skin is made safe once, when it is loaded: integers are clamped into
    their kind's range, rectangles number by number, and a decimal that is not finite is removed
    (it counts as missing) while a finite one is clamped.
*/
class SkinValueLimits
{
public:
    /** Positions (x, y and the numbers of rectangles and points) lie within -maxCoordinate to
        maxCoordinate; widths and heights within 0 to maxCoordinate.
    */
    static constexpr int maxCoordinate = 10000;

    /** Other integers (spin ranges, initial values, lengths) lie within -maxValue to maxValue. */
    static constexpr int maxValue = 1000000;

    /** Decimals (font sizes, corner sizes, alphas) lie within -maxDecimal to maxDecimal. */
    static constexpr double maxDecimal = 10000.0;

    /** The framework's text-to-integer conversion (leading blanks, a minus sign, digits; anything
        else ends it; no digits give 0), saturating at the range of int instead of overflowing.
    */
    static int readInteger (const juce::String& text) noexcept;

    /** The framework's text-to-double conversion, except that an exponent of more than four
        digits gives infinity (or zero when negative) instead of overflowing the framework's
        integer exponent.
    */
    static double readDecimal (const juce::String& text) noexcept;

    /** Clamps or removes the numeric attributes of element and of all its descendants. Returns
        the number of attributes changed.
    */
    static int makeSafe (juce::XmlElement& element);

private:
    SkinValueLimits() = delete;
};

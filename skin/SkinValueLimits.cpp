#include "SkinValueLimits.h"

#include <cmath>
#include <limits>

namespace
{
const juce::StringArray positionAttributes { "positionX", "positionY", "centerPositionX" };
const juce::StringArray sizeAttributes { "width", "height", "progressWidth", "progressHeight", "infoWidth", "infoHeight" };
const juce::StringArray valueAttributes { "minVal", "maxVal", "interval", "initialValue", "maxChars" };
const juce::StringArray rectangleAttributes { "bounds", "toggleRect", "spinControlRect", "rect", "labelTextRect", "point" };
const juce::StringArray decimalAttributes { "fontSize", "labelFontSize", "msgFontSize", "buttonCornerSize",
                                            "borderThickness", "alpha", "alphaEnabled", "alphaDisabled",
                                            "opacityNormal", "opacityDown", "minHorzScale" };

/** Rewrites an integer attribute whose value lies outside [low, high]. A value within the range
    reads the same through the framework's parsing, so it is left as written.
*/
bool clampInteger (juce::XmlElement& element, const juce::String& name, int low, int high)
{
    const auto value = SkinValueLimits::readInteger (element.getStringAttribute (name));
    const auto clamped = juce::jlimit (low, high, value);

    if (clamped == value)
        return false;

    element.setAttribute (name, clamped);
    return true;
}

bool clampRectangle (juce::XmlElement& element, const juce::String& name)
{
    const auto text = element.getStringAttribute (name);

    juce::StringArray tokens;
    tokens.addTokens (text, ",; \t\r\n", {});
    tokens.removeEmptyStrings();

    bool changed = false;

    for (auto& token : tokens)
    {
        const auto value = SkinValueLimits::readInteger (token);
        const auto clamped = juce::jlimit (-SkinValueLimits::maxCoordinate, SkinValueLimits::maxCoordinate, value);

        if (clamped != value)
        {
            token = juce::String (clamped);
            changed = true;
        }
    }

    if (changed)
        element.setAttribute (name, tokens.joinIntoString (" "));

    return changed;
}

bool clampDecimal (juce::XmlElement& element, const juce::String& name)
{
    const auto value = SkinValueLimits::readDecimal (element.getStringAttribute (name));

    if (! std::isfinite (value))
    {
        element.removeAttribute (name);
        return true;
    }

    const auto clamped = juce::jlimit (-SkinValueLimits::maxDecimal, SkinValueLimits::maxDecimal, value);

    if (clamped == value)
        return false;

    element.setAttribute (name, clamped);
    return true;
}
} // namespace

int SkinValueLimits::readInteger (const juce::String& text) noexcept
{
    auto p = text.getCharPointer().findEndOfWhitespace();
    const auto negative = *p == '-';

    if (negative)
        ++p;

    juce::int64 value = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        value = juce::jmin ((juce::int64) std::numeric_limits<int>::max() + 1, value * 10 + (*p - '0'));

    value = negative ? -value : value;
    return (int) juce::jlimit ((juce::int64) std::numeric_limits<int>::min(),
                               (juce::int64) std::numeric_limits<int>::max(), value);
}

double SkinValueLimits::readDecimal (const juce::String& text) noexcept
{
    auto p = text.getCharPointer().findEndOfWhitespace();
    const auto negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    while (p.isDigit() || *p == '.')
        ++p;

    if (*p == 'e' || *p == 'E')
    {
        ++p;
        const auto negativeExponent = *p == '-';

        if (*p == '-' || *p == '+')
            ++p;

        while (*p == '0')
            ++p;

        int digits = 0;

        while (p.isDigit())
        {
            ++digits;
            ++p;
        }

        // Found by fuzzing: the framework accumulates the exponent in an int without a bound.
        if (digits > 4)
        {
            if (negativeExponent)
                return negative ? -0.0 : 0.0;

            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        }
    }

    return text.getDoubleValue();
}

int SkinValueLimits::makeSafe (juce::XmlElement& element)
{
    int changes = 0;

    for (int i = element.getNumAttributes(); --i >= 0;)
    {
        const auto name = element.getAttributeName (i);

        if (positionAttributes.contains (name))
            changes += clampInteger (element, name, -maxCoordinate, maxCoordinate) ? 1 : 0;
        else if (sizeAttributes.contains (name))
            changes += clampInteger (element, name, 0, maxCoordinate) ? 1 : 0;
        else if (valueAttributes.contains (name))
            changes += clampInteger (element, name, -maxValue, maxValue) ? 1 : 0;
        else if (rectangleAttributes.contains (name))
            changes += clampRectangle (element, name) ? 1 : 0;
        else if (decimalAttributes.contains (name))
            changes += clampDecimal (element, name) ? 1 : 0;
    }

    for (auto* child : element.getChildIterator())
        changes += makeSafe (*child);

    return changes;
}

#include "SkinDrawingReader.h"

#include "SkinValueLimits.h"
#include "SkinXmlReader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
const juce::StringArray plainElements { "svg", "g", "path", "rect", "circle", "ellipse", "line", "polyline",
                                        "polygon", "linearGradient", "radialGradient", "stop", "defs",
                                        "title", "desc" };

/** True when every number written in the text (1, -2.5, .5, 3e4 ...) is finite and within range. */
bool numbersAreInRange (const juce::String& text)
{
    const auto utf8 = text.toStdString();
    const char* p = utf8.c_str();

    while (*p != 0)
    {
        if (*p == '#') // a colour such as #2a3a4b, or a reference such as url(#shade)
        {
            while (*++p != 0 && (std::isalnum ((unsigned char) *p) || *p == '-' || *p == '_'))
            {
            }
        }
        else if ((*p >= '0' && *p <= '9') || (*p == '.' && p[1] >= '0' && p[1] <= '9'))
        {
            char* end = nullptr;
            const auto value = std::strtod (p, &end);

            if (! std::isfinite (value) || std::abs (value) > SkinDrawingReader::maxNumber)
                return false;

            p = end > p ? end : p + 1;
        }
        else
        {
            ++p;
        }
    }

    return true;
}

/** True for path data the framework's path parser reads safely: it starts with a move, every
    command but a close is followed by at least one number, and nothing but commands, numbers and
    separators appears. The parser skips characters it does not understand one by one, and some
    runs of those make it read past the end of the text.
*/
bool isPlainPathData (const juce::String& data)
{
    const auto utf8 = data.toStdString();
    const char* p = utf8.c_str();
    bool first = true, needsNumber = false;

    while (*p != 0)
    {
        const auto c = *p;

        if (c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n')
        {
            ++p;
        }
        else if (std::strchr ("MmLlHhVvCcSsQqTtAaZz", c) != nullptr)
        {
            if (needsNumber || (first && c != 'M' && c != 'm'))
                return false;

            first = false;
            needsNumber = c != 'Z' && c != 'z';
            ++p;
        }
        else if ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')
        {
            char* end = nullptr;
            std::strtod (p, &end);

            if (first || end == p)
                return false;

            needsNumber = false;
            p = end;
        }
        else
        {
            return false;
        }
    }

    return ! needsNumber;
}

/** True for a list of points (polyline, polygon): numbers and separators only. */
bool isPlainPointList (const juce::String& data)
{
    return data.containsOnly ("0123456789.-+eE ,\t\r\n");
}

juce::String checkElement (const juce::XmlElement& element, int depth, int& count)
{
    if (depth > SkinDrawingReader::maxDepth || ++count > SkinDrawingReader::maxElements)
        return "the drawing is too deep or too large";

    if (element.isTextElement())
        return {};

    const auto tag = element.getTagNameWithoutNamespace();

    if (! plainElements.contains (tag))
        return "the drawing holds <" + tag + ">, which an icon does not need";

    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto name = element.getAttributeName (i);

        if (name.containsIgnoreCase ("transform"))
            return "the drawing is transformed";

        // Names such as xlink:href or id may hold digits that are not numbers; they are not read
        // as coordinates.
        if (name.containsChar (':') || name == "id" || name == "href")
            continue;

        if (! numbersAreInRange (element.getAttributeValue (i)))
            return "the drawing holds a number out of range";

        if ((name == "d" && ! isPlainPathData (element.getAttributeValue (i)))
            || (name == "points" && ! isPlainPointList (element.getAttributeValue (i))))
            return "the drawing's path data is not plain";
    }

    if (tag == "svg" && element.hasAttribute ("viewBox"))
    {
        juce::StringArray box;
        box.addTokens (element.getStringAttribute ("viewBox"), ", \t\r\n", {});
        box.removeEmptyStrings();

        if (box.size() != 4 || ! (SkinValueLimits::readDecimal (box[2]) >= 1.0) || ! (SkinValueLimits::readDecimal (box[3]) >= 1.0))
            return "the drawing's view box is smaller than 1";
    }

    for (auto* child : element.getChildIterator())
        if (auto problem = checkElement (*child, depth + 1, count); problem.isNotEmpty())
            return problem;

    return {};
}
} // namespace

std::unique_ptr<juce::Drawable> SkinDrawingReader::read (const juce::MemoryBlock& data, juce::String& problem)
{
    juce::String text;

    if (! SkinXmlReader::decodeText (data.getData(), data.getSize(), text))
    {
        problem = "the drawing is not valid text";
        return {};
    }

    if (! SkinXmlReader::isSafeToParse (text, true))
    {
        problem = "the drawing declares entities, holds processing instructions or nests too deep";
        return {};
    }

    auto svg = juce::XmlDocument (text).getDocumentElement();

    if (svg == nullptr || ! svg->hasTagNameIgnoringNamespace ("svg"))
    {
        problem = "the drawing does not parse";
        return {};
    }

    int count = 0;
    problem = checkElement (*svg, 0, count);

    if (problem.isNotEmpty())
        return {};

    auto drawable = juce::Drawable::createFromSVG (*svg);

    if (drawable == nullptr)
        problem = "the drawing does not parse";

    return drawable;
}

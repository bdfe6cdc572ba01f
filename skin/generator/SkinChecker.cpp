#include "SkinChecker.h"

#include "SkinRequirements.h"

#include <algorithm>

namespace
{
    const juce::StringArray rectangleAttributes { "bounds", "toggleRect", "spinControlRect", "rect", "labelTextRect" };
    const juce::StringArray integerAttributes { "positionX", "positionY", "width", "height", "minVal", "maxVal",
                                                "interval", "initialValue", "maxChars", "centerPositionX",
                                                "progressWidth", "progressHeight", "infoWidth", "infoHeight",
                                                "titleBarHeight" };
    const juce::StringArray fontSizeAttributes { "fontSize", "labelFontSize", "msgFontSize" };
    const juce::StringArray unitAttributes { "alphaEnabled", "alphaDisabled", "opacityNormal", "opacityDown",
                                             "alpha", "minHorzScale" };
    const juce::StringArray lengthAttributes { "buttonCornerSize", "borderThickness" };
    const juce::StringArray booleanAttributes { "useAlpha", "useOpacity", "toggleMode", "fillNormalGradient",
                                                "fillOverGradient", "fillDownGradient", "useFocusRect" };
    const juce::StringArray justificationAttributes { "textJustify", "labelJustify", "labelTextJustify" };
    const juce::StringArray justificationNames { "left", "right", "horizontallyCentred", "top", "bottom",
                                                 "verticallyCentred", "horizontallyJustified", "centred",
                                                 "centredLeft", "centredRight", "centredTop", "centredBottom",
                                                 "topLeft", "topRight", "bottomLeft", "bottomRight" };

    bool isColourAttribute (const juce::String& name)
    {
        return name.containsIgnoreCase ("color") || name.containsIgnoreCase ("colour")
            || name == "gradientTop" || name == "gradientBtm";
    }

    bool isInteger (const juce::String& text)
    {
        auto digits = text.startsWithChar ('-') ? text.substring (1) : text;
        return digits.isNotEmpty() && digits.containsOnly ("0123456789");
    }

    bool isDecimal (const juce::String& text)
    {
        auto digits = text.startsWithChar ('-') ? text.substring (1) : text;
        return digits.isNotEmpty() && digits.containsOnly ("0123456789.")
            && digits.indexOfChar ('.') == digits.lastIndexOfChar ('.') && digits != ".";
    }

    /** The numbers of a rectangle or point text, or an empty list when it is not written as plain
        integers separated by one blank or one comma each (anything else the framework misreads).
    */
    juce::Array<int> parseNumbers (const juce::String& text)
    {
        juce::Array<int> numbers;
        juce::StringArray tokens;
        tokens.addTokens (text, " ,", "");

        for (auto& token : tokens)
        {
            if (! isInteger (token))
                return {};

            numbers.add (token.getIntValue());
        }

        return numbers;
    }

    /** The first child with exactly this tag: the program finds sections by their exact tag, while
        juce::XmlElement::getChildByName ignores letter case.
    */
    const juce::XmlElement* findSection (const juce::XmlElement& root, const juce::String& tag)
    {
        for (auto* child : root.getChildIterator())
            if (child->getTagName() == tag)
                return child;

        return nullptr;
    }

    bool referencesEntry (const juce::String& value)
    {
        for (auto extension : { ".png", ".stf", ".svg", ".gif", ".jpg", ".jpeg", ".ttf" })
            if (value.endsWithIgnoreCase (extension))
                return true;

        return false;
    }
} // namespace

SkinChecker::SkinChecker (const juce::XmlElement& skinRoot, const juce::String& archive, EntrySizes entrySizes)
    : root (skinRoot),
      archiveName (archive),
      entries (std::move (entrySizes))
{
}

juce::StringArray SkinChecker::check()
{
    problems.clear();
    checkRoot();
    checkSections();
    checkWidgets();
    checkFixedEntries();
    return problems;
}

void SkinChecker::problem (const juce::String& text)
{
    problems.addIfNotAlreadyThere (text);
}

void SkinChecker::checkRoot()
{
    if (root.getTagName() != "SKIN")
        problem ("the root element is <" + root.getTagName() + ">, not <SKIN>");

    if (root.getStringAttribute ("skin") != archiveName)
        problem ("the root's skin attribute is \"" + root.getStringAttribute ("skin")
                 + "\" but the archive is \"" + archiveName + "\"");

    if (! root.hasAttribute ("skinEngineVersion") || root.getDoubleAttribute ("skinEngineVersion") != 2.0)
        problem ("the root's skinEngineVersion must be 2.0");

    for (int i = 0; i < root.getNumAttributes(); ++i)
        if (! juce::StringArray { "skin", "skinEngineVersion" }.contains (root.getAttributeName (i)))
            problem ("the root has the unknown attribute " + root.getAttributeName (i));
}

void SkinChecker::checkSections()
{
    const auto sections = SkinRequirements::getSections();

    for (auto& section : sections)
    {
        int count = 0;

        for (auto* child : root.getChildIterator())
        {
            if (child->getTagName() == section.tag)
                ++count;
            else if (child->getTagName().equalsIgnoreCase (section.tag))
                problem ("section " + child->getTagName() + " differs from " + section.tag
                         + " in letter case and is not read: sections are found by their exact tag");
        }

        if (count == 0)
            problem ("section " + section.tag + " is missing");
        else if (count > 1)
            problem ("section " + section.tag + " appears " + juce::String (count) + " times; only the first is read");

        if (auto* element = findSection (root, section.tag))
        {
            for (auto& attribute : section.attributes)
                if (element->getStringAttribute (attribute).isEmpty())
                    problem (section.tag + ": attribute " + attribute + " is missing");

            checkAttributes (*element, section.tag);
        }
    }

    for (auto* child : root.getChildIterator())
    {
        const auto known = std::any_of (sections.begin(), sections.end(),
                                        [child] (auto& s) { return s.tag == child->getTagName(); });

        if (! known)
            problem ("section " + child->getTagName() + " is read by nothing");
    }
}

void SkinChecker::checkWidgets()
{
    const auto required = SkinRequirements::getWidgets();

    for (auto& section : SkinRequirements::getSections())
    {
        auto* element = findSection (root, section.tag);

        if (element == nullptr)
            continue;

        juce::StringArray seen;
        int rectangleIndex = -1, index = 0;

        for (auto* widget : element->getChildIterator())
        {
            const auto name = widget->getStringAttribute ("name");
            const auto where = section.tag + "/" + (name.isEmpty() ? juce::String ("(no name)") : name);

            if (widget->getTagName() != "Widget")
            {
                problem (section.tag + ": <" + widget->getTagName() + "> is not a Widget");
                continue;
            }

            if (seen.contains (name))
                problem (where + " appears twice; the later one replaces the earlier");

            seen.add (name);

            const auto rule = std::find_if (required.begin(), required.end(),
                                            [&] (auto& w) { return w.section == section.tag && w.name == name; });

            if (rule == required.end())
            {
                problem (where + " is read by nothing");
            }
            else
            {
                for (auto& attribute : rule->attributes)
                    if (widget->getStringAttribute (attribute).isEmpty())
                        problem (where + ": attribute " + attribute + " is missing");
            }

            checkAttributes (*widget, where);
            checkWidgetRules (*widget, where);

            // Children are added in document order: a panel added after OK or Cancel covers them.
            if (name == "rectangle")
                rectangleIndex = index;
            else if ((name == "okayButton" || name == "cancelButton") && rectangleIndex < 0
                     && element->getChildByAttribute ("name", "rectangle") != nullptr)
                problem (where + " comes before the rectangle panel, which would cover it");

            ++index;
        }

        for (auto& rule : required)
            if (rule.section == section.tag && ! seen.contains (rule.name))
                problem (section.tag + "/" + rule.name + " is missing");
    }

    for (auto& quoted : SkinRequirements::getQuotedTexts())
        if (auto* section = findSection (root, quoted.section))
            if (auto* widget = section->getChildByAttribute ("name", quoted.widget))
                if (widget->getStringAttribute ("text") != quoted.text)
                    problem (quoted.section + "/" + quoted.widget + ": text must read \"" + quoted.text
                             + "\", which the validation message quotes");
}

void SkinChecker::checkAttributes (const juce::XmlElement& element, const juce::String& where)
{
    const auto known = SkinRequirements::getKnownAttributes();

    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto attribute = element.getAttributeName (i);
        const auto value = element.getAttributeValue (i);

        if (! known.contains (attribute))
            problem (where + ": attribute " + attribute + " is read by nothing");

        checkValue (attribute, value, where);
    }
}

void SkinChecker::checkValue (const juce::String& attribute, const juce::String& value, const juce::String& where)
{
    const auto at = where + ": " + attribute + "=\"" + value + "\" ";

    if (SkinRequirements::getImageAttributes().contains (attribute))
        checkReference (value, false, where);
    else if (SkinRequirements::getFontAttributes().contains (attribute))
        checkReference (value, true, where);
    else if (referencesEntry (value))
        checkReference (value, value.endsWithIgnoreCase (".stf"), where);

    if (isColourAttribute (attribute))
    {
        if (value.length() != 8 || ! value.containsOnly ("0123456789abcdefABCDEF"))
            problem (at + "must be eight hex digits AARRGGBB");
    }
    else if (rectangleAttributes.contains (attribute))
    {
        const auto numbers = parseNumbers (value);

        if (numbers.size() != 4 || value != value.trim() || value.contains ("  ") || value.contains (", ")
            || value.contains (" ,") || value.contains (",,"))
            problem (at + "must be four integers \"x y w h\"");
        else if (numbers[2] <= 0 || numbers[3] <= 0)
            problem (at + "has no area");
    }
    else if (attribute == "point")
    {
        const auto numbers = parseNumbers (value);

        if ((numbers.size() != 2 && numbers.size() != 4) || value.contains ("  "))
            problem (at + "must be \"x y\"");
    }
    else if (integerAttributes.contains (attribute))
    {
        if (! isInteger (value))
            problem (at + "must be an integer");
    }
    else if (fontSizeAttributes.contains (attribute))
    {
        if (! isDecimal (value) || value.getDoubleValue() <= 0.0)
            problem (at + "must be a size above 0");
    }
    else if (unitAttributes.contains (attribute))
    {
        if (! isDecimal (value) || value.getDoubleValue() <= 0.0 || value.getDoubleValue() > 1.0)
            problem (at + "must be above 0 and at most 1");
    }
    else if (lengthAttributes.contains (attribute))
    {
        if (! isDecimal (value) || value.getDoubleValue() < 0.0)
            problem (at + "must be a length of 0 or more");
    }
    else if (booleanAttributes.contains (attribute))
    {
        if (! juce::StringArray { "0", "1", "true", "false" }.contains (value))
            problem (at + "must be 0 or 1");
    }
    else if (justificationAttributes.contains (attribute))
    {
        if (! justificationNames.contains (value) && ! isInteger (value))
            problem (at + "is no justification");
    }
}

void SkinChecker::checkWidgetRules (const juce::XmlElement& widget, const juce::String& where)
{
    if (widget.getBoolAttribute ("useOpacity")
        && (widget.getDoubleAttribute ("opacityNormal") <= 0.0 || widget.getDoubleAttribute ("opacityDown") <= 0.0))
        problem (where + ": useOpacity needs opacityNormal and opacityDown above 0, or the fill is invisible");

    if (widget.hasAttribute ("labelText") && widget.getBoolAttribute ("useAlpha")
        && (widget.getDoubleAttribute ("alphaEnabled") <= 0.0 || widget.getDoubleAttribute ("alphaDisabled") <= 0.0))
        problem (where + ": useAlpha needs alphaEnabled and alphaDisabled above 0, or the button vanishes");

    if (widget.hasAttribute ("spinControlRect"))
    {
        const auto rect = parseNumbers (widget.getStringAttribute ("spinControlRect"));
        const auto width = widget.getIntAttribute ("width");

        if (rect.size() == 4 && (rect[2] != width + 22 || rect[3] < 28))
            problem (where + ": spinControlRect must be width + 22 wide and at least 28 high for the field and its buttons");

        if (widget.hasAttribute ("minVal") && widget.hasAttribute ("maxVal")
            && widget.getIntAttribute ("minVal") > widget.getIntAttribute ("maxVal"))
            problem (where + ": minVal is above maxVal");

        if (widget.hasAttribute ("initialValue") && widget.hasAttribute ("minVal")
            && widget.getIntAttribute ("initialValue") < widget.getIntAttribute ("minVal"))
            problem (where + ": initialValue is below minVal");

        if (widget.hasAttribute ("initialValue") && widget.hasAttribute ("maxVal")
            && widget.getIntAttribute ("initialValue") > widget.getIntAttribute ("maxVal"))
            problem (where + ": initialValue is above maxVal");
    }

    if (widget.hasAttribute ("toggleRect"))
    {
        const auto rect = parseNumbers (widget.getStringAttribute ("toggleRect"));

        if (rect.size() == 4 && (rect[3] < 20 || rect[3] > 26))
            problem (where + ": toggleRect should be 20 to 26 high, so that its text is drawn at 15 px");
    }

    checkImageSizes (widget, where);
}

void SkinChecker::checkImageSizes (const juce::XmlElement& widget, const juce::String& where)
{
    const auto width = widget.getIntAttribute ("width");
    const auto height = widget.getIntAttribute ("height");
    const auto titleButton = widget.hasAttribute ("upImage") && widget.getIntAttribute ("positionX") < 0;

    for (auto& attribute : SkinRequirements::getImageAttributes())
    {
        const auto name = widget.getStringAttribute (attribute);
        const auto entry = entries.find (name);

        if (name.isEmpty() || entry == entries.end())
            continue;

        const auto size = entry->second;

        if (width > 0 && height > 0 && attribute != "icon" && (size.x != width || size.y != height))
            problem (where + ": " + name + " is " + juce::String (size.x) + " x " + juce::String (size.y)
                     + " but the button is " + juce::String (width) + " x " + juce::String (height));

        // Dialog windows have 26-pixel title bars.
        if (titleButton && size.y + widget.getIntAttribute ("positionY") > 26)
            problem (where + ": " + name + " does not fit into a 26-pixel title bar");
    }

    // Drawable buttons without a size take the size of their up image; all their images must match it.
    if (width <= 0 && height <= 0 && widget.hasAttribute ("upImage"))
    {
        const auto up = entries.find (widget.getStringAttribute ("upImage"));

        for (auto& attribute : SkinRequirements::getImageAttributes())
        {
            const auto other = entries.find (widget.getStringAttribute (attribute));

            if (up != entries.end() && other != entries.end() && other->second != up->second)
                problem (where + ": " + other->first + " differs in size from " + up->first);
        }
    }
}

void SkinChecker::checkReference (const juce::String& name, bool font, const juce::String& where)
{
    if (name.isEmpty())
    {
        problem (where + ": an empty entry name");
        return;
    }

    if (font && ! name.endsWith (".stf"))
        problem (where + ": font " + name + " is not a .stf typeface");

    if (entries.find (name) == entries.end())
        problem (where + ": " + name + " is missing from the archive");
}

void SkinChecker::checkFixedEntries()
{
    for (auto& fixed : SkinRequirements::getFixedEntries())
    {
        const auto entry = entries.find (fixed.name);

        if (entry == entries.end())
            problem ("the program asks for " + fixed.name + ", which is missing from the archive");
        else if (fixed.width > 0 && (entry->second.x != fixed.width || entry->second.y != fixed.height))
            problem (fixed.name + " is " + juce::String (entry->second.x) + " x " + juce::String (entry->second.y)
                     + " but the program shows it at " + juce::String (fixed.width) + " x " + juce::String (fixed.height));
    }
}

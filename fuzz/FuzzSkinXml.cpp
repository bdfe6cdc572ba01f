// The skin XML as the skin manager reads it (refusals, parsing, the numbers made safe), then every
// value parser on every attribute and every widget factory on every element. The nesting count
// that guards the parser's recursion must agree with what the parser builds.

#include "FuzzInput.h"
#include "SkinManager.h"
#include "SkinValueLimits.h"
#include "SkinXmlReader.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXPaintedButton.h"
#include "XmlTreeDepth.h"

namespace
{
// Never deleted: it must outlive the framework's own objects, which are torn down at exit.
SkinManager* skin = nullptr;

void visit (const juce::XmlElement& element, int depth)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto value = element.getAttributeValue (i);
        SkinManager::parseColour (value);
        SkinManager::parseJustification (value);
        SkinManager::parseRectangle (value);
    }

    if (element.hasTagName ("Widget"))
    {
        skin->createLabel (&element, "label");
        skin->createDrawableButton (&element, "button");
        skin->createPaintedButton (&element, "painted");
    }

    if (depth < 64)
        for (auto* child : element.getChildIterator())
            visit (*child, depth + 1);
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::MessageManager::getInstance();
    skin = new SkinManager (juce::File::getSpecialLocation (juce::File::tempDirectory));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // As the skin manager reads a skin file: its bytes decoded, then parsed.
    juce::String text;

    if (! SkinXmlReader::decodeText (data, size, text))
        return 0;

    // With a document type allowed, as drawings are read: what the check lets through is parsed
    // as deep as it was counted. The count may be one more: a '<' that starts no element still
    // takes a level of the parser (found by fuzzing: the parser forgets that error when a later
    // harmless one follows, and gives a document).
    if (SkinXmlReader::isSafeToParse (text, true))
    {
        if (auto any = juce::XmlDocument (text).getDocumentElement())
        {
            const auto counted = SkinXmlReader::nestingDepth (text);
            const auto built = morvane::test::treeDepth (*any);

            if (built > counted || counted > built + 1)
                __builtin_trap();
        }
    }

    if (auto root = SkinXmlReader::parse (text))
    {
        SkinValueLimits::makeSafe (*root);
        visit (*root, 0);
    }

    return 0;
}

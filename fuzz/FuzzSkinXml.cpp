// The skin XML as the skin manager reads it (refusals, parsing, the numbers made safe), then every
// value parser on every attribute and every widget factory on every element.

#include "FuzzInput.h"
#include "SkinManager.h"
#include "SkinValueLimits.h"
#include "SkinXmlReader.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXPaintedButton.h"

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

    if (auto root = SkinXmlReader::parse (text))
    {
        SkinValueLimits::makeSafe (*root);
        visit (*root, 0);
    }

    return 0;
}

#pragma once

#include <juce_core/juce_core.h>

namespace morvane::test
{
/** How deep a parsed XML tree's elements nest, the root counting as one (text elements not
    counted): what a nesting count taken from the text must agree with. Header-only, so that the
    fuzz targets, which link none of the test support, can share it with the tests.
*/
inline int treeDepth (const juce::XmlElement& element)
{
    int deepest = 0;

    for (auto* child : element.getChildIterator())
        if (! child->isTextElement())
            deepest = juce::jmax (deepest, treeDepth (*child));

    return deepest + 1;
}
} // namespace morvane::test

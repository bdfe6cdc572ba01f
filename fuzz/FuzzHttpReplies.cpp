// What the update service makes of a server's reply before it reads its body: the address asked
// for, the status and the raw header lines decide whether a redirect is followed (and where to),
// what length is believed, or that the reply is refused. A redirect must never lead off the web,
// and no length may be made up.
//
// Input: the address asked for on the first line, the status on the second, header lines after,
// as the server sends them.

#include "FuzzInput.h"
#include "HttpReplyRules.h"
#include "SkinXmlReader.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Header lines reach the rules as decoded text; only valid text is looked at.
    juce::String text;

    if (! SkinXmlReader::decodeText (data, size, text))
        return 0;

    const auto lines = juce::StringArray::fromLines (text);

    const auto current = lines[0];
    const int status = lines[1].getIntValue();
    juce::StringArray headerLines (lines);
    headerLines.removeRange (0, 2);
    const auto length = HttpReplyRules::parseContentLength (headerLines);

    if (length < -2)
        __builtin_trap(); // only "none" and "conflicting" are below zero

    const auto verdict = HttpReplyRules::judge (juce::URL (current), status, headerLines, (int) (size % 7));

    using Kind = HttpReplyRules::Verdict::Kind;

    if (verdict.kind == Kind::redirect && ! HttpReplyRules::isWebAddress (verdict.next))
        __builtin_trap(); // a redirect followed off the web

    if (verdict.kind == Kind::redirect && current.startsWithIgnoreCase ("https:") && ! verdict.next.startsWithIgnoreCase ("https:"))
        __builtin_trap(); // a redirect from https down to plain http

    if (verdict.kind == Kind::redirect && size % 7 >= HttpReplyRules::maxRedirects)
        __builtin_trap(); // one hop too many

    if (verdict.kind == Kind::accept && (verdict.length < -1 || (status < 200 || status > 299)))
        __builtin_trap(); // a length that no header gave, or a reply that is no success

    if (verdict.kind == Kind::refuse && verdict.problem.isEmpty())
        __builtin_trap(); // a refusal without a reason

    for (const auto& location : lines)
    {
        const auto resolved = HttpReplyRules::resolveLocation (current, location);

        for (auto character : resolved)
            if (character <= 0x20 || character == 0x7f)
                __builtin_trap(); // a space or control character in an address to ask
    }

    return 0;
}

#include "HttpReplyRules.h"

namespace
{
constexpr juce::int64 conflictingLength = -2;

juce::String headerValue (const juce::StringPairArray& headers, const juce::String& name, bool& present)
{
    // The framework's array compares keys ignoring case; a header may still arrive twice under
    // spellings that differ only in case, which it keeps as one.
    const auto& keys = headers.getAllKeys();

    for (int i = 0; i < keys.size(); ++i)
    {
        if (keys[i].trim().equalsIgnoreCase (name))
        {
            present = true;
            return headers.getAllValues()[i];
        }
    }

    present = false;
    return {};
}

bool isRedirectStatus (int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

/** "scheme://authority" of an absolute address, or empty. */
juce::String originOf (const juce::String& address)
{
    const int schemeEnd = address.indexOf ("://");

    if (schemeEnd <= 0)
        return {};

    const int pathStart = address.indexOfAnyOf ("/?#", schemeEnd + 3);
    return pathStart < 0 ? address : address.substring (0, pathStart);
}
} // namespace

bool HttpReplyRules::isWebAddress (const juce::String& address)
{
    juce::String rest;

    if (address.startsWithIgnoreCase ("http://"))
        rest = address.substring (7);
    else if (address.startsWithIgnoreCase ("https://"))
        rest = address.substring (8);
    else
        return false;

    // A host must follow: "http:///x" names none.
    return rest.isNotEmpty() && ! juce::String ("/?#").containsChar (rest[0]);
}

juce::int64 HttpReplyRules::parseContentLength (const juce::StringPairArray& headers)
{
    bool present = false;
    const auto value = headerValue (headers, "Content-Length", present);

    if (! present)
        return -1;

    juce::int64 length = -1;

    for (auto part : juce::StringArray::fromTokens (value, ",", {}))
    {
        part = part.trim();

        // Up to 15 digits: no body the service accepts comes near, and no number overflows.
        if (part.isEmpty() || part.length() > 15 || ! part.containsOnly ("0123456789"))
            return conflictingLength;

        const auto number = part.getLargeIntValue();

        if (length >= 0 && number != length)
            return conflictingLength;

        length = number;
    }

    return length < 0 ? conflictingLength : length;
}

juce::String HttpReplyRules::resolveLocation (const juce::String& current, const juce::String& location)
{
    const auto target = location.trim();

    if (target.isEmpty())
        return {};

    for (auto character : target)
        if (character <= 0x20 || character == 0x7f)
            return {};

    const auto origin = originOf (current);

    // An absolute address, with a scheme of its own.
    const int colon = target.indexOfChar (':');
    const int slash = target.indexOfAnyOf ("/?#");

    juce::String resolved;

    if (colon > 0 && (slash < 0 || colon < slash))
        resolved = target;
    else if (origin.isEmpty())
        return {};
    else if (target.startsWith ("//"))
        resolved = current.upToFirstOccurrenceOf ("://", false, false) + ":" + target;
    else if (target.startsWithChar ('/'))
        resolved = origin + target;
    else
    {
        // Relative to the folder of the current path.
        auto path = current.substring (origin.length()).upToFirstOccurrenceOf ("?", false, false)
                        .upToFirstOccurrenceOf ("#", false, false);
        path = path.upToLastOccurrenceOf ("/", true, false);

        if (path.isEmpty())
            path = "/";

        resolved = origin + path + target;
    }

    resolved = resolved.upToFirstOccurrenceOf ("#", false, false);

    // The address asked for is held to the same: nothing to ask with a space or control in it.
    for (auto character : resolved)
        if (character <= 0x20 || character == 0x7f)
            return {};

    return resolved;
}

HttpReplyRules::Verdict HttpReplyRules::judge (const juce::URL& current, int status, const juce::StringPairArray& headers,
                                               int redirectsSoFar)
{
    Verdict verdict;

    if (isRedirectStatus (status))
    {
        bool present = false;
        const auto location = headerValue (headers, "Location", present);

        if (! present || location.containsChar (','))
        {
            verdict.problem = "a redirect without one clear address";
            return verdict;
        }

        if (redirectsSoFar >= maxRedirects)
        {
            verdict.problem = "too many redirects";
            return verdict;
        }

        const auto next = resolveLocation (current.toString (true), location);

        if (! isWebAddress (next))
        {
            verdict.problem = "a redirect to an address that is not http or https";
            return verdict;
        }

        verdict.kind = Verdict::Kind::redirect;
        verdict.next = next;
        return verdict;
    }

    if (status < 200 || status > 299)
    {
        verdict.problem = "the server answered " + juce::String (status);
        return verdict;
    }

    verdict.length = parseContentLength (headers);

    if (verdict.length == conflictingLength)
    {
        verdict.length = -1;
        verdict.problem = "the server announced conflicting lengths";
        return verdict;
    }

    verdict.kind = Verdict::Kind::accept;
    return verdict;
}

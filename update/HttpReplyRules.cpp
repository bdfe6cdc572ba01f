#include "HttpReplyRules.h"

#include <cstring>
#include <string>

namespace
{
constexpr juce::int64 conflictingLength = -2;

bool isRedirectStatus (int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool hasSpaceOrControl (const juce::String& text)
{
    for (auto character : text)
        if (character <= 0x20 || character == 0x7f)
            return true;

    return false;
}

/** A reference split into its five parts; a part that is absent differs from an empty one. */
struct Reference
{
    juce::String scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;

    static bool isScheme (const juce::String& text)
    {
        if (text.isEmpty() || ! juce::CharacterFunctions::isLetter (text[0]) || text[0] > 0x7f)
            return false;

        return text.containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.");
    }

    explicit Reference (juce::String rest)
    {
        if (const int hash = rest.indexOfChar ('#'); hash >= 0)
        {
            hasFragment = true;
            fragment = rest.substring (hash + 1);
            rest = rest.substring (0, hash);
        }

        if (const int question = rest.indexOfChar ('?'); question >= 0)
        {
            hasQuery = true;
            query = rest.substring (question + 1);
            rest = rest.substring (0, question);
        }

        if (const int colon = rest.indexOfChar (':'); colon > 0 && isScheme (rest.substring (0, colon)))
        {
            hasScheme = true;
            scheme = rest.substring (0, colon);
            rest = rest.substring (colon + 1);
        }

        if (rest.startsWith ("//"))
        {
            hasAuthority = true;
            const int slash = rest.indexOfChar (2, '/');
            authority = slash < 0 ? rest.substring (2) : rest.substring (2, slash);
            rest = slash < 0 ? juce::String() : rest.substring (slash);
        }

        path = rest;
    }

    juce::String toString() const
    {
        juce::String text;

        if (hasScheme)
            text << scheme << ":";

        if (hasAuthority)
            text << "//" << authority;

        text << path;

        if (hasQuery)
            text << "?" << query;

        if (hasFragment)
            text << "#" << fragment;

        return text;
    }
};

/** The path with its "." and ".." segments taken out, in one pass over it. */
juce::String removeDotSegments (const juce::String& path)
{
    const auto input = path.toStdString();
    std::string output;
    size_t i = 0;

    const auto at = [&input, &i] (const char* prefix) { return input.compare (i, std::strlen (prefix), prefix) == 0; };
    const auto rest = [&input, &i] (const char* whole) { return input.compare (i, std::string::npos, whole) == 0; };
    const auto dropLastSegment = [&output]
    {
        const auto slash = output.rfind ('/');
        output.resize (slash == std::string::npos ? 0 : slash);
    };

    while (i < input.size())
    {
        if (at ("../"))
            i += 3;
        else if (at ("./") || at ("/./"))
            i += 2;
        else if (rest ("/."))
        {
            output += '/';
            i = input.size();
        }
        else if (at ("/../"))
        {
            i += 3;
            dropLastSegment();
        }
        else if (rest ("/.."))
        {
            dropLastSegment();
            output += '/';
            i = input.size();
        }
        else if (rest (".") || rest (".."))
            i = input.size();
        else
        {
            auto end = input.find ('/', i + 1);

            if (end == std::string::npos)
                end = input.size();

            output.append (input, i, end - i);
            i = end;
        }
    }

    return juce::String::fromUTF8 (output.data(), (int) output.size());
}

juce::String schemeOf (const juce::String& address)
{
    return address.upToFirstOccurrenceOf (":", false, false).toLowerCase();
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

juce::StringArray HttpReplyRules::headerValues (const juce::StringArray& headerLines, const juce::String& name)
{
    juce::StringArray values;

    for (const auto& line : headerLines)
    {
        const int colon = line.indexOfChar (':');

        if (colon > 0 && line.substring (0, colon).trim().equalsIgnoreCase (name))
            values.add (line.substring (colon + 1).trim());
    }

    return values;
}

juce::int64 HttpReplyRules::parseContentLength (const juce::StringArray& headerLines)
{
    const auto values = headerValues (headerLines, "Content-Length");

    if (values.isEmpty())
        return -1;

    juce::int64 length = -1;

    for (auto part : juce::StringArray::fromTokens (values.joinIntoString (","), ",", {}))
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
    if (hasSpaceOrControl (current) || hasSpaceOrControl (location))
        return {};

    const Reference base (current);

    if (! base.hasScheme)
        return {};

    Reference reference (location);

    if (reference.hasScheme)
    {
        reference.path = removeDotSegments (reference.path);
        return reference.toString();
    }

    reference.hasScheme = true;
    reference.scheme = base.scheme;

    if (reference.hasAuthority)
    {
        reference.path = removeDotSegments (reference.path);
        return reference.toString();
    }

    reference.hasAuthority = base.hasAuthority;
    reference.authority = base.authority;

    if (reference.path.isEmpty())
    {
        reference.path = base.path;

        if (! reference.hasQuery)
        {
            reference.hasQuery = base.hasQuery;
            reference.query = base.query;
        }
    }
    else if (reference.path.startsWithChar ('/'))
    {
        reference.path = removeDotSegments (reference.path);
    }
    else
    {
        // Merged with the folder of the base's path: "/" for a host without a path, nothing for
        // a path without a folder.
        juce::String folder;

        if (base.hasAuthority && base.path.isEmpty())
            folder = "/";
        else if (base.path.containsChar ('/'))
            folder = base.path.upToLastOccurrenceOf ("/", true, false);

        reference.path = removeDotSegments (folder + reference.path);
    }

    return reference.toString();
}

HttpReplyRules::Verdict HttpReplyRules::judge (const juce::URL& current, int status, const juce::StringArray& headerLines,
                                               int redirectsSoFar)
{
    Verdict verdict;

    if (isRedirectStatus (status))
    {
        auto locations = headerValues (headerLines, "Location");
        locations.removeDuplicates (false);

        if (locations.size() != 1 || locations[0].isEmpty())
        {
            verdict.problem = "a redirect without one clear address";
            return verdict;
        }

        if (redirectsSoFar >= maxRedirects)
        {
            verdict.problem = "too many redirects";
            return verdict;
        }

        const auto from = current.toString (true);
        const auto next = resolveLocation (from, locations[0]).upToFirstOccurrenceOf ("#", false, false);

        if (! isWebAddress (next))
        {
            verdict.problem = "a redirect to an address that is not http or https";
            return verdict;
        }

        // Whoever sits on a plain hop could hand over anything: what was asked for over https
        // stays on https.
        if (schemeOf (from) == "https" && schemeOf (next) != "https")
        {
            verdict.problem = "a redirect from https to plain http";
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

    verdict.length = parseContentLength (headerLines);

    if (verdict.length == conflictingLength)
    {
        verdict.length = -1;
        verdict.problem = "the server announced conflicting lengths";
        return verdict;
    }

    verdict.kind = Verdict::Kind::accept;
    return verdict;
}

#pragma once

#include <juce_core/juce_core.h>

/** What the update service makes of one HTTP reply before it reads a byte of its body.

    Redirects are followed here, not by the network layer, so that every address in a chain is
    held to the rules of the first: http or https only, never from https down to plain http, and
    at most maxRedirects hops. A reply's length is taken from its Content-Length header; several
    that disagree, or one that is not a plain number, make the reply unusable rather than a guess.

    Headers are read as the server sent them, one "Name: value" line each (the status line left
    out), so that an address holding a comma stays whole and two Location headers are seen as two.

    Pure functions of their arguments: any thread.
*/
struct HttpReplyRules
{
    static constexpr int maxRedirects = 5;

    struct Verdict
    {
        enum class Kind { accept, redirect, refuse };

        Kind kind = Kind::refuse;
        juce::String next;          ///< redirect: the address to ask next (without a fragment)
        juce::int64 length = -1;    ///< accept: the announced length, -1 when none
        juce::String problem;       ///< refuse: why, in a few plain words
    };

    /** The verdict for a reply with this status and these header lines, to a request for
        `current` after `redirectsSoFar` hops.
    */
    static Verdict judge (const juce::URL& current, int status, const juce::StringArray& headerLines, int redirectsSoFar);

    /** The announced body length: -1 when there is no Content-Length; -2 when there are several
        that differ or one that is not a decimal number.
    */
    static juce::int64 parseContentLength (const juce::StringArray& headerLines);

    /** Every value of the named header among the lines, in order: the text after the first
        colon of each line whose name matches ignoring case, blanks around it removed.
    */
    static juce::StringArray headerValues (const juce::StringArray& headerLines, const juce::String& name);

    /** The absolute address that a reference (such as a Location header) leads to from the
        absolute address `current`, resolved as RFC 3986 resolves references, fragment kept; empty
        when `current` is not absolute or either holds a space or a control character.
    */
    static juce::String resolveLocation (const juce::String& current, const juce::String& location);

    /** True for an http or https address with a host. */
    static bool isWebAddress (const juce::String& address);
};

#pragma once

#include <juce_core/juce_core.h>

/** Where the update service finds the maker's update server: the program feed, the firmware feed
    and the support page.

    The base address defaults to the maker's update host; tests point it at a local server.
    Thread-safe: the base address sits under its own lock.
*/
class UpdateServer
{
public:
    /** The built-in base address, without a trailing slash. */
    static juce::String getDefaultBaseAddress();

    /** The base address in use (scheme and host, optionally a port and a path): the one set by
        setBaseAddress(), else the environment variable MORVANE_UPDATE_SERVER, else the default.
    */
    static juce::String getBaseAddress();

    /** Points every feed at another server; an empty text restores the default. */
    static void setBaseAddress (const juce::String& address);

    /** The program feed: base + "/rss/" + the feed path token + "/" + program + "/" + feed file.
        An empty URL when the program name is empty.
    */
    static juce::URL getProgramFeedAddress (const juce::String& programName, const juce::String& feedFileName);

    /** The firmware feed: base + "/rss/firmware/firmware.xml". */
    static juce::URL getFirmwareFeedAddress();

    /** True for an http or https address: the only ones that feeds, notes and downloads are
        read from (a feed naming a local file or another scheme is not followed, nor a redirect
        to one).
    */
    static bool isWebAddress (const juce::URL& address);

    /** The maker's support page, opened from the firmware window and named in messages. */
    static juce::String getSupportPageAddress();

    /** Connection and idle-read time-out of every feed read and download, in milliseconds. */
    static int getTimeoutMs();
    static void setTimeoutMs (int milliseconds);

    /** The most a whole check may take, feed and notes together, however slowly the server
        sends, in milliseconds.
    */
    static int getCheckDeadlineMs();
    static void setCheckDeadlineMs (int milliseconds);
};

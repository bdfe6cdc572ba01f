#include "UpdateServer.h"

#include "HttpReplyRules.h"

namespace
{
juce::CriticalSection& serverLock()
{
    static juce::CriticalSection lock;
    return lock;
}

juce::String& baseAddress()
{
    static juce::String address;
    return address;
}

std::atomic<int>& timeout()
{
    static std::atomic<int> milliseconds { 15000 };
    return milliseconds;
}

std::atomic<int>& checkDeadline()
{
    static std::atomic<int> milliseconds { 30000 };
    return milliseconds;
}

const char* const feedPathToken = "reduvorivudidu";
} // namespace

juce::String UpdateServer::getDefaultBaseAddress()
{
    return "https://updates.example.com";
}

juce::String UpdateServer::getBaseAddress()
{
    {
        const juce::ScopedLock sl (serverLock());

        if (baseAddress().isNotEmpty())
            return baseAddress();
    }

    // Runs of the real program under test point the feeds elsewhere through the environment.
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable ("MORVANE_UPDATE_SERVER", {});
    return fromEnvironment.isNotEmpty() ? fromEnvironment.trimCharactersAtEnd ("/") : getDefaultBaseAddress();
}

void UpdateServer::setBaseAddress (const juce::String& address)
{
    const juce::ScopedLock sl (serverLock());
    baseAddress() = address.trimCharactersAtEnd ("/");
}

juce::URL UpdateServer::getProgramFeedAddress (const juce::String& programName, const juce::String& feedFileName)
{
    if (programName.isEmpty())
        return {};

    return juce::URL (getBaseAddress() + "/rss/" + feedPathToken + "/" + programName + "/" + feedFileName);
}

juce::URL UpdateServer::getFirmwareFeedAddress()
{
    return juce::URL (getBaseAddress() + "/rss/firmware/firmware.xml");
}

bool UpdateServer::isWebAddress (const juce::URL& address)
{
    return HttpReplyRules::isWebAddress (address.toString (false));
}

juce::String UpdateServer::getSupportPageAddress()
{
    return "https://www.zandrelaudio.com/support";
}

int UpdateServer::getTimeoutMs()
{
    return timeout().load();
}

void UpdateServer::setTimeoutMs (int milliseconds)
{
    timeout().store (juce::jmax (1000, milliseconds));
}

int UpdateServer::getCheckDeadlineMs()
{
    return checkDeadline().load();
}

void UpdateServer::setCheckDeadlineMs (int milliseconds)
{
    checkDeadline().store (juce::jmax (1000, milliseconds));
}

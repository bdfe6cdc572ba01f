#include "UpdateHttpConnection.h"

#include "UpdateCurlConnection.h"

namespace
{
/** The framework's stream, where the service does not reach libcurl itself. Its header lines are
    put back together from the framework's array: a "Name:value" without a blank stands there as
    a name alone.
*/
class FrameworkConnection : public UpdateHttpConnection
{
public:
    FrameworkConnection (const juce::URL& address, int timeoutMs) : stream (address, false)
    {
        stream.withConnectionTimeout (timeoutMs);
        stream.withNumRedirectsToFollow (0);
    }

    bool connect() override { return stream.connect (nullptr); }
    int getStatusCode() override { return stream.getStatusCode(); }
    int read (void* destination, int bytes) override { return stream.read (destination, bytes); }
    bool isError() override { return stream.isError(); }
    void cancel() override { stream.cancel(); }

    juce::StringArray getHeaderLines() override
    {
        const auto headers = stream.getResponseHeaders();
        juce::StringArray lines;

        for (int i = 0; i < headers.size(); ++i)
        {
            const auto name = headers.getAllKeys()[i];
            const auto value = headers.getAllValues()[i];
            lines.add (value.isEmpty() && name.containsChar (':') ? name : name + ": " + value);
        }

        return lines;
    }

private:
    juce::WebInputStream stream;
};

// Made once and never destroyed: a network thread still at work when the program ends may ask.
juce::CriticalSection& factoryLock()
{
    static auto* const lock = new juce::CriticalSection();
    return *lock;
}

UpdateHttpConnection::Factory& factory()
{
    static auto* const made = new UpdateHttpConnection::Factory();
    return *made;
}
} // namespace

std::unique_ptr<UpdateHttpConnection> UpdateHttpConnection::create (const juce::URL& address, int timeoutMs)
{
    Factory made;

    {
        const juce::ScopedLock sl (factoryLock());
        made = factory();
    }

    if (made != nullptr)
        return made (address, timeoutMs);

    if (auto direct = UpdateCurlConnection::create (address, timeoutMs))
        return direct;

    return std::make_unique<FrameworkConnection> (address, timeoutMs);
}

void UpdateHttpConnection::setFactory (Factory newFactory)
{
    const juce::ScopedLock sl (factoryLock());
    factory() = std::move (newFactory);
}

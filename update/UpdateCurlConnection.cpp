#include "UpdateCurlConnection.h"

#if (JUCE_LINUX || JUCE_BSD) && __has_include(<curl/curl.h>)
 #define MORVANE_UPDATE_CURL 1
 #include "SkinXmlReader.h"
 #include <curl/curl.h>
#else
 #define MORVANE_UPDATE_CURL 0
#endif

#if MORVANE_UPDATE_CURL

struct UpdateCurlConnection::Transfer
{
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    std::string address, userAgent;
    long timeoutSeconds = 0;

    juce::StringArray lines;
    bool headEnded = false, finished = false;
    CURLcode outcome = CURLE_OK;
    juce::MemoryBlock body;
    std::atomic<bool> cancelled { false };

    ~Transfer()
    {
        if (easy != nullptr)
        {
            if (multi != nullptr)
                curl_multi_remove_handle (multi, easy);

            curl_easy_cleanup (easy);
        }

        if (multi != nullptr)
            curl_multi_cleanup (multi);
    }

    bool setUp()
    {
        multi = curl_multi_init();
        easy = curl_easy_init();

        if (multi == nullptr || easy == nullptr)
            return false;

        userAgent = std::string ("curl/") + curl_version_info (CURLVERSION_NOW)->version;

        // Redirects are the service's to follow (HttpReplyRules); the idle limit is the
        // framework's own: under 100 bytes a second for the time-out is a stall.
        bool ok = curl_easy_setopt (easy, CURLOPT_URL, address.c_str()) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_HTTPGET, 1L) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_USERAGENT, userAgent.c_str()) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_CONNECTTIMEOUT, timeoutSeconds) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_LIMIT, 100L) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_TIME, timeoutSeconds) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_HEADERFUNCTION, takeHeader) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_HEADERDATA, this) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_WRITEFUNCTION, takeBody) == CURLE_OK
                  && curl_easy_setopt (easy, CURLOPT_WRITEDATA, this) == CURLE_OK;

       #if LIBCURL_VERSION_NUM >= 0x075500
        ok = ok && curl_easy_setopt (easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
       #endif

       #if LIBCURL_VERSION_NUM >= 0x075700
        // Closing leaves a name look-up that never answers to itself instead of waiting for it.
        ok = ok && curl_easy_setopt (easy, CURLOPT_QUICK_EXIT, 1L) == CURLE_OK;
       #endif

        return ok && curl_multi_add_handle (multi, easy) == CURLM_OK;
    }

    static size_t takeHeader (char* data, size_t size, size_t count, void* user)
    {
        auto& self = *static_cast<Transfer*> (user);
        const auto bytes = size * count;
        juce::String line;

        // A line that is not valid text is no header the service reads.
        if (! SkinXmlReader::decodeText (data, bytes, line))
            return bytes;

        line = line.trimCharactersAtEnd ("\r\n");

        if (line.startsWith ("HTTP/"))
        {
            // The status line of a reply: an interim one's head is of no interest.
            self.lines.clear();
            self.headEnded = false;
        }
        else if (line.isEmpty())
        {
            long status = 0;
            curl_easy_getinfo (self.easy, CURLINFO_RESPONSE_CODE, &status);
            self.headEnded = status >= 200 || status == 0;
        }
        else
        {
            self.lines.add (line);
        }

        return bytes;
    }

    static size_t takeBody (char* data, size_t size, size_t count, void* user)
    {
        auto& self = *static_cast<Transfer*> (user);
        self.body.append (data, size * count);
        return size * count;
    }

    /** Lets curl work, waiting up to a moment for the network; cancel() ends the wait. */
    void step()
    {
        int running = 0;

        if (curl_multi_perform (multi, &running) != CURLM_OK)
        {
            finished = true;
            outcome = CURLE_FAILED_INIT;
            return;
        }

        int left = 0;

        while (auto* message = curl_multi_info_read (multi, &left))
        {
            if (message->msg == CURLMSG_DONE)
            {
                finished = true;
                outcome = message->data.result;
            }
        }

        if (running == 0)
            finished = true;

        if (! finished && ! cancelled.load())
            curl_multi_poll (multi, nullptr, 0, 1000, nullptr);
    }
};

std::unique_ptr<UpdateHttpConnection> UpdateCurlConnection::create (const juce::URL& address, int timeoutMs)
{
    auto transfer = std::make_unique<Transfer>();
    transfer->address = address.toString (true).toStdString();
    transfer->timeoutSeconds = juce::jmax (1L, ((long) timeoutMs + 999) / 1000);

    if (! transfer->setUp())
        return {};

    return std::unique_ptr<UpdateHttpConnection> (new UpdateCurlConnection (std::move (transfer)));
}

UpdateCurlConnection::UpdateCurlConnection (std::unique_ptr<Transfer> made) : transfer (std::move (made)) {}

UpdateCurlConnection::~UpdateCurlConnection() = default;

bool UpdateCurlConnection::connect()
{
    while (! transfer->headEnded && ! transfer->finished && ! transfer->cancelled.load())
        transfer->step();

    return transfer->headEnded && ! transfer->cancelled.load();
}

int UpdateCurlConnection::getStatusCode()
{
    long status = 0;
    curl_easy_getinfo (transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    return (int) status;
}

juce::StringArray UpdateCurlConnection::getHeaderLines()
{
    return transfer->lines;
}

int UpdateCurlConnection::read (void* destination, int bytes)
{
    auto& body = transfer->body;

    while (body.getSize() < (size_t) bytes && ! transfer->finished && ! transfer->cancelled.load())
        transfer->step();

    if (transfer->cancelled.load())
        return -1;

    const auto count = juce::jmin ((size_t) juce::jmax (0, bytes), body.getSize());
    body.copyTo (destination, 0, count);
    body.removeSection (0, count);
    return (int) count;
}

bool UpdateCurlConnection::isError()
{
    return transfer->cancelled.load() || (transfer->finished && transfer->outcome != CURLE_OK);
}

void UpdateCurlConnection::cancel()
{
    transfer->cancelled = true;
    curl_multi_wakeup (transfer->multi);
}

#else

struct UpdateCurlConnection::Transfer {};

std::unique_ptr<UpdateHttpConnection> UpdateCurlConnection::create (const juce::URL&, int)
{
    return {};
}

UpdateCurlConnection::UpdateCurlConnection (std::unique_ptr<Transfer> made) : transfer (std::move (made)) {}
UpdateCurlConnection::~UpdateCurlConnection() = default;
bool UpdateCurlConnection::connect() { return false; }
int UpdateCurlConnection::getStatusCode() { return 0; }
juce::StringArray UpdateCurlConnection::getHeaderLines() { return {}; }
int UpdateCurlConnection::read (void*, int) { return -1; }
bool UpdateCurlConnection::isError() { return true; }
void UpdateCurlConnection::cancel() {}

#endif

#pragma once

#include "download/http_client.h"
#include "platform/event_loop.h"

#include <functional>
#include <string>

namespace launcher::patch {

// Sends GET `url` through `client` on a helper thread while the interface
// thread keeps processing its loop. The request is abandoned when it stalls
// for a whole stall period (the outcome then says so). `request`'s callbacks
// run on the helper thread. Interface thread only.
HttpOutcome GetWhileProcessing(platform::EventLoop& loop, HttpClient& client,
                               const std::string& url, const HttpGetRequest& request);

// Runs `work` on a helper thread while the interface thread keeps processing
// its loop, so reading a large old file does not freeze the window; an
// exception of `work` is raised again here. Interface thread only.
void RunWhileProcessing(platform::EventLoop& loop, const std::function<void()>& work);

} // namespace launcher::patch

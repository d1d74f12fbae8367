#pragma once

namespace launcher::platform {

// The application's terminate flag: set once by the close action. Every wait
// loop checks it and ends the process at once (exit code 0) rather than touch
// objects the close action released.
bool application_terminated();
void set_application_terminated();

// Ends the process with exit code 0 when the flag is set; after a stop
// request from outside, as that request says (platform/stop_request.h).
void end_process_if_terminated();

} // namespace launcher::platform

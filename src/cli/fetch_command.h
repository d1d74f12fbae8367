#pragma once

namespace CLI {
class App;
}

namespace launcher::cli {

// `fetch URL FILE [--threads N]`: downloads one URL into FILE over parallel
// byte ranges with progress in the terminal; exits non-zero on failure.
void add_fetch_command(CLI::App& app);

} // namespace launcher::cli

#pragma once

#include <filesystem>
#include <string>

namespace CLI {
class App;
}

namespace launcher::publish {

// `launcher-publish keygen`: a new release-signing key pair.
struct KeygenRequest {
    std::filesystem::path secret_key;
    std::filesystem::path public_key;
    bool force = false;
};

// `launcher-publish verify`: an offline check of a served tree.
struct VerifyRequest {
    std::filesystem::path out_dir;
    std::filesystem::path public_key;
};

CLI::App* AddKeygenCommand(CLI::App& app, KeygenRequest& request);
CLI::App* AddVerifyCommand(CLI::App& app, VerifyRequest& request);

// Writes the key pair; returns what to tell the publisher (the line to paste
// into the configuration).
std::string RunKeygen(const KeygenRequest& request);

// Checks signature, SHA-256, expiry and every archive; returns the report
// and sets `good`.
std::string RunVerify(const VerifyRequest& request, bool& good);

} // namespace launcher::publish

#include "publish/signing_commands.h"

#include "command_line/utf8_options.h"
#include "platform/utf8_path.h"
#include "publish/release_signing.h"

#include <chrono>

#include <CLI/CLI.hpp>

namespace launcher::publish {

CLI::App* AddKeygenCommand(CLI::App& app, KeygenRequest& request) {
    auto* command = app.add_subcommand("keygen", "Make a key pair for signing releases");
    command_line::add_path_option(*command, "--secret-key", request.secret_key,
                                  "Secret key file to write")
        ->required();
    command_line::add_path_option(*command, "--public-key", request.public_key,
                                  "Public key file to write")
        ->required();
    command->add_flag("--force", request.force, "Replace existing key files");
    return command;
}

CLI::App* AddVerifyCommand(CLI::App& app, VerifyRequest& request) {
    auto* command =
        app.add_subcommand("verify", "Check a served tree against its release signature");
    command_line::add_path_option(*command, "out_dir", request.out_dir, "Update-server folder")
        ->required()
        ->check(command_line::kExistingFolder);
    command_line::add_path_option(*command, "--public-key", request.public_key, "Public key file")
        ->required()
        ->check(command_line::kExistingFile);
    return command;
}

std::string RunKeygen(const KeygenRequest& request) {
    const KeyPair keys = GenerateKeyPair();
    WriteKeyPair(keys, request.secret_key, request.public_key, request.force);
    return "Wrote the secret key to " + platform::utf8_of(request.secret_key) +
           " (keep it private) and the public key to " + platform::utf8_of(request.public_key) +
           ".\nPut this line into the [updateservers] section of the launcher's "
           "configuration:\npublickey=" +
           PublicKeyText(keys.public_key) + "\nKey id: " + KeyId(keys.public_key);
}

std::string RunVerify(const VerifyRequest& request, bool& good) {
    const PublicKey key = ReadPublicKeyFile(request.public_key);
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const ServedTreeCheck check = VerifyServedTree(request.out_dir, key, now);
    good = check.problems.empty();
    std::string report;
    for (const std::string& problem : check.problems)
        report += "problem: " + problem + "\n";
    if (good)
        report += "Release " + std::to_string(check.release) + " in " +
                  platform::utf8_of(request.out_dir) + " for channel " + check.channel +
                  " is signed by key " + KeyId(key) + " at " + UtcText(check.signed_at) +
                  ", expires " + UtcText(check.expires) + ", and all " +
                  std::to_string(check.archives) + " archives match it.";
    else
        report += std::to_string(check.problems.size()) + " problem(s) in " +
                  platform::utf8_of(request.out_dir);
    return report;
}

} // namespace launcher::publish

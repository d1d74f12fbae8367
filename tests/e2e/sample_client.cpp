// The sample game client for the Windows end-to-end run: records in
// started.txt, in its working folder, how it was started, as the sample
// game's shell-script client does on Linux.
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string arguments;
    for (int i = 1; i < argc; ++i)
        arguments += (i > 1 ? " " : "") + std::string(argv[i]);
    std::FILE* record = std::fopen("started.txt", "w");
    if (record == nullptr)
        return 1;
    std::fprintf(record, "jux.exe started in %s with %d argument(s): %s\n",
                 std::filesystem::current_path().string().c_str(), argc - 1, arguments.c_str());
    return std::fclose(record) == 0 ? 0 : 1;
}

// A game client stand-in for the start tests. Run as
//   recording_client [ARGUMENTS...]  writes "<working folder>|<count>|<arguments
//                                    joined by blanks>" into "record" there;
//   recording_client --exit N        prints "exiting" and ends with N;
//   recording_client --replace PROGRAM ARGUMENTS...
//                                    hands the process over to PROGRAM.
#include "platform/files.h"
#include "platform/own_process.h"
#include "platform/utf8_path.h"

#include <cstdio>
#include <string>

int main() {
    using namespace launcher::platform;
    const std::vector<std::string> arguments = own_command_line();
    if (arguments.size() >= 3 && arguments[1] == "--exit") {
        std::printf("exiting\n");
        return std::stoi(arguments[2]);
    }
    if (arguments.size() >= 3 && arguments[1] == "--replace") {
        const std::vector<std::string> rest(arguments.begin() + 2, arguments.end());
        replace_process(path_from_utf8(rest.front()), rest);
        std::printf("cannot replace\n");
        return 99;
    }
    std::string joined;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        joined += (i > 1 ? " " : "") + arguments[i];
    const auto folder = std::filesystem::current_path();
    write_file_atomic(folder / "record",
                      utf8_of(folder) + "|" + std::to_string(arguments.size() - 1) + "|" + joined);
    return 0;
}

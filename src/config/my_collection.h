#pragma once

#include <memory>
#include <string>
#include <vector>

namespace launcher {

// A named list whose entries may each own a nested collection. The language
// sections are kept in one: each entry's text is the language id, its nested
// collection carries the display name (`Item`) and the section's lines.
class tMyCollection {
public:
    struct Entry {
        std::string text;
        std::unique_ptr<tMyCollection> object;
    };

    std::string Item;
    std::vector<Entry> List;

    void Clear() { List.clear(); }
};

} // namespace launcher

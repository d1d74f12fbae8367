#pragma once

#include "skin/skin_control.h"

#include <vector>

namespace launcher::testing {

// Records what a control model tells its host.
class ControlRecorder {
public:
    explicit ControlRecorder(SkinControl& control) {
        control.SetChangeHandler([this](ControlChange change) { changes.push_back(change); });
    }

    int count(ControlChange change) const {
        int n = 0;
        for (ControlChange c : changes)
            n += c == change ? 1 : 0;
        return n;
    }
    void clear() { changes.clear(); }

    std::vector<ControlChange> changes;
};

} // namespace launcher::testing

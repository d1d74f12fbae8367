#include "platform/entry_point_caller.h"

namespace launcher::platform {
namespace {

// This build runs as a 64-bit process: the processor cannot switch to the
// 32-bit code of a library image here, so no entry point is ever called.
class NoEntryPointCaller final : public EntryPointCaller {
public:
    EntryPointResult CallEntryPoint(std::uintptr_t, std::uintptr_t, std::uint32_t) override {
        return EntryPointResult::CannotBeRun;
    }
};

} // namespace

std::unique_ptr<EntryPointCaller> MakeSystemEntryPointCaller() {
    return std::make_unique<NoEntryPointCaller>();
}

} // namespace launcher::platform

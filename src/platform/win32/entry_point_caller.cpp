#include "platform/entry_point_caller.h"

#include <windows.h>

namespace launcher::platform {
namespace {

#if defined(__i386__)
// A 32-bit process runs the image's code itself: the entry point is a
// BOOL WINAPI function of (instance, reason, reserved).
class DirectEntryPointCaller final : public EntryPointCaller {
public:
    EntryPointResult CallEntryPoint(std::uintptr_t entry_point, std::uintptr_t image_base,
                                    std::uint32_t reason) override {
        using Entry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
        const auto entry = reinterpret_cast<Entry>(entry_point);
        return entry(reinterpret_cast<HINSTANCE>(image_base), reason, nullptr)
                   ? EntryPointResult::Succeeded
                   : EntryPointResult::Failed;
    }
};
using SystemEntryPointCaller = DirectEntryPointCaller;
#else
// A 64-bit process cannot switch to the 32-bit code of a library image, so
// no entry point is ever called.
class NoEntryPointCaller final : public EntryPointCaller {
public:
    EntryPointResult CallEntryPoint(std::uintptr_t, std::uintptr_t, std::uint32_t) override {
        return EntryPointResult::CannotBeRun;
    }
};
using SystemEntryPointCaller = NoEntryPointCaller;
#endif

} // namespace

std::unique_ptr<EntryPointCaller> MakeSystemEntryPointCaller() {
    return std::make_unique<SystemEntryPointCaller>();
}

} // namespace launcher::platform

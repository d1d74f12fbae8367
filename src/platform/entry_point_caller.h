#pragma once

#include <cstdint>
#include <memory>

namespace launcher::platform {

// What became of calling a library image's entry point.
enum class EntryPointResult {
    Succeeded,   // the entry point ran and returned true
    Failed,      // the entry point ran and returned false
    CannotBeRun, // this process cannot run the image's code at all
};

// Calls the main function of a 32-bit library image mapped in this process:
// BOOL WINAPI entry(instance, reason, reserved) with instance = the image base
// and no reserved pointer.
class EntryPointCaller {
public:
    virtual ~EntryPointCaller() = default;

    virtual EntryPointResult CallEntryPoint(std::uintptr_t entry_point, std::uintptr_t image_base,
                                            std::uint32_t reason) = 0;
};

// The system's caller. A 32-bit Windows process calls the entry point
// itself; a 64-bit process cannot run 32-bit code, so there it reports
// CannotBeRun for every call.
std::unique_ptr<EntryPointCaller> MakeSystemEntryPointCaller();

} // namespace launcher::platform

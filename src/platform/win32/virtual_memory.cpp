#include "platform/virtual_memory.h"

#include <windows.h>

namespace launcher::platform {
namespace {

constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
// Reservations start on this grid (the system's allocation granularity).
constexpr std::uintptr_t kGrid = 0x10000;
// Where the search for free room below 4 GiB starts, and its step.
constexpr std::uintptr_t kSearchStart = 0x01000000;
constexpr std::uintptr_t kSearchStep = 0x00100000;

// Private memory has no copy-on-write: write-copy pages are simply
// writable, as on POSIX systems (VirtualProtect refuses write-copy there).
DWORD WindowsProtection(std::uint32_t protection) {
    const std::uint32_t base = protection & 0xFF;
    const std::uint32_t modifiers = protection & ~0xFFu;
    if (base == PAGE_WRITECOPY)
        return PAGE_READWRITE | modifiers;
    if (base == PAGE_EXECUTE_WRITECOPY)
        return PAGE_EXECUTE_READWRITE | modifiers;
    return protection;
}

bool BelowFourGiB(std::uintptr_t start, std::size_t size) {
    return start < kFourGiB && size <= kFourGiB - start;
}

class WindowsVirtualMemory final : public VirtualMemory {
public:
    WindowsVirtualMemory() {
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        page_size_ = info.dwPageSize;
    }

    void* ReserveAt(std::uintptr_t address, std::size_t size) override {
        if (address == 0 || address % kGrid != 0 || size == 0 || !BelowFourGiB(address, size))
            return nullptr;
        void* wanted = reinterpret_cast<void*>(address);
        void* got = ::VirtualAlloc(wanted, size, MEM_RESERVE, PAGE_NOACCESS);
        if (got != nullptr && got != wanted) {
            ::VirtualFree(got, 0, MEM_RELEASE);
            return nullptr;
        }
        return got;
    }

    void* ReserveAnywhere(std::size_t size) override {
        if (size == 0 || size > kFourGiB)
            return nullptr;
        // A 32-bit process has nothing above 4 GiB: any place will do.
        if constexpr (sizeof(void*) == 4)
            return ::VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        for (std::uint64_t address = kSearchStart; address + size <= kFourGiB;
             address += kSearchStep) {
            if (void* got = ReserveAt(static_cast<std::uintptr_t>(address), size))
                return got;
        }
        return nullptr;
    }

    bool Commit(void* address, std::size_t size, std::uint32_t protection) override {
        return ::VirtualAlloc(address, size, MEM_COMMIT, WindowsProtection(protection)) == address;
    }

    bool Decommit(void* address, std::size_t size) override {
        return ::VirtualFree(address, size, MEM_DECOMMIT) != 0;
    }

    bool Protect(void* address, std::size_t size, std::uint32_t protection) override {
        DWORD previous = 0;
        return ::VirtualProtect(address, size, WindowsProtection(protection), &previous) != 0;
    }

    void Release(void* address, std::size_t) override { ::VirtualFree(address, 0, MEM_RELEASE); }

    std::size_t PageSize() const override { return page_size_; }

private:
    std::size_t page_size_ = 4096;
};

} // namespace

std::unique_ptr<VirtualMemory> MakeSystemVirtualMemory() {
    return std::make_unique<WindowsVirtualMemory>();
}

} // namespace launcher::platform

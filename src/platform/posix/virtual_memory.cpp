#include "platform/virtual_memory.h"

#include <sys/mman.h>
#include <unistd.h>

namespace launcher::platform {
namespace {

constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
// Where the search for free room below 4 GiB starts, and its step: well above
// the lowest pages the kernel refuses, on the 64 KiB grid Windows uses.
constexpr std::uintptr_t kSearchStart = 0x01000000;
constexpr std::uintptr_t kSearchStep = 0x00100000;

int PosixProtection(std::uint32_t protection) {
    // Caching attributes have no counterpart in user space; write-copy pages
    // of a private anonymous mapping are simply writable.
    switch (protection & 0xFF) {
    case PAGE_NOACCESS:
        return PROT_NONE;
    case PAGE_READONLY:
        return PROT_READ;
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
        return PROT_READ | PROT_WRITE;
    case PAGE_EXECUTE:
        return PROT_EXEC;
    case PAGE_EXECUTE_READ:
        return PROT_READ | PROT_EXEC;
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
        return PROT_READ | PROT_WRITE | PROT_EXEC;
    default:
        return -1;
    }
}

bool BelowFourGiB(const void* address, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    return start < kFourGiB && size <= kFourGiB - start;
}

constexpr int kReserveFlags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;

class PosixVirtualMemory final : public VirtualMemory {
public:
    PosixVirtualMemory() : page_size_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {}

    void* ReserveAt(std::uintptr_t address, std::size_t size) override {
        if (address == 0 || address % page_size_ != 0 || size == 0 ||
            !BelowFourGiB(reinterpret_cast<void*>(address), size)) {
            return nullptr;
        }
        void* wanted = reinterpret_cast<void*>(address);
        // MAP_FIXED_NOREPLACE never replaces an existing mapping (the heap,
        // a library, or a sanitizer's shadow memory).
        void* got = mmap(wanted, size, PROT_NONE, kReserveFlags | MAP_FIXED_NOREPLACE, -1, 0);
        if (got == MAP_FAILED) {
            return nullptr;
        }
        if (got != wanted) {
            // Kernels older than 4.17 take the flag as a mere hint.
            munmap(got, size);
            return nullptr;
        }
        return got;
    }

    void* ReserveAnywhere(std::size_t size) override {
        if (size == 0 || size > kFourGiB) {
            return nullptr;
        }
#ifdef MAP_32BIT
        void* low = mmap(nullptr, size, PROT_NONE, kReserveFlags | MAP_32BIT, -1, 0);
        if (low != MAP_FAILED) {
            if (BelowFourGiB(low, size)) {
                return low;
            }
            munmap(low, size);
        }
#endif
        for (std::uint64_t address = kSearchStart; address + size <= kFourGiB;
             address += kSearchStep) {
            if (void* got = ReserveAt(static_cast<std::uintptr_t>(address), size)) {
                return got;
            }
        }
        return nullptr;
    }

    bool Commit(void* address, std::size_t size, std::uint32_t protection) override {
        return Protect(address, size, protection);
    }

    bool Decommit(void* address, std::size_t size) override {
        // A fresh inaccessible mapping over the range frees its memory and
        // keeps the address space reserved.
        return mmap(address, size, PROT_NONE, kReserveFlags | MAP_FIXED, -1, 0) == address;
    }

    bool Protect(void* address, std::size_t size, std::uint32_t protection) override {
        const int posix = PosixProtection(protection);
        return posix != -1 && mprotect(address, size, posix) == 0;
    }

    void Release(void* address, std::size_t size) override {
        munmap(address, size);
    }

    std::size_t PageSize() const override {
        return page_size_;
    }

private:
    std::size_t page_size_;
};

} // namespace

std::unique_ptr<VirtualMemory> MakeSystemVirtualMemory() {
    return std::make_unique<PosixVirtualMemory>();
}

} // namespace launcher::platform

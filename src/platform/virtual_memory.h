#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace launcher::platform {

// Page protections, with the values Windows gives them, so that a protection
// chosen from a library image's section flags means the same on every system.
inline constexpr std::uint32_t PAGE_NOACCESS = 0x01;
inline constexpr std::uint32_t PAGE_READONLY = 0x02;
inline constexpr std::uint32_t PAGE_READWRITE = 0x04;
inline constexpr std::uint32_t PAGE_WRITECOPY = 0x08;
inline constexpr std::uint32_t PAGE_EXECUTE = 0x10;
inline constexpr std::uint32_t PAGE_EXECUTE_READ = 0x20;
inline constexpr std::uint32_t PAGE_EXECUTE_READWRITE = 0x40;
inline constexpr std::uint32_t PAGE_EXECUTE_WRITECOPY = 0x80;
inline constexpr std::uint32_t PAGE_NOCACHE = 0x200;

// Address space for a 32-bit library image: reserved as one region, committed,
// protected page by page and released as a whole. Every region lies wholly
// below 4 GiB, because the image addresses itself with 32-bit values.
class VirtualMemory {
public:
    virtual ~VirtualMemory() = default;

    // Reserves `size` bytes at exactly `address`; nullptr when that range is
    // taken or cannot be had.
    virtual void* ReserveAt(std::uintptr_t address, std::size_t size) = 0;
    // Reserves `size` bytes wherever there is room below 4 GiB; nullptr when
    // there is none.
    virtual void* ReserveAnywhere(std::size_t size) = 0;
    // Makes reserved pages usable with the given protection; fresh pages read
    // as zero.
    virtual bool Commit(void* address, std::size_t size, std::uint32_t protection) = 0;
    // Gives the pages' memory back; they stay reserved and become inaccessible.
    virtual bool Decommit(void* address, std::size_t size) = 0;
    virtual bool Protect(void* address, std::size_t size, std::uint32_t protection) = 0;
    // Releases a whole region given by ReserveAt or ReserveAnywhere.
    virtual void Release(void* address, std::size_t size) = 0;

    virtual std::size_t PageSize() const = 0;
};

// The system's virtual memory: mmap, mprotect and munmap on POSIX systems;
// VirtualAlloc, VirtualProtect and VirtualFree on Windows.
std::unique_ptr<VirtualMemory> MakeSystemVirtualMemory();

} // namespace launcher::platform

// The system's virtual memory, library resolver and entry point caller.

#include "platform/entry_point_caller.h"
#include "platform/library_resolver.h"
#include "platform/virtual_memory.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;
constexpr std::size_t kSize = 0x10000;

bool AllZero(const void* address, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(address);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(SystemVirtualMemory, ReservesBelowFourGiBAndNeverOverATakenRange) {
    const auto memory = MakeSystemVirtualMemory();
    void* first = memory->ReserveAnywhere(kSize);
    ASSERT_NE(first, nullptr);
    EXPECT_LE(reinterpret_cast<std::uintptr_t>(first) + kSize, kFourGiB);

    EXPECT_EQ(memory->ReserveAt(reinterpret_cast<std::uintptr_t>(first), kSize), nullptr);
    memory->Release(first, kSize);
    void* again = memory->ReserveAt(reinterpret_cast<std::uintptr_t>(first), kSize);
    EXPECT_EQ(again, first);
    memory->Release(again, kSize);
}

TEST(SystemVirtualMemory, RefusesAddressesThatDoNotFitIn32Bits) {
    const auto memory = MakeSystemVirtualMemory();
    EXPECT_EQ(memory->ReserveAt(kFourGiB, kSize), nullptr);
    EXPECT_EQ(memory->ReserveAt(kFourGiB - kSize / 2, kSize), nullptr);
    EXPECT_EQ(memory->ReserveAnywhere(kFourGiB + 1), nullptr);
}

TEST(SystemVirtualMemory, CommittedPagesReadZeroAgainAfterDecommit) {
    const auto memory = MakeSystemVirtualMemory();
    void* region = memory->ReserveAnywhere(kSize);
    ASSERT_NE(region, nullptr);
    ASSERT_TRUE(memory->Commit(region, kSize, PAGE_READWRITE));
    EXPECT_TRUE(AllZero(region, kSize));
    std::memset(region, 0xAB, kSize);
    ASSERT_TRUE(memory->Decommit(region, kSize));
    ASSERT_TRUE(memory->Commit(region, kSize, PAGE_READWRITE));
    EXPECT_TRUE(AllZero(region, kSize));
    memory->Release(region, kSize);
}

TEST(SystemVirtualMemory, AcceptsEveryProtectionOfTheTable) {
    const auto memory = MakeSystemVirtualMemory();
    void* region = memory->ReserveAnywhere(kSize);
    ASSERT_NE(region, nullptr);
    ASSERT_TRUE(
        memory->Commit(region, kSize, PAGE_READWRITE)); // the loader protects committed pages
    for (const std::uint32_t protection :
         {PAGE_NOACCESS, PAGE_READONLY, PAGE_READWRITE, PAGE_WRITECOPY, PAGE_EXECUTE,
          PAGE_EXECUTE_READ, PAGE_EXECUTE_READWRITE, PAGE_EXECUTE_WRITECOPY,
          PAGE_READWRITE | PAGE_NOCACHE}) {
        EXPECT_TRUE(memory->Protect(region, kSize, protection)) << std::hex << protection;
    }
    EXPECT_FALSE(memory->Protect(region, kSize, 0x03)); // not a protection
    memory->Release(region, kSize);
}

TEST(SystemLibraryResolver, MissingLibraryIsNotFound) {
    const auto resolver = MakeSystemLibraryResolver();
    EXPECT_EQ(resolver->Load("no-such-library.dll"), std::nullopt);
}

// Where the system's own loader puts a function, for comparison.
std::uintptr_t RealAddress(const char* library_name, const char* symbol) {
#ifdef _WIN32
    HMODULE library = ::LoadLibraryA(library_name);
    const auto address = reinterpret_cast<std::uintptr_t>(::GetProcAddress(library, symbol));
    ::FreeLibrary(library);
#else
    void* library = dlopen(library_name, RTLD_NOW);
    const auto address = reinterpret_cast<std::uintptr_t>(dlsym(library, symbol));
    dlclose(library);
#endif
    return address;
}

#ifdef _WIN32
constexpr const char* kSystemLibrary = "kernel32.dll";
constexpr const char* kSystemSymbol = "GetTickCount";
#else
constexpr const char* kSystemLibrary = "libc.so.6";
constexpr const char* kSystemSymbol = "strlen";
#endif

TEST(SystemLibraryResolver, SymbolsAreGivenOnlyAs32BitValues) {
    const auto resolver = MakeSystemLibraryResolver();
    const auto library = resolver->Load(kSystemLibrary);
    ASSERT_TRUE(library);
    const auto symbol = resolver->FindSymbol(*library, kSystemSymbol);
    const std::uintptr_t real = RealAddress(kSystemLibrary, kSystemSymbol);
    ASSERT_NE(real, 0u);
    // Whether the library lies below 4 GiB decides; a truncated value never comes.
    if (real < kFourGiB) {
        EXPECT_EQ(symbol, real);
    } else {
        EXPECT_EQ(symbol, std::nullopt);
    }
    EXPECT_EQ(resolver->FindSymbol(*library, "no_such_symbol"), std::nullopt);
    resolver->Release(*library);
}

TEST(SystemLibraryResolver, OrdinalsAreKnownWhereTheSystemHasThem) {
    const auto resolver = MakeSystemLibraryResolver();
    const auto library = resolver->Load(kSystemLibrary);
    ASSERT_TRUE(library);
    const auto by_ordinal = resolver->FindSymbol(*library, std::uint16_t{1});
#ifdef _WIN32
    HMODULE module = ::GetModuleHandleA(kSystemLibrary);
    const auto real = reinterpret_cast<std::uintptr_t>(
        ::GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t{1})));
    ASSERT_NE(real, 0u);
    EXPECT_EQ(by_ordinal, real < kFourGiB
                              ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(real))
                              : std::nullopt);
#else
    EXPECT_EQ(by_ordinal, std::nullopt); // the dynamic loader knows names only
#endif
    resolver->Release(*library);
}

TEST(SystemEntryPointCaller, CannotRun32BitCodeInA64BitProcess) {
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "a 32-bit process runs the entry point itself";
    EXPECT_EQ(MakeSystemEntryPointCaller()->CallEntryPoint(0x10001000, 0x10000000, 1),
              EntryPointResult::CannotBeRun);
}

} // namespace
} // namespace launcher::platform

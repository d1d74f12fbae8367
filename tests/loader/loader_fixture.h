#pragma once

#include "loader/fake_platform.h"
#include "loader/test_library.h"

#include <cstring>

#include <gtest/gtest.h>

namespace launcher::testing {

// Loads generated images with the fake platform and reads their memory.
class LoaderTest : public ::testing::Test {
protected:
    // An address below 4 GiB where the test library fits and nothing is
    // mapped right now, to serve as a free preferred base.
    std::uint32_t FreeBase() {
        void* region = fake.memory.ReserveAnywhere(test_library::kSizeOfImage);
        EXPECT_NE(region, nullptr);
        fake.memory.Release(region, test_library::kSizeOfImage);
        fake.memory.released.clear();
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(region));
    }

    std::unique_ptr<ImageModule> Load(const std::vector<std::uint8_t>& bytes,
                                      std::uint32_t mode = kImageProtectSections,
                                      bool call_entry_point = true) {
        return LoadLibraryImage(bytes.data(), mode, call_entry_point, bytes.size(),
                                fake.services());
    }

    static std::uintptr_t Base(const ImageModule& module) {
        return reinterpret_cast<std::uintptr_t>(module.image_base);
    }

    static std::uint32_t Read32(const ImageModule& module, std::uint32_t rva) {
        std::uint32_t value;
        std::memcpy(&value, module.image_base + rva, sizeof(value));
        return value;
    }

    FakePlatform fake;
};

// Keeps a region reserved so that an image preferring it must go elsewhere.
class TakenRegion {
public:
    TakenRegion(std::uint32_t address, std::size_t size)
        : size_(size), region_(memory_->ReserveAt(address, size)) {}
    ~TakenRegion() {
        if (region_ != nullptr) {
            memory_->Release(region_, size_);
        }
    }
    TakenRegion(const TakenRegion&) = delete;
    TakenRegion& operator=(const TakenRegion&) = delete;

    bool taken() const { return region_ != nullptr; }

private:
    std::unique_ptr<platform::VirtualMemory> memory_ = platform::MakeSystemVirtualMemory();
    std::size_t size_;
    void* region_;
};

} // namespace launcher::testing

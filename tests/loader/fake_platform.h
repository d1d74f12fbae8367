#pragma once

#include "archive/library_image.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace launcher::testing {

// Libraries known by name, with symbols by name and by ordinal that resolve to
// fixed 32-bit values. Records what was loaded and released.
class FakeLibraryResolver final : public platform::LibraryResolver {
public:
    struct Library {
        std::map<std::string, std::uint32_t> by_name;
        std::map<std::uint16_t, std::uint32_t> by_ordinal;
    };

    void Add(const std::string& name, Library library) { libraries_[name] = std::move(library); }

    std::optional<platform::LibraryHandle> Load(std::string_view name) override;
    std::optional<std::uint32_t> FindSymbol(platform::LibraryHandle library,
                                            std::string_view name) override;
    std::optional<std::uint32_t> FindSymbol(platform::LibraryHandle library,
                                            std::uint16_t ordinal) override;
    void Release(platform::LibraryHandle library) override;

    std::vector<std::string> loaded;   // names, in order of loading
    std::vector<std::string> released; // names, in order of release

private:
    std::map<std::string, Library> libraries_;
    std::vector<std::string> handles_; // handle h names handles_[h - 1]
};

// Records every call of an entry point and answers with `result`.
class RecordingEntryPointCaller final : public platform::EntryPointCaller {
public:
    struct Call {
        std::uintptr_t entry_point;
        std::uintptr_t image_base;
        std::uint32_t reason;
        bool operator==(const Call&) const = default;
    };

    platform::EntryPointResult CallEntryPoint(std::uintptr_t entry_point, std::uintptr_t image_base,
                                              std::uint32_t reason) override {
        calls.push_back({entry_point, image_base, reason});
        return result;
    }

    platform::EntryPointResult result = platform::EntryPointResult::Succeeded;
    std::vector<Call> calls;
};

// The system's virtual memory, recording protections and decommits, and able
// to refuse protections.
class RecordingVirtualMemory final : public platform::VirtualMemory {
public:
    struct Change {
        std::uintptr_t address;
        std::size_t size;
        std::optional<std::uint32_t> protection; // none: decommitted
    };

    void* ReserveAt(std::uintptr_t address, std::size_t size) override {
        return system_->ReserveAt(address, size);
    }
    void* ReserveAnywhere(std::size_t size) override { return system_->ReserveAnywhere(size); }
    bool Commit(void* address, std::size_t size, std::uint32_t protection) override {
        return system_->Commit(address, size, protection);
    }
    bool Decommit(void* address, std::size_t size) override;
    bool Protect(void* address, std::size_t size, std::uint32_t protection) override;
    void Release(void* address, std::size_t size) override {
        released.push_back(reinterpret_cast<std::uintptr_t>(address));
        system_->Release(address, size);
    }
    std::size_t PageSize() const override { return system_->PageSize(); }

    // The protection last given to the page holding `address`, if any.
    std::optional<std::uint32_t> ProtectionAt(std::uintptr_t address) const;
    bool DecommittedAt(std::uintptr_t address) const;

    bool refuse_protect = false;
    std::vector<Change> changes;
    std::vector<std::uintptr_t> released;

private:
    std::unique_ptr<platform::VirtualMemory> system_ = platform::MakeSystemVirtualMemory();
};

// The three fakes, bundled as the loader wants them.
struct FakePlatform {
    RecordingVirtualMemory memory;
    FakeLibraryResolver libraries;
    RecordingEntryPointCaller entry_point;

    ImageLoaderPlatform services() { return {&memory, &libraries, &entry_point}; }
};

} // namespace launcher::testing

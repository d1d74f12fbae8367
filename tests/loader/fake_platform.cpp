#include "loader/fake_platform.h"

namespace launcher::testing {

std::optional<platform::LibraryHandle> FakeLibraryResolver::Load(std::string_view name) {
    const auto found = libraries_.find(std::string(name));
    if (found == libraries_.end()) {
        return std::nullopt;
    }
    loaded.push_back(found->first);
    handles_.push_back(found->first);
    return handles_.size();
}

std::optional<std::uint32_t> FakeLibraryResolver::FindSymbol(platform::LibraryHandle library,
                                                             std::string_view name) {
    const auto& symbols = libraries_.at(handles_.at(library - 1)).by_name;
    const auto found = symbols.find(std::string(name));
    return found == symbols.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::uint32_t> FakeLibraryResolver::FindSymbol(platform::LibraryHandle library,
                                                             std::uint16_t ordinal) {
    const auto& symbols = libraries_.at(handles_.at(library - 1)).by_ordinal;
    const auto found = symbols.find(ordinal);
    return found == symbols.end() ? std::nullopt : std::optional(found->second);
}

void FakeLibraryResolver::Release(platform::LibraryHandle library) {
    released.push_back(handles_.at(library - 1));
}

bool RecordingVirtualMemory::Decommit(void* address, std::size_t size) {
    if (!system_->Decommit(address, size)) {
        return false;
    }
    changes.push_back({reinterpret_cast<std::uintptr_t>(address), size, std::nullopt});
    return true;
}

bool RecordingVirtualMemory::Protect(void* address, std::size_t size, std::uint32_t protection) {
    if (refuse_protect || !system_->Protect(address, size, protection)) {
        return false;
    }
    changes.push_back({reinterpret_cast<std::uintptr_t>(address), size, protection});
    return true;
}

std::optional<std::uint32_t> RecordingVirtualMemory::ProtectionAt(std::uintptr_t address) const {
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        if (address >= change->address && address - change->address < change->size) {
            return change->protection;
        }
    }
    return std::nullopt;
}

bool RecordingVirtualMemory::DecommittedAt(std::uintptr_t address) const {
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        if (address >= change->address && address - change->address < change->size) {
            return !change->protection;
        }
    }
    return false;
}

} // namespace launcher::testing

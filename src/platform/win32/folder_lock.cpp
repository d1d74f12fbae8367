#include "platform/folder_lock.h"

#include "platform/files.h"
#include "platform/utf8_path.h"
#include "platform/win32/win32_text.h"

#include <functional>
#include <string>

namespace launcher::platform {

// A named mutex per folder: held by one process at a time and dropped by the
// system when that process ends in any way.
FolderLock::FolderLock(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    std::wstring name = (error ? folder : canonical).wstring();
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(::towlower(c));
    const std::wstring mutex_name =
        L"Local\\launcher-folder-" + std::to_wstring(std::hash<std::wstring>{}(name));
    // Created owned, or found: a mutex that exists has a holder (every lock
    // that does not get it closes its handle at once). Waiting on a found one
    // would not do: a mutex is taken again by the thread that holds it.
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, mutex_name.c_str());
    if (mutex == nullptr)
        throw file_error("Cannot lock folder", folder, win32::last_error());
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        throw FileError(utf8_of(folder) + " is locked by another program", FileProblem::Other,
                        folder);
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

FolderLock::~FolderLock() {
    HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

} // namespace launcher::platform

#pragma once

#include "archive/rar_types.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct archive;

namespace launcher {

// Reads, lists, tests and extracts archives (RAR 4 and 5, 7z, zip) on the
// linked libarchive. Extraction writes regular files only, each under a
// temporary name beside its target and renamed into place when complete; a
// member never lands outside the destination folder.
class TRAR {
public:
    using OnErrorEvent = std::function<void(TRAR& sender, int ErrorCode, TRAROperation Operation)>;
    using OnListFileEvent = std::function<void(TRAR& sender, const TRARFileItem& FileInformation)>;
    using OnPasswordRequiredEvent =
        std::function<void(TRAR& sender, bool HeaderPassword, const std::string& FileName,
                           std::string& NewPassword, bool& Cancel)>;
    using OnNextVolumeRequiredEvent = std::function<void(
        TRAR& sender, const std::string& requiredFileName, std::string& newFileName, bool& Cancel)>;
    using OnProgressEvent = std::function<void(
        TRAR& sender, const std::u16string& FileName, std::int64_t ArchiveBytesTotal,
        std::int64_t ArchiveBytesDone, std::int64_t FileBytesTotal, std::int64_t FileBytesDone)>;
    using OnReplaceEvent = std::function<void(TRAR& sender, const TRARReplaceData& ExistingData,
                                              const TRARReplaceData& NewData, TRARReplace& Action)>;

    TRAR() = default;
    TRAR(const TRAR&) = delete;
    TRAR& operator=(const TRAR&) = delete;

    static constexpr std::string_view Version = "1.2";

    // The reader is linked, so it is always there.
    bool LoadDLL() { return true; }
    void UnloadDLL() {}
    bool isDLLLoaded() const { return true; }
    // The linked libarchive's version number (3006002 for 3.6.2).
    int GetDllVersion() const;

    // Resets the information, lists the archive into it and returns whether
    // listing succeeded.
    bool OpenFile(const std::filesystem::path& FileName);
    // Names the archive for the next Extract without reading it first: an
    // archive that does not read shows in Extract's result instead. Spares
    // a pass over every archive that is only extracted.
    void SetArchive(const std::filesystem::path& FileName);
    bool List();
    // Extracts into `Path`: every member under its file name only, or with its
    // stored folders when `RestoreFolder` is set; `Files` selects members by
    // their stored name (all when absent). With a `MemberCheck` only the
    // checked member is written.
    bool Extract(const std::filesystem::path& Path, bool RestoreFolder,
                 const std::vector<std::string>* Files);
    bool Test();
    // Ends the running operation at its next step; safe from another thread.
    void Abort() { fAbort = true; }

    const TRARArchiveInformation& ArchiveInformation() const { return fArchiveInformation; }
    const TRARProgressInfo& ProgressInfo() const { return fProgressInfo; }

    // The member the next `Extract` must verify while writing it; see
    // TRARMemberCheck. `LastExtract` says what became of it.
    std::optional<TRARMemberCheck> MemberCheck;
    const TRARExtractResult& LastExtract() const { return fLastExtract; }

    bool ReadMultiVolumeToEnd = false;
    std::string Password;
    std::string DllName = "libarchive";

    OnErrorEvent OnError;
    OnListFileEvent OnListFile;
    OnPasswordRequiredEvent OnPasswordRequired;
    OnNextVolumeRequiredEvent OnNextVolumeRequired;
    OnProgressEvent OnProgress;
    OnReplaceEvent OnReplace;

private:
    class Reader;
    friend class Reader;

    // Receives a member's data block at its offset; returns 0 or an error code.
    using BlockSink = std::function<int(const char* block, std::size_t size, std::int64_t offset)>;

    // Opens the archive and hands each member to `visit` until the end, an
    // error, an abort or `visit` returning false; closes it again.
    template <typename Visit>
    bool walk(TRAROperation operation, Visit visit);
    int read_member(Reader& reader, const BlockSink& sink);
    void report(int error_code, TRAROperation operation);
    void record_header(const TRARFileItem& item, bool is_directory);
    bool extract_member(Reader& reader, const std::filesystem::path& target,
                        const TRARMemberCheck* check, std::optional<std::int64_t> header_size,
                        bool executable);
    void note_failure(std::string why);

    std::atomic<bool> fAbort{false};
    TRARProgressInfo fProgressInfo;
    TRARArchiveInformation fArchiveInformation;
    TRARExtractResult fLastExtract;
};

// The process-wide reader that unpacks the update's packed archives.
TRAR& SharedRAR();

} // namespace launcher

#include "patch/patched_file.h"

#include "catalogue/md5.h"
#include "patch/block_index.h"
#include "patch/block_matcher.h"
#include "patch/get_while_processing.h"
#include "platform/executable_bit.h"
#include "platform/file.h"
#include "platform/text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace launcher::patch {
namespace {

struct Refused {
    std::string why;
};

// The served index of the archive, or why there is none to use.
BlockIndex fetch_index(platform::EventLoop& loop, HttpClient& client, const PatchJob& job,
                       PatchOutcome& outcome) {
    std::vector<std::uint8_t> bytes;
    HttpGetRequest request;
    request.on_response = [](const HttpResponseHead& head) {
        return head.status == 200 &&
               (!head.content_length || *head.content_length <= std::int64_t{kLongestBlockIndex});
    };
    request.on_body = [&](const char* data, std::size_t size) {
        if (bytes.size() + size > kLongestBlockIndex)
            return false;
        bytes.insert(bytes.end(), data, data + size);
        return true;
    };
    const HttpOutcome got = GetWhileProcessing(loop, client, job.archive_url + ".idx", request);
    if (!got.ok)
        throw Refused{"no block index (" +
                      (got.error.empty() ? "status " + std::to_string(got.status) : got.error) +
                      ")"};
    outcome.index_bytes = bytes.size();
    std::string why;
    auto index = ParseBlockIndex(bytes, why);
    if (!index)
        throw Refused{"a damaged block index: " + why};
    if (index->archive_md5 != platform::to_lower_ascii(job.packed_hash) ||
        index->content_md5 != platform::to_lower_ascii(job.hash) || index->file_size != job.size)
        throw Refused{"a block index of another archive"};
    return std::move(*index);
}

// Writes the new file's blocks in order, hashing them as they go.
class NewFile {
public:
    NewFile(const std::filesystem::path& path, std::uint64_t size)
        : file_(platform::File::create_new(path)) {
        file_.set_size(size);
    }
    void put(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
        file_.write_at(offset, bytes);
        md5_.Add(bytes.data(), bytes.size());
        written_ += bytes.size();
    }
    std::string md5() const { return platform::to_lower_ascii(md5_.DigestStr()); }
    std::uint64_t written() const { return written_; }
    void close() { file_.close(); }

private:
    platform::File file_;
    TMD5 md5_;
    std::uint64_t written_ = 0;
};

std::size_t read_exactly(const platform::File& file, std::uint64_t offset,
                         std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::size_t n =
            file.read_at(offset + done, buffer.data() + done, buffer.size() - done);
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

// Fetches blocks [first, end) in one range and puts each, checked, in place.
void fetch_blocks(platform::EventLoop& loop, HttpClient& client, const PatchJob& job,
                  const BlockIndex& index, std::size_t first, std::size_t end, NewFile& out,
                  PatchOutcome& outcome) {
    const std::uint64_t from = index.block_offset(first);
    const std::uint64_t to = index.block_offset(end - 1) + index.block_length(end - 1);
    const std::uint64_t archive_from = index.data_offset + from;
    std::vector<std::uint8_t> block;
    block.reserve(index.block_size);
    std::size_t current = first;
    std::uint64_t received = 0;
    std::optional<std::string> failure;
    HttpGetRequest request;
    request.extra_headers.push_back("Range: bytes=" + std::to_string(archive_from) + "-" +
                                    std::to_string(index.data_offset + to - 1));
    request.on_response = [&](const HttpResponseHead& head) {
        // A whole archive (200) or another range than asked is no patch.
        if (head.status != 206 || head.content_range_first != std::int64_t(archive_from) ||
            (head.content_length && *head.content_length != std::int64_t(to - from))) {
            failure = "the server did not answer the range asked for (status " +
                      std::to_string(head.status) + ")";
            return false;
        }
        return true;
    };
    request.on_body = [&](const char* data, std::size_t size) {
        try {
            while (size > 0) {
                if (current == end) {
                    failure = "the server sent more than the range asked for";
                    return false;
                }
                const std::size_t want = index.block_length(current) - block.size();
                const std::size_t take = std::min(want, size);
                block.insert(block.end(), data, data + take);
                data += take;
                size -= take;
                received += take;
                if (block.size() < index.block_length(current))
                    continue;
                if (StrongHashOf(block) != index.blocks[current].strong) {
                    failure = "block " + std::to_string(current) + " fails its hash";
                    return false;
                }
                out.put(index.block_offset(current), block);
                block.clear();
                ++current;
            }
            return true;
        } catch (const platform::FileError& error) {
            failure = error.what();
            return false;
        }
    };
    const HttpOutcome got = GetWhileProcessing(loop, client, job.archive_url, request);
    outcome.fetched_bytes += received;
    if (failure)
        throw Refused{*failure};
    if (!got.ok || current != end)
        throw Refused{"the range " + std::to_string(archive_from) + " could not be fetched: " +
                      (got.error.empty() ? "it was cut short" : got.error)};
}

void build(platform::EventLoop& loop, HttpClient& client, const PatchJob& job,
           PatchOutcome& outcome) {
    const BlockIndex index = fetch_index(loop, client, job, outcome);
    const platform::File old(job.old_file, platform::File::Mode::Read);
    const auto status = old.status();
    const auto old_size = static_cast<std::uint64_t>(status.size);
    std::vector<std::optional<std::uint64_t>> found;
    RunWhileProcessing(loop, [&] {
        found = FindLocalBlocks(index, old_size,
                                [&](std::uint64_t offset, std::span<std::uint8_t> buffer) {
                                    return old.read_at(offset, buffer.data(), buffer.size());
                                });
    });
    // With nothing in common the whole archive comes faster, in several
    // ranges at once, for the same bytes.
    if (!found.empty() &&
        std::none_of(found.begin(), found.end(), [](const auto& at) { return at.has_value(); }))
        throw Refused{"the old file holds no block of the new one"};
    NewFile out(job.staged, index.file_size);
    std::vector<std::uint8_t> block(index.block_size);
    for (std::size_t at = 0; at < found.size();) {
        if (found[at]) {
            // A run of local blocks is copied aside from the interface thread.
            RunWhileProcessing(loop, [&] {
                for (; at < found.size() && found[at]; ++at) {
                    const auto bytes = std::span(block).first(index.block_length(at));
                    if (read_exactly(old, *found[at], bytes) != bytes.size())
                        throw Refused{"the old file changed while it was read"};
                    out.put(index.block_offset(at), bytes);
                    outcome.local_bytes += bytes.size();
                }
            });
            continue;
        }
        std::size_t end = at;
        while (end < found.size() && !found[end])
            ++end;
        fetch_blocks(loop, client, job, index, at, end, out, outcome);
        at = end;
    }
    if (out.written() != job.size || out.md5() != platform::to_lower_ascii(job.hash))
        throw Refused{"the built file differs from the file list"};
    out.close();
    // As extraction would make it: a program where the archive marks one.
    if (index.executable)
        platform::set_executable(job.staged);
}

} // namespace

PatchOutcome BuildPatchedFile(platform::EventLoop& loop, HttpClient& client, const PatchJob& job) {
    PatchOutcome outcome;
    try {
        build(loop, client, job, outcome);
        outcome.built = true;
    } catch (const Refused& refused) {
        outcome.why = refused.why;
    } catch (const std::exception& error) {
        outcome.why = error.what(); // a local problem: the whole archive may still do
    }
    if (!outcome.built)
        platform::remove_file(job.staged);
    return outcome;
}

} // namespace launcher::patch

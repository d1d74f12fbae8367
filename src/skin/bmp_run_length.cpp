#include "skin/bmp_run_length.h"

#include "skin/bmp_header.h"

#include <string>

namespace launcher {
namespace {

// Walks the codes and puts each index at the current place.
class RunLengthReader {
public:
    RunLengthReader(std::span<const std::uint8_t> codes, int width, int height, unsigned bits)
        : codes_(codes), width_(width), height_(height), bits_(bits),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kUnsetPixel) {
    }

    std::vector<std::uint16_t> run() {
        for (;;) {
            // Data cut short show as a missing end code, whatever rows were given.
            if (at_ == codes_.size())
                FailBmp("the run-length data end " +
                        (row_ < height_ ? "at row " + std::to_string(row_ + 1) + " of " +
                                              std::to_string(height_)
                                        : std::string("after the last row")) +
                        " without an end-of-bitmap code");
            need(2, "a code");
            code_at_ = at_;
            const std::uint8_t count = codes_[at_];
            const std::uint8_t value = codes_[at_ + 1];
            at_ += 2;
            if (count > 0) {
                encoded_run(count, value);
                continue;
            }
            switch (value) {
            case 0: // end of line
                if (row_ >= height_)
                    FailBmp("the run-length data go on past the last row (an end of line at "
                            "byte " +
                            std::to_string(code_at_) + ")");
                x_ = 0;
                ++row_;
                break;
            case 1: // end of bitmap
                return std::move(pixels_);
            case 2: // delta: right, then up
                need(2, "a delta");
                x_ += codes_[at_];
                row_ += codes_[at_ + 1];
                if (x_ > width_ || row_ >= height_)
                    FailBmp("a delta at byte " + std::to_string(code_at_) +
                            " moves past the end of the " + std::to_string(width_) + " x " +
                            std::to_string(height_) + " image");
                at_ += 2;
                break;
            default:
                absolute_run(value);
                break;
            }
        }
    }

private:
    void need(std::size_t bytes, const char* what) const {
        if (codes_.size() - at_ < bytes)
            FailBmp(std::string("the run-length data end in the middle of ") + what + " at byte " +
                    std::to_string(at_));
    }

    // Writers end every row with a code of its own; a run that passes the
    // row's end or the last row is damaged data, not a wrapped line.
    void put(unsigned index) {
        if (row_ >= height_)
            FailBmp("the run-length data write past the last row (a run at byte " +
                    std::to_string(code_at_) + ")");
        if (x_ >= width_)
            FailBmp("a run at byte " + std::to_string(code_at_) + " passes the end of row " +
                    std::to_string(row_ + 1) + " (" + std::to_string(width_) + " pixels)");
        const auto y = static_cast<std::size_t>(height_ - 1 - row_);
        pixels_[y * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x_)] =
            static_cast<std::uint16_t>(index);
        ++x_;
    }

    // `count` pixels of one index, or of two alternating ones for RLE4
    // (high half first).
    void encoded_run(unsigned count, std::uint8_t value) {
        for (unsigned i = 0; i < count; ++i)
            put(bits_ == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0xF));
    }

    // `count` indexes as they stand, padded to an even number of bytes.
    void absolute_run(unsigned count) {
        const std::size_t bytes = bits_ == 8 ? count : (count + 1) / 2;
        const std::size_t padded = (bytes + 1) / 2 * 2;
        need(padded, "an absolute run");
        for (unsigned i = 0; i < count; ++i) {
            const std::uint8_t byte = codes_[at_ + (bits_ == 8 ? i : i / 2)];
            put(bits_ == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0xF));
        }
        at_ += padded;
    }

    std::span<const std::uint8_t> codes_;
    std::int64_t width_;
    std::int64_t height_;
    unsigned bits_;
    std::vector<std::uint16_t> pixels_;
    std::size_t at_ = 0;
    std::size_t code_at_ = 0; // where the code being read begins, for messages
    std::int64_t x_ = 0;
    std::int64_t row_ = 0; // counted from the bottom
};

} // namespace

std::vector<std::uint16_t> ExpandRunLength(std::span<const std::uint8_t> codes, int width,
                                           int height, unsigned bits) {
    return RunLengthReader(codes, width, height, bits).run();
}

} // namespace launcher

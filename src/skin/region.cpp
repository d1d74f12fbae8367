#include "skin/region.h"

#include <algorithm>
#include <limits>

namespace launcher {

// Builds the canonical form band by band: each band is a run of rows with
// the same column spans; a band equal to the one right above it extends it.
class RegionBuilder {
public:
    using Span = std::pair<std::int32_t, std::int32_t>; // [left, right)

    // Adds the rows [top, bottom) whose covered columns are `spans`, sorted
    // by their left edge, not overlapping or touching. Bands come in from
    // the top without overlapping.
    void add_band(std::int32_t top, std::int32_t bottom, const std::vector<Span>& spans) {
        if (top >= bottom || spans.empty())
            return;
        if (last_bottom_ == top && spans == last_spans_) {
            for (std::size_t i = rects_.size() - spans.size(); i < rects_.size(); ++i)
                rects_[i].bottom = bottom;
        } else {
            for (const auto& [left, right] : spans)
                rects_.push_back({left, top, right, bottom});
            last_spans_ = spans;
        }
        last_bottom_ = bottom;
    }

    Region take() {
        Region region;
        region.rects_ = std::move(rects_);
        return region;
    }

    // Sorts spans by their left edge and joins those that overlap or touch.
    static void merge(std::vector<Span>& spans) {
        std::sort(spans.begin(), spans.end());
        std::size_t out = 0;
        for (const Span& span : spans) {
            if (out > 0 && span.first <= spans[out - 1].second)
                spans[out - 1].second = std::max(spans[out - 1].second, span.second);
            else
                spans[out++] = span;
        }
        spans.resize(out);
    }

private:
    std::vector<Rect> rects_;
    std::vector<Span> last_spans_;
    std::optional<std::int32_t> last_bottom_;
};

Region::Region(std::span<const Rect> rects) {
    std::vector<Rect> pending;
    for (const Rect& rect : rects)
        if (!rect.empty())
            pending.push_back(rect);
    std::sort(pending.begin(), pending.end(),
              [](const Rect& a, const Rect& b) { return a.top < b.top; });

    // Every top and bottom edge starts a new band.
    std::vector<std::int32_t> edges;
    edges.reserve(pending.size() * 2);
    for (const Rect& rect : pending) {
        edges.push_back(rect.top);
        edges.push_back(rect.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    RegionBuilder builder;
    std::vector<Rect> active;
    std::vector<RegionBuilder::Span> spans;
    std::size_t next = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int32_t top = edges[i];
        const std::int32_t bottom = edges[i + 1];
        std::erase_if(active, [top](const Rect& rect) { return rect.bottom <= top; });
        while (next < pending.size() && pending[next].top <= top)
            active.push_back(pending[next++]);
        spans.clear();
        for (const Rect& rect : active)
            spans.emplace_back(rect.left, rect.right);
        RegionBuilder::merge(spans);
        builder.add_band(top, bottom, spans);
    }
    *this = builder.take();
}

bool Region::Contains(std::int32_t x, std::int32_t y) const {
    return std::any_of(rects_.begin(), rects_.end(),
                       [x, y](const Rect& rect) { return rect.contains(x, y); });
}

Rect Region::Bounds() const {
    if (rects_.empty())
        return {};
    Rect bounds = rects_.front();
    for (const Rect& rect : rects_) {
        bounds.left = std::min(bounds.left, rect.left);
        bounds.top = std::min(bounds.top, rect.top);
        bounds.right = std::max(bounds.right, rect.right);
        bounds.bottom = std::max(bounds.bottom, rect.bottom);
    }
    return bounds;
}

std::int64_t Region::Area() const {
    std::int64_t area = 0;
    for (const Rect& rect : rects_) {
        std::int64_t pixels = 0;
        if (__builtin_mul_overflow(rect.width(), rect.height(), &pixels) ||
            __builtin_add_overflow(area, pixels, &area))
            return std::numeric_limits<std::int64_t>::max();
    }
    return area;
}

namespace {

std::uint32_t read_u32(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint32_t>(data[offset]) |
           static_cast<std::uint32_t>(data[offset + 1]) << 8 |
           static_cast<std::uint32_t>(data[offset + 2]) << 16 |
           static_cast<std::uint32_t>(data[offset + 3]) << 24;
}

std::int32_t read_i32(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::int32_t>(read_u32(data, offset));
}

constexpr std::size_t kRectSize = 16;

// The region of the pixels for which `inside(pixel)` holds, in one pass over
// the rows.
template <typename Inside>
Region region_of_pixels(const Bitmap& image, Inside inside) {
    RegionBuilder builder;
    std::vector<RegionBuilder::Span> spans;
    for (int y = 0; y < image.height(); ++y) {
        spans.clear();
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && !inside(image.pixel(x, y)))
                ++x;
            const int left = x;
            while (x < image.width() && inside(image.pixel(x, y)))
                ++x;
            if (x > left)
                spans.emplace_back(left, x);
        }
        builder.add_band(y, y + 1, spans);
    }
    return builder.take();
}

} // namespace

std::optional<std::string> RgnDataProblem(std::span<const std::uint8_t> data) {
    if (data.size() < kRgnDataHeaderSize)
        return "the data (" + std::to_string(data.size()) + " bytes) are shorter than the " +
               std::to_string(kRgnDataHeaderSize) + "-byte RGNDATA header";
    if (read_u32(data, 0) != kRgnDataHeaderSize)
        return "the header size field is " + std::to_string(read_u32(data, 0)) + ", not 32";
    if (read_u32(data, 4) != kRgnDataRectangles)
        return "the region type is " + std::to_string(read_u32(data, 4)) + ", not 1 (rectangles)";
    const std::uint64_t count = read_u32(data, 8);
    if (count > (data.size() - kRgnDataHeaderSize) / kRectSize)
        return "the header counts " + std::to_string(count) + " rectangles, but the data hold " +
               std::to_string((data.size() - kRgnDataHeaderSize) / kRectSize);
    return std::nullopt;
}

std::optional<Region> RegionFromRgnData(std::span<const std::uint8_t> data) {
    if (RgnDataProblem(data))
        return std::nullopt;
    const std::uint64_t count = read_u32(data, 8);
    std::vector<Rect> rects;
    rects.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kRgnDataHeaderSize + i * kRectSize;
        rects.push_back({read_i32(data, at), read_i32(data, at + 4), read_i32(data, at + 8),
                         read_i32(data, at + 12)});
    }
    return Region(rects);
}

std::vector<std::uint8_t> RgnDataFromRegion(const Region& region) {
    std::vector<std::uint8_t> out;
    const auto put = [&out](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    const auto put_rect = [&put](const Rect& rect) {
        for (const std::int32_t v : {rect.left, rect.top, rect.right, rect.bottom})
            put(static_cast<std::uint32_t>(v));
    };
    const auto count = static_cast<std::uint32_t>(region.Rects().size());
    put(static_cast<std::uint32_t>(kRgnDataHeaderSize));
    put(kRgnDataRectangles);
    put(count);
    put(count * static_cast<std::uint32_t>(kRectSize));
    put_rect(region.Bounds());
    for (const Rect& rect : region.Rects())
        put_rect(rect);
    return out;
}

std::optional<Region> CreateRegionFromData(platform::MemoryStream& stream, std::size_t size) {
    stream.seek(0);
    std::vector<std::uint8_t> buffer(size, 0);
    stream.read(buffer.data(), size);
    return RegionFromRgnData(buffer);
}

Region CreateColorKeyRegion(const Bitmap& image, std::uint32_t key_argb) {
    constexpr std::uint32_t rgb = 0x00FFFFFF;
    const std::uint32_t key = key_argb & rgb;
    return region_of_pixels(image, [key](std::uint32_t pixel) { return (pixel & rgb) != key; });
}

Region CreateAlphaRegion(const Bitmap& image) {
    return region_of_pixels(image, [](std::uint32_t pixel) { return (pixel >> 24) >= 128; });
}

} // namespace launcher

// Regions from Windows region data and from a colour key.
#include "skin/region.h"

#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace launcher {
namespace {

// RGNDATA bytes: the header fields as given, then the rectangles. The count
// is the number of rectangles unless given.
platform::Bytes rgn_data(const std::vector<Rect>& rects, std::uint32_t header_size = 32,
                         std::uint32_t type = 1, std::optional<std::uint32_t> count = {}) {
    platform::MemoryStream out;
    out.write_int<std::uint32_t>(header_size);
    out.write_int<std::uint32_t>(type);
    out.write_int<std::uint32_t>(count.value_or(static_cast<std::uint32_t>(rects.size())));
    out.write_int<std::uint32_t>(static_cast<std::uint32_t>(rects.size() * 16));
    for (int i = 0; i < 4; ++i)
        out.write_int<std::int32_t>(0); // bounding rectangle, not trusted
    for (const Rect& r : rects)
        for (std::int32_t v : {r.left, r.top, r.right, r.bottom})
            out.write_int<std::int32_t>(v);
    return out.bytes();
}

TEST(RegionFromRgnData, UnitesOverlappingRectanglesInAnyOrder) {
    const std::optional<Region> region =
        RegionFromRgnData(rgn_data({{0, 0, 10, 10}, {5, 5, 20, 8}, {0, 10, 10, 12}}));
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Area(), 10 * 12 + 10 * 3);
    EXPECT_EQ(region->Bounds(), (Rect{0, 0, 20, 12}));
    EXPECT_TRUE(region->Contains(19, 7));
    EXPECT_FALSE(region->Contains(19, 8));
    EXPECT_FALSE(region->Contains(10, 0));
    // The same pixels in another order and cut differently compare equal.
    EXPECT_EQ(RegionFromRgnData(rgn_data({{10, 5, 20, 8}, {0, 0, 10, 12}, {2, 2, 3, 3}})), region);
    EXPECT_EQ(region->Rects(), (std::vector<Rect>{{0, 0, 10, 5}, {0, 5, 20, 8}, {0, 8, 10, 12}}));
}

TEST(RegionFromRgnData, EmptyAndInvertedRectanglesAddNothing) {
    const std::optional<Region> region =
        RegionFromRgnData(rgn_data({{5, 5, 5, 9}, {9, 0, 2, 4}, {1, 1, 2, 2}}));
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Rects(), (std::vector<Rect>{{1, 1, 2, 2}}));
}

TEST(RegionFromRgnData, AHeaderWithoutRectanglesIsAnEmptyRegion) {
    const std::optional<Region> region = RegionFromRgnData(rgn_data({}));
    ASSERT_TRUE(region);
    EXPECT_TRUE(region->IsEmpty());
    EXPECT_EQ(region->Bounds(), Rect{});
}

TEST(RegionFromRgnData, ExtremeCoordinatesStayExact) {
    const std::optional<Region> region =
        RegionFromRgnData(rgn_data({{INT32_MIN, -5, INT32_MAX, 5}}));
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Area(), (std::int64_t{INT32_MAX} - INT32_MIN) * 10);
}

struct InvalidCase {
    const char* name;
    platform::Bytes bytes;
};

class RegionFromInvalidData : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(RegionFromInvalidData, GivesNoRegion) {
    EXPECT_FALSE(RegionFromRgnData(GetParam().bytes).has_value());
}

platform::Bytes truncated(platform::Bytes bytes, std::size_t cut) {
    bytes.resize(bytes.size() - cut);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionFromInvalidData,
    ::testing::Values(InvalidCase{"NoBytes", {}},
                      InvalidCase{"ShorterThanTheHeader", truncated(rgn_data({}), 1)},
                      InvalidCase{"HeaderSizeZero", rgn_data({{0, 0, 1, 1}}, 0)},
                      InvalidCase{"HeaderSizeTooLarge", rgn_data({{0, 0, 1, 1}}, 48)},
                      InvalidCase{"NotRectangles", rgn_data({{0, 0, 1, 1}}, 32, 2)},
                      InvalidCase{"CountBeyondTheData", rgn_data({{0, 0, 1, 1}}, 32, 1, 2)},
                      InvalidCase{"LastRectangleCut", truncated(rgn_data({{0, 0, 1, 1}}), 4)},
                      InvalidCase{"HugeCount", rgn_data({}, 32, 1, 0xFFFFFFFFu)}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST(CreateRegionFromData, ReadsFromTheStartAndZeroFillsAShortStream) {
    platform::MemoryStream stream(rgn_data({{0, 0, 4, 4}}));
    stream.seek(stream.size()); // wherever the stream stands
    const std::optional<Region> region = CreateRegionFromData(stream, stream.size());
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Area(), 16);

    // A size beyond the stream reads zeros there: here the header's count
    // then asks for one more rectangle, which comes out all zeros and empty.
    platform::MemoryStream short_stream(rgn_data({{0, 0, 4, 4}}, 32, 1, 2));
    const std::optional<Region> padded =
        CreateRegionFromData(short_stream, short_stream.size() + 16);
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded, region);
    platform::MemoryStream empty;
    EXPECT_FALSE(CreateRegionFromData(empty, 0).has_value());
}

// The result of cutting every key-coloured pixel out of the image rectangle
// one pixel at a time, as a per-pixel answer.
bool reference_contains(const Bitmap& image, std::uint32_t key, int x, int y) {
    return image.contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) != (key & 0xFFFFFF);
}

void expect_matches_reference(const Bitmap& image, std::uint32_t key, const Region& region) {
    std::int64_t area = 0;
    for (int y = -1; y <= image.height(); ++y)
        for (int x = -1; x <= image.width(); ++x) {
            const bool inside = reference_contains(image, key, x, y);
            area += inside ? 1 : 0;
            ASSERT_EQ(region.Contains(x, y), inside) << x << "," << y;
        }
    // Rectangles do not overlap: their areas add up to the pixel count.
    EXPECT_EQ(region.Area(), area);
}

TEST(CreateColorKeyRegion, CutsTheKeyWhereverItOccursInsideTheImage) {
    constexpr std::uint32_t key = argb(255, 0, 255);
    Bitmap image(8, 6, argb(20, 30, 40));
    image.set_pixel(0, 0, key);
    image.set_pixel(7, 5, key);
    image.set_pixel(3, 2, key); // a hole in the middle
    image.set_pixel(4, 2, key);
    image.set_pixel(4, 3, argb(255, 0, 255, 0x10)); // alpha does not matter
    const Region region = CreateColorKeyRegion(image, image.pixel(0, 0));
    expect_matches_reference(image, key, region);
    EXPECT_FALSE(region.Contains(3, 2));
    EXPECT_FALSE(region.Contains(4, 3));
    EXPECT_TRUE(region.Contains(5, 2));
}

TEST(CreateColorKeyRegion, MatchesPixelByPixelSubtractionOnRandomImages) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        Bitmap image(1 + static_cast<int>(random() % 23), 1 + static_cast<int>(random() % 17));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.set_pixel(x, y, random() % 3 == 0 ? argb(1, 2, 3) : argb(9, 9, 9));
        const std::uint32_t key = image.pixel(0, 0);
        const Region region = CreateColorKeyRegion(image, key);
        expect_matches_reference(image, key, region);
        // Equal rows merge into bands, so building the same pixels from
        // one-pixel rectangles gives the identical rectangle list.
        std::vector<Rect> pixels;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (reference_contains(image, key, x, y))
                    pixels.push_back({x, y, x + 1, y + 1});
        EXPECT_EQ(Region(pixels), region);
    }
}

TEST(CreateColorKeyRegion, EdgeImages) {
    EXPECT_TRUE(CreateColorKeyRegion(Bitmap{}, 0).IsEmpty());
    const Bitmap all_key(5, 5, argb(1, 1, 1));
    EXPECT_TRUE(CreateColorKeyRegion(all_key, all_key.pixel(0, 0)).IsEmpty());
    // Equal rows make one rectangle.
    Bitmap framed(6, 4, argb(50, 50, 50));
    for (int y = 0; y < 4; ++y)
        framed.set_pixel(0, y, argb(0, 0, 0));
    EXPECT_EQ(CreateColorKeyRegion(framed, argb(0, 0, 0)).Rects(),
              (std::vector<Rect>{{1, 0, 6, 4}}));
}

TEST(RgnDataFromRegion, ReadsBackAsTheSameRegionWithItsBoundsInTheHeader) {
    std::mt19937 random(11);
    Bitmap image(19, 13);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.set_pixel(x, y, random() % 4 == 0 ? argb(0, 0, 0) : argb(7, 7, 7));
    const Region region = CreateColorKeyRegion(image, argb(0, 0, 0));
    const platform::Bytes bytes = RgnDataFromRegion(region);
    ASSERT_EQ(bytes.size(), 32 + 16 * region.Rects().size());
    EXPECT_FALSE(RgnDataProblem(bytes));
    EXPECT_EQ(RegionFromRgnData(bytes), region);
    platform::MemoryStream stream(bytes);
    EXPECT_EQ(CreateRegionFromData(stream, stream.size()), region);
    // nRgnSize and the bounding rectangle, as Windows writes them.
    platform::MemoryStream header(bytes);
    header.seek(12);
    EXPECT_EQ(header.read_int<std::uint32_t>(), 16 * region.Rects().size());
    const Rect bounds = region.Bounds();
    for (const std::int32_t edge : {bounds.left, bounds.top, bounds.right, bounds.bottom})
        EXPECT_EQ(header.read_int<std::int32_t>(), edge);
    EXPECT_EQ(RegionFromRgnData(RgnDataFromRegion(Region{})), Region{});
}

TEST(CreateAlphaRegion, HoldsThePixelsThatAreAtLeastHalfOpaque) {
    Bitmap image(4, 2, argb(9, 9, 9, 255));
    image.set_pixel(0, 0, argb(9, 9, 9, 0));
    image.set_pixel(1, 0, argb(9, 9, 9, 127));
    image.set_pixel(2, 0, argb(9, 9, 9, 128));
    image.set_pixel(3, 1, argb(255, 255, 255, 0));
    const Region region = CreateAlphaRegion(image);
    EXPECT_EQ(region, Region(std::vector<Rect>{{2, 0, 4, 1}, {0, 1, 3, 2}}));
}

TEST(RgnDataProblem, SaysWhatIsWrong) {
    EXPECT_EQ(RgnDataProblem(rgn_data({{0, 0, 1, 1}}, 48)), "the header size field is 48, not 32");
    EXPECT_EQ(RgnDataProblem(rgn_data({{0, 0, 1, 1}}, 32, 2)),
              "the region type is 2, not 1 (rectangles)");
    EXPECT_EQ(RgnDataProblem(rgn_data({{0, 0, 1, 1}}, 32, 1, 2)),
              "the header counts 2 rectangles, but the data hold 1");
    EXPECT_FALSE(RgnDataProblem(rgn_data({})));
}

} // namespace
} // namespace launcher

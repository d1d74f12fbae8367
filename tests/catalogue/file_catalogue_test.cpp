#include "catalogue/file_catalogue.h"
#include "numbered_case.h"
#include "platform/files.h"
#include "platform/terminate_flag.h"
#include "support/temp_dir.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::NumberedCase;

using testing::TempDir;

const std::string kZeros(kPlaceholderHash);

std::vector<std::string> keys_of(const TFileList& list) {
    std::vector<std::string> keys;
    for (int id = 0; id < list.Count(); ++id)
        keys.emplace_back(list.GetKeyByID(id));
    return keys;
}

std::vector<std::string> names_of(const TFileList& list) {
    std::vector<std::string> names;
    for (int id = 0; id < list.Count(); ++id)
        names.push_back(list.GetItemByID(id)->Content.Name);
    return names;
}

TEST(FileList, KeysAreTrimmedAndLowerCased) {
    EXPECT_EQ(TFileList::MakeKey(" \t\\System\\Jux.INI \r\n"), "\\system\\jux.ini");
    EXPECT_EQ(TFileList::MakeKey("\\ДАННЫЕ\\Файл.DAT"), "\\данные\\файл.dat");
}

TEST(FileList, LooksNamesUpWithoutRegardToCaseOrSurroundingBlanks) {
    for (const bool sorted : {true, false}) {
        TFileList list(sorted);
        list.AddItemSimple("\\Other.dat", "H1", "P1", 1, 0.0);
        list.AddItemSimple("\\System\\Jux.ini", "H2", "P2", 2, 0.0);
        list.AddItemSimple("\\Игра\\Карта.MAP", "H3", "P3", 3, 0.0);

        const TFileItem* item = list.GetItemByName(" \\system\\JUX.INI ");
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Content.Name, "\\System\\Jux.ini");
        EXPECT_EQ(item->Content.Hash, "H2");

        const TFileItem* cyrillic = list.GetItemByName("\\ИГРА\\карта.map");
        ASSERT_NE(cyrillic, nullptr);
        EXPECT_EQ(cyrillic->Content.Name, "\\Игра\\Карта.MAP");

        EXPECT_EQ(list.GetId("\\missing"), -1);
        EXPECT_EQ(list.GetItemByName("\\missing"), nullptr);
    }
}

TEST(FileList, SortedKeepsKeyOrderAndTheFirstEntryForAKey) {
    TFileList list(true);
    list.AddItemSimple("\\b", "B", "", 1, 0.0);
    list.AddItemSimple("\\a", "A", "", 2, 0.0);
    list.AddItemSimple("\\C", "C", "", 3, 0.0);
    list.AddItemSimple(" \\A", "A2", "", 4, 1.0);
    EXPECT_EQ(keys_of(list), (std::vector<std::string>{"\\a", "\\b", "\\c"}));
    EXPECT_EQ(list.GetItemByName("\\a")->Content.Hash, "A");
    EXPECT_EQ(list.GetItemByName("\\a")->Content.Size, 2);
    EXPECT_EQ(list.GetId("\\c"), 2);
}

TEST(FileList, UnsortedKeepsOrderAndRepeatsAndFindsTheFirst) {
    TFileList list(false);
    list.AddItemSimple("\\b", "B", "", 1, 0.0);
    list.AddItemSimple("\\a", "A", "", 2, 0.0);
    list.AddItemSimple("\\B", "B2", "", 3, 0.0);
    EXPECT_EQ(names_of(list), (std::vector<std::string>{"\\b", "\\a", "\\B"}));
    EXPECT_EQ(list.GetId("\\b"), 0);
    EXPECT_EQ(list.GetItemByName("\\B")->Content.Hash, "B");
}

TEST(FileList, AddItemTakesOwnershipUnlessTheSortedKeyIsPresent) {
    TFileList list(true);
    auto first = std::make_unique<TFileItem>();
    first->Content.Name = "\\x";
    EXPECT_EQ(list.AddItem("\\x", std::move(first)), nullptr);
    auto second = std::make_unique<TFileItem>();
    second->Content.Name = "\\X";
    TFileItem* raw = second.get();
    auto handed_back = list.AddItem("\\X", std::move(second));
    EXPECT_EQ(handed_back.get(), raw);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.AddItem("\\y", nullptr), nullptr);
    EXPECT_EQ(list.Count(), 1);
}

TEST(FileList, AddItemEmptyGivesPlaceholders) {
    TFileList list(true);
    list.AddItemEmpty("\\a.dat");
    const TFileRecord& record = list.GetItemByName("\\a.dat")->Content;
    EXPECT_EQ(record.Hash, kZeros);
    EXPECT_EQ(record.HashPacked, kZeros);
    EXPECT_EQ(record.Size, 0);
    EXPECT_EQ(record.Date, 0.0);
}

TEST(FileList, IdsOutOfRangeAreIgnored) {
    TFileList list(false);
    list.AddItemSimple("\\a", "", "", 0, 0.0);
    EXPECT_EQ(list.GetItemByID(-1), nullptr);
    EXPECT_EQ(list.GetItemByID(1), nullptr);
    list.DeleteById(1);
    list.DeleteById(-1);
    list.DeleteByName("\\missing");
    EXPECT_EQ(list.Count(), 1);
    list.DeleteByName(" \\A ");
    EXPECT_EQ(list.Count(), 0);
}

TEST(FileList, DeleteShiftsIdsInASortedList) {
    TFileList list(true);
    for (const char* name : {"\\c", "\\a", "\\b"})
        list.AddItemEmpty(name);
    list.DeleteById(0);
    EXPECT_EQ(list.GetId("\\b"), 0);
    EXPECT_EQ(list.GetId("\\c"), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(FileList, SwapItemsExchangesKeysAndRecordsInAnUnsortedListOnly) {
    TFileList list(false);
    list.AddItemSimple("\\a", "A", "", 1, 0.0);
    list.AddItemSimple("\\Launcher.exe", "L", "", 2, 0.0);
    TFileItem* at_zero = list.GetItemByID(0);
    list.SwapItems(1, 0);
    EXPECT_EQ(list.GetItemByID(0), at_zero); // the object stays, its record moves
    EXPECT_EQ(list.GetItemByID(0)->Content.Name, "\\Launcher.exe");
    EXPECT_EQ(list.GetKeyByID(0), "\\launcher.exe");
    EXPECT_EQ(list.GetId("\\launcher.exe"), 0);
    EXPECT_EQ(list.GetItemByID(1)->Content.Hash, "A");

    for (const auto& [id1, id2] : {std::pair{0, 2}, std::pair{-1, 0}, std::pair{0, -1}}) {
        list.SwapItems(id1, id2);
        EXPECT_EQ(list.GetItemByID(0)->Content.Name, "\\Launcher.exe");
    }

    TFileList sorted(true);
    sorted.AddItemSimple("\\a", "A", "", 1, 0.0);
    sorted.AddItemSimple("\\b", "B", "", 2, 0.0);
    sorted.SwapItems(0, 1);
    EXPECT_EQ(names_of(sorted), (std::vector<std::string>{"\\a", "\\b"}));
}

TEST(FileList, SetSortedReordersAndKeepsDuplicates) {
    TFileList list(false);
    for (const char* name : {"\\c", "\\A", "\\b", "\\a"})
        list.AddItemEmpty(name);
    list.SetSorted(true);
    EXPECT_TRUE(list.IsSorted());
    EXPECT_EQ(names_of(list), (std::vector<std::string>{"\\A", "\\a", "\\b", "\\c"}));
    EXPECT_EQ(list.GetId("\\a"), 0);
    list.SetSorted(false);
    list.AddItemEmpty("\\0");
    EXPECT_EQ(names_of(list), (std::vector<std::string>{"\\A", "\\a", "\\b", "\\c", "\\0"}));
}

TEST(FileList, CopyFromCopiesDeeplyAndKeepsTheFirstOfAKeyWhenSorted) {
    TFileList source(false);
    source.AddItemSimple("\\b", "B1", "", 1, 0.0);
    source.AddItemSimple("\\a", "A", "", 2, 0.0);
    source.AddItemSimple(" \\B", "B2", "", 3, 0.0);

    TFileList sorted(true);
    sorted.AddItemEmpty("\\old");
    sorted.CopyFrom(source);
    EXPECT_EQ(keys_of(sorted), (std::vector<std::string>{"\\a", "\\b"}));
    EXPECT_EQ(sorted.GetItemByName("\\b")->Content.Hash, "B1");

    TFileList unsorted(false);
    unsorted.CopyFrom(source);
    EXPECT_EQ(names_of(unsorted), names_of(source));

    source.GetItemByID(0)->Content.Hash = "changed";
    EXPECT_EQ(unsorted.GetItemByID(0)->Content.Hash, "B1");
    EXPECT_NE(unsorted.GetItemByID(0), source.GetItemByID(0));
}

TEST(FileList, StringsRoundTripEveryField) {
    TFileList list(true);
    list.AddItemSimple("\\System\\Jux.ini", "900150983CD24FB0D6963F7D28E17F72",
                       "0CC175B9C0F1B6A831C399E269772661", 1254400, 43566.770833333336);
    list.AddItemSimple("\\huge.pak", "H", "P", (std::int64_t{1} << 31) + 1, 45000.5123456);
    list.AddItemSimple("\\bigger.pak", "H", "P", std::int64_t{5} << 40, -3.75);
    std::vector<std::string> lines{"stale"};
    list.SaveToStrings(&lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "900150983CD24FB0D6963F7D28E17F72|\\System\\Jux.ini|1254400|"
                        "40E545D8AAAAAAAB|0CC175B9C0F1B6A831C399E269772661");
    list.SaveToStrings(nullptr);

    TFileList back(true);
    back.LoadFromStrings(lines);
    ASSERT_EQ(back.Count(), list.Count());
    for (int id = 0; id < list.Count(); ++id) {
        const TFileRecord& a = list.GetItemByID(id)->Content;
        const TFileRecord& b = back.GetItemByID(id)->Content;
        EXPECT_EQ(a.Name, b.Name);
        EXPECT_EQ(a.Hash, b.Hash);
        EXPECT_EQ(a.HashPacked, b.HashPacked);
        EXPECT_EQ(a.Size, b.Size);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a.Date), std::bit_cast<std::uint64_t>(b.Date));
    }
}

TEST(FileList, LoadFromStringsReplacesAndKeepsTheFirstLineOfAKey) {
    TFileList list(true);
    list.AddItemEmpty("\\old");
    list.LoadFromStrings({"H1|\\Z|1", "H2|\\a|2", "H3|\\z|3", "abc", ""});
    EXPECT_EQ(list.GetId("\\old"), -1);
    EXPECT_EQ(keys_of(list), (std::vector<std::string>{"", "\\a", "\\z", "abc"}));
    EXPECT_EQ(list.GetItemByName("\\z")->Content.Hash, "H1");
    EXPECT_EQ(list.GetItemByName("\\z")->Content.Name, "\\Z");
    const TFileRecord& bare = list.GetItemByName("abc")->Content;
    EXPECT_EQ(bare.Hash, "");
    EXPECT_EQ(bare.Size, 0);

    TFileList unsorted(false);
    unsorted.LoadFromStrings({"H1|\\Z|1", "H2|\\a|2", "H3|\\z|3"});
    EXPECT_EQ(names_of(unsorted), (std::vector<std::string>{"\\Z", "\\a", "\\z"}));
}

TEST(FileList, LocaleDatesAreReadInTheUserFormat) {
    TFileList list(true);
    list.SetDateTimeFormat(LocaleDateTimeFormat::from_patterns("%d.%m.%Y", "%H:%M:%S"));
    list.LoadFromStrings({"H|\\a|1|11.04.2019 18:30:00|P"});
    EXPECT_EQ(list.GetItemByName("\\a")->Content.Date, 43566.770833333336);
    std::vector<std::string> lines;
    list.SaveToStrings(&lines);
    EXPECT_EQ(lines.at(0), "H|\\a|1|40E545D8AAAAAAAB|P");
}

TEST(FileList, BadLocaleDateStopsTheLoadKeepingEarlierLines) {
    TFileList list(true);
    list.SetDateTimeFormat(LocaleDateTimeFormat::from_patterns("%d.%m.%Y", "%H:%M:%S"));
    EXPECT_THROW(list.LoadFromStrings({"H|\\b|1", "H|\\a|2", "H|\\c|3|not a date|P", "H|\\d|4"}),
                 EConvertError);
    EXPECT_EQ(keys_of(list), (std::vector<std::string>{"\\a", "\\b"}));
}

TEST(FileList, FileRoundTripWritesCrLfAfterEveryLine) {
    const TempDir dir;
    TFileList list(true);
    list.AddItemSimple("\\b.dat", "HB", "PB", 2, 1.5);
    list.AddItemSimple("\\a.dat", "HA", "PA", 1, 0.0);
    const auto path = dir / "OldList.lst";
    list.SaveToFile(path);
    EXPECT_EQ(platform::read_file_text(path), "HA|\\a.dat|1|0000000000000000|PA\r\n"
                                              "HB|\\b.dat|2|3FF8000000000000|PB\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "OldList.lst.tmp"));
    TFileList back(true);
    back.LoadFromFile(path);
    EXPECT_EQ(names_of(back), names_of(list));
}

TEST(FileList, SaveReplacesThePreviousFileWhole) {
    const TempDir dir;
    const auto path = dir.write("OldList.lst", std::string(10000, 'x'));
    TFileList list(true);
    list.AddItemEmpty("\\a");
    list.SaveToFile(path);
    EXPECT_EQ(platform::read_file_text(path),
              kZeros + "|\\a|0|0000000000000000|" + kZeros + "\r\n");
}

TEST(FileList, SaveIntoAMissingFolderRaises) {
    const TempDir dir;
    TFileList list(true);
    list.AddItemEmpty("\\a");
    EXPECT_THROW(list.SaveToFile(dir / "no-such-folder" / "OldList.lst"), platform::FileError);
}

struct EncodedFile {
    const char* label;
    std::string bytes;
};

class FileListEncodings : public ::testing::TestWithParam<EncodedFile> {};

TEST_P(FileListEncodings, ReadsMarksAndLineEnds) {
    const TempDir dir;
    TFileList list(false);
    list.LoadFromFile(dir.write("list.lst", GetParam().bytes));
    EXPECT_EQ(names_of(list), (std::vector<std::string>{"\\Файл", "\\b"})) << GetParam().label;
    EXPECT_EQ(list.GetItemByID(0)->Content.Size, 1);
}

std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileListEncodings,
    ::testing::Values(EncodedFile{"crlf", "H|\\Файл|1\r\nH|\\b|2\r\n"},
                      EncodedFile{"lf, no final end", "H|\\Файл|1\nH|\\b|2"},
                      EncodedFile{"cr", "H|\\Файл|1\rH|\\b|2\r"},
                      EncodedFile{"utf-8 mark", "\xEF\xBB\xBFH|\\Файл|1\r\nH|\\b|2\r\n"},
                      EncodedFile{"utf-16 mark", utf16le(u"H|\\Файл|1\r\nH|\\b|2\r\n")}),
    NumberedCase);

TEST(FileList, LoadingAMissingFileRaisesAndLeavesTheListAlone) {
    const TempDir dir;
    TFileList list(true);
    list.AddItemEmpty("\\kept");
    EXPECT_THROW(list.LoadFromFile(dir / "missing.lst"), platform::FileError);
    EXPECT_EQ(list.Count(), 1);
}

TEST(FileListDeathTest, TerminateFlagEmptiesTheListAndAddsNothing) {
    // The flag is process-wide and cannot be cleared: check it in a child.
    EXPECT_EXIT(
        {
            TFileList list(true);
            list.AddItemEmpty("\\before");
            platform::set_application_terminated();
            list.LoadFromStrings({"H|\\a|1", "H|\\b|2"});
            list.AddItemSimple("\\c", "", "", 0, 0.0);
            std::_Exit(list.Count() == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace launcher

#include <gtest/gtest.h>

#include "shell/list_files.h"
#include "tests/support/doubles.h"
#include "tests/support/failure_number.h"

namespace kestrin {
namespace {

using testing::failureNumber;

class ListFilesTest : public ::testing::Test {
protected:
    std::vector<std::string>& file() { return files.files["/prog/PlayerName.dat"]; }
    void save(const std::string& text) {
        combo.setText(text);
        lists.SaveListItem(kPlayerNameFile, combo);
    }
    testing::MemoryFiles files;
    ListFiles lists{files, "/prog"};
    forms::Form form{"frmGameSelect"};
    forms::ComboBox combo{form, "cmbPlayerName"};
};

TEST_F(ListFilesTest, MissingFileGivesEmptyListAndAnEmptyFile) {
    combo.addItem("stale");
    lists.LoadList(kConnectToFile, combo);
    EXPECT_EQ(combo.listCount(), 0u);
    EXPECT_EQ(files.files.at("/prog/ConnectTo.dat").size(), 0u);

    files.failWrites = true;  // an unwritable folder is the caller's failure
    EXPECT_NE(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), 0);
}

TEST_F(ListFilesTest, EveryLineIsKeptAndOnlyExactlyNewTextsAreSaved) {
    file() = {"Ann", "", "Ann", std::string("\xff\0x", 3)};
    lists.LoadList(kPlayerNameFile, combo);
    EXPECT_EQ(combo.items(), file());

    for (const char* text : {"Ann", "", "ann", "Ann ", "ann"}) save(text);
    const std::vector<std::string> expected{"Ann", "", "Ann", std::string("\xff\0x", 3), "ann", "Ann "};
    EXPECT_EQ(combo.items(), expected);
    EXPECT_EQ(file(), expected);

    // A text with a line break would split into other entries: neither list nor file takes
    // it, however often it is confirmed.
    for (const char* text : {"Ann\nBob", "Ann\r\nBob", "Ann\rBob", "Bob\n", "\n", "Ann\nBob"}) save(text);
    EXPECT_EQ(combo.items(), expected);
    EXPECT_EQ(file(), expected);
}

TEST_F(ListFilesTest, OverlongFileFillsTheListThenOverflows) {
    for (int i = 0; i < 100000; ++i) file().push_back("host" + std::to_string(i));
    EXPECT_EQ(failureNumber([&] { lists.LoadList(kPlayerNameFile, combo); }), failures::kOverflow);
    ASSERT_EQ(combo.listCount(), ListFiles::kMaxEntries);
    EXPECT_EQ(combo.list(ListFiles::kMaxEntries - 1), "host32766");

    save("host5");  // a full list still knows its entries, but takes no new one
    EXPECT_EQ(failureNumber([&] { save("newcomer"); }), failures::kOverflow);
    EXPECT_EQ(combo.listCount(), ListFiles::kMaxEntries);
    EXPECT_EQ(file().size(), 100000u);
}

}  // namespace
}  // namespace kestrin

// Damaged files are refused or read, never a crash (the test build runs
// under AddressSanitizer, so a stray read fails here).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "test_files.h"
#include "xls/biff_records.h"
#include "xls/xls.h"

namespace {

std::string validWorkbook() {
    auto book = xls::createBook();
    auto* sheet = book->addSheet("Sheet1");
    for (int r = 0; r < 40; ++r) {
        sheet->writeNum(r, 0, r);
        sheet->writeStr(r, 1, "name " + std::to_string(r));
        sheet->writeStr(r, 2, "插件检测");
    }
    return book->saveToBytes();
}

// Loads and walks whatever came out.
void loadAndWalk(const std::filesystem::path& file) {
    auto book = xls::createBook();
    if (!book->load(file.string())) {
        EXPECT_FALSE(book->errorMessage().empty());
        EXPECT_EQ(book->sheetCount(), 0);
        return;
    }
    for (int i = 0; i < book->sheetCount(); ++i) {
        const xls::Sheet* sheet = book->getSheet(i);
        for (int r = sheet->firstRow(); r <= sheet->lastRow(); ++r) {
            for (int c = 0; c < 12; ++c) {
                (void)sheet->readNum(r, c);
                (void)sheet->readStr(r, c);
            }
        }
    }
}

}  // namespace

TEST(MalformedFile, EmptyMissingAndRandomFilesAreRefused) {
    const auto dir = xls_test::freshDir("malformed");
    auto book = xls::createBook();
    EXPECT_FALSE(book->load((dir / "missing.xls").string()));
    EXPECT_FALSE(book->load(dir.string()));  // a folder

    xls_test::writeBytes(dir / "empty.xls", "");
    EXPECT_FALSE(book->load((dir / "empty.xls").string()));

    std::mt19937 random(12345);
    for (int i = 0; i < 20; ++i) {
        std::string bytes(static_cast<size_t>(random() % 5000), '\0');
        for (auto& b : bytes) b = static_cast<char>(random());
        xls_test::writeBytes(dir / "random.xls", bytes);
        EXPECT_FALSE(book->load((dir / "random.xls").string()));
    }
}

TEST(MalformedFile, TruncatedWorkbooksNeverCrash) {
    const auto dir = xls_test::freshDir("truncated");
    const std::string valid = validWorkbook();
    ASSERT_FALSE(valid.empty());
    for (size_t length : {valid.size() / 2, valid.size() - 1, size_t{512}, size_t{513}, size_t{8}}) {
        xls_test::writeBytes(dir / "cut.xls", valid.substr(0, length));
        loadAndWalk(dir / "cut.xls");
    }
    xls_test::writeBytes(dir / "half.xls", valid.substr(0, valid.size() / 2));
    EXPECT_FALSE(xls::createBook()->load((dir / "half.xls").string()));
}

TEST(MalformedFile, DamagedBytesNeverCrash) {
    const auto dir = xls_test::freshDir("damaged");
    const std::string valid = validWorkbook();
    std::mt19937 random(777);
    for (int i = 0; i < 300; ++i) {
        std::string bytes = valid;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        xls_test::writeBytes(dir / "damaged.xls", bytes);
        loadAndWalk(dir / "damaged.xls");
    }
}

TEST(MalformedFile, FilesThatBrokeFreexlAreRefused) {
    // Found by fuzzing: a compound file whose mini-stream table is broken,
    // and a workbook whose last record claims more bytes than the stream has.
    for (const char* name : {"broken-mini-stream-table.xls", "record-past-stream-end.xls"}) {
        const std::filesystem::path file = std::filesystem::path(XLS_TEST_DATA) / name;
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        loadAndWalk(file);
    }
    auto book = xls::createBook();
    EXPECT_FALSE(book->load((std::filesystem::path(XLS_TEST_DATA) / "broken-mini-stream-table.xls").string()));
}

TEST(BiffRecords, OnlyWholeRecordsPass) {
    std::string error;
    const std::string eof("\x0a\x00\x00\x00", 4);
    const std::string two = std::string("\x09\x08\x02\x00\x00\x06", 6) + eof;
    EXPECT_EQ(xls::wholeRecords(two, error), two);
    // A record cut short is dropped with what follows.
    EXPECT_EQ(xls::wholeRecords(two + std::string("\xfc\x00\x10\x00\x01", 5), error), two);
    EXPECT_EQ(xls::wholeRecords(two + "\x01", error), two);
    // A record longer than BIFF allows refuses the stream.
    EXPECT_EQ(xls::wholeRecords(two + std::string("\xff\xff\xff\xff", 4) + std::string(70000, 'x'), error), "");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(xls::wholeRecords("", error), "");
    EXPECT_EQ(xls::wholeRecords(std::string("\x09\x08\x10\x00", 4), error), "");
}

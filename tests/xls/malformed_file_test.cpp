// Damaged files are refused or read, never a crash (the test build runs
// under AddressSanitizer, so a stray read fails here).
#include <gtest/gtest.h>

#include <sys/wait.h>

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
        for (auto& b : bytes)
            b = static_cast<char>(random());
        xls_test::writeBytes(dir / "random.xls", bytes);
        EXPECT_FALSE(book->load((dir / "random.xls").string()));
    }
}

TEST(MalformedFile, TruncatedWorkbooksNeverCrash) {
    const auto dir = xls_test::freshDir("truncated");
    const std::string valid = validWorkbook();
    ASSERT_FALSE(valid.empty());
    for (size_t length :
         {valid.size() / 2, valid.size() - 1, size_t{512}, size_t{513}, size_t{8}}) {
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
    // Found by fuzzing: a compound file whose mini-stream table is broken, a
    // workbook whose last record claims more bytes than the stream has, and
    // one whose sheet size lies beyond BIFF's column limit.
    for (const char* name : {"broken-mini-stream-table.xls", "record-past-stream-end.xls",
                             "sheet-size-beyond-limits.xls"}) {
        const std::filesystem::path file = std::filesystem::path(XLS_TEST_DATA) / name;
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        loadAndWalk(file);
    }
    auto book = xls::createBook();
    EXPECT_FALSE(book->load(
        (std::filesystem::path(XLS_TEST_DATA) / "broken-mini-stream-table.xls").string()));
}

TEST(BiffRecords, OnlyWholeRecordsPass) {
    std::string error;
    const std::string eof("\x0a\x00\x00\x00", 4);
    const std::string two = std::string("\x09\x08\x02\x00\x00\x06", 6) + eof;
    EXPECT_EQ(xls::checkedRecords(two, error), two);
    // A record cut short is dropped with what follows.
    EXPECT_EQ(xls::checkedRecords(two + std::string("\xfc\x00\x10\x00\x01", 5), error), two);
    EXPECT_EQ(xls::checkedRecords(two + "\x01", error), two);
    // A record longer than BIFF allows refuses the stream.
    EXPECT_EQ(xls::checkedRecords(
                  two + std::string("\xff\xff\xff\xff", 4) + std::string(70000, 'x'), error),
              "");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(xls::checkedRecords("", error), "");
    // Sheet sizes: BIFF8 (32-bit rows) and BIFF5 (16-bit rows) within the
    // limits pass, beyond them refuse the stream.
    const std::string size8(
        "\x00\x02\x0e\x00"
        "\x00\x00\x00\x00"
        "\x00\x00\x01\x00"
        "\x00\x00"
        "\x00\x01"
        "\x00\x00",
        18);
    EXPECT_EQ(xls::checkedRecords(size8 + eof, error), size8 + eof);  // 65536 rows, 256 columns
    std::string wide = size8;
    wide[14] = '\x01';  // 257 columns
    EXPECT_EQ(xls::checkedRecords(wide + eof, error), "");
    std::string tall = size8;
    tall[10] = '\x02';  // 131072 rows
    EXPECT_EQ(xls::checkedRecords(tall + eof, error), "");
    const std::string size5(
        "\x00\x02\x0a\x00"
        "\x05\x00"
        "\x04\x00"
        "\x00\x00"
        "\x0c\x00"
        "\x00\x00",
        14);
    EXPECT_EQ(xls::checkedRecords(size5 + eof, error), "");  // first row after the last
    const std::string short5(
        "\x00\x02\x04\x00"
        "\x00\x00\x00\x00",
        8);
    EXPECT_EQ(xls::checkedRecords(short5 + eof, error), "");
    EXPECT_EQ(xls::checkedRecords(std::string("\x09\x08\x10\x00", 4), error), "");
}

TEST(MalformedFile, DamagedFilesLeaveNoOpenFilesOrChildrenBehind) {
    const auto dir = xls_test::freshDir("fds");
    const std::string valid = validWorkbook();
    xls_test::writeBytes(dir / "cut.xls", valid.substr(0, valid.size() * 3 / 4));
    auto openFiles = [] {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator("/proc/self/fd"))
            ++n;
        return n;
    };
    const size_t before = openFiles();
    for (int i = 0; i < 50; ++i) {
        auto book = xls::createBook();
        (void)book->load((dir / "cut.xls").string());
        ASSERT_TRUE(book->load((std::filesystem::path(XLS_TEST_DATA) / "../damaged").string()) ==
                    false);
    }
    xls_test::writeBytes(dir / "valid.xls", valid);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(xls::createBook()->load((dir / "valid.xls").string()));
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child left to reap
}

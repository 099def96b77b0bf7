// Program files load while the process's other threads are busy, as the
// machine's workers are. A reader forked from such a process could inherit
// the allocator's lock or the text converters' lock held by another thread,
// and hang on it; the reader program starts afresh and cannot.
#include <gtest/gtest.h>

#include <iconv.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"
#include "xls/xls.h"

TEST(BusyProcess, ProgramFilesLoadWhileOtherThreadsAllocateAndConvertText) {
    const auto dir = xls_test::freshDir("busy");
    const std::string path = (dir / "program.xls").string();
    {
        auto book = xls::createBook();
        xls::Sheet* sheet = book->addSheet("Sheet1");
        sheet->writeStr(0, 0, "序号");
        for (int r = 1; r <= 200; ++r) {
            sheet->writeNum(r, 0, r);
            sheet->writeNum(r, 1, r * 0.5);
            sheet->writeStr(r, 6, "元件 " + std::to_string(r));
            sheet->writeStr(r, 10, "插件检测");
        }
        ASSERT_TRUE(book->save(path)) << book->errorMessage();
    }

    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    // Allocation of every size, all the time: the allocator's locks are
    // held at any moment.
    for (unsigned seed = 1; seed <= 2; ++seed) {
        busy.emplace_back([&stop, seed] {
            std::mt19937 random(seed);
            while (!stop.load()) {
                std::vector<std::unique_ptr<char[]>> blocks;
                for (int i = 0; i < 64; ++i)
                    blocks.emplace_back(new char[random() % 8192 + 1]);
                std::this_thread::yield();
            }
        });
    }
    // Opening a text converter takes the C library's converter lock, the one
    // freexl's own converters need.
    busy.emplace_back([&stop] {
        while (!stop.load()) {
            const iconv_t converter = iconv_open("UTF-8", "UTF-16LE");
            if (converter != reinterpret_cast<iconv_t>(-1))
                iconv_close(converter);
            std::this_thread::yield();
        }
    });

    for (int i = 0; i < 40; ++i) {
        auto book = xls::createBook();
        const bool loaded = book->load(path);
        EXPECT_TRUE(loaded) << "load " << i << ": " << book->errorMessage();
        if (!loaded || book->sheetCount() != 1) {
            ADD_FAILURE() << "load " << i << " gave " << book->sheetCount() << " sheets";
            break;
        }
        EXPECT_STREQ(book->getSheet(0)->readStr(200, 6), "元件 200");
    }
    stop = true;
    for (auto& thread : busy)
        thread.join();
}

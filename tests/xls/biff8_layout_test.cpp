// The records inside a written workbook obey the BIFF8 layout rules that
// Excel checks: record sizes, sheet offsets, string table index.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "xls/xls.h"

namespace {

struct Record {
    uint16_t type;
    size_t offset;  // of the header in the stream
    std::string body;
};

uint16_t u16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1])
                                                                   << 8);
}
uint32_t u32(const std::string& s, size_t at) {
    return u16(s, at) | static_cast<uint32_t>(u16(s, at + 2)) << 16;
}

// The "Workbook" stream of a compound file.
std::string workbookStream(const std::string& file) {
    gsf_init();
    GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(file.data()),
                                           static_cast<gsf_off_t>(file.size()), FALSE);
    GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
    std::string bytes;
    if (ole != nullptr) {
        GsfInput* stream = gsf_infile_child_by_name(ole, "Workbook");
        if (stream != nullptr) {
            const auto size = static_cast<size_t>(gsf_input_size(stream));
            bytes.resize(size);
            if (size > 0)
                gsf_input_read(stream, size, reinterpret_cast<guint8*>(bytes.data()));
            g_object_unref(stream);
        }
        g_object_unref(ole);
    }
    g_object_unref(input);
    return bytes;
}

std::vector<Record> records(const std::string& stream) {
    std::vector<Record> all;
    size_t at = 0;
    while (at + 4 <= stream.size()) {
        const uint16_t type = u16(stream, at);
        const uint16_t size = u16(stream, at + 2);
        all.push_back({type, at, stream.substr(at + 4, size)});
        at += 4u + size;
    }
    EXPECT_EQ(at, stream.size());
    return all;
}

}  // namespace

TEST(Biff8Layout, RecordsSheetOffsetsAndStringIndexAreConsistent) {
    auto book = xls::createBook();
    auto* first = book->addSheet("Sheet1");
    auto* second = book->addSheet("Other");
    for (int r = 0; r < 2000; ++r) {
        first->writeStr(r, 0, "text " + std::to_string(r));
        first->writeNum(r, 1, r);
    }
    second->writeStr(0, 0, std::string(8000, 'z'));
    const std::string stream = workbookStream(book->saveToBytes());
    ASSERT_FALSE(stream.empty());
    const auto all = records(stream);
    ASSERT_FALSE(all.empty());

    EXPECT_EQ(all.front().type, 0x0809);
    EXPECT_EQ(u16(all.front().body, 2), 0x0005);
    size_t sheetsSeen = 0;
    size_t continues = 0;
    uint32_t uniqueStrings = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        const Record& record = all[i];
        EXPECT_LE(record.body.size(), 8224u);
        if (record.type == 0x0085) {  // BOUNDSHEET points at its sheet's BOF
            const uint32_t at = u32(record.body, 0);
            ASSERT_LT(at + 8u, stream.size());
            EXPECT_EQ(u16(stream, at), 0x0809);
            EXPECT_EQ(u16(stream, at + 6), 0x0010);
            ++sheetsSeen;
        }
        if (record.type == 0x00FC)
            uniqueStrings = u32(record.body, 4);
        if (record.type == 0x003C)
            ++continues;
        if (record.type == 0x00FF) {  // EXTSST: each entry's two offsets agree
            for (size_t e = 2; e + 8 <= record.body.size(); e += 8) {
                const uint32_t streamPos = u32(record.body, e);
                const uint16_t inRecord = u16(record.body, e + 4);
                bool found = false;
                for (const auto& candidate : all) {
                    if ((candidate.type == 0x00FC || candidate.type == 0x003C) &&
                        candidate.offset + inRecord == streamPos) {
                        found = true;
                    }
                }
                EXPECT_TRUE(found) << "bucket at " << streamPos;
            }
        }
        if (record.type == 0x00FD) {
            EXPECT_LT(u32(record.body, 6), uniqueStrings);
        }
    }
    EXPECT_EQ(sheetsSeen, 2u);
    EXPECT_GE(continues, 2u);
    EXPECT_EQ(uniqueStrings, 2001u);
    EXPECT_EQ(all.back().type, 0x000A);
}

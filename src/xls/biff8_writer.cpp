// BIFF8 records as Excel 97-2003 expects them.
#include "xls/biff8_writer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "xls/unicode_text.h"

namespace xls {

namespace {

// The largest record body BIFF8 allows; longer data goes on in CONTINUE records.
constexpr size_t kMaxBody = 8224;
// Index of the default cell format: 15 style formats come before it.
constexpr uint16_t kCellXf = 15;

enum RecordType : uint16_t {
    kEof = 0x000A,
    kCalcCount = 0x000C,
    kCalcMode = 0x000D,
    kPrecision = 0x000E,
    kRefMode = 0x000F,
    kDelta = 0x0010,
    kIteration = 0x0011,
    kProtect = 0x0012,
    kPassword = 0x0013,
    kWindowProtect = 0x0019,
    kDateMode = 0x0022,
    kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B,
    kFont = 0x0031,
    kContinue = 0x003C,
    kWindow1 = 0x003D,
    kBackup = 0x0040,
    kCodePage = 0x0042,
    kDefColWidth = 0x0055,
    kWriteAccess = 0x005C,
    kSaveRecalc = 0x005F,
    kGuts = 0x0080,
    kWsBool = 0x0081,
    kGridSet = 0x0082,
    kBoundSheet = 0x0085,
    kCountry = 0x008C,
    kHideObj = 0x008D,
    kFnGroupCount = 0x009C,
    kMms = 0x00C1,
    kBookBool = 0x00DA,
    kXf = 0x00E0,
    kInterfaceHdr = 0x00E1,
    kInterfaceEnd = 0x00E2,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kTabId = 0x013D,
    kUsesElfs = 0x0160,
    kDsf = 0x0161,
    kProt4Rev = 0x01AF,
    kRefreshAll = 0x01B7,
    kProt4RevPass = 0x01BC,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kRow = 0x0208,
    kDefaultRowHeight = 0x0225,
    kWindow2 = 0x023E,
    kStyle = 0x0293,
    kBof = 0x0809,
};

class Body {
  public:
    Body& u8(uint8_t v) {
        bytes_.push_back(static_cast<char>(v));
        return *this;
    }
    Body& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
    Body& u32(uint32_t v) {
        return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16));
    }
    Body& f64(double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        return u32(static_cast<uint32_t>(bits)).u32(static_cast<uint32_t>(bits >> 32));
    }
    Body& units(const char16_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i)
            u16(static_cast<uint16_t>(data[i]));
        return *this;
    }
    Body& ascii(const char* text) {
        bytes_.append(text);
        return *this;
    }
    size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    void clear() { bytes_.clear(); }

  private:
    std::string bytes_;
};

class Stream {
  public:
    // Returns the offset of the record's body in the stream.
    size_t record(uint16_t type, const Body& body = Body()) {
        Body header;
        header.u16(type).u16(static_cast<uint16_t>(body.size()));
        bytes_ += header.bytes();
        const size_t at = bytes_.size();
        bytes_ += body.bytes();
        return at;
    }
    size_t size() const { return bytes_.size(); }
    std::string& bytes() { return bytes_; }

    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    }

  private:
    std::string bytes_;
};

Body bof(uint16_t kind) {
    Body b;
    b.u16(0x0600).u16(kind).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x00000006);
    return b;
}

Body word(uint16_t v) {
    Body b;
    b.u16(v);
    return b;
}

Body font() {
    Body b;
    b.u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0);
    b.u8(5).u8(0).ascii("Arial");
    return b;
}

Body xf(uint16_t fontIndex, bool style, uint8_t usedAttributes) {
    Body b;
    b.u16(fontIndex).u16(0);
    b.u16(style ? 0xFFF5 : 0x0001);  // locked; style formats have no parent
    b.u8(0x20).u8(0).u8(0).u8(usedAttributes);
    b.u32(0).u32(0).u16(0x20C0);  // no borders, automatic pattern colours
    return b;
}

Body writeAccess() {
    Body b;
    const char* user = "corvane";
    b.u16(static_cast<uint16_t>(std::strlen(user))).u8(0).ascii(user);
    while (b.size() < 112)
        b.u8(0x20);
    return b;
}

struct SharedStrings {
    std::vector<std::vector<char16_t>> unique;
    std::unordered_map<std::string, uint32_t> index;
    uint32_t total = 0;

    uint32_t add(const std::string& text) {
        ++total;
        auto [it, inserted] = index.try_emplace(text, static_cast<uint32_t>(unique.size()));
        if (inserted) {
            auto units = toUtf16(text);
            if (units.size() > kMaxTextLength)
                units.resize(kMaxTextLength);
            unique.push_back(std::move(units));
        }
        return it->second;
    }
};

// SST and its EXTSST: strings run on in CONTINUE records; a string's header
// never splits, and a string whose characters split repeats its option byte at
// the start of the CONTINUE record.
void writeSharedStrings(Stream& stream, const SharedStrings& strings) {
    const size_t count = strings.unique.size();
    const size_t perBucket = std::max<size_t>(8, (count + 127) / 128);
    struct Bucket {
        uint32_t streamPos;
        uint16_t recordPos;
    };
    std::vector<Bucket> buckets;

    uint16_t type = kSst;
    Body body;
    body.u32(strings.total).u32(static_cast<uint32_t>(count));
    auto flush = [&] {
        stream.record(type, body);
        body.clear();
        type = kContinue;
    };
    for (size_t i = 0; i < count; ++i) {
        const auto& units = strings.unique[i];
        // A string that does not fit where the record stands starts a new
        // CONTINUE record, so that no string spans more than two records
        // (freexl reads no more).
        const size_t fresh = type == kSst ? 8 : 0;
        if (body.size() > fresh && body.size() + 3 + 2 * units.size() > kMaxBody)
            flush();
        if (i % perBucket == 0) {
            const size_t inRecord = 4 + body.size();
            buckets.push_back(
                {static_cast<uint32_t>(stream.size() + inRecord), static_cast<uint16_t>(inRecord)});
        }
        body.u16(static_cast<uint16_t>(units.size())).u8(0x01);
        size_t done = 0;
        while (done < units.size()) {
            size_t fit = (kMaxBody - body.size()) / 2;
            if (fit == 0) {
                flush();
                body.u8(0x01);
                continue;
            }
            fit = std::min(fit, units.size() - done);
            body.units(units.data() + done, fit);
            done += fit;
        }
    }
    flush();

    Body ext;
    ext.u16(static_cast<uint16_t>(perBucket));
    for (const auto& bucket : buckets)
        ext.u32(bucket.streamPos).u16(bucket.recordPos).u16(0);
    stream.record(kExtSst, ext);
}

void writeGlobals(Stream& stream, const std::vector<const Sheet*>& sheets,
                  const SharedStrings& strings, std::vector<size_t>& sheetOffsetSlots) {
    stream.record(kBof, bof(0x0005));
    stream.record(kInterfaceHdr, word(1200));
    stream.record(kMms, word(0));
    stream.record(kInterfaceEnd);
    stream.record(kWriteAccess, writeAccess());
    stream.record(kCodePage, word(1200));
    stream.record(kDsf, word(0));
    Body tabs;
    for (size_t i = 0; i < sheets.size(); ++i)
        tabs.u16(static_cast<uint16_t>(i + 1));
    stream.record(kTabId, tabs);
    stream.record(kFnGroupCount, word(14));
    stream.record(kWindowProtect, word(0));
    stream.record(kProtect, word(0));
    stream.record(kPassword, word(0));
    stream.record(kProt4Rev, word(0));
    stream.record(kProt4RevPass, word(0));
    stream.record(kBackup, word(0));
    stream.record(kHideObj, word(0));
    Body window;
    window.u16(0x0168).u16(0x001E).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(
        0x0258);
    stream.record(kWindow1, window);
    stream.record(kDateMode, word(0));
    stream.record(kPrecision, word(1));
    stream.record(kRefreshAll, word(0));
    stream.record(kBookBool, word(0));
    for (int i = 0; i < 4; ++i)
        stream.record(kFont, font());
    stream.record(kXf, xf(0, true, 0x00));
    const uint16_t styleFonts[14] = {1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t styleFont : styleFonts)
        stream.record(kXf, xf(styleFont, true, 0xF4));
    stream.record(kXf, xf(0, false, 0x00));
    Body normalStyle;
    normalStyle.u16(0x8000).u8(0).u8(0xFF);
    stream.record(kStyle, normalStyle);
    stream.record(kUsesElfs, word(1));
    for (const Sheet* sheet : sheets) {
        auto name = toUtf16(sheet->name());
        if (name.size() > 31)
            name.resize(31);
        Body b;
        b.u32(0)
            .u8(0)
            .u8(0)
            .u8(static_cast<uint8_t>(name.size()))
            .u8(0x01)
            .units(name.data(), name.size());
        sheetOffsetSlots.push_back(stream.record(kBoundSheet, b));
    }
    Body country;
    country.u16(1).u16(1);
    stream.record(kCountry, country);
    writeSharedStrings(stream, strings);
    stream.record(kEof);
}

void writeSheet(Stream& stream, const Sheet& sheet, bool first, SharedStrings& strings) {
    stream.record(kBof, bof(0x0010));
    stream.record(kCalcMode, word(1));
    stream.record(kCalcCount, word(100));
    stream.record(kRefMode, word(1));
    stream.record(kIteration, word(0));
    Body delta;
    delta.f64(0.001);
    stream.record(kDelta, delta);
    stream.record(kSaveRecalc, word(1));
    stream.record(kPrintHeaders, word(0));
    stream.record(kPrintGridlines, word(0));
    stream.record(kGridSet, word(1));
    Body guts;
    guts.u16(0).u16(0).u16(0).u16(0);
    stream.record(kGuts, guts);
    Body rowHeight;
    rowHeight.u16(0).u16(0x00FF);
    stream.record(kDefaultRowHeight, rowHeight);
    stream.record(kWsBool, word(0x04C1));
    stream.record(kDefColWidth, word(8));

    std::vector<const Sheet::Cell*> used;
    for (const auto& cell : sheet.cells()) {
        if (cell.type != CellType::Empty)
            used.push_back(&cell);
    }
    Body dimensions;
    if (used.empty()) {
        dimensions.u32(0).u32(0).u16(0).u16(0).u16(0);
    } else {
        int firstCol = kMaxColumns;
        int lastCol = 0;
        for (const auto* cell : used) {
            firstCol = std::min(firstCol, cell->col);
            lastCol = std::max(lastCol, cell->col);
        }
        dimensions.u32(static_cast<uint32_t>(used.front()->row))
            .u32(static_cast<uint32_t>(used.back()->row + 1))
            .u16(static_cast<uint16_t>(firstCol))
            .u16(static_cast<uint16_t>(lastCol + 1))
            .u16(0);
    }
    stream.record(kDimensions, dimensions);

    // Rows go in blocks of 32: the ROW records of a block, then its cells.
    size_t at = 0;
    while (at < used.size()) {
        const int blockStart = used[at]->row / 32 * 32;
        size_t end = at;
        while (end < used.size() && used[end]->row < blockStart + 32)
            ++end;
        for (size_t i = at; i < end;) {
            const int row = used[i]->row;
            const int rowFirstCol = used[i]->col;
            int rowLastCol = rowFirstCol;
            while (i < end && used[i]->row == row)
                rowLastCol = used[i++]->col;
            Body b;
            b.u16(static_cast<uint16_t>(row))
                .u16(static_cast<uint16_t>(rowFirstCol))
                .u16(static_cast<uint16_t>(rowLastCol + 1))
                .u16(0x00FF)
                .u16(0)
                .u16(0)
                .u32(0x000F0100);
            stream.record(kRow, b);
        }
        for (size_t i = at; i < end; ++i) {
            const auto& cell = *used[i];
            Body b;
            b.u16(static_cast<uint16_t>(cell.row))
                .u16(static_cast<uint16_t>(cell.col))
                .u16(kCellXf);
            if (cell.type == CellType::Number) {
                b.f64(cell.number);
                stream.record(kNumber, b);
            } else if (cell.text.empty()) {
                // freexl refuses a workbook whose string table holds an empty
                // string; an empty text reads the same as a blank cell.
                stream.record(kBlank, b);
            } else {
                b.u32(strings.add(cell.text));
                stream.record(kLabelSst, b);
            }
        }
        at = end;
    }

    Body window;
    window.u16(first ? 0x06B6 : 0x00B6).u16(0).u16(0).u16(0x40).u16(0).u16(0).u16(0).u32(0);
    stream.record(kWindow2, window);
    stream.record(kEof);
}

}  // namespace

std::string buildBiff8Workbook(const std::vector<const Sheet*>& sheets) {
    // The sheets come first so that the shared strings are known; the globals
    // that index them are written in front afterwards.
    SharedStrings strings;
    std::vector<std::string> sheetStreams;
    for (size_t i = 0; i < sheets.size(); ++i) {
        Stream sheetStream;
        writeSheet(sheetStream, *sheets[i], i == 0, strings);
        sheetStreams.push_back(std::move(sheetStream.bytes()));
    }
    Stream globals;
    std::vector<size_t> offsetSlots;
    writeGlobals(globals, sheets, strings, offsetSlots);
    size_t offset = globals.size();
    for (size_t i = 0; i < sheets.size(); ++i) {
        globals.patch32(offsetSlots[i], static_cast<uint32_t>(offset));
        offset += sheetStreams[i].size();
    }
    std::string workbook = std::move(globals.bytes());
    for (auto& part : sheetStreams)
        workbook += part;
    return workbook;
}

}  // namespace xls

// The reader's answer, written in the reader and parsed, with the care any
// input gets, by the program that loads the workbook.
#include "xls/cell_reply.h"

#include <unistd.h>

#include <bit>
#include <cerrno>

#include "xls/xls.h"

namespace xls {

namespace {

constexpr std::string_view kMagic = "XLR1";
// freexl counts sheets in 16 bits; a BIFF sheet name has at most 255
// characters. Anything beyond is no answer of the reader.
constexpr uint32_t kMostSheets = 65536;
constexpr size_t kLongestName = 1024;
constexpr size_t kLongestReason = 1024;
constexpr size_t kWriteChunk = 65536;

class ReplyParser {
  public:
    ReplyParser(std::string_view data, CellSink& sink) : data_(data), sink_(sink) {}

    bool parse(std::string& error) {
        if (data_.substr(0, kMagic.size()) != kMagic)
            return garbled(error);
        at_ = kMagic.size();
        while (at_ < data_.size()) {
            const char tag = data_[at_++];
            uint32_t row = 0, col = 0, low = 0, high = 0;
            std::string text;
            switch (tag) {
                case 'S':
                    if (!string(text, kLongestName) || sheets_ == kMostSheets)
                        return garbled(error);
                    ++sheets_;
                    sink_.sheet(text);
                    lastRow_ = -1;
                    lastCol_ = -1;
                    break;
                case 'N':
                    if (!cell(row, col) || !u32(low) || !u32(high))
                        return garbled(error);
                    sink_.number(static_cast<int>(row), static_cast<int>(col),
                                 std::bit_cast<double>(uint64_t{high} << 32 | low));
                    break;
                case 'T':
                    if (!cell(row, col) || !string(text, data_.size()))
                        return garbled(error);
                    sink_.text(static_cast<int>(row), static_cast<int>(col), text);
                    break;
                case 'E':
                    return at_ == data_.size() || garbled(error);
                case 'F':
                    if (!string(text, kLongestReason) || at_ != data_.size())
                        return garbled(error);
                    error = printable(text);
                    if (error.empty())
                        error = "the workbook cannot be read";
                    return false;
                default:
                    return garbled(error);
            }
        }
        return garbled(error);
    }

  private:
    static bool garbled(std::string& error) {
        error = "the workbook reader gave a garbled answer";
        return false;
    }
    // The reason is shown to people: no control characters.
    static std::string printable(std::string text) {
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
                c = '?';
        }
        return text;
    }
    bool u32(uint32_t& v) {
        if (data_.size() - at_ < 4)
            return false;
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<uint8_t>(data_[at_ + static_cast<size_t>(i)]);
        at_ += 4;
        return true;
    }
    bool string(std::string& s, size_t longest) {
        uint32_t length = 0;
        if (!u32(length) || length > longest || data_.size() - at_ < length)
            return false;
        s.assign(data_.substr(at_, length));
        at_ += length;
        return true;
    }
    // A cell of the current sheet, within the limits and after the one
    // before it: an answer out of order would also cost a sorted insert per
    // cell.
    bool cell(uint32_t& row, uint32_t& col) {
        if (sheets_ == 0 || !u32(row) || !u32(col) || row >= kMaxRows || col >= kMaxColumns)
            return false;
        const int r = static_cast<int>(row);
        const int c = static_cast<int>(col);
        if (r < lastRow_ || (r == lastRow_ && c <= lastCol_))
            return false;
        lastRow_ = r;
        lastCol_ = c;
        return true;
    }

    std::string_view data_;
    CellSink& sink_;
    size_t at_ = 0;
    uint32_t sheets_ = 0;
    int lastRow_ = -1;
    int lastCol_ = -1;
};

}  // namespace

bool parseReply(std::string_view reply, CellSink& sink, std::string& error) {
    return ReplyParser(reply, sink).parse(error);
}

ReplyWriter::ReplyWriter(int fd) : fd_(fd), buffer_(kMagic) {}

void ReplyWriter::sheet(const std::string& name) {
    tag('S');
    string(name);
}

void ReplyWriter::number(int row, int col, double value) {
    tag('N');
    u32(static_cast<uint32_t>(row));
    u32(static_cast<uint32_t>(col));
    const auto bits = std::bit_cast<uint64_t>(value);
    u32(static_cast<uint32_t>(bits));
    u32(static_cast<uint32_t>(bits >> 32));
}

void ReplyWriter::text(int row, int col, const std::string& value) {
    tag('T');
    u32(static_cast<uint32_t>(row));
    u32(static_cast<uint32_t>(col));
    string(value);
}

bool ReplyWriter::finish(bool read, const std::string& error) {
    if (read) {
        tag('E');
    } else {
        tag('F');
        string(std::string_view(error).substr(0, kLongestReason));
    }
    if (fd_ >= 0)
        flush();
    return !failed_;
}

void ReplyWriter::tag(char t) {
    if (fd_ >= 0 && buffer_.size() >= kWriteChunk)
        flush();
    buffer_.push_back(t);
}

void ReplyWriter::u32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        buffer_.push_back(static_cast<char>(v >> shift));
}

void ReplyWriter::string(std::string_view s) {
    u32(static_cast<uint32_t>(s.size()));
    buffer_.append(s);
}

void ReplyWriter::flush() {
    size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            failed_ = true;
        else
            done += static_cast<size_t>(written);
    }
    buffer_.clear();
}

}  // namespace xls

// The workbook pipeline: libgsf, record checks, freexl in a child process,
// cells back through a pipe.
#include "xls/workbook_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/clock.h"
#include "xls/biff_records.h"
#include "xls/freexl_reader.h"
#include "xls/ole2_container.h"

namespace xls {

namespace {

// Generous: a workbook of the largest size reads in a few seconds.
constexpr double kReadLimitSeconds = 300;
// More cell data than the largest BIFF8 sheet can sensibly carry.
constexpr size_t kLargestReply = size_t{1} << 30;

// The child's side: cells as tagged records on the pipe.
//   'S' u32 length, name | 'N' u32 row, u32 col, f64 | 'T' u32 row, u32 col,
//   u32 length, text | 'E' (read) | 'F' u32 length, reason (not read)
class PipeWriter : public CellSink {
  public:
    explicit PipeWriter(int fd) : fd_(fd) {}

    void sheet(const std::string& name) override {
        tag('S');
        string(name);
    }
    void number(int row, int col, double value) override {
        tag('N');
        u32(static_cast<uint32_t>(row));
        u32(static_cast<uint32_t>(col));
        const auto bits = std::bit_cast<uint64_t>(value);
        u32(static_cast<uint32_t>(bits));
        u32(static_cast<uint32_t>(bits >> 32));
    }
    void text(int row, int col, const std::string& value) override {
        tag('T');
        u32(static_cast<uint32_t>(row));
        u32(static_cast<uint32_t>(col));
        string(value);
    }
    void finish(bool read, const std::string& error) {
        if (read) {
            tag('E');
        } else {
            tag('F');
            string(error);
        }
        flush();
    }

  private:
    void tag(char t) { put(&t, 1); }
    void u32(uint32_t v) {
        const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                               static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
        put(bytes, 4);
    }
    void string(const std::string& s) {
        u32(static_cast<uint32_t>(s.size()));
        put(s.data(), s.size());
    }
    void put(const char* data, size_t size) {
        buffer_.append(data, size);
        if (buffer_.size() >= 65536)
            flush();
    }
    void flush() {
        size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                _exit(4);
            done += static_cast<size_t>(written);
        }
        buffer_.clear();
    }

    int fd_;
    std::string buffer_;
};

[[noreturn]] void readInChild(const std::string& workbook, int fd) {
    try {
        const int file = memfd_create("workbook", 0);
        size_t done = 0;
        while (file >= 0 && done < workbook.size()) {
            const ssize_t written = ::write(file, workbook.data() + done, workbook.size() - done);
            if (written <= 0)
                _exit(3);
            done += static_cast<size_t>(written);
        }
        if (file < 0)
            _exit(3);
        PipeWriter writer(fd);
        std::string error;
        const bool read = readWithFreexl("/proc/self/fd/" + std::to_string(file), writer, error);
        writer.finish(read, error);
        _exit(0);
    } catch (...) {
        _exit(5);
    }
}

// The parent's side: the reply, read with the same care as any input.
class ReplyReader {
  public:
    explicit ReplyReader(const std::string& data) : data_(data) {}

    bool parse(std::vector<std::unique_ptr<Sheet>>& sheets, std::string& error) {
        while (at_ < data_.size()) {
            const char tag = data_[at_++];
            uint32_t row = 0, col = 0, low = 0, high = 0;
            std::string text;
            switch (tag) {
                case 'S':
                    if (!string(text))
                        return broken(error);
                    sheets.push_back(std::make_unique<Sheet>(text));
                    break;
                case 'N':
                    if (!u32(row) || !u32(col) || !u32(low) || !u32(high) || sheets.empty())
                        return broken(error);
                    sheets.back()->writeNum(
                        static_cast<int>(row), static_cast<int>(col),
                        std::bit_cast<double>(static_cast<uint64_t>(high) << 32 | low));
                    break;
                case 'T':
                    if (!u32(row) || !u32(col) || !string(text) || sheets.empty())
                        return broken(error);
                    sheets.back()->writeStr(static_cast<int>(row), static_cast<int>(col), text);
                    break;
                case 'E':
                    return true;
                case 'F':
                    error = string(text) ? text : "the workbook cannot be read";
                    return false;
                default:
                    return broken(error);
            }
        }
        return broken(error);
    }

  private:
    static bool broken(std::string& error) {
        error = "the workbook reader stopped short";
        return false;
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
    bool string(std::string& s) {
        uint32_t length = 0;
        if (!u32(length) || data_.size() - at_ < length)
            return false;
        s.assign(data_, at_, length);
        at_ += length;
        return true;
    }

    const std::string& data_;
    size_t at_ = 0;
};

// Reads everything the child writes, within the time limit.
bool collect(int fd, pid_t child, std::string& reply, std::string& error) {
    const double deadline = corvane::platform::Clock::seconds() + kReadLimitSeconds;
    char chunk[65536];
    for (;;) {
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, 50);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got == 0)
                return true;
            if (got < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                break;
            }
            reply.append(chunk, static_cast<size_t>(got));
            if (reply.size() > kLargestReply) {
                error = "the workbook holds more cells than can be read";
                ::kill(child, SIGKILL);
                return false;
            }
        }
        if (corvane::platform::Clock::seconds() > deadline) {
            error = "reading the workbook took too long";
            ::kill(child, SIGKILL);
            return false;
        }
    }
    error = std::string("cannot read the workbook reader's reply: ") + std::strerror(errno);
    ::kill(child, SIGKILL);
    return false;
}

}  // namespace

bool readWorkbook(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets,
                  std::string& error) {
    sheets.clear();
    std::string stream;
    std::string streamName;
    if (!extractWorkbook(path, stream, streamName, error))
        return false;
    const std::string records = checkedRecords(stream, error);
    if (records.empty())
        return false;
    const std::string workbook = packWorkbook(records, &error, streamName.c_str());
    if (workbook.empty())
        return false;

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot start the workbook reader: ") + std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::string("cannot start the workbook reader: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        readInChild(workbook, fds[1]);
    }
    ::close(fds[1]);
    std::string reply;
    const bool collected = collect(fds[0], child, reply, error);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!collected)
        return false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "the workbook is damaged: reading it failed";
        return false;
    }
    if (!ReplyReader(reply).parse(sheets, error)) {
        sheets.clear();
        return false;
    }
    return true;
}

}  // namespace xls

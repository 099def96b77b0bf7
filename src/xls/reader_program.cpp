// The reader program is started with posix_spawn, never a bare fork: the
// process that loads workbooks runs the machine's threads, and a lock one of
// them held at a fork (the allocator's, the text converters') would stay held
// in a forked child for ever. A program started afresh holds no such lock.
#include "xls/reader_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

namespace xls {

namespace {

using std::chrono::steady_clock;

// Time limit of one read. On this 2-core PC, busy with other work, the
// reader takes 0.1 s (0.3 s in the sanitizer build) for the largest program
// file, 65536 rows of 12 cells in 15 MB, 0.6 s for a small file claiming the
// whole 65536 x 256 grid, and reads bigger sheets at 50 to 100 MB a second.
// The limit leaves ten times that and more. It runs in real time: the
// machine's clock may run scaled or stand frozen, the reader does neither.
constexpr double kBaseSeconds = 10;
constexpr double kSecondsPerMegabyte = 0.2;
// More cell data than the largest BIFF8 sheet can sensibly carry.
constexpr size_t kLargestReply = size_t{1} << 30;
// What the reader says on its standard error, kept for the message.
constexpr size_t kKeptDiagnostics = 4096;
constexpr size_t kLongestDiagnostic = 200;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }

    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

// Moves a new descriptor above the standard streams (so that placing the
// reader's streams never overwrites another of them) and keeps it closed on
// exec, so that no other child inherits it.
int aboveStandardStreams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return moved;
}

bool makePipe(Fd& readEnd, Fd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.reset(aboveStandardStreams(fds[0]));
    writeEnd.reset(aboveStandardStreams(fds[1]));
    return readEnd.open() && writeEnd.open();
}

bool runnable(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

bool findReaderProgram(std::string& program, std::string& error) {
    const std::string missing = std::string("cannot read workbooks: the workbook reader ");
    if (const char* chosen = std::getenv(kReaderVariable); chosen != nullptr && *chosen != '\0') {
        if (runnable(chosen)) {
            program = chosen;
            return true;
        }
        error = missing + chosen + " (" + kReaderVariable + ") is missing or cannot be run";
        return false;
    }
    std::error_code failed;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed) {
        error = missing + kReaderProgram + " is missing: the program's own directory is unknown";
        return false;
    }
    // Programs sit side by side; tests run from a folder next to theirs.
    const auto here = executable.parent_path();
    const auto beside = (here / ".." / "bin").lexically_normal();
    for (const auto& dir : {here, beside}) {
        if (runnable(dir / kReaderProgram)) {
            program = (dir / kReaderProgram).string();
            return true;
        }
    }
    error = missing + kReaderProgram + " is missing (neither in " + here.string() + " nor in " +
            beside.string() + ")";
    return false;
}

// Starts the reader with the workbook as its standard input, the answer
// pipe as its standard output and the diagnostics pipe as its standard
// error, and nothing else open. Signals start unblocked and at their default
// actions, whatever the calling thread blocks or ignores, so that the
// reader can always be ended. An error number, or 0.
int spawnReader(const std::string& program, int input, int answer, int diagnostics, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    int rc = posix_spawn_file_actions_init(&actions);
    if (rc != 0)
        return rc;
    rc = posix_spawnattr_init(&attributes);
    if (rc != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return rc;
    }
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(&actions, answer, STDOUT_FILENO);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(&actions, diagnostics, STDERR_FILENO);
    // Descriptors other threads opened without close-on-exec stay here too.
    if (rc == 0)
        rc = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (rc == 0)
        rc = posix_spawnattr_setsigmask(&attributes, &none);
    if (rc == 0)
        rc = posix_spawnattr_setsigdefault(&attributes, &all);
    if (rc == 0)
        rc = posix_spawnattr_setflags(
            &attributes, static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    if (rc == 0) {
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

// The started reader, killed and reaped on every way out of a read, so that
// none is left running or unreaped.
class ReaderChild {
  public:
    explicit ReaderChild(pid_t pid) : pid_(pid) {}
    ReaderChild(const ReaderChild&) = delete;
    ReaderChild& operator=(const ReaderChild&) = delete;
    ~ReaderChild() {
        if (ended_)
            return;
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
    }

    // Whether the reader has ended, without waiting.
    bool ended() {
        if (ended_)
            return true;
        const pid_t done = ::waitpid(pid_, &status_, WNOHANG);
        if (done == pid_) {
            ended_ = true;
        } else if (done < 0 && errno != EINTR) {
            // Reaped elsewhere: how it ended is unknown.
            ended_ = true;
            lost_ = true;
        }
        return ended_;
    }
    // Why the reader failed, or empty when it ended well.
    std::string failure() const {
        if (lost_)
            return "the workbook is refused: how its reader ended is unknown";
        if (WIFSIGNALED(status_)) {
            const int signal = WTERMSIG(status_);
            const char* name = sigdescr_np(signal);
            return "the workbook is refused: its reader crashed (signal " + std::to_string(signal) +
                   (name != nullptr ? std::string(", ") + name : "") + ")";
        }
        if (!WIFEXITED(status_) || WEXITSTATUS(status_) != 0)
            return "the workbook is refused: its reader failed (exit status " +
                   std::to_string(WEXITSTATUS(status_)) + ")";
        return {};
    }

  private:
    pid_t pid_;
    int status_ = 0;
    bool ended_ = false;
    bool lost_ = false;
};

// Reads the answer and the diagnostics until both pipes are closed and the
// reader has ended, within the time limit.
bool collect(ReaderChild& child, Fd& answer, Fd& diagnostics, double seconds, std::string& reply,
             std::string& said, std::string& error) {
    const auto deadline = steady_clock::now() + std::chrono::duration_cast<steady_clock::duration>(
                                                    std::chrono::duration<double>(seconds));
    char chunk[65536];
    for (;;) {
        if (!answer.open() && !diagnostics.open() && child.ended())
            return true;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            error = "the workbook is refused: its reader gave no answer within " +
                    std::to_string(static_cast<int>(std::ceil(seconds))) + " s";
            return false;
        }
        pollfd wait[2];
        nfds_t count = 0;
        for (const Fd* fd : {&answer, &diagnostics}) {
            if (fd->open())
                wait[count++] = pollfd{fd->get(), POLLIN, 0};
        }
        // With both pipes closed the reader is on its way out: look again soon.
        const int timeout = count == 0 ? 5 : static_cast<int>(left.count());
        const int ready = ::poll(wait, count, timeout);
        if (ready < 0 && errno != EINTR) {
            error = std::string("cannot wait for the workbook reader: ") + std::strerror(errno);
            return false;
        }
        for (nfds_t i = 0; ready > 0 && i < count; ++i) {
            if (wait[i].revents == 0)
                continue;
            Fd& fd = wait[i].fd == answer.get() ? answer : diagnostics;
            const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (got < 0) {
                error = std::string("cannot read the workbook reader's answer: ") +
                        std::strerror(errno);
                return false;
            }
            if (got == 0) {
                fd.reset();
            } else if (&fd == &answer) {
                reply.append(chunk, static_cast<size_t>(got));
                if (reply.size() > kLargestReply) {
                    error = "the workbook holds more cells than can be read";
                    return false;
                }
            } else {
                said.append(chunk,
                            std::min(static_cast<size_t>(got), kKeptDiagnostics - said.size()));
            }
        }
    }
}

// The first line of the diagnostics that holds a word, fit for a message.
std::string firstLine(const std::string& said) {
    size_t start = 0;
    while (start < said.size()) {
        size_t end = said.find('\n', start);
        if (end == std::string::npos)
            end = said.size();
        std::string line = said.substr(start, std::min(end - start, kLongestDiagnostic));
        if (std::any_of(line.begin(), line.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
            for (char& c : line) {
                if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
                    c = ' ';
            }
            return line;
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

int memoryFile(const std::string& bytes) {
    Fd file(aboveStandardStreams(::memfd_create("workbook", MFD_CLOEXEC)));
    size_t done = 0;
    while (file.open() && done < bytes.size()) {
        const ssize_t written = ::write(file.get(), bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return -1;
        done += static_cast<size_t>(written);
    }
    if (!file.open() || ::lseek(file.get(), 0, SEEK_SET) != 0)
        return -1;
    return file.release();
}

bool runReaderProgram(const std::string& workbook, std::string& reply, std::string& error) {
    reply.clear();
    std::string program;
    if (!findReaderProgram(program, error))
        return false;
    const auto cannotStart = [&](int code) {
        error = "cannot start the workbook reader " + program + ": " + std::strerror(code);
        return false;
    };
    Fd input(memoryFile(workbook));
    Fd answerIn, answerOut, diagnosticsIn, diagnosticsOut;
    if (!input.open() || !makePipe(answerIn, answerOut) ||
        !makePipe(diagnosticsIn, diagnosticsOut)) {
        return cannotStart(errno);
    }
    pid_t pid = 0;
    const int rc = spawnReader(program, input.get(), answerOut.get(), diagnosticsOut.get(), pid);
    // The reader holds its own copies: the pipes end when it does.
    input.reset();
    answerOut.reset();
    diagnosticsOut.reset();
    if (rc != 0)
        return cannotStart(rc);

    ReaderChild child(pid);
    std::string said;
    const double seconds =
        kBaseSeconds + kSecondsPerMegabyte * static_cast<double>(workbook.size()) / 1e6;
    if (!collect(child, answerIn, diagnosticsIn, seconds, reply, said, error))
        return false;
    const std::string failure = child.failure();
    if (failure.empty())
        return true;
    const std::string line = firstLine(said);
    error = line.empty() ? failure : failure + ": " + line;
    return false;
}

}  // namespace xls

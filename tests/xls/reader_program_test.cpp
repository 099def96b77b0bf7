// The workbook reader program as the loading side sees it: how it is found
// and started, and that whatever it does (crash, hang, garbage, failure) is
// a refused load with a message. Stand-in readers are chosen through the
// reader variable.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "test_files.h"
#include "xls/reader_program.h"
#include "xls/xls.h"

using ::testing::HasSubstr;

namespace {

class StandInReader : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto dir = xls_test::freshDir("stand-in");
        workbook_ = (dir / "program.xls").string();
        auto book = xls::createBook();
        book->addSheet("Sheet1")->writeStr(0, 0, "No");
        ASSERT_TRUE(book->save(workbook_)) << book->errorMessage();
    }
    void TearDown() override { ::unsetenv(xls::kReaderVariable); }

    static void choose(const std::string& reader) {
        ::setenv(xls::kReaderVariable, reader.c_str(), 1);
    }
    static std::string standIn(const std::string& name) {
        return std::string(XLS_STAND_IN_READERS) + "/" + name;
    }
    // Loads the workbook through the chosen reader, expecting a refusal; its message.
    std::string refusal() const {
        auto book = xls::createBook();
        book->addSheet("left over");
        EXPECT_FALSE(book->load(workbook_));
        EXPECT_EQ(book->sheetCount(), 0);
        EXPECT_FALSE(book->errorMessage().empty());
        return book->errorMessage();
    }

    std::string workbook_;
};

}  // namespace

TEST_F(StandInReader, TheChosenReaderStartsWithTheWorkbookAndNothingElse) {
    // The loading thread blocks termination signals and the process ignores
    // a broken pipe; a descriptor without close-on-exec is open. None of it
    // may reach the reader.
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &before), 0);
    const auto oldPipe = ::signal(SIGPIPE, SIG_IGN);
    const int plain = ::open("/dev/null", O_RDONLY);
    const int inherited = ::fcntl(plain, F_DUPFD, 200);  // clear of the shell's own
    ::close(plain);
    ASSERT_GE(inherited, 200);
    ::setenv("STAND_IN_INHERITED", std::to_string(inherited).c_str(), 1);

    choose(standIn("inspects.sh"));
    auto book = xls::createBook();
    const bool loaded = book->load(workbook_);

    ::unsetenv("STAND_IN_INHERITED");
    ::close(inherited);
    ::signal(SIGPIPE, oldPipe);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(loaded) << book->errorMessage();
    ASSERT_EQ(book->sheetCount(), 1);
    EXPECT_EQ(book->getSheet(0)->name(), "inspected");
}

TEST_F(StandInReader, ACrashIsARefusalWithWhatTheReaderSaid) {
    choose(standIn("crashes.sh"));
    const std::string message = refusal();
    EXPECT_THAT(message, HasSubstr("crashed"));
    EXPECT_THAT(message, HasSubstr("stand-in reader: cell table broken"));
}

TEST_F(StandInReader, GarbageOrAFailingEndIsARefusal) {
    choose(standIn("garbage.sh"));
    EXPECT_THAT(refusal(), HasSubstr("garbled answer"));
    // A well-formed answer does not count when the reader failed.
    choose(standIn("fails.sh"));
    EXPECT_THAT(refusal(), HasSubstr("exit status 3"));
}

TEST_F(StandInReader, AReaderThatNeverEndsIsKilledAtItsTimeLimit) {
    // One keeps its output open, the other closes it and stays.
    for (const char* name : {"hangs.sh", "lingers.sh"}) {
        choose(standIn(name));
        EXPECT_THAT(refusal(), HasSubstr("no answer within")) << name;
    }
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // both killed and reaped
}

TEST_F(StandInReader, AMissingReaderIsARefusalSayingSo) {
    choose(standIn("no-such-reader"));
    EXPECT_THAT(refusal(), HasSubstr("is missing"));
    choose(workbook_);  // there, but no program
    EXPECT_THAT(refusal(), HasSubstr("is missing or cannot be run"));
}

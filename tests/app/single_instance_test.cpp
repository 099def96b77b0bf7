// One console per user: a second start (another object, or another process)
// makes the first raise its window and ends itself; a lock left by a process
// that died does not keep the console from starting.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>
#include <filesystem>

#include "app/single_instance.h"

using corvane::SingleInstance;

namespace {

// The test program started again as a second console: exit status 0 when it
// found the first one and ended, 1 when it became the first; "hold" keeps a
// first one running until it is killed.
constexpr char kChildMode[] = "--single-instance-child";

int runChild(const QString& mode, const QString& key, const QString& folder) {
    SingleInstance instance(key, folder);
    const bool primary = instance.start();
    if (mode == "hold") {
        if (!primary)
            return 2;
        fputs("ready\n", stdout);
        fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    return primary ? 1 : 0;
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = QDir::tempPath() + "/corvane-single-" + QString::number(::getpid());
        QDir(folder_).removeRecursively();
        key_ = "console-" + QString::fromStdString(
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { QDir(folder_).removeRecursively(); }

    int runSecondInstance(const QString& mode = "second") {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kChildMode, mode, key_, folder_});
        EXPECT_TRUE(child.waitForFinished(10000));
        return child.exitCode();
    }

    QString folder_;
    QString key_;
};

}  // namespace

TEST_F(SingleInstanceTest, ASecondObjectRaisesTheFirstAndGivesUp) {
    SingleInstance first(key_, folder_);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    ASSERT_TRUE(first.start());
    EXPECT_TRUE(first.isPrimary());
    EXPECT_TRUE(QFile::exists(first.lockPath()));

    SingleInstance second(key_, folder_);
    EXPECT_FALSE(second.start());
    EXPECT_FALSE(second.isPrimary());
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);

    // Another program name is another console.
    SingleInstance other(key_ + "-other", folder_);
    EXPECT_TRUE(other.start());
}

TEST_F(SingleInstanceTest, ASecondProcessRaisesTheFirstAndEnds) {
    SingleInstance first(key_, folder_);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    ASSERT_TRUE(first.start());
    // The child blocks on the socket while this process serves it from the
    // event loop the spy runs.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {kChildMode, "second", key_, folder_});
    EXPECT_TRUE(raised.wait(10000));
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << "the second process must end as the second one";
    EXPECT_EQ(raised.count(), 1);
}

TEST_F(SingleInstanceTest, TheNextStartAfterTheFirstEndedOrDiedIsTheFirst) {
    {
        SingleInstance first(key_, folder_);
        ASSERT_TRUE(first.start());
    }
    EXPECT_EQ(runSecondInstance(), 1) << "the lock went with the first instance";

    // A console killed without a chance to clean up leaves its lock and its
    // socket file behind.
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {kChildMode, "hold", key_, folder_});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    EXPECT_EQ(holder.readLine().trimmed(), "ready");
    EXPECT_EQ(runSecondInstance(), 0) << "the holder is running";
    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    SingleInstance probe(key_, folder_);
    EXPECT_TRUE(QFile::exists(probe.lockPath()));

    SingleInstance next(key_, folder_);
    QSignalSpy raised(&next, &SingleInstance::raiseRequested);
    ASSERT_TRUE(next.start());
    SingleInstance second(key_, folder_);
    EXPECT_FALSE(second.start());
    EXPECT_TRUE(raised.wait(5000));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments[1] == kChildMode)
        return runChild(arguments[2], arguments[3], arguments[4]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The language broadcaster, the about box it retranslates, and the core's
// message boxes shown as Qt dialogs.
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <atomic>
#include <thread>

#include "platform/screens/about_box.h"
#include "platform/screens/language_events.h"
#include "platform/screens/message_box_dialog.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;
using screen_test::ScreenTest;

TEST_F(ScreenTest, TheBroadcasterStoresTheLanguageAndTellsEveryListener) {
    QSignalSpy spy(&LanguageEvents::instance(), &LanguageEvents::languageChanged);
    LanguageEvents::instance().setLanguage(kChinese);
    EXPECT_EQ(Language.load(), kChinese);
    EXPECT_STREQ(tr("Exit", "退出"), "退出");
    LanguageEvents::instance().setLanguage(7);  // not a language: English
    EXPECT_EQ(Language.load(), kEnglish);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toInt(), kChinese);
    EXPECT_EQ(spy[1][0].toInt(), kEnglish);
}

TEST_F(ScreenTest, AboutBoxFollowsTheLanguage) {
    AboutBox box;
    screen_test::expectLanguageSwitchReachesEveryCaption(&box);
    EXPECT_TRUE(box.findChild<QLabel*>()->text().contains("Corvane"));
}

TEST_F(ScreenTest, CoreMessageBoxesBecomeDialogsAlsoFromAWorkerThread) {
    installMessageBoxDialogs();
    // The window thread's own box: Yes is the answer.
    screen_test::onNextDialog<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Really?");
        EXPECT_EQ(box->windowTitle(), "Note");
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "Yes")
                button->click();
        }
    });
    EXPECT_TRUE(platform::messageBox("Really?", "Note", platform::MessageIcon::Question,
                                     platform::MessageButtons::YesNo));

    // From a worker the call waits until the window thread showed the box and
    // it was closed; No is the answer, the default caption the program's name.
    screen_test::onNextDialog<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Tamsin");
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "No")
                button->click();
        }
    });
    bool answer = true;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        answer = platform::messageBox("From the worker", {}, platform::MessageIcon::None,
                                      platform::MessageButtons::YesNo);
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_FALSE(answer);
    platform::setMessageBoxSink(nullptr);
}

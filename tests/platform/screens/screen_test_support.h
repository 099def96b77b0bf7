// Shared by the screen tests: the display language through the broadcaster,
// recorded message boxes, scratch folders, modal dialogs driven from a timer,
// the walk over every caption of a screen, and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/language.h"
#include "platform/message_box.h"
#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"
#include "platform/settings_store.h"

namespace screen_test {

inline std::filesystem::path freshDir(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("corvane-screens-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void setLanguage(int language) {
    corvane::screens::LanguageEvents::instance().setLanguage(language);
    QApplication::processEvents();
}

class ScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setLanguage(corvane::kEnglish);
        corvane::platform::setMessageBoxSink(
            [this](const corvane::platform::MessageBoxRequest& request) {
                messages.push_back(request.text);
                return true;
            });
    }
    void TearDown() override {
        corvane::platform::setMessageBoxSink(nullptr);
        setLanguage(corvane::kEnglish);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible())
                widget->close();
        }
        QApplication::processEvents();
    }

    std::vector<std::string> takeMessages() {
        auto copy = messages;
        messages.clear();
        return copy;
    }

    std::vector<std::string> messages;
};

// Runs `action` on the next visible top-level dialog of type T that the test
// has not handled yet, from the event loop (so it also reaches a dialog in
// its own modal run). Gives up after 5 s: closes the modal dialogs so the test
// ends instead of hanging, and fails. Deleting the returned timer cancels it.
template <typename T>
QPointer<QTimer> onNextDialog(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, started, action] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<T*>(widget);
            if (dialog != nullptr && dialog->isVisible() &&
                !dialog->property("handledByTest").toBool()) {
                dialog->setProperty("handledByTest", true);
                timer->stop();
                timer->deleteLater();
                action(dialog);
                return;
            }
        }
        if (started->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog of the expected kind appeared";
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start();
    return timer;
}

// Text is English when it has a word of Latin letters and no Chinese
// character: a caption the switch did not reach.
inline bool looksEnglish(const QString& text) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    return text.contains(word) && !text.contains(chinese);
}

// Every caption of a screen: window titles, labels (not those marked as
// values), buttons and check boxes, group titles, table headers, combo box
// entries, chart titles and legend entries. Keyed by where it was found.
inline std::map<QString, QString> captionsOf(QWidget* screen) {
    std::map<QString, QString> captions;
    auto add = [&captions](const QString& where, const QString& text) {
        if (!text.isEmpty())
            captions[where] = text;
    };
    std::vector<QWidget*> widgets{screen};
    for (QWidget* child : screen->findChildren<QWidget*>())
        widgets.push_back(child);
    int n = 0;
    for (QWidget* widget : widgets) {
        const QString id = QString::number(n++) + ":" + widget->metaObject()->className();
        if (widget->isWindow())
            add(id + ":title", widget->windowTitle());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (!label->property(corvane::screens::kValueProperty).toBool())
                add(id, label->text());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            add(id, button->text());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            add(id, group->title());
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                add(id + ":" + QString::number(i), combo->itemText(i));
        } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
            if (QAbstractItemModel* model = view->model()) {
                for (int c = 0; c < model->columnCount(); ++c)
                    add(id + ":h" + QString::number(c),
                        model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
            }
        } else if (auto* chartView = qobject_cast<QChartView*>(widget)) {
            QChart* chart = chartView->chart();
            add(id + ":chart", chart->title());
            int m = 0;
            for (QLegendMarker* marker : chart->legend()->markers())
                add(id + ":legend" + QString::number(m++), marker->label());
        }
    }
    return captions;
}

// Switches to Chinese: no caption may stay English and each must change;
// switches back: every caption is the English one again.
inline void expectLanguageSwitchReachesEveryCaption(QWidget* screen) {
    setLanguage(corvane::kEnglish);
    const auto english = captionsOf(screen);
    ASSERT_FALSE(english.empty());
    setLanguage(corvane::kChinese);
    const auto chinese = captionsOf(screen);
    EXPECT_EQ(chinese.size(), english.size());
    for (const auto& [where, text] : chinese) {
        EXPECT_FALSE(looksEnglish(text)) << where.toStdString() << ": " << text.toStdString();
        auto before = english.find(where);
        if (before != english.end() && before->second.contains(QRegularExpression("[A-Za-z]"))) {
            EXPECT_NE(before->second, text) << where.toStdString();
        }
    }
    setLanguage(corvane::kEnglish);
    EXPECT_EQ(captionsOf(screen), english);
}

// Grabs the screen as a person would see it. With CORVANE_SCREENSHOT_DIR set
// the picture is written there as <name>.png (docs/screenshots are made so).
inline QImage screenshot(QWidget* screen, const QString& name) {
    screen->show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QImage image = screen->grab().toImage();
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        image.save(QDir(dir).filePath(name + ".png"));
    }
    return image;
}

}  // namespace screen_test

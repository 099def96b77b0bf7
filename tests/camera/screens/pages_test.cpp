// The driver's pages on the simulated camera, shown through the TQ_Show...
// exports as a Qt host shows them: every control drives its export, the
// "Default" action, the register page with replies from the receive thread,
// and each camera model's own page.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

#include "camera/device_table.h"
#include "camera/simulated_camera_fixture.h"

namespace ostrel::testing {
namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        setenv("OSTREL_PAGES_MODULE", OSTREL_PAGES_MODULE_FILE, 1);
        static int argc = 1;
        static char name[] = "camera_pages_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

  private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

template <typename T>
T* child(QWidget* page, const char* name) {
    T* w = page->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void choose(QComboBox* list, const QString& entry) {
    const int i = list->findText(entry);
    ASSERT_GE(i, 0) << entry.toStdString();
    list->setCurrentIndex(i);
    Q_EMIT list->activated(i);
}

void enter(QLineEdit* field, const QString& text) {
    field->setText(text);
    Q_EMIT field->editingFinished();
}

class PagesTest : public SimulatedCameraTest {
  protected:
    // Runs `work` on the modal page once it shows, then shows the control
    // page of the device; answers what the export answered.
    uint32_t withControlPage(const std::function<void(QDialog*)>& work) {
        bool done = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* page = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (done || page == nullptr || page->objectName() != "controlPage") {
                return;
            }
            done = true;
            work(page);
            page->close();
        });
        poll.start();
        const uint32_t status = TQ_ShowSnapshotPage(device_);
        EXPECT_TRUE(done) << "the page never showed";
        return status;
    }

    void startCapture() {
        TQ_SetCallBack(&FrameRecorder::callback, device_);
        ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    }
};

TEST_F(PagesTest, ControlPageDrivesTheExports) {
    openAndInit("K5C");
    startCapture();
    const int triggersBefore = camera_->commandCount(0x03);
    const uint32_t status = withControlPage([&](QDialog* page) {
        EXPECT_EQ(page->windowTitle().toStdString(),
                  "Control & Snapshot for Device " + std::to_string(device_));
        TQ_Resolution size{};
        choose(child<QComboBox>(page, "resolutionList"), "1024X768");
        TQ_GetResolution(&size, device_);
        EXPECT_EQ(size.width, 1024);
        EXPECT_EQ(size.height, 768);

        int value = 0;
        choose(child<QComboBox>(page, "mirrorList"), "H Mirror");
        TQ_GetImageMirror(&value, device_);
        EXPECT_EQ(value, 2);
        child<QCheckBox>(page, "gammaCheck")->click();
        TQ_GetImageGammaStat(&value, device_);
        EXPECT_EQ(value, 1);
        child<QCheckBox>(page, "colorCheck")->click();
        TQ_GetImageColorStat(&value, device_);
        EXPECT_EQ(value, 0);

        child<QRadioButton>(page, "blackLevelManual")->click();
        TQ_GetBlackLevelAuto(&value, device_);
        EXPECT_EQ(value, 0);
        child<QSlider>(page, "blackLevelSlider")->setValue(20);
        int levels[5] = {};
        TQ_GetBlackLevelValue(levels, device_);
        EXPECT_EQ(levels[1], 20);
        EXPECT_EQ(levels[4], 20);
        EXPECT_EQ(camera_->sensorRegister(0x63), 20);
        child<QRadioButton>(page, "blackLevelDisable")->click();
        TQ_GetBlackLevelEnable(&value, device_);
        EXPECT_EQ(value, 0);
        EXPECT_FALSE(child<QSlider>(page, "blackLevelSlider")->isEnabled());

        int gains[5] = {};
        child<QSlider>(page, "gainGlobalSlider")->setValue(16);
        child<QSlider>(page, "gainRedSlider")->setValue(20);
        enter(child<QLineEdit>(page, "gainGreenField"), "24");
        TQ_GetGainValue(gains, device_);
        EXPECT_EQ(gains[0], 16);
        EXPECT_EQ(gains[1], 24);
        EXPECT_EQ(gains[2], 24);
        EXPECT_EQ(gains[3], 20);
        EXPECT_EQ(camera_->sensorRegister(0x35), 16);

        child<QSlider>(page, "exposureSlider")->setValue(300);
        TQ_GetExposureValue(&value, device_);
        EXPECT_EQ(value, 300);
        // Below the range: the time is clamped and turned into rows.
        auto* time = child<QLineEdit>(page, "exposureTimeField");
        enter(time, "5");
        EXPECT_EQ(time->text(), "10");
        TQ_GetSnapExpTime(&value, device_);
        EXPECT_EQ(value, 10);
        TQ_GetExposureValue(&value, device_);
        EXPECT_EQ(value, child<QSlider>(page, "exposureSlider")->value());
        EXPECT_LT(value, 300);

        enter(child<QLineEdit>(page, "debounceField"), "33");
        TQ_GetSnapDebounceTime(&value, device_);
        EXPECT_EQ(value, 33);
        child<QLineEdit>(page, "frameRateField")->setText("5");
        child<QLineEdit>(page, "imageCountField")->setText("2");
        child<QPushButton>(page, "triggerSetButton")->click();
        int frequency = 0;
        TQ_GetSnapTrigFreqImgCount(&frequency, &value, device_);
        EXPECT_EQ(frequency, 5);
        EXPECT_EQ(value, 2);
        choose(child<QComboBox>(page, "ioInList"), "3 high level");
        choose(child<QComboBox>(page, "ioOutList"), "1 high level");
        int out = 0;
        TQ_GetSnapIOMode(&value, &out, device_);
        EXPECT_EQ(value, 3);
        EXPECT_EQ(out, 1);
        choose(child<QComboBox>(page, "triggerModeList"), "Snap 1");
        int kind = 0;
        TQ_GetPreviewSnapMode(&value, &kind, device_);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(kind, 1);
        child<QPushButton>(page, "swTriggerButton")->click();
        EXPECT_EQ(camera_->commandCount(0x03), triggersBefore + 1);
        choose(child<QComboBox>(page, "triggerModeList"), "Preview");
        TQ_GetPreviewSnapMode(&value, &kind, device_);
        EXPECT_EQ(value, 1);
        child<QPushButton>(page, "saveButton")->click();

        // The language button switches the labels and back.
        child<QPushButton>(page, "languageButton")->click();
        QStringList titles;
        for (QGroupBox* g : page->findChildren<QGroupBox*>()) {
            titles << g->title();
        }
        EXPECT_TRUE(titles.contains(QString::fromUtf8("增益控制")))
            << titles.join(",").toStdString();
        EXPECT_TRUE(titles.contains(QString::fromUtf8("黑电平控制")));
        child<QPushButton>(page, "languageButton")->click();
        EXPECT_EQ(child<QPushButton>(page, "defaultButton")->text(), "Default");
    });
    EXPECT_EQ(status, TQ_SUCCESS);
    // The stream went on at the new size.
    FrameRecorder::instance().clear();
    EXPECT_TRUE(FrameRecorder::instance().waitFor([](const auto& r) {
        return std::any_of(r.begin(), r.end(),
                           [](const FrameRecord& f) { return f.hasImage && f.width == 1024; });
    }));
}

TEST_F(PagesTest, DefaultRestoresTheSensorWhileStreaming) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_SetResolution(640, 480, device_), TQ_SUCCESS);
    const int gains[5] = {3, 3, 3, 3, 3};
    ASSERT_EQ(TQ_SetGainValue(gains, device_), TQ_SUCCESS);
    startCapture();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
    withControlPage([&](QDialog* page) {
        EXPECT_EQ(child<QComboBox>(page, "resolutionList")->currentText(), "640X480");
        child<QPushButton>(page, "defaultButton")->click();
        // The page shows the restored settings at once.
        EXPECT_EQ(child<QComboBox>(page, "resolutionList")->currentText(), "1280X1024");
        EXPECT_EQ(child<QLineEdit>(page, "gainGlobalField")->text(), "8");
        EXPECT_EQ(child<QLineEdit>(page, "exposureField")->text(), "1049");
    });
    TQ_Resolution size{};
    TQ_GetResolution(&size, device_);
    EXPECT_EQ(size.width, 1280);
    EXPECT_EQ(size.height, 1024);
    EXPECT_EQ(camera_->sensorRegister(0x35), 8);
    EXPECT_EQ(camera_->sensorRegister(0x09), 1049);
    EXPECT_EQ(camera_->sensorRegister(0x62), 1176);
    // Capture runs on, at the largest image.
    FrameRecorder::instance().clear();
    EXPECT_TRUE(FrameRecorder::instance().waitFor([](const auto& r) {
        return std::count_if(r.begin(), r.end(), [](const FrameRecord& f) {
                   return f.hasImage && f.width == 1280 && f.height == 1024;
               }) >= 2;
    }));
}

QDialog* registerPage() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "registerPage" && w->isVisible()) {
            return qobject_cast<QDialog*>(w);
        }
    }
    return nullptr;
}

TEST_F(PagesTest, RegisterPageShowsTheReplyOfTheReceiveThread) {
    openAndInit("K4C");
    startCapture();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1, 20));
    // A Qt host keeps its loop: the page stays open beside it.
    ASSERT_EQ(TQ_ShowRWPage(device_), TQ_SUCCESS);
    QDialog* page = registerPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), "Read / Write");
    EXPECT_EQ(deviceAt(device_)->registerDisplay.load(), 1);
    auto* address = child<QLineEdit>(page, "registerField");
    auto* value = child<QLineEdit>(page, "valueField");
    EXPECT_EQ(address->maxLength(), 9);  // byte-wide sensor: 16-bit addresses

    address->setText("0");
    child<QPushButton>(page, "readButton")->click();
    // The reply comes through the receive thread while the stream runs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == "2c01"; }, 5000))
        << value->text().toStdString();

    address->setText("3026");
    value->setText("1234");
    child<QPushButton>(page, "writeButton")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return camera_->sensorRegister(0x3026) == 0x1234; }, 2000));

    child<QPushButton>(page, "exitButton")->click();
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(deviceAt(device_)->registerDisplay.load(), 0);
}

// The single-entry form: the page waits for the reply itself, pausing a
// running stream for it (the receive thread reads the byte-wide layout only).
TEST_F(PagesTest, RegisterPageReadsTheSingleEntryFormItself) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_ShowRWPage(device_), TQ_SUCCESS);
    QDialog* page = registerPage();
    ASSERT_NE(page, nullptr);
    auto* address = child<QLineEdit>(page, "registerField");
    auto* value = child<QLineEdit>(page, "valueField");
    EXPECT_EQ(address->maxLength(), 3);
    address->setText("0");
    child<QPushButton>(page, "readButton")->click();
    EXPECT_EQ(value->text(), "8431");

    startCapture();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
    const int gains[5] = {5, 5, 5, 5, 5};
    ASSERT_EQ(TQ_SetGainValue(gains, device_), TQ_SUCCESS);
    address->setText("35");
    child<QPushButton>(page, "readButton")->click();
    EXPECT_EQ(value->text(), QString::number(camera_->sensorRegister(0x35), 16));
    EXPECT_EQ(value->text(), "54");  // gain 5 on this sensor: (4 x 5) OR 0x40
    FrameRecorder::instance().clear();
    EXPECT_TRUE(FrameRecorder::instance().waitForImages(2));
    page->hide();
}

TEST_F(PagesTest, EveryModelOpensItsOwnPage) {
    struct Expect {
        const char* model;
        const char* largest;  // the resolution entry of the full image
        bool colour;
        bool blackLevel;
        bool defaults;
    };
    const Expect models[] = {
        {"K1M", "752x480", false, true, false},   {"K1C", "752x480", true, true, false},
        {"K2M", "1280X1024", false, true, true},  {"K5C", "2048x1536", true, true, true},
        {"K6C", "2592x1944", true, false, true},  {"K6M", "2592x1944", false, false, true},
        {"K3M", "1280X1024", false, true, false}, {"K3C", "1280X1024", true, true, false},
        {"K4C", "3664x2748", true, true, false},
    };
    for (const Expect& e : models) {
        SCOPED_TRACE(e.model);
        openAndInit(e.model);
        int maxWidth = 0;
        int maxHeight = 0;
        TQ_GetMaxResolution(&maxWidth, &maxHeight, device_);
        withControlPage([&](QDialog* page) {
            auto* list = child<QComboBox>(page, "resolutionList");
            EXPECT_EQ(list->itemText(0), e.largest);
            EXPECT_EQ(list->currentText(), e.largest);  // it starts at its largest image
            for (int i = 0; i < list->count(); ++i) {
                const QStringList wh =
                    list->itemText(i).split(QChar('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
                EXPECT_LE(wh[0].toInt(), maxWidth);
            }
            EXPECT_EQ(child<QCheckBox>(page, "colorCheck")->isEnabled(), e.colour);
            EXPECT_EQ(child<QPushButton>(page, "defaultButton")->isEnabled(), e.defaults);
            QGroupBox* black = nullptr;
            for (QGroupBox* g : page->findChildren<QGroupBox*>()) {
                if (g->title() == "Black Level Control") {
                    black = g;
                }
            }
            ASSERT_NE(black, nullptr);
            EXPECT_EQ(black->isEnabled(), e.blackLevel);
            int debounce = 0;
            TQ_GetSnapDebounceTime(&debounce, device_);
            EXPECT_EQ(child<QLineEdit>(page, "debounceField")->text(), QString::number(debounce));
        });
        TQ_CloseDevice(device_);
    }
}

TEST_F(PagesTest, SnapThreeOnAK6HandsTheExposureToTheController) {
    openAndInit("K6M");
    withControlPage([&](QDialog* page) {
        choose(child<QComboBox>(page, "triggerModeList"), "Snap 3");
        EXPECT_FALSE(child<QSlider>(page, "exposureSlider")->isEnabled());
        enter(child<QLineEdit>(page, "exposureTimeField"), "4000");
        EXPECT_EQ(camera_->controllerRegister(0x5A13), 4000u);
        EXPECT_EQ(camera_->controllerRegister(0x5A10),
                  static_cast<uint32_t>(child<QSlider>(page, "exposureSlider")->value()));
        choose(child<QComboBox>(page, "triggerModeList"), "Preview");
        EXPECT_TRUE(child<QSlider>(page, "exposureSlider")->isEnabled());
    });
}

TEST_F(PagesTest, AnUnknownSliderIsReported) {
    openAndInit("K2M");
    QString shown;
    QTimer boxes;
    boxes.setInterval(10);
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + ": " + box->text();
            box->close();
        }
    });
    boxes.start();
    withControlPage([&](QDialog* page) {
        QSlider stranger;
        QMetaObject::invokeMethod(page, "sliderChanged", Q_ARG(QObject*, &stranger), Q_ARG(int, 5));
    });
    EXPECT_EQ(shown, "Error: Slider handle is invalid!");
}

// A Qt host's other thread: the page is made on the application's thread.
TEST_F(PagesTest, APageAskedFromAnotherThreadOpensOnTheGuiThread) {
    openAndInit("K2M");
    std::atomic<uint32_t> status{0};
    std::atomic<bool> done{false};
    std::thread caller([&] {
        status = TQ_ShowRWPage(device_);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    caller.join();
    EXPECT_EQ(status.load(), TQ_SUCCESS);
    QDialog* page = registerPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->thread(), QCoreApplication::instance()->thread());
    page->hide();
}

TEST_F(PagesTest, ClosedDeviceHasNoPage) {
    useModel("K2M");
    EXPECT_EQ(TQ_ShowSnapshotPage(device_), TQ_E_DEVICE_NOT_OPEN);
    EXPECT_EQ(TQ_ShowRWPage(device_), TQ_E_DEVICE_NOT_OPEN);
}

}  // namespace
}  // namespace ostrel::testing

// The camera control in process: live video from the simulated camera, the
// image callbacks of ten controls side by side, the device dialog, and the
// message box of every method's failure.
//
// This program has no network adapter (no_adapters.c takes the place of
// libpcap's list), so the simulated camera is device 0.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <cstdlib>
#include <set>
#include <vector>

#include "cameractl/control_messages.h"
#include "cameractl/dispatch_table.h"
#include "cameractl/frame_routing.h"
#include "cameractl/ostrel_ctl.h"
#include "cameractl/select_device_dialog.h"

namespace ostrelctl {
namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "cameractl_control_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

  private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setMessageSink([this](const ControlMessage& m) { messages_.push_back(m); });
    }
    void TearDown() override {
        setMessageSink(nullptr);
        OstrelCtl::setDeviceChooser(nullptr);
        unsetenv("OSTREL_SIMULATED_CAMERA");
    }

    std::vector<ControlMessage> messages_;
};

TEST_F(ControlTest, ShowsLiveVideoOfTheSimulatedCamera) {
    setenv("OSTREL_SIMULATED_CAMERA", "K6C", 1);
    OstrelCtl control;
    control.resize(640, 480);
    control.show();
    ASSERT_EQ(control.TQGetDevice(0), kSuccess);
    EXPECT_EQ(control.runState(), kRunning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return control.imagesShown() >= 3; }, 15000));
    // A colour camera: 24-bit pixels, the whole image reachable by scrolling.
    EXPECT_EQ(control.imageSize(), QSize(2592, 1944));
    EXPECT_EQ(control.shownImage().format(), QImage::Format_BGR888);
    EXPECT_EQ(control.horizontalScrollBar()->maximum(), 2592 - control.viewport()->width());
    EXPECT_EQ(control.verticalScrollBar()->maximum(), 1944 - control.viewport()->height());

    // With the no-display flag the callback draws nothing.
    ASSERT_EQ(control.TQSetNoDispInCallback(true), kSuccess);
    QTest::qWait(200);
    const uint64_t before = control.imagesShown();
    QTest::qWait(800);
    EXPECT_EQ(control.imagesShown(), before);
    ASSERT_EQ(control.TQSetNoDispInCallback(false), kSuccess);
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.imagesShown() > before; }, 5000));

    EXPECT_EQ(control.TQStopCapture(), kSuccess);
    EXPECT_EQ(control.TQCloseDevice(), kSuccess);
    EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();
}

TEST_F(ControlTest, TenControlsEachShowTheirOwnIndex) {
    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    std::vector<OstrelCtl*> controls;
    for (int i = 0; i < kMaxControls; ++i) {
        controls.push_back(new OstrelCtl);
        layout->addWidget(controls.back());
        serveIndex(i, controls.back());
    }
    row.show();
    // Images differ per index: size, and mono (top-down) or colour (bottom-up).
    std::vector<std::vector<unsigned char>> pixels(kMaxControls);
    for (int i = 0; i < kMaxControls; ++i) {
        const int w = 8 + i;
        const int h = 4;
        const int bpp = i % 2 == 0 ? 1 : 3;
        auto& p = pixels[static_cast<size_t>(i)];
        p.assign(static_cast<size_t>(w * h * bpp), 0);
        if (bpp == 1) {
            // Row 0 is the top row: grey 10 * (i + 1).
            std::fill(p.begin(), p.begin() + w, static_cast<unsigned char>(10 * (i + 1)));
        } else {
            // The last stored row is the top row: pure red (blue, green, red order).
            for (int x = 0; x < w; ++x) {
                p[static_cast<size_t>(((h - 1) * w + x) * 3 + 2)] = 255;
            }
        }
        TQ_FrameInfo info{p.data(), static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                          static_cast<uint32_t>(bpp), static_cast<uint32_t>(i)};
        frameCallback(i)(&info);
        // Null records (the camera stopped in mid-image) draw nothing.
        TQ_FrameInfo empty{nullptr, 64, 64, 1, static_cast<uint32_t>(i)};
        frameCallback(i)(&empty);
        frameCallback(i)(nullptr);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(controls.begin(), controls.end(),
                               [](OstrelCtl* c) { return c->imagesShown() >= 1; });
        },
        5000));
    for (int i = 0; i < kMaxControls; ++i) {
        const QImage image = controls[static_cast<size_t>(i)]->shownImage();
        EXPECT_EQ(controls[static_cast<size_t>(i)]->imagesShown(), 1u) << i;
        ASSERT_EQ(image.size(), QSize(8 + i, 4)) << i;
        if (i % 2 == 0) {
            EXPECT_EQ(image.format(), QImage::Format_Indexed8);
            EXPECT_EQ(image.colorCount(), 256);
            EXPECT_EQ(image.color(77), qRgb(77, 77, 77));
            EXPECT_EQ(image.pixel(0, 0), qRgb(10 * (i + 1), 10 * (i + 1), 10 * (i + 1)));
            EXPECT_EQ(image.pixel(0, 3), qRgb(0, 0, 0));
        } else {
            EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << i;
            EXPECT_EQ(image.pixel(0, 3), qRgb(0, 0, 0)) << i;
        }
    }
    // A control that is gone gets nothing more.
    delete controls[4];
    unsigned char grey[16] = {};
    TQ_FrameInfo late{grey, 4, 4, 1, 4};
    frameCallback(4)(&late);
    QCoreApplication::processEvents();
}

TEST_F(ControlTest, EmptyDeviceListRefusesOk) {
    SelectDeviceDialog dialog({}, -1);
    dialog.show();
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "Camera is disconnected!");
    EXPECT_EQ(messages_[0].caption, "Error!");
    EXPECT_EQ(messages_[0].icon, BoxIcon::None);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(ControlTest, OkOnTheOnlyCameraOpensItWithoutMessage) {
    setenv("OSTREL_SIMULATED_CAMERA", "K2M", 1);
    OstrelCtl::setDeviceChooser([](SelectDeviceDialog& dialog) {
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), "Select Device");
        ASSERT_EQ(dialog.list()->count(), 1);
        EXPECT_TRUE(dialog.list()->item(0)->text().startsWith("Simulated camera K2M"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    OstrelCtl control;
    EXPECT_EQ(control.TQOpenDevList(), kSuccess);
    EXPECT_EQ(control.deviceIndex(), 0);
    EXPECT_EQ(control.runState(), kRunning);
    EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();
    EXPECT_EQ(control.TQCloseDevice(), kSuccess);
}

// Every failure box of the table: caption "Error", no icon for the texts of
// ids 30 to 40 and 51, the error icon for all others.
TEST_F(ControlTest, EveryFailureShowsTheBoxStyleOfItsMethod) {
    OstrelCtl::setDeviceChooser([](SelectDeviceDialog& dialog) { dialog.reject(); });
    std::set<int> boxed;
    for (const Method& m : dispatchTable()) {
        messages_.clear();
        OstrelCtl control;  // no device chosen: the driver refuses the calls
        std::vector<Argument> args;
        for (const ArgSpec& a : inArguments(m)) {
            Argument arg;
            arg.present = true;
            arg.values.assign(static_cast<size_t>(a.count), 0);
            arg.text = "x.bmp";
            args.push_back(arg);
        }
        invoke(control, m, args);
        const bool iconless = (m.id >= 30 && m.id <= 40) || m.id == 51;
        for (const ControlMessage& box : messages_) {
            if (m.id == -552) {
                EXPECT_EQ(box.icon, BoxIcon::About);
                continue;
            }
            boxed.insert(m.id);
            EXPECT_EQ(box.caption, "Error") << m.name;
            EXPECT_EQ(box.icon, iconless ? BoxIcon::None : BoxIcon::Error) << m.name;
        }
    }
    // Every call the driver refuses shows its box; the others refused without
    // one (-7, -26, -1; TQAllocation 0 0) or cannot fail (the settings file, the three Get...Info).
    for (int id :
         {1,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 19, 20, 21, 25, 26,
          27, 31, 32, 33, 35, 36, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 51, 54}) {
        EXPECT_TRUE(boxed.count(id) == 1) << "no box for id " << id;
    }
}

TEST(DispatchTable, EveryMethodByIdAndByName) {
    std::set<int> ids;
    for (const Method& m : dispatchTable()) {
        EXPECT_TRUE(ids.insert(m.id).second) << m.id;
        EXPECT_EQ(findMethod(m.id), &m);
        EXPECT_EQ(findMethod(m.name), &m);
    }
    EXPECT_EQ(ids.size(), 54u);
    EXPECT_EQ(findMethod(53), nullptr);
    EXPECT_EQ(findMethod(-552)->name, std::string("AboutBox"));
}

}  // namespace
}  // namespace ostrelctl

// The host's window.
#include "cameractl/host_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "cameractl/ostrel_ctl.h"

namespace ostrelctl {

namespace {

constexpr int kStatusIntervalMs = 1000;

}  // namespace

HostWindow::HostWindow() {
    setWindowTitle("OstrelCtl Host");
    control_ = new OstrelCtl;
    setCentralWidget(control_);
    auto* tools = addToolBar("Camera");
    tools->setObjectName("cameraTools");
    tools->setMovable(false);
    tools->addAction("Select Device...", this, [this] { control_->TQOpenDevList(); });
    tools->addAction("Start", this, [this] { control_->TQStartCapture(); });
    tools->addAction("Stop", this, [this] { control_->TQStopCapture(); });
    tools->addAction("Control && Snapshot...", this, [this] { control_->TQShowSnapshotPage(); });
    tools->addAction("About", this, [this] { control_->AboutBox(); });
    status_ = new QLabel;
    statusBar()->addWidget(status_);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { showFrameRate(); });
    timer->start(kStatusIntervalMs);
    showFrameRate();
    resize(820, 660);
}

void HostWindow::showFrameRate() {
    static const char* const kStates[] = {"", "stopped", "running", "suspended"};
    const int state = control_->runState();
    QString text = QString("Device %1, %2").arg(control_->deviceIndex()).arg(kStates[state]);
    if (state != kStopped) {
        // Read straight from the driver: the control's method would show a
        // box when it fails.
        double rate = 0.0;
        if (TQ_GetFrameRate(&rate, control_->deviceIndex()) == TQ_SUCCESS) {
            text += QString(", %1 frames/s").arg(rate, 0, 'f', 1);
        }
    }
    const QSize image = control_->imageSize();
    if (!image.isEmpty()) {
        text += QString(", image %1 x %2").arg(image.width()).arg(image.height());
    }
    status_->setText(text);
}

}  // namespace ostrelctl

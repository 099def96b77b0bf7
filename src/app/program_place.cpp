// The program list, the main picture and the camera view's place.
#include "app/program_place.h"

#include <QLabel>

#include "platform/program_directory.h"
#include "program/screens/program_list_view.h"

namespace corvane::app {

QPixmap loadMainPicture() {
    for (const char* name : {"main.jpg", "main.bmp", "main.gif", "main.png"}) {
        QPixmap picture;
        if (picture.load(QString::fromStdString(platform::programFile(name).string())))
            return picture;
    }
    return {};
}

ProgramPlace::ProgramPlace(ProgramList& program, QWidget* parent)
    : QStackedWidget(parent), picture_(loadMainPicture()) {
    list_ = new screens::ProgramListView(program);
    list_->setObjectName(QStringLiteral("programList"));
    pictureLabel_ = new QLabel;
    pictureLabel_->setObjectName(QStringLiteral("mainPicture"));
    pictureLabel_->setAlignment(Qt::AlignCenter);
    pictureLabel_->setMinimumSize(1, 1);
    camera_ = new QWidget;
    camera_->setObjectName(QStringLiteral("cameraViewPlace"));
    addWidget(list_);
    addWidget(pictureLabel_);
    addWidget(camera_);
    setMinimumSize(320, 200);
}

void ProgramPlace::showProgramOrPicture(bool programLoaded) {
    if (!programLoaded && hasPicture()) {
        scalePicture();
        setCurrentWidget(pictureLabel_);
    } else {
        setCurrentWidget(list_);
    }
}

void ProgramPlace::showCameraView() {
    setCurrentWidget(camera_);
}

void ProgramPlace::resizeEvent(QResizeEvent* event) {
    QStackedWidget::resizeEvent(event);
    scalePicture();
}

void ProgramPlace::scalePicture() {
    if (picture_.isNull())
        return;
    pictureLabel_->setPixmap(
        picture_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace corvane::app

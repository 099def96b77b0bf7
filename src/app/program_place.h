// The place of the main window that shows the program list, the main
// picture or the camera view, one at a time.
#pragma once

#include <QPixmap>
#include <QStackedWidget>

class QLabel;

namespace corvane {
class ProgramList;
}

namespace corvane::screens {
class ProgramListView;
}

namespace corvane::app {

class ProgramPlace : public QStackedWidget {
    Q_OBJECT

  public:
    explicit ProgramPlace(ProgramList& program, QWidget* parent = nullptr);

    screens::ProgramListView& list() const { return *list_; }
    // The place the camera view takes (its own widget goes in there).
    QWidget& cameraViewPlace() const { return *camera_; }
    bool hasPicture() const { return !picture_.isNull(); }

    // The list while there is a program; the main picture, where there is
    // one, while there is none.
    void showProgramOrPicture(bool programLoaded);
    void showCameraView();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void scalePicture();

    screens::ProgramListView* list_;
    QLabel* pictureLabel_;
    QWidget* camera_;
    QPixmap picture_;
};

// The main picture of the program directory: "main.jpg", else "main.bmp",
// "main.gif", "main.png"; the first that loads (a null pixmap when none does).
QPixmap loadMainPicture();

}  // namespace corvane::app

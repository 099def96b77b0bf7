// The "Control & Snapshot" page: the camera's image, black level, gain,
// exposure, snapshot and trigger settings, live.
//
// Every control drives one export as soon as the operator changes it; the
// page shows what the driver holds whenever it opens and after a change the
// driver refused.
#pragma once

#include <QDialog>

#include "camera/pages_module.h"
#include "camera/screens/bilingual.h"
#include "camera/screens/page_profile.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace ostrel::pages {

class ControlPage : public QDialog {
    Q_OBJECT

  public:
    ControlPage(const PageDriver& driver, int device);

    const PageProfile& profile() const { return profile_; }
    // Shows what the driver holds now.
    void refresh();
    // What a moved slider does; a slider the page does not know is reported.
    Q_INVOKABLE void sliderChanged(QObject* slider, int value);
    // The exposure is timed by the camera's controller ("Snap 3" on a K6).
    bool controllerTimed() const { return controllerTimed_; }

  private:
    struct SliderField {
        QSlider* slider = nullptr;
        QLineEdit* field = nullptr;
    };

    QGroupBox* buildImageGroup();
    QGroupBox* buildBlackLevelGroup();
    QGroupBox* buildGainGroup();
    QGroupBox* buildExposureGroup();
    QGroupBox* buildSnapshotGroup();
    SliderField makeSliderField(const char* name);
    void fieldEdited(const SliderField& pair);
    void setRange(const SliderField& pair, int minimum, int maximum);
    void showValue(const SliderField& pair, int value);

    void applyResolution(int index);
    void applyBlackLevelMode();
    void applyBlackLevel(int value);
    void applyGain(QSlider* slider, int value);
    void applyExposureTime();
    void applyTriggerMode(int index);
    void applyTrigger();
    void applyIoMode();
    void restoreDefaults();
    void switchLanguage();
    // A refused change: the page goes back to what the driver holds.
    void check(uint32_t status);
    int intField(const QLineEdit* field, int fallback) const;

    const PageDriver& driver_;
    const int device_;
    PageProfile profile_;
    Bilingual texts_;
    bool refreshing_ = false;
    bool controllerTimed_ = false;

    QComboBox* resolution_;
    QComboBox* mirror_;
    QCheckBox* colour_;
    QCheckBox* gamma_;
    QGroupBox* blackLevelGroup_;
    QRadioButton* blackAuto_;
    QRadioButton* blackManual_;
    QRadioButton* blackDisable_;
    SliderField blackLevel_;
    SliderField gainGlobal_;
    SliderField gainGreen_;
    SliderField gainRed_;
    SliderField gainBlue_;
    SliderField exposure_;
    QLineEdit* exposureTime_;
    QLineEdit* debounce_;
    QLineEdit* frameRate_;
    QLineEdit* imageCount_;
    QComboBox* ioIn_;
    QComboBox* ioOut_;
    QComboBox* triggerMode_;
};

}  // namespace ostrel::pages

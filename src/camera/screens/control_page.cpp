// The control and snapshot page.
#include "camera/screens/control_page.h"

#include "camera/wire_format.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace ostrel::pages {

namespace {

constexpr int kFieldWidth = 80;
constexpr int kSliderWidth = 180;

QLineEdit* numberField(const char* name, int minimum = -2147483647) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setValidator(new QIntValidator(minimum, 2147483647, field));
    field->setMinimumWidth(kFieldWidth);
    field->setMaximumWidth(kFieldWidth + 20);
    return field;
}

QComboBox* list(const char* name, const QStringList& entries) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->addItems(entries);
    return box;
}

}  // namespace

ControlPage::ControlPage(const PageDriver& driver, int device) : driver_(driver), device_(device) {
    setObjectName("controlPage");
    setWindowTitle(QString("Control & Snapshot for Device %1").arg(device));
    int maxWidth = 0;
    int maxHeight = 0;
    driver_.getMaxResolution(&maxWidth, &maxHeight, device_);
    profile_ = profileFor(driver_.modelCode(device_), maxWidth, maxHeight);

    auto* left = new QVBoxLayout;
    left->addWidget(buildImageGroup());
    left->addWidget(buildBlackLevelGroup());
    left->addWidget(buildGainGroup());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildExposureGroup());
    right->addWidget(buildSnapshotGroup());
    right->addStretch();

    auto* defaults = new QPushButton;
    defaults->setObjectName("defaultButton");
    auto* save = new QPushButton;
    save->setObjectName("saveButton");
    auto* language = new QPushButton(QString::fromUtf8(kLanguageButton));
    language->setObjectName("languageButton");
    auto* exit = new QPushButton;
    exit->setObjectName("exitButton");
    texts_.add(defaults, {"Default", "默认值"});
    texts_.add(save, {"Save Param", "保存参数"});
    texts_.add(exit, {"Exit", "退出"});
    defaults->setEnabled(profile_.defaults);
    connect(defaults, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    connect(save, &QPushButton::clicked, this, [this] { driver_.saveParaToIniFile(device_); });
    connect(language, &QPushButton::clicked, this, [this] { switchLanguage(); });
    connect(exit, &QPushButton::clicked, this, [this] { accept(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addWidget(save);
    buttons->addWidget(language);
    buttons->addStretch();
    buttons->addWidget(exit);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addLayout(buttons);
    refresh();
}

ControlPage::SliderField ControlPage::makeSliderField(const char* name) {
    SliderField pair;
    pair.slider = new QSlider(Qt::Horizontal);
    pair.slider->setObjectName(QString(name) + "Slider");
    pair.slider->setMinimumWidth(kSliderWidth);
    pair.field = numberField((QString(name) + "Field").toLatin1().constData());
    // One handler for every slider, told apart by who sent the change.
    connect(pair.slider, &QSlider::valueChanged, this,
            [this](int value) { sliderChanged(sender(), value); });
    connect(pair.field, &QLineEdit::editingFinished, this, [this, pair] { fieldEdited(pair); });
    return pair;
}

QGroupBox* ControlPage::buildImageGroup() {
    auto* group = new QGroupBox;
    texts_.add(group, {"Image Control", "图像控制"});
    resolution_ = list("resolutionList", profile_.resolutions);
    mirror_ = list("mirrorList", {"Normal", "V Mirror", "H Mirror", "H+V Mirror"});
    colour_ = new QCheckBox;
    colour_->setObjectName("colorCheck");
    colour_->setEnabled(profile_.colour);
    gamma_ = new QCheckBox;
    gamma_->setObjectName("gammaCheck");
    gamma_->setEnabled(profile_.gamma);
    texts_.add(colour_, {"Color", "彩色"});
    texts_.add(gamma_, {"Gamma", "伽马校正"});
    auto* resolutionLabel = new QLabel;
    auto* mirrorLabel = new QLabel;
    texts_.add(resolutionLabel, {"Resolution", "分辨率"});
    texts_.add(mirrorLabel, {"Mirror", "镜像"});

    auto* grid = new QGridLayout(group);
    grid->addWidget(resolutionLabel, 0, 0);
    grid->addWidget(resolution_, 0, 1);
    grid->addWidget(colour_, 0, 2);
    grid->addWidget(mirrorLabel, 1, 0);
    grid->addWidget(mirror_, 1, 1);
    grid->addWidget(gamma_, 1, 2);

    connect(resolution_, &QComboBox::activated, this, [this](int i) { applyResolution(i); });
    connect(mirror_, &QComboBox::activated, this,
            [this](int i) { check(driver_.setImageMirror(i, device_)); });
    connect(colour_, &QCheckBox::clicked, this,
            [this](bool on) { check(driver_.setImageColorStat(on ? 1 : 0, device_)); });
    connect(gamma_, &QCheckBox::clicked, this,
            [this](bool on) { check(driver_.setImageGammaStat(on ? 1 : 0, device_)); });
    return group;
}

QGroupBox* ControlPage::buildBlackLevelGroup() {
    blackLevelGroup_ = new QGroupBox;
    texts_.add(blackLevelGroup_, {"Black Level Control", "黑电平控制"});
    blackAuto_ = new QRadioButton;
    blackAuto_->setObjectName("blackLevelAuto");
    blackManual_ = new QRadioButton;
    blackManual_->setObjectName("blackLevelManual");
    blackDisable_ = new QRadioButton;
    blackDisable_->setObjectName("blackLevelDisable");
    texts_.add(blackAuto_, {"Auto", "自动"});
    texts_.add(blackManual_, {"Manual", "手动"});
    texts_.add(blackDisable_, {"Disable", "禁用"});
    blackLevel_ = makeSliderField("blackLevel");

    auto* grid = new QGridLayout(blackLevelGroup_);
    auto* modes = new QHBoxLayout;
    modes->addWidget(blackAuto_);
    modes->addWidget(blackManual_);
    modes->addWidget(blackDisable_);
    modes->addStretch();
    grid->addLayout(modes, 0, 0, 1, 2);
    grid->addWidget(blackLevel_.slider, 1, 0);
    grid->addWidget(blackLevel_.field, 1, 1);
    for (QRadioButton* b : {blackAuto_, blackManual_, blackDisable_}) {
        connect(b, &QRadioButton::clicked, this, [this] { applyBlackLevelMode(); });
    }
    blackLevelGroup_->setEnabled(profile_.blackLevel);
    return blackLevelGroup_;
}

QGroupBox* ControlPage::buildGainGroup() {
    auto* group = new QGroupBox;
    texts_.add(group, {"Gain Control", "增益控制"});
    gainGlobal_ = makeSliderField("gainGlobal");
    gainGreen_ = makeSliderField("gainGreen");
    gainRed_ = makeSliderField("gainRed");
    gainBlue_ = makeSliderField("gainBlue");
    auto* grid = new QGridLayout(group);
    const std::array<std::pair<SliderField*, Wording>, 4> rows = {{
        {&gainGlobal_, {"Global", "全局"}},
        {&gainGreen_, {"G", "绿"}},
        {&gainRed_, {"R", "红"}},
        {&gainBlue_, {"B", "蓝"}},
    }};
    int row = 0;
    for (const auto& [pair, wording] : rows) {
        auto* label = new QLabel;
        texts_.add(label, wording);
        grid->addWidget(label, row, 0);
        grid->addWidget(pair->slider, row, 1);
        grid->addWidget(pair->field, row, 2);
        if (pair != &gainGlobal_) {
            pair->slider->setEnabled(profile_.colourGains);
            pair->field->setEnabled(profile_.colourGains);
        }
        ++row;
    }
    return group;
}

QGroupBox* ControlPage::buildExposureGroup() {
    auto* group = new QGroupBox;
    texts_.add(group, {"Exposure", "曝光"});
    exposure_ = makeSliderField("exposure");
    exposureTime_ = numberField("exposureTimeField", 0);
    auto* rowsLabel = new QLabel;
    auto* timeLabel = new QLabel;
    texts_.add(rowsLabel, {"Rows", "行数"});
    texts_.add(timeLabel, {"Exposure Time(us)", "曝光时间(微秒)"});
    auto* grid = new QGridLayout(group);
    grid->addWidget(rowsLabel, 0, 0);
    grid->addWidget(exposure_.slider, 0, 1);
    grid->addWidget(exposure_.field, 0, 2);
    grid->addWidget(timeLabel, 1, 0, 1, 2);
    grid->addWidget(exposureTime_, 1, 2);
    connect(exposureTime_, &QLineEdit::editingFinished, this, [this] { applyExposureTime(); });
    return group;
}

QGroupBox* ControlPage::buildSnapshotGroup() {
    auto* group = new QGroupBox;
    texts_.add(group, {"Snapshot", "抓拍"});
    triggerMode_ = list("triggerModeList", {"Preview", "Snap 0", "Snap 1", "Snap 2", "Snap 3"});
    auto* swTrigger = new QPushButton;
    swTrigger->setObjectName("swTriggerButton");
    texts_.add(swTrigger, {"sw trigger", "软件触发"});
    debounce_ = numberField("debounceField", 0);
    frameRate_ = numberField("frameRateField", 0);
    imageCount_ = numberField("imageCountField", 0);
    auto* set = new QPushButton;
    set->setObjectName("triggerSetButton");
    texts_.add(set, {"Set", "设置"});
    ioIn_ = list("ioInList", {"0 falling edge", "1 rising edge", "2 low level", "3 high level"});
    ioOut_ = list("ioOutList", {"0 low level", "1 high level"});

    auto* form = new QFormLayout(group);
    const auto addRow = [this, form](Wording wording, QWidget* field) {
        auto* label = new QLabel;
        texts_.add(label, wording);
        form->addRow(label, field);
    };
    auto* triggerRow = new QWidget;
    auto* triggerLayout = new QHBoxLayout(triggerRow);
    triggerLayout->setContentsMargins(0, 0, 0, 0);
    triggerLayout->addWidget(triggerMode_);
    triggerLayout->addWidget(swTrigger);
    addRow({"Trigger Mode", "触发模式"}, triggerRow);
    addRow({"Debouncer Time (t1)", "去抖时间 (t1)"}, debounce_);
    auto* rateRow = new QWidget;
    auto* rateLayout = new QHBoxLayout(rateRow);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    rateLayout->addWidget(frameRate_);
    rateLayout->addStretch();
    addRow({"Frame/Sec.", "帧/秒"}, rateRow);
    auto* countRow = new QWidget;
    auto* countLayout = new QHBoxLayout(countRow);
    countLayout->setContentsMargins(0, 0, 0, 0);
    countLayout->addWidget(imageCount_);
    countLayout->addWidget(set);
    countLayout->addStretch();
    addRow({"Image Count(>=0)", "图像数量(>=0)"}, countRow);
    addRow({"IO In Mode", "输入模式"}, ioIn_);
    addRow({"IO Out Mode", "输出模式"}, ioOut_);

    connect(triggerMode_, &QComboBox::activated, this, [this](int i) { applyTriggerMode(i); });
    connect(swTrigger, &QPushButton::clicked, this,
            [this] { check(driver_.snapSWTrigger(device_)); });
    connect(debounce_, &QLineEdit::editingFinished, this,
            [this] { check(driver_.setSnapDebounceTime(intField(debounce_, 0), device_)); });
    connect(set, &QPushButton::clicked, this, [this] { applyTrigger(); });
    connect(ioIn_, &QComboBox::activated, this, [this] { applyIoMode(); });
    connect(ioOut_, &QComboBox::activated, this, [this] { applyIoMode(); });
    return group;
}

void ControlPage::setRange(const SliderField& pair, int minimum, int maximum) {
    pair.slider->setRange(minimum, std::max(minimum, maximum));
}

void ControlPage::showValue(const SliderField& pair, int value) {
    pair.slider->setValue(value);
    pair.field->setText(QString::number(pair.slider->value()));
}

int ControlPage::intField(const QLineEdit* field, int fallback) const {
    bool ok = false;
    const int v = field->text().toInt(&ok);
    return ok ? v : fallback;
}

void ControlPage::refresh() {
    refreshing_ = true;
    TQ_Resolution size{};
    if (driver_.getResolution(&size, device_) == TQ_SUCCESS) {
        int found = -1;
        for (int i = 0; i < resolution_->count() && found < 0; ++i) {
            int w = 0;
            int h = 0;
            if (parseResolution(resolution_->itemText(i), &w, &h) && w == size.width) {
                found = i;
            }
        }
        resolution_->setCurrentIndex(found);
    }
    int value = 0;
    if (driver_.getImageMirror(&value, device_) == TQ_SUCCESS) {
        mirror_->setCurrentIndex(std::clamp(value, 0, 3));
    }
    if (driver_.getImageColorStat(&value, device_) == TQ_SUCCESS) {
        colour_->setChecked(value != 0);
    }
    if (driver_.getImageGammaStat(&value, device_) == TQ_SUCCESS) {
        gamma_->setChecked(value != 0);
    }

    TQ_BlackLevelInfo black{};
    if (driver_.getBlackLevelInfo(&black, device_) == TQ_SUCCESS) {
        setRange(blackLevel_, black.rangeMinimum, black.rangeMaximum);
        showValue(blackLevel_, black.values[1]);
        blackDisable_->setChecked(black.enable == 0);
        blackAuto_->setChecked(black.enable != 0 && black.autoMode != 0);
        blackManual_->setChecked(black.enable != 0 && black.autoMode == 0);
    }
    const bool manual = blackManual_->isChecked();
    blackLevel_.slider->setEnabled(manual);
    blackLevel_.field->setEnabled(manual);

    TQ_GainInfo gain{};
    if (driver_.getGainInfo(&gain, device_) == TQ_SUCCESS) {
        for (const SliderField* pair : {&gainGlobal_, &gainGreen_, &gainRed_, &gainBlue_}) {
            setRange(*pair, gain.rangeMinimum, gain.rangeMaximum);
        }
        showValue(gainGlobal_, gain.values[0]);
        showValue(gainGreen_, gain.values[1]);
        showValue(gainRed_, gain.values[3]);
        showValue(gainBlue_, gain.values[4]);
    }

    TQ_ExposureInfo exposure{};
    if (driver_.getExposureInfo(&exposure, device_) == TQ_SUCCESS) {
        setRange(exposure_, exposure.rangeMinimum, exposure.rangeMaximum);
        showValue(exposure_, exposure.value);
    }

    TQ_SnapInfo snap{};
    if (driver_.getSnapInfo(&snap, device_) == TQ_SUCCESS) {
        triggerMode_->setCurrentIndex(snap.preview != 0 ? 0 : std::clamp(snap.snapKind, 0, 3) + 1);
        exposureTime_->setText(QString::number(snap.exposureTime));
        debounce_->setText(QString::number(snap.debounceTime));
        frameRate_->setText(QString::number(snap.triggerFrequency));
        imageCount_->setText(QString::number(snap.triggerImageCount));
        ioIn_->setCurrentIndex(std::clamp(snap.inputMode, 0, 3));
        ioOut_->setCurrentIndex(std::clamp(snap.outputMode, 0, 1));
    }
    controllerTimed_ = profile_.controllerTimedSnap3 && triggerMode_->currentIndex() == 4;
    exposure_.slider->setEnabled(!controllerTimed_);
    refreshing_ = false;
}

void ControlPage::check(uint32_t status) {
    if (status != TQ_SUCCESS) {
        refresh();
    }
}

void ControlPage::sliderChanged(QObject* slider, int value) {
    if (refreshing_) {
        return;
    }
    if (slider == blackLevel_.slider) {
        blackLevel_.field->setText(QString::number(value));
        applyBlackLevel(value);
    } else if (slider == gainGlobal_.slider || slider == gainGreen_.slider ||
               slider == gainRed_.slider || slider == gainBlue_.slider) {
        applyGain(static_cast<QSlider*>(slider), value);
    } else if (slider == exposure_.slider) {
        exposure_.field->setText(QString::number(value));
        check(driver_.setExposureValue(value, device_));
    } else {
        QMessageBox box(QMessageBox::Critical, "Error", "Slider handle is invalid!",
                        QMessageBox::Ok, this);
        box.exec();
    }
}

void ControlPage::fieldEdited(const SliderField& pair) {
    const int value = std::clamp(intField(pair.field, pair.slider->value()), pair.slider->minimum(),
                                 pair.slider->maximum());
    pair.field->setText(QString::number(value));
    if (value != pair.slider->value()) {
        pair.slider->setValue(value);  // drives the export through the slider
    }
}

void ControlPage::applyResolution(int index) {
    int w = 0;
    int h = 0;
    if (!parseResolution(resolution_->itemText(index), &w, &h)) {
        return;
    }
    driver_.setResolution(w, h, device_);
    // The trigger frequency range and the exposure range follow the size.
    refresh();
}

void ControlPage::applyBlackLevelMode() {
    uint32_t status = TQ_SUCCESS;
    if (blackDisable_->isChecked()) {
        status = driver_.setBlackLevelEnable(0, device_);
    } else {
        status = driver_.setBlackLevelEnable(1, device_) |
                 driver_.setBlackLevelAuto(blackAuto_->isChecked() ? 1 : 0, device_);
    }
    (void)status;
    refresh();
}

void ControlPage::applyBlackLevel(int value) {
    TQ_BlackLevelInfo black{};
    if (driver_.getBlackLevelInfo(&black, device_) != TQ_SUCCESS) {
        return;
    }
    // One slider for the four colour offsets; the calibration value stays.
    int values[5] = {black.values[0], value, value, value, value};
    check(driver_.setBlackLevelValue(values, device_));
}

void ControlPage::applyGain(QSlider* slider, int value) {
    // The five gains as the page shows them: G stands for both greens.
    for (const SliderField* pair : {&gainGlobal_, &gainGreen_, &gainRed_, &gainBlue_}) {
        if (pair->slider == slider) {
            pair->field->setText(QString::number(value));
        }
    }
    const int green = gainGreen_.slider->value();
    const int values[5] = {gainGlobal_.slider->value(), green, green, gainRed_.slider->value(),
                           gainBlue_.slider->value()};
    check(driver_.setGainValue(values, device_));
}

void ControlPage::applyExposureTime() {
    const int rows = exposure_.slider->value();
    int time = intField(exposureTime_, 0);
    if (controllerTimed_) {
        // The controller opens the shutter for the time and the rows itself.
        driver_.writeController(wire::kTriggerExposureTimeRegister, static_cast<uint32_t>(time),
                                device_);
        driver_.writeController(wire::kTriggerExposureRowsRegister,
                                static_cast<uint32_t>(intField(exposure_.field, rows)), device_);
        return;
    }
    TQ_Range range{};
    if (driver_.getSnapExpTimeRange(&range, device_) == TQ_SUCCESS) {
        time = std::clamp(time, range.minimum, std::max(range.minimum, range.maximum));
    }
    exposureTime_->setText(QString::number(time));
    driver_.setSnapExpTime(time, device_);
    const double rowTime = driver_.rowTimeSeconds(device_);
    if (rowTime <= 0) {
        return;
    }
    const double wanted = std::floor(time * 1e-6 / rowTime);
    const int asRows = static_cast<int>(
        std::clamp<double>(wanted, exposure_.slider->minimum(), exposure_.slider->maximum()));
    refreshing_ = true;
    showValue(exposure_, asRows);
    refreshing_ = false;
    check(driver_.setExposureValue(asRows, device_));
}

void ControlPage::applyTriggerMode(int index) {
    const uint32_t status = index == 0 ? driver_.setPreviewSnapMode(1, 0, device_)
                                       : driver_.setPreviewSnapMode(0, index - 1, device_);
    check(status);
    controllerTimed_ = profile_.controllerTimedSnap3 && triggerMode_->currentIndex() == 4;
    exposure_.slider->setEnabled(!controllerTimed_);
}

void ControlPage::applyTrigger() {
    check(driver_.setSnapTrigFreqImgCount(intField(frameRate_, 1), intField(imageCount_, 0),
                                          device_));
    // The driver clamps the frequency into the camera's range.
    refresh();
}

void ControlPage::applyIoMode() {
    check(driver_.setSnapIOMode(ioIn_->currentIndex(), ioOut_->currentIndex(), device_));
}

void ControlPage::restoreDefaults() {
    driver_.restoreDefaults(device_);
    refresh();
}

void ControlPage::switchLanguage() {
    texts_.toggle();
    adjustSize();
}

}  // namespace ostrel::pages

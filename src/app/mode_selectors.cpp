// The mode selectors.
#include "app/mode_selectors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/screens/screen_text.h"
#include "production/production_settings.h"

namespace corvane::app {

using screens::uiText;

namespace {

struct Text {
    const char* english;
    const char* chinese;
};

struct Description {
    Text caption;
    int minimum;
    int maximum;
    int tick;
    std::array<Text, 3> names;  // the ends and the middle; empty where there is none
    bool showsValue;
};

// Captions of the groups and their positions, by selector.
constexpr std::array<Description, kSelectorCount> kDescriptions{{
    {{"Mode Of Production", "生产模式"},
     0,
     2,
     1,
     {{{"Circle", "循环"}, {"Full-Step", "单件"}, {"One-Step", "单步"}}},
     false},
    {{"Check Of Plug-in", "插件检测"},
     0,
     1,
     1,
     {{{"Check", "检测"}, {nullptr, nullptr}, {"Uncheck", "不检测"}}},
     false},
    {{"Check Mark-point", "MARK点检测"},
     0,
     1,
     1,
     {{{"Check", "检测"}, {nullptr, nullptr}, {"Uncheck", "不检测"}}},
     false},
    {{"Work desk Speed(Manual)", "工作台手动速度"},
     1,
     100,
     10,
     {{{nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}}},
     true},
    {{"Mode Of Plug-in", "插件模式"},
     0,
     2,
     1,
     {{{"Normal", "正常"}, {"Sequence", "顺序"}, {"Inversions", "逆序"}}},
     false},
    {{"Check Of Stations", "料站检测"},
     0,
     1,
     1,
     {{{"Check", "检测"}, {nullptr, nullptr}, {"Uncheck", "不检测"}}},
     false},
    {{"State of Chain", "链条状态"},
     0,
     1,
     1,
     {{{"Run", "运行"}, {nullptr, nullptr}, {"Not Run", "不运行"}}},
     false},
    {{"Producting Speed", "生产速度"},
     40,
     100,
     5,
     {{{"Slow speed", "低速"}, {"Medium  speed", "中速"}, {"High Speed", "高速"}}},
     true},
    {{"Mode Of Load", "进板模式"},
     0,
     2,
     1,
     {{{"Load", "进板"}, {"Not Load", "不进板"}, {"Just through pcb", "直接过板"}}},
     false},
}};

int valueOf(const ProductionSettings& s, Selector selector) {
    switch (selector) {
        case Selector::ProductionMode:
            return s.ProductionMode.load();
        case Selector::PlugInCheck:
            return s.PlugInCheck.load();
        case Selector::MarkCheck:
            return s.MarkCheck.load();
        case Selector::ManualDeskSpeed:
            return s.ManualDeskSpeed.load();
        case Selector::PlugInMode:
            return s.PlugInMode.load();
        case Selector::StationCheck:
            return s.StationCheck.load();
        case Selector::ChainState:
            return s.ChainState.load();
        case Selector::ProductionSpeed:
            return s.ProductionSpeed.load();
        case Selector::LoadMode:
            return s.LoadMode.load();
    }
    return 0;
}

const char* objectNameOf(Selector selector) {
    static constexpr std::array<const char*, kSelectorCount> kNames{
        "productionModeSelector",  "plugInCheckSelector",     "markCheckSelector",
        "manualDeskSpeedSelector", "plugInModeSelector",      "stationCheckSelector",
        "chainStateSelector",      "productionSpeedSelector", "loadModeSelector"};
    return kNames[static_cast<size_t>(selector)];
}

}  // namespace

ModeSelectors::ModeSelectors(const ProductionSettings& settings, QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kSelectorCount; ++i) {
        const auto selector = static_cast<Selector>(i);
        build(selector, valueOf(settings, selector));
        // Two columns; the last selector spans both.
        if (i + 1 == kSelectorCount && kSelectorCount % 2 == 1)
            grid->addWidget(boxes_[i].group, i / 2, 0, 1, 2);
        else
            grid->addWidget(boxes_[i].group, i / 2, i % 2);
    }
    retranslate();
}

void ModeSelectors::build(Selector selector, int value) {
    const Description& d = kDescriptions[static_cast<size_t>(selector)];
    Box& box = boxes_[static_cast<size_t>(selector)];
    box.group = new QGroupBox;
    box.slider = new QSlider(Qt::Horizontal);
    box.slider->setObjectName(QString::fromLatin1(objectNameOf(selector)));
    box.slider->setRange(d.minimum, d.maximum);
    box.slider->setTickPosition(QSlider::TicksBelow);
    box.slider->setTickInterval(d.tick);
    box.slider->setPageStep(d.tick);
    box.slider->setValue(value);

    auto* names = new QHBoxLayout;
    names->setContentsMargins(0, 0, 0, 0);
    // Room between the names of the positions, so they never run together.
    names->setSpacing(box.group->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 3 / 2);
    for (size_t k = 0; k < d.names.size(); ++k) {
        if (d.names[k].english == nullptr)
            continue;
        auto* label = new QLabel;
        label->setAlignment(k == 0 ? Qt::AlignLeft : k == 1 ? Qt::AlignHCenter : Qt::AlignRight);
        box.names[k] = label;
        names->addWidget(label, 1);
    }
    auto* layout = new QVBoxLayout(box.group);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->addWidget(box.slider, 1);
    if (d.showsValue) {
        box.value = new QLabel;
        box.value->setObjectName(QString::fromLatin1(objectNameOf(selector)) +
                                 QStringLiteral("Value"));
        box.value->setProperty(screens::kValueProperty, true);
        box.value->setMinimumWidth(
            box.value->fontMetrics().horizontalAdvance(QStringLiteral("100")) + 4);
        box.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(box.value);
    }
    layout->addLayout(row);
    layout->addLayout(names);
    showValue(selector);
    connect(box.slider, &QSlider::valueChanged, this, [this, selector](int v) {
        showValue(selector);
        emit moved(selector, v);
    });
}

void ModeSelectors::showValue(Selector selector) {
    const Box& box = boxes_[static_cast<size_t>(selector)];
    if (box.value != nullptr)
        box.value->setText(QString::number(box.slider->value()));
}

void ModeSelectors::retranslate() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const Description& d = kDescriptions[i];
        Box& box = boxes_[i];
        box.group->setTitle(uiText(d.caption.english, d.caption.chinese));
        for (size_t k = 0; k < box.names.size(); ++k) {
            if (box.names[k] != nullptr)
                box.names[k]->setText(uiText(d.names[k].english, d.names[k].chinese));
        }
    }
    // The widest language sets the width, so a switch does not move the
    // window's layout.
    setMinimumWidth(std::max(minimumWidth(), sizeHint().width()));
}

QSlider* ModeSelectors::slider(Selector selector) const {
    return boxes_[static_cast<size_t>(selector)].slider;
}

void ModeSelectors::setChainSelectorEnabled(bool enabled) {
    boxes_[static_cast<size_t>(Selector::ChainState)].group->setEnabled(enabled);
}

}  // namespace corvane::app

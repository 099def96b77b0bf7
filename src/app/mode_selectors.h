// The mode selectors of the main window: one track bar per production
// setting, its position the setting's value, with the caption of the group
// and the names of its positions.
#pragma once

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QSlider;

namespace corvane {
struct ProductionSettings;
}

namespace corvane::app {

enum class Selector {
    ProductionMode,   // "Mode Of Production"
    PlugInCheck,      // "Check Of Plug-in"
    MarkCheck,        // "Check Mark-point"
    ManualDeskSpeed,  // "Work desk Speed(Manual)"
    PlugInMode,       // "Mode Of Plug-in"
    StationCheck,     // "Check Of Stations"
    ChainState,       // "State of Chain"
    ProductionSpeed,  // "Producting Speed"
    LoadMode,         // load, not load, just through
};
inline constexpr int kSelectorCount = 9;

class ModeSelectors : public QWidget {
    Q_OBJECT

  public:
    // The track bars start at the settings' values.
    explicit ModeSelectors(const ProductionSettings& settings, QWidget* parent = nullptr);
    void retranslate();

    QSlider* slider(Selector selector) const;
    // The chain state is not chosen while the machine runs.
    void setChainSelectorEnabled(bool enabled);

  signals:
    // The operator moved a track bar.
    void moved(corvane::app::Selector selector, int value);

  private:
    struct Box {
        QGroupBox* group = nullptr;
        QSlider* slider = nullptr;
        std::array<QLabel*, 3> names{};
        QLabel* value = nullptr;  // the position itself, where it is shown
    };

    void build(Selector selector, int value);
    void showValue(Selector selector);

    std::array<Box, kSelectorCount> boxes_{};
};

}  // namespace corvane::app

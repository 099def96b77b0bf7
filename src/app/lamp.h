// A round signal lamp: the tower lamps, the lead sensors' "Shear horn" lamps.
#pragma once

#include <QColor>
#include <QWidget>

namespace corvane::app {

class Lamp : public QWidget {
    Q_OBJECT

  public:
    explicit Lamp(QColor litColour, QWidget* parent = nullptr);

    void setLit(bool lit);
    bool isLit() const { return lit_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    bool lit_ = false;
};

}  // namespace corvane::app

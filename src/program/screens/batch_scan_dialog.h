// The scanning dialog of a material batch number: one entry field with the
// focus, where the scanner types the number, and OK.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::screens {

class BatchScanDialog : public QDialog {
    Q_OBJECT

  public:
    explicit BatchScanDialog(QWidget* parent = nullptr);
    void retranslate();

    // The line asking for a rescan, shown after a wrong scan.
    void setRescanLineShown(bool shown);
    bool rescanLineShown() const;
    // The text in the field: the scanned text once the dialog closed.
    QString text() const;
    void setText(const QString& text);

  private:
    QLabel* rescan_;
    QLabel* label_;
    QLineEdit* field_;
    QPushButton* ok_;
};

}  // namespace corvane::screens

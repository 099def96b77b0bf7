// "List of Stations": the 12 station rows of the program, replacing a
// station, entering batch numbers by scanning, and the material batch
// verification that the main window opens after a station or insertion
// fault and when Start finds a verification pending.
#pragma once

#include <QDialog>
#include <QPointer>
#include <string>
#include <vector>

#include "program/material_verification.h"
#include "program/station_list.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace corvane {
class ProgramList;
}

namespace corvane::screens {

class BatchScanDialog;

class StationListDialog : public QDialog {
    Q_OBJECT

  public:
    explicit StationListDialog(ProgramList& program, QWidget* parent = nullptr);
    void retranslate();

    // Rebuilds the rows from the program (done whenever the screen opens,
    // unless a verification is running).
    void refresh();

    // Verify stations: shows the screen with `message` in its status line
    // and, in the scanning mode, asks for the first listed station's batch
    // number until it matches or the third scan was wrong. Each result goes
    // out as verificationReported. Returns at once; the scanning dialog is
    // modal over the screen and the main window.
    void verifyStations(const std::string& message, const std::vector<int>& stations,
                        int mode = kVerifyByScanning);

    const StationTable& stations() const { return table_; }
    const StationVerification& verification() const { return verification_; }
    // The scanning dialog while one is open (null otherwise).
    BatchScanDialog* scanDialog() const { return scan_; }
    QTableWidget& rowTable() const { return *rows_; }
    // Whether the screen changed the program since it was made.
    bool programChanged() const { return edited_; }

  signals:
    // 1 = the scanned batch number matched, 0 = it did not.
    void verificationReported(bool verified);
    // A station was replaced, a height or a batch number entered: the main
    // window refreshes its program views and the chain feed plan.
    void programEdited();
    // The material-number verification switch changed (after the password):
    // the program list views add or drop the Batch number column.
    void materialVerificationSwitched(bool on);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    enum class ScanPurpose { EnterBatch, Verify };

    bool verificationOn() const;
    void fillRows();
    void showVerificationState();
    void replace();
    void rowChosen(int row);
    void heightEdited(QTableWidgetItem* item);
    void entrySubmitted();
    void switchToggled(bool on);
    void openScan(ScanPurpose purpose, int station);
    void scanFinished(ScanPurpose purpose, int station, const std::string& text);
    void markEdited();

    ProgramList& program_;
    StationTable table_;
    StationVerification verification_;
    QTableWidget* rows_;
    QLineEdit* from_;
    QLabel* replacedOf_;
    QLineEdit* to_;
    QLabel* station_;
    QPushButton* sure_;
    QLabel* entryLabel_;
    QLineEdit* entry_;
    QCheckBox* useBatch_;
    QLabel* status_;
    QPushButton* exit_;
    QPointer<BatchScanDialog> scan_;
    bool filling_ = false;
    bool edited_ = false;
};

}  // namespace corvane::screens

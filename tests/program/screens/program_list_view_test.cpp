// The main window's program list: the Station cell rule, the record
// highlight, the batch column, row colours and the headers' language.
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "program/program_rules.h"
#include "program/screens/program_list_view.h"
#include "program/screens/program_table_model.h"
#include "program_screens_support.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;
using program_screens_test::record;

namespace {

class ProgramListViewTest : public screen_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        setChainFeedPlanRebuild([this](const ProgramList&) { ++planRebuilds; });
        program.append(record(1, 3, "R1", ProgramCommand::Check));
        program.append(record(2, 4, "C7", ProgramCommand::Uncheck));
        program.append(record(3, 1, "", ProgramCommand::Mark));
        program.append(record(4, 0, "D2", ProgramCommand::Check));  // station 0 from a file
        program.append(record(5, 1, "", ProgramCommand::Stop));
    }
    void TearDown() override {
        setChainFeedPlanRebuild(nullptr);
        ScreenTest::TearDown();
    }

    QString cell(int row, int column) const {
        return view.model()->index(row, column).data().toString();
    }
    bool edit(int row, const QString& text) {
        return view.model()->setData(view.model()->index(row, kFieldStation), text, Qt::EditRole);
    }

    ProgramList program;
    ProgramListView view{program};
    int planRebuilds = 0;
};

}  // namespace

TEST_F(ProgramListViewTest, StationCellTakesOnlyANewStationOfAnInsertion) {
    QSignalSpy edited(&view, &ProgramListView::stationEdited);
    ProgramTableModel& model = view.programModel();
    EXPECT_TRUE(model.flags(model.index(0, kFieldStation)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, kFieldName)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(2, kFieldStation)) & Qt::ItemIsEditable);  // mark

    for (const char* refused : {"0", "13", "3", "-2", "abc", "7.5", ""})
        EXPECT_FALSE(edit(0, refused)) << refused;
    EXPECT_FALSE(edit(2, "5"));  // a mark record keeps its station
    EXPECT_FALSE(edit(3, "0"));  // a station 0 from a file cannot be typed
    EXPECT_EQ(cell(0, kFieldStation), "3");
    EXPECT_EQ(cell(2, kFieldStation), "1");
    EXPECT_EQ(planRebuilds, 0);
    EXPECT_EQ(edited.count(), 0);

    EXPECT_TRUE(edit(0, "12"));
    EXPECT_TRUE(edit(3, " 7 "));  // from 0 to a real station
    EXPECT_EQ(program.at(0)->field(kFieldStation), "12");
    EXPECT_EQ(program.at(3)->field(kFieldStation), "7");
    EXPECT_EQ(planRebuilds, 2);
    ASSERT_EQ(edited.count(), 2);
    EXPECT_EQ(edited[1][0].toInt(), 3);

    // In place, as the operator does it: the editor opens on the cell, the
    // typed number is committed with Enter.
    view.show();
    const QModelIndex station = model.index(1, kFieldStation);
    view.setCurrentIndex(station);
    view.edit(station);
    auto* editor = view.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "9");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(program.at(1)->field(kFieldStation), "9");
    EXPECT_EQ(cell(1, kFieldStation), "9");
}

TEST_F(ProgramListViewTest, RecordHighlightSelectsAndScrollsOnlyRowsOfTheProgram) {
    for (int i = 6; i <= 200; ++i)
        program.append(record(i, 2, "R", ProgramCommand::Check));
    view.reload();
    view.resize(600, 300);
    view.show();
    QApplication::processEvents();

    view.showRow(150);
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().front().row(), 150);
    const QRect shown = view.visualRect(view.model()->index(150, 0));
    EXPECT_TRUE(view.viewport()->rect().contains(shown)) << "row scrolled into view";

    view.showRow(-1);   // CurrentRecord 0: nothing changes
    view.showRow(200);  // beyond the last record
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().front().row(), 150);

    view.showRow(3);
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().front().row(), 3);
}

TEST_F(ProgramListViewTest, ColumnsColoursAndHeadersInBothLanguages) {
    EXPECT_EQ(view.model()->columnCount(), 11);
    view.setBatchColumnShown(true);
    EXPECT_EQ(view.model()->columnCount(), 12);
    EXPECT_EQ(view.model()->headerData(11, Qt::Horizontal).toString(), "Batch number");
    EXPECT_EQ(view.model()->headerData(6, Qt::Horizontal).toString(), "element's Name");

    // Steps that insert nothing stand apart from the insertions.
    auto background = [this](int row) {
        return view.model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
    };
    EXPECT_EQ(background(0), QColor(Qt::white));
    EXPECT_NE(background(2), background(0));  // mark
    EXPECT_NE(background(4), background(0));  // stop
    EXPECT_NE(background(4), background(2));

    screen_test::expectLanguageSwitchReachesEveryCaption(&view);
    screen_test::setLanguage(kChinese);
    EXPECT_EQ(view.model()->headerData(1, Qt::Horizontal).toString(), "X轴");
    EXPECT_EQ(view.model()->headerData(11, Qt::Horizontal).toString(), "物料批号");
}

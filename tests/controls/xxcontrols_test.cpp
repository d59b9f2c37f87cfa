#include "controls/xxcombobox.h"
#include "controls/xxlabel.h"
#include "controls/xxstringgrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEnterEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// One wheel event of the given vertical turn (120 is one notch away from the user).
void turnWheel(QWidget *target, int angle)
{
    const QPointF at(5, 5);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

struct Steps
{
    std::vector<int> seen;
    template<typename Sender>
    TWheelEvent<Sender> handler()
    {
        return [this](Sender *, int wheel) { seen.push_back(wheel); };
    }
};

// Cells of a grid: rows by columns, column 1 holding the row's number.
QStandardItemModel *numberedCells(int rows, int columns, QObject *parent)
{
    auto *cells = new QStandardItemModel(rows, columns, parent);
    for (int row = 0; row < rows; ++row)
        cells->setItem(row, 1, new QStandardItem(QString::number(row)));
    return cells;
}

std::unique_ptr<TxxStringGrid> hundredRowGrid()
{
    auto grid = std::make_unique<TxxStringGrid>();
    grid->setModel(numberedCells(100, 8, grid.get()));
    grid->resize(641, 26 * 19 + 2 * grid->frameWidth());
    grid->show();
    QApplication::processEvents();
    return grid;
}

} // namespace

TEST(StringGridWheel, WithoutAHandlerTheGridDoesNotScroll)
{
    const auto grid = hundredRowGrid();
    ASSERT_EQ(grid->VisibleRowCount(), 26);
    turnWheel(grid->viewport(), -120);
    turnWheel(grid->viewport(), -360);
    turnWheel(grid->verticalScrollBar(), -120);
    EXPECT_EQ(grid->TopRow(), 0);
}

TEST(StringGridWheel, EachEventIsOneStepWhateverItsSize)
{
    const auto grid = hundredRowGrid();
    Steps steps;
    grid->OnMouseWheel = steps.handler<TxxStringGrid>();
    turnWheel(grid->viewport(), -360); // a fast triple notch towards the user
    turnWheel(grid->viewport(), 120);
    turnWheel(grid->viewport(), 15); // a fine touchpad step
    turnWheel(grid->viewport(), 0);  // the end of a touchpad scroll: no step
    turnWheel(grid->verticalScrollBar(), -120);
    EXPECT_EQ(steps.seen, (std::vector<int>{1, -1, -1, 1}));
    EXPECT_EQ(grid->TopRow(), 0) << "the handler alone scrolls";

    // A handler that moves the top row by three a step, as the editor's lists do.
    grid->OnMouseWheel = [](TxxStringGrid *g, int wheel) { g->setTopRow(g->TopRow() + 3 * wheel); };
    for (int i = 0; i < 3; ++i)
        turnWheel(grid->viewport(), -120);
    EXPECT_EQ(grid->TopRow(), 9);
    EXPECT_EQ(grid->rowAt(0), 9);
}

TEST(StringGridWheel, SidewaysLineStepsReportTwo)
{
    const auto grid = hundredRowGrid();
    Steps steps;
    grid->OnMouseWheel = steps.handler<TxxStringGrid>();
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(steps.seen, (std::vector<int>{-2, 2}));
}

TEST(StringGridCells, RowsCellsAndSelection)
{
    TxxStringGrid grid;
    EXPECT_EQ(grid.RowCount(), 0) << "no rows without a model";
    EXPECT_EQ(grid.Cells(1, 0), QString());
    grid.setRow(0);
    EXPECT_EQ(grid.Row(), -1);

    QStandardItemModel cells(100000, 3);
    cells.setItem(0, 1, new QStandardItem(QStringLiteral("名前")));
    cells.setItem(54321, 2, new QStandardItem(QStringLiteral("c")));
    grid.setModel(&cells);
    EXPECT_EQ(grid.RowCount(), 100000);
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("名前"));
    EXPECT_EQ(grid.Cells(2, 54321), QStringLiteral("c"));
    EXPECT_EQ(grid.Cells(5, 0), QString()) << "outside the columns";
    EXPECT_EQ(grid.Cells(1, 100000), QString()) << "outside the rows";

    grid.resize(300, 200);
    grid.show();
    grid.setRow(54321);
    EXPECT_EQ(grid.Row(), 54321);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(54321, {}));
    EXPECT_LE(grid.TopRow(), 54321);
    EXPECT_GT(grid.TopRow() + grid.VisibleRowCount(), 54321);
    grid.setRow(100000);
    EXPECT_EQ(grid.Row(), 54321) << "outside the rows nothing changes";

    grid.setColWidths(2, 0);
    EXPECT_EQ(grid.ColWidths(2), 0);
    EXPECT_EQ(grid.ColWidths(0), 48);
    EXPECT_EQ(grid.DefaultRowHeight(), 18);
}

TEST(StringGridKeys, HomeAndEndMoveBetweenRowsTabLeavesAndNothingScrollsSideways)
{
    // Laid out as the catalogue: the last visible column is cut by the scroll bar, and two
    // columns of width 0 follow.
    QWidget window;
    auto *grid = new TxxStringGrid(&window);
    auto *after = new QWidget(&window);
    after->setFocusPolicy(Qt::StrongFocus);
    grid->setGeometry(0, 0, 641, 476);
    grid->setModel(numberedCells(100, 8, grid));
    const int widths[] = {28, 214, 148, 98, 88, 60, 0, 0};
    for (int column = 0; column < 8; ++column)
        grid->setColWidths(column, widths[column]);
    window.show();
    grid->setFocus();
    grid->setRow(40);
    std::vector<int> rowsReported;
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged,
                     [&](const QModelIndex &current) { rowsReported.push_back(current.row()); });

    QTest::keyClick(grid, Qt::Key_End);
    EXPECT_EQ(grid->Row(), 99);
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(grid->Row(), 0);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 99);
    EXPECT_EQ(rowsReported, (std::vector<int>{99, 0, 99}));
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);

    // A click on the cut-off column brings no sideways scroll either.
    const QRect lastColumn = grid->visualRect(grid->model()->index(99, 5));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lastColumn.center());
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(grid->visualRect(grid->model()->index(99, 0)).left(), 0);

    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(window.focusWidget(), after);
    EXPECT_EQ(grid->Row(), 99);
}

TEST(StringGridCells, OwnerDrawingSeesTheSelectedRow)
{
    TxxStringGrid grid;
    QStandardItemModel cells(3, 2);
    grid.setModel(&cells);
    grid.resize(200, 100);
    grid.show();
    grid.setRow(1);
    std::set<std::pair<int, int>> selected, drawn;
    grid.OnDrawCell = [&](TxxStringGrid *, int col, int row, QPainter &, const QRect &rect,
                          TGridDrawState state) {
        drawn.insert({col, row});
        if (state & gdSelected)
            selected.insert({col, row});
        EXPECT_EQ(rect.height(), 18);
    };
    grid.grab();
    EXPECT_EQ(drawn.size(), 6u);
    EXPECT_EQ(selected, (std::set<std::pair<int, int>>{{0, 1}, {1, 1}}));
}

TEST(CrossingEvents, EnterAndLeaveReportThePosition)
{
    TxxLabel label;
    label.resize(100, 20);
    QPoint entered(-1, -1);
    int left = 0;
    label.OnMouseEnter = [&](TxxLabel *, TShiftState, int x, int y) { entered = {x, y}; };
    label.OnMouseLeave = [&](TxxLabel *, TShiftState, int, int) { ++left; };
    QEnterEvent enter(QPointF(7, 9), QPointF(107, 109), QPointF(107, 109));
    QApplication::sendEvent(&label, &enter);
    EXPECT_EQ(entered, QPoint(7, 9));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_EQ(left, 1);

    TxxStringGrid grid;
    QPoint gridEntered(-1, -1);
    grid.OnMouseEnter = [&](TxxStringGrid *, TShiftState, int x, int y) { gridEntered = {x, y}; };
    QApplication::sendEvent(&grid, &enter);
    EXPECT_EQ(gridEntered, QPoint(7, 9));

    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton | Qt::MiddleButton),
              TShiftState(ssShift | ssCtrl | ssLeft | ssMiddle));
    EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::RightButton), TShiftState(ssAlt | ssRight));
}

TEST(LinkLabel, ClickNeedsPressAndReleaseOnIt)
{
    TxxLabel label;
    label.resize(100, 20);
    label.show();
    int clicks = 0;
    label.OnClick = [&](TxxLabel *) { ++clicks; };
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(150, 10));
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

namespace {

std::unique_ptr<TxxComboBox> digitsCombo(int count = 10)
{
    auto combo = std::make_unique<TxxComboBox>();
    for (int i = 0; i < count; ++i)
        combo->addItem(QString(QChar(0xFF10 + i % 10)));
    combo->setCurrentIndex(0);
    combo->show();
    QApplication::processEvents();
    return combo;
}

} // namespace

TEST(ComboWheel, ActiveWheelMovesTheClosedSelectionOneItemPerEvent)
{
    const auto combo = digitsCombo();
    Steps steps;
    int changes = 0;
    combo->OnMouseWheel = steps.handler<TxxComboBox>();
    combo->OnChange = [&](TxxComboBox *) { ++changes; };
    EXPECT_TRUE(combo->WheelActive());
    turnWheel(combo.get(), -360);
    EXPECT_EQ(combo->ItemIndex(), 1);
    turnWheel(combo.get(), -120);
    turnWheel(combo.get(), 120);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(steps.seen, (std::vector<int>{1, 1, -1}));
}

TEST(ComboWheel, InactiveWheelIsIgnoredClosedButScrollsTheOpenList)
{
    const auto combo = digitsCombo(400);
    Steps steps;
    combo->OnMouseWheel = steps.handler<TxxComboBox>();
    combo->setWheelActive(false);
    turnWheel(combo.get(), -120);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(steps.seen, (std::vector<int>{1}));

    combo->showPopup();
    QApplication::processEvents();
    ASSERT_TRUE(combo->DroppedDown());
    QScrollBar *bar = combo->view()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int before = bar->value();
    turnWheel(combo->view()->viewport(), -120);
    EXPECT_GT(bar->value(), before) << "the open list scrolls";
    EXPECT_EQ(steps.seen, (std::vector<int>{1, 1}));
    combo->hidePopup();
}

TEST(ComboCloseUp, EachCloseFiresOnce)
{
    const auto combo = digitsCombo();
    int closeUps = 0;
    combo->OnCloseUp = [&](TxxComboBox *) { ++closeUps; };
    combo->hidePopup();
    EXPECT_EQ(closeUps, 0) << "a closed list does not close up";

    combo->showPopup();
    QApplication::processEvents();
    combo->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_FALSE(combo->DroppedDown());

    // Closed by Escape, selection unchanged.
    combo->showPopup();
    QApplication::processEvents();
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(closeUps, 2);

    // Closed by choosing an item.
    combo->showPopup();
    QApplication::processEvents();
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(closeUps, 3);
    EXPECT_EQ(combo->ItemIndex(), 1);
}

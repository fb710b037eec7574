// The graph window: what the chart's series hold for each count, the values on
// the bars, and a row of bars longer than the window.
#include <gtest/gtest.h>
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHorizontalBarSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/GraphCommands.h"
#include "ui/UiText.h"
#include "ui/Unit6.h"

namespace qx::ui::test {
namespace {

QList<qreal> Values(QAbstractBarSeries* series) {
    QList<qreal> out;
    const QBarSet* set = series->barSets().front();
    for (int i = 0; i < set->count(); ++i) out << set->at(i);
    return out;
}

QBarCategoryAxis* CategoryAxis(QAbstractBarSeries* series) {
    for (QAbstractAxis* axis : series->attachedAxes())
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis)) return c;
    return nullptr;
}

class GraphWindow : public ::testing::Test {
protected:
    void Start(const std::string& log, const char* language = "jpn") {
        folder.Write("tester.ini", std::string("[Setting]\r\nLanguage=") + language + "\r\n");
        w = StartWindow(folder, {folder.Write("g.log", log)});
        form = w->Graph()->Form6();
    }
    void Count(int type) {
        form->cmbType->setCurrentIndex(type);
        QTest::mouseClick(form->btnExec, Qt::LeftButton);
    }
    ScratchFolder folder;
    std::unique_ptr<TForm1> w;
    TForm6* form = nullptr;
};

TEST_F(GraphWindow, TheCommandCountsByUserAndShowsTheHorizontalBars) {
    Start(SmallLog());
    ASSERT_FALSE(form->isVisible());
    form->chkDispValue->setChecked(false);
    w->Action("actGraph")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->size(), QSize(600, 400));
    EXPECT_EQ(form->windowTitle(), "Quillorix");
    EXPECT_TRUE(form->Series1->isVisible());
    EXPECT_FALSE(form->Series2->isVisible());
    EXPECT_EQ(form->Labels(), (QStringList{"alice", "bob", "carol"}));
    // Both series hold the counts; only the one of the direction is shown.
    EXPECT_EQ(Values(form->Series1), (QList<qreal>{2, 2, 1}));
    EXPECT_EQ(Values(form->Series2), (QList<qreal>{2, 2, 1}));
    EXPECT_EQ(form->Series1->barSets().front()->color(), QColor(0, 128, 255));
    ASSERT_NE(CategoryAxis(form->Series1), nullptr);
    EXPECT_EQ(CategoryAxis(form->Series1)->categories(), form->Labels());
    EXPECT_FALSE(form->Chart1->chart()->legend()->isVisible());
}

TEST_F(GraphWindow, ByMonthAndByDateTheBarsStandAndFollowTheLanguage) {
    Start(SmallLog(), "eng");
    w->Action("actGraph")->trigger();
    Count(3);
    EXPECT_FALSE(form->Series1->isVisible());
    EXPECT_TRUE(form->Series2->isVisible());
    EXPECT_EQ(form->Labels(), QStringList{"2007/03"});
    EXPECT_EQ(Values(form->Series2), QList<qreal>{4});
    Count(2);
    EXPECT_EQ(form->Labels(), (QStringList{"03/17/2007", "03/18/2007"}));
    EXPECT_EQ(Values(form->Series2), (QList<qreal>{2, 2}));
    // The type box takes its items from the language file.
    EXPECT_EQ(form->cmbType->itemText(3), "By month");
}

TEST_F(GraphWindow, ValuesShowOnBothSeriesWithoutARecountAndAreKept) {
    Start(SmallLog());
    w->Action("actGraph")->trigger();
    // A message taken in after the count: the toggle must not count it.
    w->Session().records.push_back(w->Session().records.front());
    QTest::mouseClick(form->chkDispValue, Qt::LeftButton);
    EXPECT_TRUE(form->Series1->isLabelsVisible());
    EXPECT_TRUE(form->Series2->isLabelsVisible());
    EXPECT_EQ(Values(form->Series1), (QList<qreal>{2, 2, 1}));
    QTest::mouseClick(form->chkDispValue, Qt::LeftButton);
    EXPECT_FALSE(form->Series1->isLabelsVisible());
    EXPECT_FALSE(form->Series2->isLabelsVisible());
    // The next count sees it, and so does the next use of the command.
    QTest::mouseClick(form->btnExec, Qt::LeftButton);
    EXPECT_EQ(Values(form->Series1), (QList<qreal>{3, 2, 1}));
    w->Session().records.push_back(w->Session().records.front());
    w->Action("actGraph")->trigger();
    EXPECT_EQ(Values(form->Series1), (QList<qreal>{4, 2, 1}));

    QTest::mouseClick(form->chkDispValue, Qt::LeftButton);
    w->WriteSettings();
    QFile ini(folder.File("tester.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("DispValue=1"));
}

TEST_F(GraphWindow, AnEmptyLogHasNoBars) {
    Start("");
    w->Action("actGraph")->trigger();
    EXPECT_TRUE(form->Labels().isEmpty());
    EXPECT_EQ(form->Series1->barSets().front()->count(), 0);
    EXPECT_FALSE(form->sbBars->isVisible());
}

TEST_F(GraphWindow, ManyBarsScrollAndZoomAlongTheAxisAndAHoveredBarSaysWhatItIs) {
    std::string log;
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov"};
    for (int m = 0; m < 11; ++m)
        for (int d = 1; d <= 28; ++d)
            log += Block("From", " From: u (G/H/1.2.3.4)\r\n",
                         std::string("Mon ") + months[m] + " " + (d < 10 ? " " : "") + std::to_string(d) +
                             " 10:00:00 2009",
                         "x\r\n");
    Start(log);
    w->Action("actGraph")->trigger();
    Count(2);
    ASSERT_EQ(form->Labels().size(), 308);
    EXPECT_EQ(form->Labels().front(), "2009/01/1");
    const int visible = form->VisibleBars();
    EXPECT_GT(visible, 5);
    EXPECT_LT(visible, 308);
    EXPECT_TRUE(form->sbBars->isVisible());
    EXPECT_EQ(form->sbBars->orientation(), Qt::Horizontal);
    QBarCategoryAxis* axis = CategoryAxis(form->Series2);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->min(), "2009/01/1");
    form->sbBars->setValue(30);
    EXPECT_EQ(axis->min(), form->Labels()[30]);
    EXPECT_EQ(axis->max(), form->Labels()[30 + visible - 1]);
    form->sbBars->setValue(form->sbBars->maximum());
    EXPECT_EQ(axis->max(), form->Labels().back());

    form->SetBarPixels(form->BarPixels() * 2);
    EXPECT_LT(form->VisibleBars(), visible);
    form->SetBarPixels(1);  // never so narrow that the labels run together
    EXPECT_EQ(form->BarPixels(), 14);

    emit form->Series2->barSets().front()->hovered(true, 40);
    EXPECT_EQ(form->HoverText(), form->Labels()[40] + ": 1");
}

}  // namespace
}  // namespace qx::ui::test

// The graph window: message counts of the open log as a bar chart, horizontal
// bars by user or host, vertical bars by date or month. A long row of bars is
// shown a window at a time; the scroll bar (or the wheel) moves along it and
// Ctrl+wheel zooms.
#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QHorizontalBarSeries;
class QPushButton;
class QScrollBar;
class QValueAxis;

namespace qx {
struct GraphData;
}

namespace qx::ui {

class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent);

    // Both series take the counts; the one that suits their direction is shown.
    void ShowCounts(const GraphData& data);
    // The numbers on the bars of both series.
    void SetValuesShown(bool shown);

    // The bars in view: the first one's index and how many.
    int FirstBar() const;
    int VisibleBars() const;
    // How many pixels of the category axis one bar gets (Ctrl+wheel changes it).
    int BarPixels() const { return barPixels_; }
    void SetBarPixels(int pixels);
    // What the pointer over a bar shows: its label and count.
    QString HoverText() const { return hoverText_; }
    const QStringList& Labels() const { return labels_; }

    QComboBox* cmbType = nullptr;
    QPushButton* btnExec = nullptr;
    QCheckBox* chkDispValue = nullptr;
    QChartView* Chart1 = nullptr;
    QHorizontalBarSeries* Series1 = nullptr;
    QBarSeries* Series2 = nullptr;
    QScrollBar* sbBars = nullptr;  // along the category axis

signals:
    void ExecAsked();
    void DispValueClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildChart();
    void BarHovered(bool entered, int index);
    void UpdateWindow();
    void ShowRange(int first);

    QChart* chart_ = nullptr;
    QBarSet* set1_ = nullptr;
    QBarSet* set2_ = nullptr;
    QBarCategoryAxis* categories_ = nullptr;
    QValueAxis* values_ = nullptr;
    QStringList labels_;      // as counted
    QStringList axisLabels_;  // as the axis shows them
    std::vector<int> counts_;
    bool horizontal_ = true;
    int barPixels_ = 24;
    QString hoverText_;
};

}  // namespace qx::ui

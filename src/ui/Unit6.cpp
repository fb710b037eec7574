#include "ui/Unit6.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHorizontalBarSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "browse/MessageStats.h"
#include "settings/LanguageSchema.h"
#include "ui/UiText.h"

namespace qx::ui {

namespace {

const QColor kBarColour(0, 128, 255);
constexpr int kMinBarPixels = 14;   // below this the labels would run into each other
constexpr int kMaxBarPixels = 200;

QString BuiltIn(const char* section, const char* key, std::size_t item) {
    if (const LanguageKey* k = FindLanguageKey(section, key)) {
        const std::vector<std::string> items = BuiltInItems(*k);
        if (item < items.size()) return QString::fromStdString(items[item]);
    }
    return QString();
}

QFont ChartFont() {
    QFont font(QStringLiteral("ＭＳ Ｐ明朝"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(12);
    return font;
}

// A step of 1, 2 or 5 times a power of ten that cuts 0..top into about five parts.
double NiceStep(double top) {
    const double raw = std::max(1.0, top / 5.0);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) return m * power;
    return 10.0 * power;
}

}  // namespace

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TForm6");
    setWindowTitle("Quillorix");
    resize(600, 400);

    auto* pnlTop = new QFrame(this);
    pnlTop->setObjectName("pnlTop");
    pnlTop->setFixedHeight(49);
    cmbType = new QComboBox(pnlTop);
    cmbType->setObjectName("cmbType");
    for (std::size_t i = 0; i < 4; ++i) cmbType->addItem(BuiltIn("ComboBox", "String01", i));
    cmbType->setCurrentIndex(0);
    btnExec = new QPushButton(QStringLiteral("計算"), pnlTop);
    btnExec->setObjectName("btnExec");
    btnExec->setDefault(true);
    btnExec->setAutoDefault(true);
    chkDispValue = new QCheckBox(BuiltIn("CheckBox", "String07", 0), pnlTop);
    chkDispValue->setObjectName("chkDispValue");
    auto* top = new QHBoxLayout(pnlTop);
    top->addWidget(cmbType);
    top->addWidget(btnExec);
    top->addWidget(chkDispValue);
    top->addStretch(1);

    BuildChart();
    sbBars = new QScrollBar(Qt::Vertical, this);
    sbBars->setObjectName("sbBars");
    sbBars->hide();

    auto* body = new QBoxLayout(QBoxLayout::LeftToRight);
    body->setObjectName("bodyLayout");
    body->addWidget(Chart1, 1);
    body->addWidget(sbBars);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTop);
    layout->addLayout(body, 1);

    connect(btnExec, &QPushButton::clicked, this, &TForm6::ExecAsked);
    connect(chkDispValue, &QCheckBox::clicked, this, &TForm6::DispValueClicked);
    connect(sbBars, &QScrollBar::valueChanged, this, &TForm6::ShowRange);
}

void TForm6::BuildChart() {
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setBackgroundRoundness(0);
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setPlotAreaBackgroundVisible(false);

    set1_ = new QBarSet(QString());
    set2_ = new QBarSet(QString());
    Series1 = new QHorizontalBarSeries(this);
    Series1->setObjectName("Series1");
    Series2 = new QBarSeries(this);
    Series2->setObjectName("Series2");
    for (QBarSet* set : {set1_, set2_}) {
        set->setColor(kBarColour);
        set->setBorderColor(kBarColour);
        set->setLabelColor(Qt::black);
        set->setLabelFont(ChartFont());
    }
    Series1->append(set1_);
    Series2->append(set2_);
    for (QAbstractBarSeries* s : {static_cast<QAbstractBarSeries*>(Series1), static_cast<QAbstractBarSeries*>(Series2)}) {
        s->setLabelsVisible(false);
        s->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        s->setBarWidth(0.7);
    }
    // Only the series in use is in the chart: bar series in one chart share each
    // category's width, even a hidden one.
    chart_->addSeries(Series1);
    connect(set1_, &QBarSet::hovered, this, &TForm6::BarHovered);
    connect(set2_, &QBarSet::hovered, this, &TForm6::BarHovered);

    categories_ = new QBarCategoryAxis(this);
    values_ = new QValueAxis(this);
    values_->setLabelFormat("%d");
    values_->setTickType(QValueAxis::TicksDynamic);
    values_->setTickAnchor(0);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(categories_), static_cast<QAbstractAxis*>(values_)}) {
        axis->setLabelsFont(ChartFont());
        axis->setLabelsColor(Qt::black);
        axis->setTitleFont(ChartFont());
    }

    Chart1 = new QChartView(chart_, this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing, false);
    Chart1->viewport()->installEventFilter(this);
    Chart1->viewport()->setMouseTracking(true);
}

void TForm6::ShowCounts(const GraphData& data) {
    horizontal_ = data.horizontal;
    labels_.clear();
    axisLabels_.clear();
    counts_ = data.counts;
    QList<qreal> values;
    int max = 0;
    for (std::size_t i = 0; i < data.labels.size(); ++i) {
        const QString label = FromCp932(data.labels[i]);
        labels_ << label;
        // The axis draws its labels as rich text and refuses an empty one.
        axisLabels_ << (label.isEmpty() ? QStringLiteral(" ") : label.toHtmlEscaped());
        values << data.counts[i];
        max = std::max(max, data.counts[i]);
    }
    for (QBarSet* set : {set1_, set2_}) {
        set->remove(0, set->count());
        set->append(values);
    }

    for (QAbstractSeries* s : chart_->series()) {
        for (QAbstractAxis* axis : s->attachedAxes()) s->detachAxis(axis);
        chart_->removeSeries(s);
        s->setParent(this);
    }
    for (QAbstractAxis* axis : chart_->axes()) chart_->removeAxis(axis);
    categories_->clear();
    categories_->append(axisLabels_);
    // Standing labels only where lying ones would not fit beside each other.
    categories_->setLabelsAngle(horizontal_ || labels_.size() <= 8 ? 0 : -90);
    const double top = std::max(1.0, std::ceil(max * 1.15));
    values_->setTickInterval(NiceStep(top));
    values_->setRange(0, top);

    QAbstractBarSeries* shown = horizontal_ ? static_cast<QAbstractBarSeries*>(Series1) : Series2;
    QAbstractBarSeries* hidden = horizontal_ ? static_cast<QAbstractBarSeries*>(Series2) : Series1;
    chart_->addSeries(shown);
    chart_->addAxis(categories_, horizontal_ ? Qt::AlignLeft : Qt::AlignBottom);
    chart_->addAxis(values_, horizontal_ ? Qt::AlignBottom : Qt::AlignLeft);
    shown->attachAxis(categories_);
    shown->attachAxis(values_);
    hidden->hide();
    shown->show();

    auto* body = findChild<QBoxLayout*>("bodyLayout");
    body->setDirection(horizontal_ ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    sbBars->setOrientation(horizontal_ ? Qt::Vertical : Qt::Horizontal);
    // Horizontal bars run upwards from the first one: so does their scroll bar.
    sbBars->setInvertedAppearance(horizontal_);
    sbBars->setValue(0);
    UpdateWindow();
}

void TForm6::SetValuesShown(bool shown) {
    Series1->setLabelsVisible(shown);
    Series2->setLabelsVisible(shown);
}

int TForm6::FirstBar() const {
    return sbBars->isVisibleTo(this) ? sbBars->value() : 0;
}

int TForm6::VisibleBars() const {
    const int count = static_cast<int>(labels_.size());
    if (count == 0) return 0;
    // Room along the category axis, less what the other axis and the margins take.
    const int room = horizontal_ ? Chart1->height() - 60 : Chart1->width() - 70;
    return std::clamp(room / barPixels_, 1, count);
}

void TForm6::SetBarPixels(int pixels) {
    barPixels_ = std::clamp(pixels, kMinBarPixels, kMaxBarPixels);
    UpdateWindow();
}

void TForm6::UpdateWindow() {
    const int count = static_cast<int>(labels_.size());
    const int visible = VisibleBars();
    const bool scrolls = visible < count;
    sbBars->setVisible(scrolls);
    sbBars->setRange(0, std::max(0, count - visible));
    sbBars->setPageStep(std::max(1, visible));
    sbBars->setSingleStep(1);
    ShowRange(sbBars->value());
}

void TForm6::ShowRange(int first) {
    const int count = static_cast<int>(axisLabels_.size());
    if (count == 0) return;
    const int visible = VisibleBars();
    first = std::clamp(first, 0, count - visible);
    categories_->setRange(axisLabels_[first], axisLabels_[first + visible - 1]);
}

void TForm6::BarHovered(bool entered, int index) {
    if (!entered || index < 0 || index >= labels_.size()) {
        QToolTip::hideText();
        return;
    }
    hoverText_ = QStringLiteral("%1: %2").arg(labels_[index]).arg(counts_[static_cast<std::size_t>(index)]);
    QToolTip::showText(QCursor::pos(), hoverText_, Chart1);
}

void TForm6::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateWindow();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Chart1->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps == 0) return false;
        if (wheel->modifiers() & Qt::ControlModifier)
            SetBarPixels(steps > 0 ? barPixels_ * 5 / 4 + 1 : barPixels_ * 4 / 5);
        else
            sbBars->setValue(sbBars->value() - steps * 3);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qx::ui

#include "ui/Unit4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "settings/LanguageRules.h"
#include "settings/LanguageSchema.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/UiText.h"

namespace qx::ui {

namespace {

QString BuiltIn(const char* section, const char* key, std::size_t item = 0) {
    if (const LanguageKey* k = FindLanguageKey(section, key)) {
        const std::vector<std::string> items = BuiltInItems(*k);
        if (item < items.size()) return QString::fromStdString(items[item]);
    }
    return QString();
}

}  // namespace

FindList::FindList(QWidget* parent) : QTreeView(parent) {
    setObjectName("lvFind");
    model_ = SetUpMessageRows(this);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    const int widths[] = {17, 100, 57, 120};
    for (int i = 0; i < 4; ++i) header()->resizeSection(i, widths[i]);
    // The selection stays visible when the window loses the focus.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
}

std::vector<int> FindList::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FindList::SelectOnly(int row) {
    const QModelIndex i = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i, QAbstractItemView::EnsureVisible);
}

void FindList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && !SelectedRows().empty()) emit DoubleClicked();
}

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TForm4");
    setWindowTitle("Quillorix");
    resize(500, 300);

    lblFind = new QLabel(BuiltIn("Label", "String00"), this);
    lblFind->setObjectName("lblFind");
    cmbFind = new QComboBox(this);
    cmbFind->setObjectName("cmbFind");
    cmbFind->setEditable(true);
    cmbFind->setInsertPolicy(QComboBox::NoInsert);  // the history rules decide
    cmbFind->setMaxVisibleItems(10);
    cmbFind->setDuplicatesEnabled(true);
    cmbFind->setMinimumWidth(200);
    btnFind = new QPushButton(BuiltIn("Button", "String00"), this);
    btnFind->setObjectName("btnFind");
    btnFind->setDefault(true);
    chkRegEx = new QCheckBox(BuiltIn("CheckBox", "String03"), this);
    chkRegEx->setObjectName("chkRegEx");
    btnJump = new QPushButton(BuiltIn("Button", "String02"), this);
    btnJump->setObjectName("btnJump");
    lblError = new QLabel(this);
    lblError->setObjectName("lblError");
    QPalette pal = lblError->palette();
    pal.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblError->setPalette(pal);
    lblError->setVisible(false);
    lvFind = new FindList(this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(lblFind, 0, 0);
    grid->addWidget(cmbFind, 0, 1);
    grid->addWidget(btnFind, 0, 2);
    grid->addWidget(chkRegEx, 1, 1);
    grid->addWidget(btnJump, 1, 2);
    grid->addWidget(lblError, 2, 0, 1, 3);
    grid->addWidget(lvFind, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    // The designed titles carry no mark; a language or a column click adds it.
    for (std::size_t i = 0; i < kListColumnCount; ++i)
        titles_ << BuiltIn("ListView", "String00", i);
    lvFind->Model()->SetTitles(titles_);

    connect(btnFind, &QPushButton::clicked, this, &TForm4::SearchAsked);
    connect(cmbFind->lineEdit(), &QLineEdit::returnPressed, this, &TForm4::SearchAsked);
    connect(btnJump, &QPushButton::clicked, this, &TForm4::JumpAsked);
    connect(lvFind, &FindList::DoubleClicked, this, &TForm4::JumpAsked);
    connect(lvFind->header(), &QHeaderView::sectionClicked, this, &TForm4::lvFindColumnClick);
    connect(lvFind->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!Filling && lvFind->selectionModel()->hasSelection()) emit SelectionMoved();
    });
}

std::vector<std::string> TForm4::History() const {
    std::vector<std::string> out;
    for (int i = 0; i < cmbFind->count(); ++i) out.push_back(ToCp932(cmbFind->itemText(i)));
    return out;
}

void TForm4::SetHistory(const std::vector<std::string>& items) {
    const QString typed = cmbFind->currentText();
    cmbFind->clear();
    for (const std::string& item : items) cmbFind->addItem(FromCp932(item));
    cmbFind->setEditText(typed);
}

void TForm4::SetHits(const std::vector<std::size_t>& records,
                     std::function<ListRow(std::size_t)> make) {
    Filling = true;
    lvFind->Model()->SetLazyRows(records, std::move(make));
    Filling = false;
}

void TForm4::ClearHits() {
    Filling = true;
    lvFind->Model()->SetRows({});
    Filling = false;
}

int TForm4::HitCount() const {
    return lvFind->Model()->rowCount();
}

const ListRow& TForm4::Hit(int row) const {
    return lvFind->Model()->Row(row);
}

std::size_t TForm4::HitRecord(int row) const {
    return lvFind->Model()->RecordOf(row);
}

void TForm4::lvFindColumnClick(int column) {
    if (column == FindSortColumn) {
        FindSortDirection = -FindSortDirection;
    } else {
        FindSortColumn = column;
        FindSortDirection = 1;
    }
    Filling = true;
    lvFind->Model()->Sort(column, FindSortDirection);
    Filling = false;
    const std::vector<int> selected = lvFind->SelectedRows();
    if (!selected.empty()) lvFind->scrollTo(lvFind->Model()->index(selected.front(), 0));
    SetTitles(titles_);
}

void TForm4::SetTitles(const QStringList& titles) {
    titles_ = titles;
    QStringList shown;
    for (int i = 0; i < titles.size(); ++i) {
        const std::string bare = StripSortMarks(ToCp932(titles[i]));
        shown << FromCp932(i == FindSortColumn ? SortMarkedTitle(bare, FindSortDirection) : bare);
    }
    lvFind->Model()->SetTitles(shown);
}

QStringList TForm4::ShownTitles() const {
    return lvFind->Model()->Titles();
}

void TForm4::RewriteDates() {
    lvFind->Model()->RemakeRows();
}

void TForm4::SetError(const QString& reason) {
    lblError->setText(reason);
    lblError->setVisible(!reason.isEmpty());
}

}  // namespace qx::ui

// The find window: the search text with its history, the expression switch, and
// the hits as a list with the columns of the message list. What a search does is
// the find commands' business; this window holds the controls and the list order.
#pragma once

#include <QStringList>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "browse/ListRows.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace qx::ui {

class MessageListModel;

// lvFind: several rows selectable, selection kept visible without focus.
class FindList : public QTreeView {
    Q_OBJECT
public:
    explicit FindList(QWidget* parent = nullptr);
    MessageListModel* Model() const { return model_; }
    std::vector<int> SelectedRows() const;
    void SelectOnly(int row);

signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    MessageListModel* model_ = nullptr;
};

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // The search history, most recent first, as cp932 texts.
    std::vector<std::string> History() const;
    void SetHistory(const std::vector<std::string>& items);

    // Replaces the hits with the records in list order; `make` makes a record's
    // row when it is first shown. Quiet: nothing hears of a selection change.
    void SetHits(const std::vector<std::size_t>& records,
                 std::function<ListRow(std::size_t record)> make);
    void ClearHits();
    int HitCount() const;
    const ListRow& Hit(int row) const;
    std::size_t HitRecord(int row) const;

    // lvFindColumnClick: sorts by the column (the same column flips the direction)
    // and marks only that column's title.
    void lvFindColumnClick(int column);
    // Titles without marks (from the language file); the marks stay where they are.
    void SetTitles(const QStringList& titles);
    QStringList ShownTitles() const;
    // The language changed: rows are made again, their dates in its order.
    void RewriteDates();
    // Shown beside the field when the expression does not compile; empty hides it.
    void SetError(const QString& reason);

    int FindSortColumn = kColDate;
    int FindSortDirection = 1;
    bool Filling = false;  // while set, selection changes are not reported

    QLabel* lblFind = nullptr;
    QComboBox* cmbFind = nullptr;
    QPushButton* btnFind = nullptr;
    QCheckBox* chkRegEx = nullptr;
    QPushButton* btnJump = nullptr;
    QLabel* lblError = nullptr;
    FindList* lvFind = nullptr;

signals:
    void SearchAsked();     // Enter in cmbFind or btnFind
    void JumpAsked();       // btnJump or a double click on a hit
    void SelectionMoved();  // lvFindChange

private:
    QStringList titles_;
};

}  // namespace qx::ui

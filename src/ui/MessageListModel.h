// The rows of the message list as a table model. Rows hold record indexes and
// cp932 texts; QString conversion happens in data() only.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

#include "browse/ListRows.h"

namespace qx::ui {

class MessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetRows(std::vector<ListRow> rows);
    // Lists the records at once and makes each row only when it is first shown or
    // asked for, with `make` (a find list of 20 000 hits must not decode them all).
    void SetLazyRows(const std::vector<std::size_t>& records,
                     std::function<ListRow(std::size_t record)> make);
    // Lazy rows already made are made again when next needed (the language changed).
    void RemakeRows();
    // Takes one row out; the selection of the other rows stays with them.
    void RemoveRow(int row);
    const ListRow& Row(int row) const;
    // The record of a message row, without making a lazy row.
    std::size_t RecordOf(int row) const;
    // Every row, lazy ones made.
    std::vector<ListRow>& Rows();
    // Sorts the rows; selections and the current row follow their rows.
    void Sort(int column, int upDown);
    void SetTitles(const QStringList& titles);
    const QStringList& Titles() const { return titles_; }
    // The date column changed its order (language switch).
    void DatesChanged();

    QColor textColour;

private:
    void MakeAll() const;
    std::size_t Count() const;

    // Made rows; in lazy mode, the records of the rows in lazy_ and the rows made
    // so far in made_, by row. Making them all leaves lazy mode.
    mutable std::vector<ListRow> rows_;
    mutable std::vector<std::size_t> lazy_;
    mutable std::unordered_map<std::size_t, ListRow> made_;
    mutable bool lazyMode_ = false;
    std::function<ListRow(std::size_t)> make_;
    QStringList titles_;
};

}  // namespace qx::ui

// The rows of the message list as a table model. Rows hold record indexes and
// cp932 texts; QString conversion happens in data() only.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
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
    // Takes one row out; the selection of the other rows stays with them.
    void RemoveRow(int row);
    const ListRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    std::vector<ListRow>& Rows() { return rows_; }
    // Sorts the rows; selections and the current row follow their rows.
    void Sort(int column, int upDown);
    void SetTitles(const QStringList& titles);
    const QStringList& Titles() const { return titles_; }
    // The date column changed its order (language switch).
    void DatesChanged();

    QColor textColour;

private:
    std::vector<ListRow> rows_;
    QStringList titles_;
};

}  // namespace qx::ui

#include "ui/MessageListModel.h"

#include <algorithm>
#include <numeric>

#include "ui/Icons.h"
#include "ui/UiText.h"

namespace qx::ui {

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Count());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const ListRow& row = Row(index.row());
    const auto col = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return FromCp932(row.text[col]);
        case Qt::DecorationRole:
            return row.image[col] == kImageNone ? QVariant() : QVariant(ImageList2(row.image[col]));
        case Qt::ForegroundRole:
            return textColour.isValid() ? QVariant(textColour) : QVariant();
        default:
            return {};
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return titles_.value(section);
}

void MessageListModel::SetRows(std::vector<ListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    lazy_.clear();
    made_.clear();
    lazyMode_ = false;
    make_ = nullptr;
    endResetModel();
}

void MessageListModel::SetLazyRows(const std::vector<std::size_t>& records,
                                   std::function<ListRow(std::size_t)> make) {
    beginResetModel();
    rows_.clear();
    lazy_ = records;
    made_.clear();
    lazyMode_ = true;
    make_ = std::move(make);
    endResetModel();
}

void MessageListModel::RemakeRows() {
    if (!make_) return;
    if (!lazyMode_) {
        lazy_.clear();
        lazy_.reserve(rows_.size());
        for (const ListRow& r : rows_) lazy_.push_back(r.record);
        rows_.clear();
        lazyMode_ = true;
    }
    made_.clear();
    if (Count() > 0)
        emit dataChanged(index(0, 0), index(static_cast<int>(Count()) - 1, kListColumnCount - 1));
}

const ListRow& MessageListModel::Row(int row) const {
    const auto i = static_cast<std::size_t>(row);
    if (!lazyMode_) return rows_[i];
    auto made = made_.find(i);
    if (made == made_.end()) made = made_.emplace(i, make_(lazy_[i])).first;
    return made->second;
}

std::vector<ListRow>& MessageListModel::Rows() {
    MakeAll();
    return rows_;
}

std::size_t MessageListModel::RecordOf(int row) const {
    const auto i = static_cast<std::size_t>(row);
    return lazyMode_ ? lazy_[i] : rows_[i].record;
}

std::size_t MessageListModel::Count() const {
    return lazyMode_ ? lazy_.size() : rows_.size();
}

void MessageListModel::MakeAll() const {
    if (!lazyMode_) return;
    std::vector<ListRow> all;
    all.reserve(lazy_.size());
    for (std::size_t i = 0; i < lazy_.size(); ++i) {
        const auto made = made_.find(i);
        all.push_back(made != made_.end() ? std::move(made->second) : make_(lazy_[i]));
    }
    rows_ = std::move(all);
    lazy_.clear();
    made_.clear();
    lazyMode_ = false;
}

void MessageListModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    const auto at = static_cast<std::size_t>(row);
    if (lazyMode_) {
        lazy_.erase(lazy_.begin() + row);
        // The rows made after it move up by one.
        std::unordered_map<std::size_t, ListRow> moved;
        for (auto& [i, made] : made_)
            if (i != at) moved.emplace(i > at ? i - 1 : i, std::move(made));
        made_ = std::move(moved);
    } else {
        rows_.erase(rows_.begin() + row);
    }
    endRemoveRows();
}

void MessageListModel::Sort(int column, int upDown) {
    MakeAll();  // sorting needs the texts
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareRows(rows_[static_cast<std::size_t>(a)], rows_[static_cast<std::size_t>(b)],
                           column, upDown) < 0;
    });
    std::vector<int> newPlace(rows_.size());
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newPlace[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(order[i])]));
    }
    rows_ = std::move(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to << index(newPlace[static_cast<std::size_t>(i.row())], i.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MessageListModel::SetTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
}

void MessageListModel::DatesChanged() {
    if (Count() > 0)
        emit dataChanged(index(0, kColDate), index(static_cast<int>(Count()) - 1, kColDate));
}

}  // namespace qx::ui

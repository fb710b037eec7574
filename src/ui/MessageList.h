// The message list, lvLog: the rows of the selected tree node, sortable by
// column, with a message's body as its tooltip.
#pragma once

#include <QTreeView>
#include <functional>
#include <vector>

#include "browse/ListRows.h"

class QMenu;

namespace qx::ui {

class MessageListModel;

// The behaviour the message list and the find list share: flat rows over a
// MessageListModel of their own, whole rows selected, several at a time, none edited.
MessageListModel* SetUpMessageRows(QTreeView* view);

class MessageList : public QTreeView {
    Q_OBJECT
public:
    explicit MessageList(QMenu* popup, QWidget* parent = nullptr);

    MessageListModel* Model() const { return model_; }
    ListSort& Sort() { return sort_; }

    // Replaces the rows, sorts them and selects the row at `keep` (when any).
    void Fill(std::vector<ListRow> rows, int keep);
    void Clear();
    int RowCount() const;
    // Selected rows in row order.
    std::vector<int> SelectedRows() const;
    int FirstSelectedRow() const;
    void SelectOnly(int row);
    // Takes a row out of the list; the other selected rows stay selected. Quiet:
    // the caller shows what the list selects afterwards.
    void RemoveRow(int row);
    // Adds a row to the selection and makes it the current row, with the first
    // selected row scrolled into view. Quiet as RemoveRow.
    void AddToSelection(int row);

    // A click on a column title: sort by it and mark its title.
    void lvLogColumnClick(int column);
    // Unmarked titles (from the language); the sort column gets its mark.
    void SetTitles(const QStringList& titles);
    QStringList ShownTitles() const;
    void ListTop() { SelectEnd(true); }
    void ListBottom() { SelectEnd(false); }

    void SetColours(const QColor& text, const QColor& back);
    void SetToolTipsOn(bool on) { toolTipsOn_ = on; }
    bool ToolTipsOn() const { return toolTipsOn_; }
    // The tooltip of a message row; set by the window, which knows the records.
    std::function<QString(int row)> toolTipOf;
    // The row whose body is the current tooltip, -1 for none.
    int ToolTipIndex = -1;
    // What the tooltip would show now.
    const QString& HintText() const { return hint_; }

signals:
    void Changed();        // lvLogChange: a row was selected
    void DoubleClicked();  // lvLogDblClick

protected:
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SelectEnd(bool top);
    void lvLogMouseMove(const QPoint& pos);

    MessageListModel* model_ = nullptr;
    ListSort sort_;
    QStringList titles_;
    bool toolTipsOn_ = true;
    bool filling_ = false;
    QString hint_;
};

}  // namespace qx::ui

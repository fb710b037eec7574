#include "ui/FindCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>

#include "browse/HitRows.h"
#include "browse/MessageWindowRules.h"
#include "search/FindHistory.h"
#include "search/MatchRanges.h"
#include "search/SearchRecords.h"
#include "settings/LanguageRules.h"
#include "ui/GuiSessionUi.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"
#include "ui/Unit4.h"

namespace qx::ui {

FindCommands::FindCommands(const CommandContext& context, TForm1* window)
    : c_(context), w_(window), form_(new TForm4(window)) {
    c_.Register("actFind", [this] { actFindExecute(); });
    auto guarded = [this](void (FindCommands::*handler)()) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& e) {
                ShowPlainMessage(form_, QString::fromLocal8Bit(e.what()));
            }
        };
    };
    QObject::connect(form_, &TForm4::SearchAsked, form_, guarded(&FindCommands::RunSearch));
    QObject::connect(form_, &TForm4::JumpAsked, form_, guarded(&FindCommands::btnJumpClick));
    QObject::connect(form_, &TForm4::SelectionMoved, form_, guarded(&FindCommands::lvFindChange));
}

FindCommands::~FindCommands() = default;

void FindCommands::actFindExecute() {
    form_->setWindowTitle("Quillorix");
    if (!placed_) {
        placed_ = true;
        form_->resize(500, 300);
    }
    form_->show();
    form_->raise();
    form_->activateWindow();
    form_->cmbFind->setFocus();
    // Typing replaces the last search text; the arrow keys and the list still bring it back.
    form_->cmbFind->lineEdit()->selectAll();
}

void FindCommands::RunSearch() {
    const QString typed = form_->cmbFind->currentText();
    if (typed.isEmpty() || searching_) return;
    const std::string text = ToCp932(typed);

    std::vector<std::string> history = form_->History();
    AddToFindHistory(history, text, static_cast<std::size_t>(c_.settings->udHistoryNum->value()));
    form_->SetHistory(history);
    form_->cmbFind->setEditText(typed);

    // A read or write lets events in while it runs; the records may not hold still.
    if (w_->Busy()) return;

    form_->ClearHits();
    shown_.reset();
    c_.view->Clear();
    w_->SearchShown = true;
    const bool regex = form_->chkRegEx->isChecked();
    TextMatcher matcher(text, regex);
    if (regex && !matcher.Regexp().Ok()) {
        form_->SetError(FromCp932(matcher.Regexp().Error()));
        c_.ops->UpdateStatusBar();
        return;
    }
    form_->SetError(QString());

    // No reload or save may replace the records while the search lets events in.
    searching_ = true;
    const bool reloading = c_.timReload->isActive();
    c_.timReload->stop();
    c_.ops->SetBusy(false);
    form_->btnFind->setEnabled(false);
    std::vector<std::size_t> hits;
    try {
        hits = SearchRecords(*c_.session, *c_.ui, matcher);
    } catch (...) {
        searching_ = false;
        form_->btnFind->setEnabled(true);
        c_.ops->SetBusy(true);
        if (reloading) c_.timReload->start();
        throw;
    }
    // Sorted as the main list is sorted, in the find list's own direction; rows
    // are made as they are shown, with the options of that moment.
    form_->SetHits(SortedHits(c_.session->records, hits, RowOptions(), c_.list->Sort().SortColumn,
                              form_->FindSortDirection),
                   [this](std::size_t record) {
                       LogSession& session = *c_.session;
                       if (record >= session.records.size()) return ListRow{};
                       return MessageRow(session.records[record], record, RowOptions());
                   });
    shown_.emplace(std::move(matcher));
    searching_ = false;
    form_->btnFind->setEnabled(true);
    c_.ops->SetBusy(true);
    if (reloading) c_.timReload->start();

    if (form_->HitCount() > 0) form_->lvFind->SelectOnly(0);
    c_.ops->UpdateStatusBar();
}

std::vector<std::size_t> FindCommands::SelectedRecords() const {
    std::vector<std::size_t> out;
    for (int row : form_->lvFind->SelectedRows()) out.push_back(form_->HitRecord(row));
    return out;
}

void FindCommands::lvFindChange() {
    w_->CurrentView = TForm1::ViewSource::Find;
    w_->ShowRecords(SelectedRecords());
    MarkMatches();
}

void FindCommands::MarkMatches() {
    if (!shown_) return;
    QTextEdit* edit = c_.view->reLog;
    const std::vector<std::string>& lines = c_.view->Lines();
    // The view's lines as one text, so that "^" and "$" mean what they mean in a search.
    std::string all;
    std::vector<std::size_t> starts;
    for (const std::string& line : lines) {
        starts.push_back(all.size());
        all += line;
        all += '\n';
    }
    const std::vector<ByteRange> ranges = MatchRanges(all, *shown_);
    auto docPosition = [&](std::size_t byte) {
        const auto it = std::upper_bound(starts.begin(), starts.end(), byte);
        const auto block = static_cast<std::size_t>(it - starts.begin()) - 1;
        const std::size_t inLine = std::min(byte - starts[block], lines[block].size());
        const QTextBlock b = edit->document()->findBlockByNumber(static_cast<int>(block));
        return b.position() +
               static_cast<int>(FromCp932(std::string_view(lines[block]).substr(0, inLine)).size());
    };
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(QColor(255, 230, 0));
    format.setForeground(QColor(0, 0, 0));
    for (const ByteRange& r : ranges) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(edit->document());
        mark.cursor.setPosition(docPosition(r.first));
        mark.cursor.setPosition(docPosition(r.first + r.length), QTextCursor::KeepAnchor);
        mark.format = format;
        marks << mark;
    }
    edit->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor at = marks.front().cursor;
        at.setPosition(at.selectionStart());
        edit->setTextCursor(at);
        edit->ensureCursorVisible();
    }
}

void FindCommands::btnJumpClick() {
    const std::vector<std::size_t> records = SelectedRecords();
    if (!records.empty()) JumpToMessage(records.front());
}

void FindCommands::JumpToMessage(std::size_t record) {
    if (record >= c_.session->records.size()) return;
    TreeNode* node = c_.tree->Tree().MessageNode(c_.session->records[record]);
    if (node == nullptr) return;
    c_.tree->SelectNode(node);
    const ListRow hit = MessageRow(c_.session->records[record], record, RowOptions());
    const int row = RowLike(c_.list->Model()->Rows(), hit);
    if (row < 0) return;
    c_.list->clearSelection();
    c_.list->SelectOnly(row);
    c_.list->scrollTo(c_.list->Model()->index(row, 0), QAbstractItemView::EnsureVisible);
    c_.list->setFocus();
    w_->activateWindow();
}

ListOptions FindCommands::RowOptions() const {
    ListOptions options;
    options.previewSkipPrefix = w_->PreviewSkipPrefix;
    options.monthFirst = w_->LanguageCode != kJapaneseCode;
    options.password = c_.session->CurrentPassword;
    return options;
}

void FindCommands::ClearHits() {
    form_->ClearHits();
    shown_.reset();
    if (w_->CurrentView == TForm1::ViewSource::Find) w_->CurrentView = TForm1::ViewSource::List;
}

void FindCommands::LoadSettings(const int geometry[4], const std::vector<std::string>& history,
                                bool regEx) {
    form_->move(geometry[0], geometry[1]);
    form_->resize(geometry[2], geometry[3]);
    placed_ = true;
    form_->SetHistory(history);
    form_->cmbFind->setEditText(QString());
    form_->chkRegEx->setChecked(regEx);
}

void FindCommands::StoreSettings(int geometry[4], std::vector<std::string>& history,
                                 bool& regEx) const {
    if (placed_) {
        const QPoint at = form_->pos();
        geometry[0] = at.x();
        geometry[1] = at.y();
        geometry[2] = form_->width();
        geometry[3] = form_->height();
    }
    history = form_->History();
    regEx = form_->chkRegEx->isChecked();
}

void FindCommands::ApplyLanguage(const QStringList& titles) {
    QStringList merged = form_->ShownTitles();
    while (merged.size() < static_cast<qsizetype>(kListColumnCount)) merged << QString();
    for (qsizetype i = 0; i < std::min<qsizetype>(merged.size(), titles.size()); ++i)
        merged[i] = titles[i];
    form_->SetTitles(merged);
    form_->RewriteDates();
}

}  // namespace qx::ui

#include "ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <exception>

#include "browse/CommandRules.h"
#include "browse/ListRows.h"
#include "browse/ViewText.h"
#include "settings/LanguageRules.h"
#include "settings/SettingsSchema.h"
#include "ui/ColourBox.h"
#include "ui/CommandSet.h"
#include "ui/CopyCommands.h"
#include "ui/EditCommands.h"
#include "ui/FindCommands.h"
#include "ui/GraphCommands.h"
#include "ui/PrintCommands.h"
#include "ui/MessageWindowCommands.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/NavigateCommands.h"
#include "ui/SaveCommands.h"
#include "ui/SendCommands.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"

namespace qx::ui {

namespace {

constexpr const char* kProgramName = "Quillorix";

std::string MessageKey(MessageText text) {
    return NumberedKey("String", static_cast<int>(text));
}

// The Windows font names the window is designed with, mapped to the CJK fonts a
// Linux desktop has.
void InstallFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ ゴシック"),
                               {"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic", "Monospace"});
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ Ｐゴシック"),
                               {"Noto Sans CJK JP", "IPAPGothic", "VL PGothic", "Sans Serif"});
    QFont::insertSubstitutions(QString::fromUtf8("MS Gothic"), {"Noto Sans Mono CJK JP", "Monospace"});
    QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans", "Noto Sans CJK JP"});
}

}  // namespace

template <typename F>
void TForm1::Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ShowPlainMessage(this, QString::fromLocal8Bit(e.what()));
    }
}

TForm1::TForm1(StartOptions options, QWidget* parent)
    : QMainWindow(parent),
      Form2(new TForm2(this)),
      Form3(new TForm3(this)),
      options_(std::move(options)),
      ui_(std::make_unique<GuiSessionUi>(this, Form2, Form3, &texts_)),
      session_(*ui_) {
    InstallFontSubstitutes();
    setObjectName("TForm1");
    ui_->SetProgressDelay(options_.progressDelayMs);
    // FormCreate
    ExeFolder = options_.exeFolder;
    if (!ExeFolder.endsWith('/')) ExeFolder += '/';
    setWindowTitle(kProgramName);
    QFont font(QString::fromUtf8("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    resize(679, 440);
    setMinimumSize(600, 440);

    commands_ = new CommandSet(this);
    BuildLayout();
    ConnectCommands();
    ConnectSettings();

    tsSetting->PageControl2->setCurrentWidget(tsSetting->tsFont);
    PageControl1->setCurrentWidget(tsMain);
    view->lblHeader->clear();
    dialogFilter_ = FromCp932(LogFileFilter("jpn", ".txt;*.log"));
    UpdateCommandState();
}

TForm1::~TForm1() = default;

QAction* TForm1::Action(const QString& name) const {
    return commands_->Action(name);
}

void TForm1::BuildLayout() {
    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName("PageControl1");
    setCentralWidget(PageControl1);

    tsMain = new QWidget;
    tsMain->setObjectName("tsMain");
    auto* mainLayout = new QVBoxLayout(tsMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, tsMain);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    pnlTree = new TreePane(commands_->PopupMenu3, Splitter1);
    auto* pnlList = new QWidget(Splitter1);
    pnlList->setObjectName("pnlList");
    auto* listLayout = new QVBoxLayout(pnlList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    Splitter2 = new QSplitter(Qt::Vertical, pnlList);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    lvLog = new MessageList(commands_->PopupMenu2, Splitter2);
    view = new MessageView(commands_->PopupMenu1, Splitter2);
    listLayout->addWidget(Splitter2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter1->setSizes({240, 436});
    Splitter2->setSizes({137, 250});
    mainLayout->addWidget(Splitter1);
    PageControl1->addWidget(tsMain);

    tsSetting = new SettingsPage;
    PageControl1->addWidget(tsSetting);

    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);
    const int widths[3] = {350, 120, 100};
    for (int i = 0; i < 3; ++i) {
        statusPanels[i] = new QLabel(bar);
        statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels[i]->setMinimumWidth(widths[i]);
        statusPanels[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(statusPanels[i], i == 0 ? 1 : 0);
    }

    timReload = new QTimer(this);
    timReload->setObjectName("timReload");
    timReload->setInterval(5000);
    lvLog->toolTipOf = [this](int row) { return ToolTipOf(row); };
    view->texts = &texts_;
}

void TForm1::ConnectCommands() {
    auto on = [this](const char* name, void (TForm1::*handler)()) {
        connect(Action(name), &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    on("actExit", &TForm1::actExitExecute);
    on("actLoad", &TForm1::actLoadExecute);
    on("actAbout", &TForm1::actAboutExecute);
    on("actReload", &TForm1::actReloadExecute);
    on("actSetting", &TForm1::actSettingExecute);
    on("actJapanese", &TForm1::actJapaneseExecute);
    on("actEnglish", &TForm1::actEnglishExecute);
    on("actToolTipDisp", &TForm1::actToolTipDispExecute);

    CommandContext context;
    context.window = this;
    context.ops = this;
    context.session = &session_;
    context.ui = ui_.get();
    context.commands = commands_;
    context.tree = pnlTree;
    context.list = lvLog;
    context.view = view;
    context.settings = tsSetting;
    context.timReload = timReload;
    save_ = std::make_unique<SaveCommands>(context);
    edit_ = std::make_unique<EditCommands>(context);
    copy_ = std::make_unique<CopyCommands>(context);
    navigate_ = std::make_unique<NavigateCommands>(context);
    find_ = std::make_unique<FindCommands>(context, this);
    msgForm_ = std::make_unique<MessageWindowCommands>(context, this);
    send_ = std::make_unique<SendCommands>(context, SystemMessengerBridge());
    graph_ = std::make_unique<GraphCommands>(context, this);
    print_ = std::make_unique<PrintCommands>(context, this);

    // The edit menu and the pop-ups recompute the command state before they open.
    connect(commands_->mnuEdit, &QMenu::aboutToShow, this, &TForm1::UpdateCommandState);
    connect(commands_->PopupMenu1, &QMenu::aboutToShow, this, &TForm1::UpdateCommandState);
    connect(commands_->PopupMenu2, &QMenu::aboutToShow, this, &TForm1::UpdateCommandState);
    connect(commands_->PopupMenu3, &QMenu::aboutToShow, this, &TForm1::UpdateCommandState);
    connect(commands_->mnuHistory, &QMenu::triggered, this,
            [this](QAction* a) { Guarded([&] { HistoryItemClick(a); }); });

    connect(pnlTree, &TreePane::Changed, this, [this] { Guarded([&] { tvLogChange(); }); });
    connect(pnlTree, &TreePane::Clicked, this, [this] { Guarded([&] { tvLogClick(); }); });
    connect(pnlTree->cmbTreeKey, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([&] { cmbTreeKeyChange(); }); });
    connect(lvLog, &MessageList::Changed, this, [this] { Guarded([&] { lvLogChange(); }); });
    connect(lvLog, &MessageList::DoubleClicked, this, [this] { Guarded([&] { lvLogDblClick(); }); });
    connect(view->reLog, &QTextEdit::selectionChanged, this, &TForm1::UpdateCommandState);
    connect(view, &MessageView::LinkOpenFailed, this, [this](const QString& url) {
        statusPanels[0]->setText(url + FromCp932(texts_[MessageText::LinkFailed]));
    });
    connect(timReload, &QTimer::timeout, this, [this] { Guarded([&] { timReloadTimer(); }); });
}

// ---------------------------------------------------------------- start and close

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    Guarded([&] { FormShow(); });
}

void TForm1::FormShow() {
    ReadSettings();
    OpenFromCommandLine();
    PageControl1->setCurrentWidget(tsMain);
    pnlTree->tvLog->setFocus();
    ShowDone = true;
}

void TForm1::OpenFromCommandLine() {
    QString logFile = FromPath(session_.LogFileName);
    session_.LogFileName.clear();  // nothing is open until the load says so
    if (!options_.arguments.isEmpty()) {
        const QString first = options_.arguments.front();
        if (QFileInfo(first).isFile()) {
            logFile = first;
        } else {
            // An unquoted path with blanks: everything behind the program's own path.
            QString line = options_.rawCommandLine;
            qsizetype cut = -1;
            if (line.startsWith('"')) {
                cut = line.indexOf("\" ", 1);
                if (cut >= 0) cut += 1;
            } else {
                cut = line.indexOf(' ');
            }
            const QString rest = cut >= 0 ? line.mid(cut).trimmed() : QString();
            if (!rest.isEmpty() && QFileInfo(rest).isFile()) logFile = rest;
            else ReportUnopenable(rest.isEmpty() ? first : rest);
        }
    }
    if (!logFile.isEmpty() && !LoadLog(logFile, true)) CloseLog();
}

void TForm1::ReportUnopenable(const QString& path) {
    const QFileInfo info(path);
    MessageText why = MessageText::FileMissing;
    if (info.isDir()) why = MessageText::IsFolder;
    else if (info.exists()) why = MessageText::CannotRead;
    ui_->ShowMessage(MessageKey(why), "[" + ToPath(path) + "]");
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        Guarded([&] { FormCloseQuery(); });
    }
    event->accept();  // closing is never refused
}

void TForm1::FormCloseQuery() {
    timReload->stop();
    WriteSettings();
    save_->AtClose();
    // Tearing the controls down must not refill or re-render anything.
    pnlTree->SetDetached(true);
    lvLog->disconnect(this);
    pnlTree->disconnect(this);
}

// ---------------------------------------------------------------- loading

bool TForm1::LoadLog(const QString& fileName, bool full) {
    const std::string path = ToPath(fileName);
    if (!QFileInfo::exists(fileName)) {
        ui_->ShowMessage("String02", "[" + path + "]");
        return true;
    }
    SetBusy(false);
    timReload->stop();
    if (full) {
        lvLog->Clear();
        view->Clear();
        find_->ClearHits();
        AddToHistory(path, false);
    }
    const std::size_t before = session_.records.size();
    const LoadResult r = full ? session_.LoadLog(path, 0) : session_.LoadLog(path, session_.LoadedSize);
    SetCurrentFile();
    if (r.status == LoadStatus::PasswordGivenUp) {
        SetBusy(true);
        return false;
    }
    if (!r.ok()) {
        SetBusy(true);
        if (!session_.LogFileName.empty()) timReload->start();
        return true;
    }
    ShowRead(r, before);
    if (r.heldNoMessage) ui_->ShowMessage(MessageKey(MessageText::HoldsNoMessages), "[" + path + "]");
    timReload->start();
    SetBusy(true);
    send_->AfterRead();
    return true;
}

void TForm1::ShowRead(const LoadResult& r, std::size_t before) {
    if (r.fullRead || session_.records.size() < before) {
        // Replaced, or the last block was taken back: the tree's indexes are stale.
        BuildTree(0);
    } else {
        if (session_.records.size() > r.firstNew || before != session_.records.size())
            BuildTree(r.firstNew);
        if ((session_.records.size() > r.firstNew || r.changedRecord >= 0) && pnlTree->Selected() != nullptr &&
            !SearchShown)
            FillList(std::max<std::size_t>(r.firstNew, 1));
    }
    UpdateStatusBar();
}

void TForm1::CloseLog() {
    session_.CloseLog();
    find_->ClearHits();
    pnlTree->Clear();
    lvLog->Clear();
    view->Clear();
    setWindowTitle(kProgramName);
    QApplication::setApplicationDisplayName(QString());
    UpdateStatusBar();
    UpdateCommandState();
}

void TForm1::SetCurrentFile() {
    if (session_.LogFileName.empty()) return;
    const QString name = FromPath(session_.LogFileName);
    QString caption = QString(kProgramName) + " - " + name;
    if (session_.ReadOnlyMode) caption += " (ReadOnly)";
    setWindowTitle(caption);
    const QString suffix = QFileInfo(name).suffix();
    const std::string dotted = suffix.isEmpty() ? std::string() : "." + ToCp932(suffix);
    dialogFilter_ = FromCp932(LogFileFilter(LanguageCode, dotted));
    defaultExt_ = suffix;
}

void TForm1::SetBusy(bool enabled) {
    busy_ = !enabled;
    commands_->cmbLogList->setEnabled(enabled);
    UpdateCommandState();
}

void TForm1::FillLogList() {
    send_->FillLogList();
}

void TForm1::BuildTree(std::size_t firstNew) {
    if (session_.LogFileName.empty()) return;
    const bool full = firstNew == 0;
    LogTree& tree = pnlTree->Tree();
    tree.SetTexts(texts_[MessageText::DeletedNode], texts_[MessageText::CountUnit]);
    if (full) {
        tree.SetTreeKey(pnlTree->cmbTreeKey->currentIndex());
        lvLog->Clear();
        view->Clear();
        ui_->ProgressBegin("TreeView Making...");
    }
    const bool selected = pnlTree->BuildTree(session_.records, firstNew, [this, full](int p) {
        if (!full) return;
        ui_->Progress(p);
        ui_->ProcessEvents();
    });
    if (full) ui_->ProgressEnd();
    if (selected) tvLogChange();
    UpdateStatusBar();
}

// ---------------------------------------------------------------- tree, list, view

void TForm1::tvLogChange() {
    SearchShown = false;
    CurrentView = ViewSource::List;
    FillList(0);
    UpdateCommandState();
}

void TForm1::tvLogClick() {
    if (SearchShown) tvLogChange();
}

void TForm1::cmbTreeKeyChange() {
    if (ShowDone) BuildTree(0);
}

void TForm1::FillList(std::size_t firstNew) {
    TreeNode* node = pnlTree->Selected();
    if (node == nullptr) return;
    int keep = 0;
    if (firstNew > 0) keep = std::max(lvLog->FirstSelectedRow(), 0);
    std::vector<ListRow> rows;
    if (node->HasChildren()) {
        view->Clear();
        rows = FolderRows(*node);
    } else {
        ListOptions options;
        options.previewSkipPrefix = PreviewSkipPrefix;
        options.monthFirst = LanguageCode != kJapaneseCode;
        const std::vector<std::size_t> indexes = NodeRecords(pnlTree->Tree(), node, session_.records);
        rows.reserve(indexes.size());
        for (std::size_t i : indexes) {
            LogData& record = session_.records[i];
            if (NeedsPasswordFirst(record, session_.CurrentPassword)) session_.AskPassword(false);
            options.password = session_.CurrentPassword;
            rows.push_back(MessageRow(record, i, options));
        }
    }
    lvLog->Fill(std::move(rows), keep);
    if (lvLog->RowCount() == 0) view->Clear();
    UpdateStatusBar();
}

void TForm1::lvLogChange() {
    CurrentView = ViewSource::List;
    const int row = lvLog->FirstSelectedRow();
    if (row < 0) return;
    const ListRow& r = lvLog->Model()->Row(row);
    if (r.IsMessageRow()) {
        ShowSelectedMessages();
        return;
    }
    view->Clear();
    const QColor colour = tsSetting->cbTextColor->Colour();
    for (const std::string& line : FolderContents(pnlTree->Tree(), pnlTree->Selected(), r.text[kColUser]))
        view->AddViewLine(FromCp932(line), colour);
    UpdateCommandState();
}

void TForm1::lvLogDblClick() {
    const int row = lvLog->FirstSelectedRow();
    TreeNode* node = pnlTree->Selected();
    if (row < 0 || node == nullptr || !node->HasChildren()) return;
    const ListRow& r = lvLog->Model()->Row(row);
    if (r.IsMessageRow()) return;
    TreeNode* child = pnlTree->Tree().ChildWithText(node, r.text[kColUser]);
    if (child == nullptr) return;
    pnlTree->ExpandNode(node, false);
    pnlTree->SelectNode(child);
}

void TForm1::ShowSelectedMessages() {
    if (CurrentView == ViewSource::Find) {
        find_->lvFindChange();
        return;
    }
    const std::vector<int> rows = lvLog->SelectedRows();
    if (rows.empty()) return;
    std::vector<std::size_t> records;
    for (int row : rows) {
        const ListRow& r = lvLog->Model()->Row(row);
        if (r.IsMessageRow()) records.push_back(r.record);
    }
    ShowRecords(records);
}

void TForm1::ShowRecords(const std::vector<std::size_t>& records) {
    ViewOptions options;
    for (const QString& mark : tsSetting->QuoteMarks()) options.quoteMarks.push_back(ToCp932(mark));
    options.headerApart = tsSetting->chkHeaderDisp->isChecked();
    const ViewColours colours{tsSetting->cbTextColor->Colour(), tsSetting->cbHeaderColor->Colour(),
                              tsSetting->cbQuoteColor->Colour()};
    view->BeginShow();
    int quoteLines = 0;
    for (std::size_t index : records) {
        if (index >= session_.records.size()) continue;
        LogData& record = session_.records[index];
        if (NeedsPasswordFirst(record, session_.CurrentPassword)) session_.AskPassword(false);
        options.password = session_.CurrentPassword;
        const RenderedMessage m = RenderMessage(record, options);
        view->AppendMessage(m, colours);
        quoteLines = m.leadingQuotes;
    }
    const bool held = (QApplication::queryKeyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    view->EndShow(tsSetting->chkQuoteScroll->isChecked() && !held ? quoteLines : 0);
    UpdateCommandState();
}

QString TForm1::ToolTipOf(int row) {
    const ListRow& r = lvLog->Model()->Row(row);
    if (!r.IsMessageRow() || r.record >= session_.records.size()) return QString();
    return FromCp932(ToolTipText(session_.records[r.record], session_.CurrentPassword));
}

// ---------------------------------------------------------------- command state and status

void TForm1::UpdateCommandState() {
    SelectionState state;
    state.logOpen = !session_.LogFileName.empty();
    state.readOnly = session_.ReadOnlyMode;
    state.busy = busy_;
    TreeNode* node = pnlTree->Selected();
    state.nodeSelected = node != nullptr;
    state.deletedNodeSelected = pnlTree->Tree().IsDeletedNode(node);
    const int first = lvLog->FirstSelectedRow();
    state.rowSelected = first >= 0;
    state.firstRowIsMessage = first >= 0 && lvLog->Model()->Row(first).IsMessageRow();
    state.viewHasSelection = view->reLog->textCursor().hasSelection();
    const EnabledCommands on = EnabledFor(state);
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const auto c = static_cast<Command>(i);
        commands_->SetEnabled(CommandName(c), on[c]);
    }
}

void TForm1::UpdateStatusBar() {
    TreeNode* node = pnlTree->Selected();
    if (node == nullptr || session_.LogFileName.empty()) {
        statusPanels[1]->clear();
        statusPanels[2]->clear();
        return;
    }
    const int rows = node->HasChildren() ? 0 : lvLog->RowCount();
    statusPanels[1]->setText(QStringLiteral("%1 / %2 Messages").arg(rows).arg(session_.records.size()));
    statusPanels[2]->setText(QStringLiteral("%1 byte").arg(LogSession::LogFileSize(session_.LogFileName)));
}

QString TForm1::StatusText(int panel) const {
    return statusPanels[panel]->text();
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // The hint of the control or command under the pointer goes to panel 0.
        statusPanels[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

}  // namespace qx::ui

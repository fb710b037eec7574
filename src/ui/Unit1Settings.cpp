// The main window's settings file, language and recent-files menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QCheckBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QCheckBox>
#include <QButtonGroup>

#include "settings/History.h"
#include "settings/LanguageRules.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"
#include "ui/ColourBox.h"
#include "ui/CommandSet.h"
#include "ui/FindCommands.h"
#include "ui/GraphCommands.h"
#include "ui/LanguageApplier.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SendCommands.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"

namespace qx::ui {

namespace {

bool FolderWritable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

bool FileExists(const std::string& path) {
    return QFileInfo(FromPath(path)).isFile();
}

// A build tree or a folder holding the whole program has its language files
// beside the executable; an installed program has them in the data folder.
bool DataBesideExecutable(const QString& exeFolder) {
    return FileExists(LanguageFilePath(ToPath(exeFolder), "jpn")) ||
           FileExists(LanguageFilePath(ToPath(exeFolder), "eng"));
}

std::string ConfigSettingsPath(const StartOptions& options) {
    return SettingsFilePath(ToPath(options.exeFolder), ToPath(options.userName), false,
                            ToPath(options.configFolder));
}

}  // namespace

void TForm1::ConnectSettings() {
    SettingsPage* p = tsSetting;
    connect(p->btnGoMain, &QPushButton::clicked, this, &TForm1::btnGoMainClick);
    connect(p->btnFont, &QPushButton::clicked, this, &TForm1::btnFontClick);
    // Text, header and quote colours and the header panel re-show the selection.
    for (ColourBox* box : {p->cbTextColor, p->cbHeaderColor, p->cbQuoteColor})
        connect(box, &ColourBox::ColourChanged, this, [this] { ShowSelectedMessages(); });
    connect(p->chkHeaderDisp, &QCheckBox::toggled, this, [this](bool on) {
        view->SetHeaderApart(on);
        ShowSelectedMessages();
    });
    connect(p->cbBackColor, &ColourBox::ColourChanged, this,
            [this] { view->SetBackColour(tsSetting->cbBackColor->Colour()); });
    for (ColourBox* box : {p->cbTreeTextColor, p->cbTreeBackColor})
        connect(box, &ColourBox::ColourChanged, this, [this] {
            pnlTree->SetColours(tsSetting->cbTreeTextColor->Colour(), tsSetting->cbTreeBackColor->Colour());
        });
    for (ColourBox* box : {p->cbListTextColor, p->cbListBackColor})
        connect(box, &ColourBox::ColourChanged, this, [this] {
            lvLog->SetColours(tsSetting->cbListTextColor->Colour(), tsSetting->cbListBackColor->Colour());
        });
    connect(p->chkToolTipDisp, &QCheckBox::toggled, this, &TForm1::chkToolTipDispClick);
}

void TForm1::ApplyColours() {
    view->SetBackColour(tsSetting->cbBackColor->Colour());
    pnlTree->SetColours(tsSetting->cbTreeTextColor->Colour(), tsSetting->cbTreeBackColor->Colour());
    lvLog->SetColours(tsSetting->cbListTextColor->Colour(), tsSetting->cbListBackColor->Colour());
}

void TForm1::ApplyViewFont(const QFont& font) {
    viewFont_ = font;
    view->SetViewFont(font);
    pnlTree->tvLog->setFont(font);
    lvLog->setFont(font);
    tsSetting->btnFont->setText(font.family());
    ApplyColours();  // the tree and list keep their own text colours
}

void TForm1::btnFontClick() {
    QFontDialog dialog(viewFont_, this);
    dialog.setObjectName("FontDialog1");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The view's font is a face, a size, bold and italic: the dialog offers no effects.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
        effect->hide();
        if (auto* group = qobject_cast<QGroupBox*>(effect->parentWidget())) group->hide();
    }
    if (dialog.exec() != QDialog::Accepted) return;
    QFont chosen = dialog.selectedFont();
    chosen.setUnderline(viewFont_.underline());
    chosen.setStrikeOut(viewFont_.strikeOut());
    ApplyViewFont(chosen);
    ShowSelectedMessages();
}

// ---------------------------------------------------------------- settings file

QString TForm1::DataFile(const QString& name) const {
    return FromPath(DataFilePath(ToPath(ExeFolder), ToPath(name), FileExists));
}

void TForm1::ReadSettings() {
    // Beside the executable only where it keeps its own data and may write;
    // an installed program keeps its settings in the per-user folder.
    const QString exe = options_.exeFolder;
    const bool beside = FolderWritable(exe) && DataBesideExecutable(exe);
    SettingsPath = FromPath(SettingsFilePath(ToPath(ExeFolder), ToPath(options_.userName), beside,
                                             ToPath(options_.configFolder)));
    IniFile ini;
    std::string error;
    if (!ini.LoadFile(ToPath(SettingsPath), error)) ui_->ShowError(error);

    SettingsContext context;
    const QRect screenRect = screen() != nullptr ? screen()->geometry() : QRect(0, 0, 1024, 768);
    context.screenWidth = screenRect.width();
    context.screenHeight = screenRect.height();
    context.japaneseLocale = QLocale::system().language() == QLocale::Japanese;
    context.lastColumnWidth = lvLog->header()->sectionSize(kListColumns - 1);
    context.fileExists = [](const std::string& path) { return QFileInfo(FromPath(path)).isFile(); };
    const Settings s = qx::ReadSettings(ini, context);

    move(s.mainWindow.left, s.mainWindow.top);
    resize(std::max(s.mainWindow.width, 600), std::max(s.mainWindow.height, 440));
    Splitter1->setSizes({s.treeWidth, std::max(width() - s.treeWidth, 100)});
    Splitter2->setSizes({s.listHeight, std::max(Splitter2->height() - s.listHeight, 100)});
    for (int i = 0; i < kListColumns - 1; ++i) lvLog->header()->resizeSection(i, s.listWidths[static_cast<std::size_t>(i)]);
    findWindow_[0] = s.findWindow.left;
    findWindow_[1] = s.findWindow.top;
    findWindow_[2] = s.findWindow.width;
    findWindow_[3] = s.findWindow.height;

    session_.LogFileName = s.logFile;
    LanguageCode = s.language;
    pnlTree->cmbTreeKey->setCurrentIndex(s.sortType);
    tsSetting->SetSaveType(s.encode);

    const ColourValue values[] = {s.colours.text, s.colours.header, s.colours.quote, s.colours.back,
                                  s.colours.treeText, s.colours.treeBack, s.colours.listText, s.colours.listBack};
    const QList<ColourBox*> boxes = tsSetting->ColourBoxes();
    for (int i = 0; i < boxes.size(); ++i) boxes[i]->SetValue(values[i]);
    ApplyColours();

    QFont font(FromCp932(s.fontName));
    font.setPointSize(s.fontSize > 0 ? s.fontSize : 9);
    font.setBold(s.bold);
    font.setItalic(s.italic);
    font.setUnderline(s.underline);
    font.setStrikeOut(s.strikeOut);
    ApplyViewFont(font);

    tsSetting->chkDustBox->setChecked(s.dustBox);
    defaultExt_ = FromCp932(s.defaultExt);
    tsSetting->chkAutoEncode->setChecked(s.autoEncode);
    tsSetting->udHistoryNum->setValue(s.historyNum);
    session_.ForceReadOnly = s.readOnly;
    tsSetting->chkHeaderDisp->setChecked(s.headerDisp);
    view->SetHeaderApart(s.headerDisp);
    tsSetting->chkQuoteScroll->setChecked(s.quoteScroll);
    regEx_ = s.regEx;
    lvLog->Sort().UpDown = s.upDown;
    lvLog->Sort().SortColumn = s.sortColumn;
    PreviewSkipPrefix = s.multiStr;
    tsSetting->chkHeaderEncode->setChecked(s.headerEncode);
    tsSetting->chkToolTipDisp->setChecked(s.toolTipDisp);
    chkToolTipDispClick();
    graph_->LoadSettings(s.dispValue);

    history_ = s.history;
    RefreshHistoryMenu();
    findStrings_ = s.findStrings;
    find_->LoadSettings(findWindow_, findStrings_, regEx_);
    QStringList marks;
    for (const std::string& m : s.quoteMarks) marks << FromCp932(m);
    tsSetting->SetQuoteMarks(marks);

    ApplyLanguage();
}

void TForm1::WriteSettings() {
    find_->StoreSettings(findWindow_, findStrings_, regEx_);
    Settings s;
    const QRect g = geometry();
    s.mainWindow = {g.left(), g.top(), g.width(), g.height()};
    s.treeWidth = pnlTree->width();
    s.listHeight = lvLog->height();
    for (int i = 0; i < kListColumns; ++i) s.listWidths[static_cast<std::size_t>(i)] = lvLog->header()->sectionSize(i);
    s.findWindow = {findWindow_[0], findWindow_[1], findWindow_[2], findWindow_[3]};
    s.logFile = session_.LogFileName;
    s.language = LanguageCode;
    s.sortType = pnlTree->cmbTreeKey->currentIndex();
    s.encode = tsSetting->SaveType();
    const QList<ColourBox*> b = tsSetting->ColourBoxes();
    s.colours = {b[0]->Value(), b[1]->Value(), b[2]->Value(), b[3]->Value(),
                 b[4]->Value(), b[5]->Value(), b[6]->Value(), b[7]->Value()};
    s.fontName = ToCp932(viewFont_.family());
    s.fontSize = viewFont_.pointSize();
    s.bold = viewFont_.bold();
    s.italic = viewFont_.italic();
    s.underline = viewFont_.underline();
    s.strikeOut = viewFont_.strikeOut();
    s.dustBox = tsSetting->chkDustBox->isChecked();
    s.defaultExt = ToCp932(defaultExt_);
    s.autoEncode = tsSetting->chkAutoEncode->isChecked();
    s.historyNum = tsSetting->udHistoryNum->value();
    s.readOnly = session_.ForceReadOnly;
    s.headerDisp = tsSetting->chkHeaderDisp->isChecked();
    s.quoteScroll = tsSetting->chkQuoteScroll->isChecked();
    s.regEx = regEx_;
    s.upDown = lvLog->Sort().UpDown;
    s.sortColumn = lvLog->Sort().SortColumn;
    s.multiStr = PreviewSkipPrefix;
    s.headerEncode = tsSetting->chkHeaderEncode->isChecked();
    s.toolTipDisp = tsSetting->chkToolTipDisp->isChecked();
    s.dispValue = graph_->DispValue();
    s.history = history_;
    s.findStrings = findStrings_;
    for (const QString& m : tsSetting->QuoteMarks()) s.quoteMarks.push_back(ToCp932(m));

    // A settings file that cannot be written beside the executable goes to the
    // per-user folder; only when neither takes it is the user told.
    const IniFile ini = qx::WriteSettings(s);
    std::string error;
    if (ini.SaveFile(ToPath(SettingsPath), error)) return;
    const std::string fallback = ConfigSettingsPath(options_);
    std::string fallbackError;
    if (fallback != ToPath(SettingsPath) && ini.SaveFile(fallback, fallbackError)) return;
    ui_->ShowError("Cannot write the settings file [" + ToPath(SettingsPath) + "]: " + error);
}

// ---------------------------------------------------------------- language

void TForm1::ApplyLanguage() {
    std::string error;
    const std::optional<LanguageFile> file =
        LanguageFile::Load(ToPath(DataFile(FromPath(LanguageFilePath("", LanguageCode)))), error);
    if (!file) {
        if (!error.empty()) ui_->ShowError(error);
        return;  // no file: every text stays as it is
    }
    const AppliedLanguage applied = ApplyLanguageTexts(this, *file);
    texts_ = applied.messages;

    QStringList titles = lvLog->Model()->Titles();
    for (QString& t : titles) t = FromCp932(StripSortMarks(ToCp932(t)));
    while (titles.size() < kListColumns) titles << QString();
    for (int i = 0; i < std::min<int>(kListColumns, static_cast<int>(applied.columnTitles.size())); ++i)
        titles[i] = applied.columnTitles[i];
    lvLog->SetTitles(titles);
    for (ListRow& row : lvLog->Model()->Rows()) {
        if (row.IsMessageRow()) row.text[kColDate] = RewriteDateColumn(row.text[kColDate], LanguageCode);
    }
    lvLog->Model()->DatesChanged();
    find_->ApplyLanguage(applied.columnTitles);
    if (!ShowDone) FillList(0);

    const bool descriptive = LanguageCode == kJapaneseCode;
    for (ColourBox* box : tsSetting->ColourBoxes()) box->SetDescriptiveNames(descriptive);

    dialogFilter_ = FromCp932(LogFileFilter(LanguageCode, "." + ToCp932(defaultExt_)));
    send_->ApplyLanguage();
    cmbTreeKeyChange();
}

// ---------------------------------------------------------------- recent files

void TForm1::AddToHistory(const std::string& path, bool append) {
    qx::AddToHistory(history_, path, append, tsSetting->udHistoryNum->value());
    RefreshHistoryMenu();
}

void TForm1::RefreshHistoryMenu() {
    QMenu* menu = commands_->mnuHistory;
    menu->clear();
    for (const std::string& entry : history_) {
        QString caption = FromPath(entry);
        caption.replace('&', "&&");
        QAction* a = menu->addAction(caption);
        a->setData(QString::fromStdString(entry));
    }
    if (!history_.empty()) menu->menuAction()->setEnabled(true);
}

QStringList TForm1::HistoryEntries() const {
    QStringList out;
    for (const std::string& e : history_) out << FromPath(e);
    return out;
}

void TForm1::HistoryItemClick(QAction* item) {
    const std::string path = HistoryPath(item->data().toString().toStdString());
    if (QFileInfo(FromPath(path)).isFile()) {
        session_.CurrentPassword.clear();
        if (!LoadLog(FromPath(path), true)) CloseLog();
        return;
    }
    ui_->ShowMessage("String02", "[" + path + "]");
    const auto it = std::find(history_.begin(), history_.end(), item->data().toString().toStdString());
    if (it != history_.end()) history_.erase(it);
    RefreshHistoryMenu();
}

}  // namespace qx::ui

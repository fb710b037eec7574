// The main window: tool bar, tree, list and view, the settings page and the
// status bar. It owns the open log and wires every control to the core.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "logstore/LogSession.h"
#include "settings/LanguageSchema.h"
#include "ui/CommandContext.h"
#include "ui/GuiSessionUi.h"

class QAction;
class QFileDialog;
class QLabel;
class QSplitter;
class QStackedWidget;
class QTimer;

namespace qx::ui {

class CommandSet;
class CopyCommands;
class EditCommands;
class FindCommands;
class GraphCommands;
class PrintCommands;
class MessageWindowCommands;
class MessageList;
class NavigateCommands;
class SaveCommands;
class SendCommands;
class MessageView;
class SettingsPage;
class TForm2;
class TForm3;
class TreePane;

// Where the window finds its files; tests point these at a scratch folder.
struct StartOptions {
    QString exeFolder;     // the executable's folder (language files, settings)
    QString configFolder;  // used for the settings when exeFolder is not writable
    QString userName;      // names the settings file
    QStringList arguments; // the command line after the program's name
    QString rawCommandLine;  // the whole command line, for an unquoted path with blanks
    int progressDelayMs = 150;  // shorter work shows no progress window
};

class TForm1 : public QMainWindow, public WindowOps {
    Q_OBJECT
public:
    explicit TForm1(StartOptions options, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- state shared with the core and the tests
    LogSession& Session() { return session_; }
    const MessageTexts& Messages() const { return texts_; }
    QString ExeFolder;
    QString SettingsPath;
    // A data file (language file, help page, sample log) beside the executable,
    // else in the installed data folder.
    QString DataFile(const QString& name) const;
    std::string LanguageCode = "jpn";
    std::string PreviewSkipPrefix = "[To]";
    bool ShowDone = false;
    bool SearchShown = false;
    // Which list the view shows messages from; colour and font changes re-show from it.
    enum class ViewSource { List, Find };
    ViewSource CurrentView = ViewSource::List;

    // ---- operations
    bool LoadLog(const QString& fileName, bool full) override;
    void CloseLog() override;
    void ShowRead(const LoadResult& result, std::size_t before) override;
    void SetCurrentFile();
    // Off while a read or write runs: the commands that would start another.
    void SetBusy(bool enabled) override;
    bool Busy() const { return busy_; }
    void UpdateCommandState() override;
    void UpdateStatusBar() override;
    void BuildTree(std::size_t firstNew);
    void FillList(std::size_t firstNew);
    void ShowSelectedMessages();
    // Shows records (indexes into the record vector) in the view, in the given order.
    void ShowRecords(const std::vector<std::size_t>& records);
    void ApplyLanguage();
    void ReadSettings();
    void WriteSettings();
    void AddToHistory(const std::string& path, bool append);
    QStringList HistoryEntries() const;
    QString StatusText(int panel) const;
    QString DialogFilter() const override { return dialogFilter_; }
    QString DefaultExt() const override { return defaultExt_; }
    void FillLogList() override;

    // ---- handlers
    void tvLogChange() override;
    void tvLogClick();
    void cmbTreeKeyChange();
    void lvLogChange() override;
    void lvLogDblClick();
    void timReloadTimer();
    void actLoadExecute();
    void actReloadExecute() override;
    void actExitExecute();
    void actAboutExecute();
    void actSettingExecute();
    void btnGoMainClick();
    void actJapaneseExecute();
    void actEnglishExecute();
    void actToolTipDispExecute();
    void chkToolTipDispClick();
    void HistoryItemClick(QAction* item);

    // ---- controls
    CommandSet* Commands() const { return commands_; }
    SaveCommands* Saving() const { return save_.get(); }
    FindCommands* Finding() const { return find_.get(); }
    MessageWindowCommands* MessageWindows() const { return msgForm_.get(); }
    SendCommands* Sending() const { return send_.get(); }
    GraphCommands* Graph() const { return graph_.get(); }
    PrintCommands* Printing() const { return print_.get(); }
    QAction* Action(const QString& name) const;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    QStackedWidget* PageControl1 = nullptr;
    QWidget* tsMain = nullptr;
    SettingsPage* tsSetting = nullptr;
    TreePane* pnlTree = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    MessageList* lvLog = nullptr;
    MessageView* view = nullptr;
    QTimer* timReload = nullptr;
    QLabel* statusPanels[3] = {nullptr, nullptr, nullptr};

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildLayout();
    void ConnectCommands();
    void ConnectSettings();
    void FormShow();
    void FormCloseQuery();
    // Why a path named on the command line cannot be opened, as a message.
    void ReportUnopenable(const QString& path);
    void OpenFromCommandLine();
    void ApplyViewFont(const QFont& font);
    void btnFontClick();
    void ApplyColours();
    void RefreshHistoryMenu();
    QString ToolTipOf(int row);
    // Runs a handler; an exception is shown and the program goes on.
    template <typename F>
    void Guarded(F&& f);

    StartOptions options_;
    MessageTexts texts_;
    std::unique_ptr<GuiSessionUi> ui_;
    LogSession session_;
    CommandSet* commands_ = nullptr;
    std::unique_ptr<SaveCommands> save_;
    std::unique_ptr<EditCommands> edit_;
    std::unique_ptr<CopyCommands> copy_;
    std::unique_ptr<NavigateCommands> navigate_;
    std::unique_ptr<FindCommands> find_;
    std::unique_ptr<MessageWindowCommands> msgForm_;
    std::unique_ptr<SendCommands> send_;
    std::unique_ptr<GraphCommands> graph_;
    std::unique_ptr<PrintCommands> print_;
    bool busy_ = false;
    std::vector<std::string> history_;
    QString dialogFilter_;
    QString defaultExt_ = "log";
    QFont viewFont_;
    int findWindow_[4] = {0, 0, 500, 300};
    std::vector<std::string> findStrings_;
    bool regEx_ = false;
    bool shown_ = false;
    bool closing_ = false;
};

}  // namespace qx::ui

#include "ui/SendCommands.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>

#include "browse/ListRows.h"
#include "messenger/LogList.h"
#include "settings/LanguageSchema.h"
#include "settings/SettingsSchema.h"
#include "ui/CommandSet.h"
#include "ui/CopyCommands.h"
#include "ui/GuiSessionUi.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/UiText.h"

namespace qx::ui {

namespace {

// Used when no language file gave the text.
constexpr const char* kNoInstanceHint = "Sending needs IP Messenger running on Windows.";

QString Fixed(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SendCommands::SendCommands(const CommandContext& context, std::unique_ptr<MessengerBridge> bridge)
    : c_(context), bridge_(std::move(bridge)) {
    QObject::connect(c_.commands->cmbLogList, &QComboBox::activated, c_.window,
                     [this](int index) { RunGuarded(c_.window, [&] { cmbLogListChange(index); }); });
    BuildSendMenus();
}

SendCommands::~SendCommands() = default;

void SendCommands::SetBridge(std::unique_ptr<MessengerBridge> bridge) {
    bridge_ = std::move(bridge);
}

void SendCommands::BuildSendMenus() {
    QMenu* menus[] = {c_.commands->mnuSend, c_.commands->mnuRSend};
    // The clicked entry may be the one being replaced: it goes once its click is over.
    for (QMenu* menu : menus) {
        for (QAction* entry : menu->actions()) {
            menu->removeAction(entry);
            entry->deleteLater();
        }
    }
    const std::vector<std::string> captions = SendMenuCaptions(bridge_->TopLevelWindowClasses());
    for (const std::string& caption : captions) {
        for (QMenu* menu : menus) {
            QAction* entry = menu->addAction(FromCp932(caption));
            QObject::connect(entry, &QAction::triggered, c_.window,
                             [this, entry] { RunGuarded(c_.window, [&] { SendToMessenger(entry); }); });
        }
    }
    ShowNoInstanceHint(captions.empty());
}

void SendCommands::ShowNoInstanceHint(bool noInstance) {
    QString hint;
    if (noInstance) {
        hint = c_.ui->MessageText(NumberedKey("String", static_cast<int>(MessageText::SendNeedsWindows)));
        if (hint.isEmpty()) hint = kNoInstanceHint;
    }
    for (QMenu* menu : {c_.commands->mnuSend, c_.commands->mnuRSend}) {
        menu->menuAction()->setEnabled(!noInstance);
        menu->menuAction()->setToolTip(hint);
        menu->menuAction()->setStatusTip(hint);
    }
}

void SendCommands::ApplyLanguage() {
    ShowNoInstanceHint(c_.commands->mnuSend->isEmpty());
}

void SendCommands::SendToMessenger(const QAction* entry) {
    SendRequest request;
    request.caption = ToCp932(entry->text());
    const QString selected = SelectedViewText(*c_.view);
    request.hasSelection = !selected.isEmpty();
    if (request.hasSelection) request.text = ToCp932(AskAndQuote(c_.window, *c_.ui, selected));
    const int row = c_.list->FirstSelectedRow();
    if (row >= 0) {
        request.hasRecipient = true;
        request.recipient = c_.list->Model()->Row(row).text[kColUser];
    }
    switch (qx::SendToMessenger(*bridge_, request).outcome) {
        case SendOutcome::OpenError:
            BuildSendMenus();
            ShowPlainMessage(c_.window, Fixed(kMessengerOpenError));
            break;
        case SendOutcome::EditError:
            ShowPlainMessage(c_.window, Fixed(kMessengerEditError));
            break;
        case SendOutcome::NoDialog:
        case SendOutcome::DialogOpened:
        case SendOutcome::TextSet:
            break;
    }
}

void SendCommands::FillLogList() {
    const LogSession& s = *c_.session;
    if (s.LogFileName.empty()) return;
    const LogListing listing = qx::FillLogList(s.LogFileName);
    QComboBox* box = c_.commands->cmbLogList;
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& name : listing.items) box->addItem(FromPath(name));
    box->setCurrentIndex(listing.selected);
}

void SendCommands::cmbLogListChange(int index) {
    QComboBox* box = c_.commands->cmbLogList;
    if (index < 0 || index >= box->count()) return;
    const std::string path = c_.session->LogFolder + ToPath(box->itemText(index));
    if (QFileInfo::exists(FromPath(path))) {
        c_.session->CurrentPassword.clear();
        if (!c_.ops->LoadLog(FromPath(path), true)) c_.ops->CloseLog();
        return;
    }
    c_.ui->ShowMessage("String02", "[" + path + "]");
    // The vanished file leaves the list, and the open log is selected again.
    FillLogList();
}

void SendCommands::AfterRead() {
    BuildSendMenus();
    FillLogList();
}

}  // namespace qx::ui

#include "ui/CommandSet.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "settings/LanguageSchema.h"
#include "ui/Icons.h"

namespace qx::ui {

namespace {

struct CommandDef {
    const char* name;
    const char* shortcut;  // empty for none
    int image;             // index in ImageList1, -1 for none
    bool built;            // false: its handler belongs to a later piece of work
};

// In the order of the action list.
constexpr CommandDef kCommands[] = {
    {"actJapanese", "", -1, true},
    {"actEnglish", "", -1, true},
    {"actExit", "", 0, true},
    {"actLoad", "Ctrl+L", 1, true},
    {"actAbout", "", 9, true},
    {"actSave", "Ctrl+S", 2, false},
    {"actSaveAs", "", -1, false},
    {"actCopy", "Ctrl+C", 10, false},
    {"actCopy2", "", -1, false},
    {"actAllSelect", "Ctrl+A", -1, false},
    {"actReload", "Ctrl+R", 5, true},
    {"actDelete", "Ctrl+D", 13, false},
    {"actMoveTop", "Ctrl+T", 11, false},
    {"actMoveBottom", "Ctrl+B", 12, false},
    {"actMoveUp", "Ctrl+U", 6, false},
    {"actMoveDown", "Ctrl+W", 7, false},
    {"actUnDelete", "", 14, false},
    {"actPrint", "", 3, false},
    {"actHelp", "F1", 15, false},
    {"actSaveSelect", "", -1, false},
    {"actDeleteSelect", "", 16, false},
    {"actAllOpen", "", -1, true},
    {"actAllClose", "", -1, true},
    {"actSelectOpen", "", -1, true},
    {"actSelectClose", "", -1, true},
    {"actListTop", "Ctrl+Alt+T", 17, true},
    {"actListBottom", "Ctrl+Alt+B", 18, true},
    {"actFind", "Ctrl+F", 19, false},
    {"actSetting", "", 8, true},
    {"actFolderUp", "", 20, true},
    {"actToolTipDisp", "", -1, true},
    {"actMsgForm", "Ctrl+Alt+W", 21, false},
    {"actGraph", "", 22, false},
};

// The designed caption of a command or menu, from the language key table.
QString BuiltInCaption(const char* name) {
    for (const LanguageKey& key : LanguageKeys()) {
        if (key.targets[0] == name) {
            const std::vector<std::string> items = BuiltInItems(key);
            if (!items.empty()) return QString::fromStdString(items.front());
        }
    }
    return QString();
}

}  // namespace

CommandSet::CommandSet(QMainWindow* window) : QObject(window) {
    CreateActions(window);
    BuildMenuBar(window);
    BuildPopups(window);
    BuildToolBar(window);
}

void CommandSet::CreateActions(QMainWindow* window) {
    for (const CommandDef& def : kCommands) {
        auto* a = new QAction(BuiltInCaption(def.name), window);
        a->setObjectName(def.name);
        if (*def.shortcut != '\0') {
            a->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
            a->setShortcutContext(Qt::WindowShortcut);
        }
        if (def.image >= 0) a->setIcon(ImageList1(def.image));
        a->setProperty("built", def.built);
        a->setProperty("ruleEnabled", true);
        if (!def.built) {
            a->setEnabled(false);
            a->setToolTip(a->text().remove('&') + " - not available yet");
        }
        window->addAction(a);  // shortcuts work without the menus being open
        actions_.insert(def.name, a);
        order_ << def.name;
    }
    actions_["actToolTipDisp"]->setCheckable(true);
}

QAction* CommandSet::Action(const QString& name) const {
    return actions_.value(name, nullptr);
}

QMenu* CommandSet::Menu(const QString& name) const {
    return menus_.value(name, nullptr);
}

bool CommandSet::IsBuilt(const QString& name) const {
    const QAction* a = Action(name);
    return a != nullptr && a->property("built").toBool();
}

QAction* CommandSet::MarkBuilt(const QString& name) {
    QAction* a = Action(name);
    if (a == nullptr) return nullptr;
    if (!a->property("built").toBool()) {
        a->setProperty("built", true);
        a->setToolTip(QString());
        a->setEnabled(a->property("ruleEnabled").toBool());
    }
    return a;
}

void CommandSet::SetEnabled(const QString& name, bool rule) {
    QAction* a = Action(name);
    if (a == nullptr) return;
    a->setProperty("ruleEnabled", rule);
    a->setEnabled(rule && IsBuilt(name));
}

QMenu* CommandSet::NewMenu(QWidget* parent, const char* name, const QString& title) {
    auto* m = new QMenu(title, parent);
    m->setObjectName(name);
    m->menuAction()->setObjectName(QString::fromLatin1(name) + "Item");
    menus_.insert(name, m);
    return m;
}

void CommandSet::BuildMenuBar(QMainWindow* window) {
    QMenuBar* bar = window->menuBar();
    auto add = [&](QMenu* m, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (*n == '-') m->addSeparator();
            else if (QMenu* sub = menus_.value(n, nullptr)) m->addMenu(sub);
            else m->addAction(actions_[n]);
        }
        bar->addMenu(m);
    };
    QMenu* file = NewMenu(bar, "mnuFile", BuiltInCaption("mnuFile"));
    mnuHistory = NewMenu(file, "mnuHistory", BuiltInCaption("mnuHistory"));
    mnuHistory->menuAction()->setEnabled(false);
    add(file, {"actReload", "actLoad", "actSave", "actSaveAs", "actSaveSelect", "actPrint",
               "mnuHistory", "-", "actExit"});
    mnuEdit = NewMenu(bar, "mnuEdit", BuiltInCaption("mnuEdit"));
    add(mnuEdit, {"actCopy", "actCopy2", "actDelete", "actDeleteSelect", "actUnDelete", "-",
                  "actAllSelect"});
    add(NewMenu(bar, "mnuFind", BuiltInCaption("mnuFind")), {"actFind"});
    add(NewMenu(bar, "mnuMove", BuiltInCaption("mnuMove")),
        {"actMoveUp", "actMoveDown", "actListTop", "actListBottom", "actMoveTop", "actMoveBottom",
         "-", "actAllOpen", "actAllClose", "actSelectOpen", "actSelectClose", "-", "actFolderUp",
         "-", "actMsgForm"});
    // Filled with the running messenger instances by the send commands.
    mnuSend = NewMenu(bar, "mnuSend", BuiltInCaption("mnuSend"));
    bar->addMenu(mnuSend);
    add(NewMenu(bar, "mnuLanguage", BuiltInCaption("mnuLanguage")), {"actJapanese", "actEnglish"});
    add(NewMenu(bar, "mnuTool", BuiltInCaption("mnuTool")), {"actSetting", "actGraph"});
    add(NewMenu(bar, "mnuHelp", BuiltInCaption("mnuHelp")), {"actHelp", "actAbout"});
    for (QMenu* m : menus_) m->setToolTipsVisible(true);
}

void CommandSet::BuildPopups(QMainWindow* window) {
    auto popup = [&](const char* name, std::initializer_list<const char*> names) {
        QMenu* m = NewMenu(window, name, QString());
        for (const char* n : names) {
            if (*n == '-') m->addSeparator();
            else if (QMenu* sub = menus_.value(n, nullptr)) m->addMenu(sub);
            else m->addAction(actions_[n]);
        }
        m->setToolTipsVisible(true);
        return m;
    };
    mnuRSend = NewMenu(window, "mnuRSend", QString::fromUtf8("送信"));
    PopupMenu1 = popup("PopupMenu1", {"actCopy", "actCopy2", "-", "mnuRSend", "actAllSelect", "actMsgForm"});
    PopupMenu2 = popup("PopupMenu2", {"actDelete", "actUnDelete", "-", "actListTop", "actListBottom",
                                      "-", "actToolTipDisp"});
    PopupMenu3 = popup("PopupMenu3", {"actSaveSelect", "-", "actDeleteSelect", "-", "actAllOpen",
                                      "actAllClose", "actSelectOpen", "actSelectClose"});
}

void CommandSet::BuildToolBar(QMainWindow* window) {
    ToolBar1 = new QToolBar(window);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    window->addToolBar(Qt::TopToolBarArea, ToolBar1);
    for (const char* n : {"actExit", "|", "actReload", "actLoad", "actSave", "|", "actFind", "|",
                          "actPrint", "|", "actDelete", "actUnDelete", "|", "actFolderUp",
                          "actMoveUp", "actMoveDown", "actListTop", "actListBottom", "actMoveTop",
                          "actMoveBottom", "|", "actSetting", "actGraph", "actHelp", "|",
                          "actMsgForm", "|"}) {
        if (*n == '|') ToolBar1->addSeparator();
        else ToolBar1->addAction(actions_[n]);
    }
    lblLogList = new QLabel(BuiltInCaption("lblLogList"), ToolBar1);
    lblLogList->setObjectName("lblLogList");
    lblLogList->setContentsMargins(4, 0, 4, 0);
    ToolBar1->addWidget(lblLogList);
    cmbLogList = new QComboBox(ToolBar1);
    cmbLogList->setObjectName("cmbLogList");
    cmbLogList->setMaxVisibleItems(10);
    cmbLogList->setMinimumWidth(160);
    ToolBar1->addWidget(cmbLogList);
}

}  // namespace qx::ui

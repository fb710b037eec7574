// Every command of the main window as a QAction, with the menu bar, the three
// pop-up menus and the tool bar that show them.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QLabel;
class QComboBox;

namespace qx::ui {

class CommandSet : public QObject {
    Q_OBJECT
public:
    // Creates the actions as children of `window` and builds its menu bar and tool bar.
    explicit CommandSet(QMainWindow* window);

    QAction* Action(const QString& name) const;
    QMenu* Menu(const QString& name) const;
    const QStringList& ActionNames() const { return order_; }

    // A command whose handler is not built yet stays disabled whatever its rule says.
    bool IsBuilt(const QString& name) const;
    // Enables a command when `rule` allows it and it is built. The rule's own answer
    // stays readable in the action's "ruleEnabled" property.
    void SetEnabled(const QString& name, bool rule);
    // A command group has taken the command on: it follows its rule from now on.
    QAction* MarkBuilt(const QString& name);

    QToolBar* ToolBar1 = nullptr;
    QLabel* lblLogList = nullptr;
    QComboBox* cmbLogList = nullptr;
    QMenu* PopupMenu1 = nullptr;  // the view
    QMenu* PopupMenu2 = nullptr;  // the list
    QMenu* PopupMenu3 = nullptr;  // the tree
    QMenu* mnuHistory = nullptr;
    QMenu* mnuSend = nullptr;
    QMenu* mnuRSend = nullptr;
    QMenu* mnuEdit = nullptr;

private:
    void CreateActions(QMainWindow* window);
    void BuildMenuBar(QMainWindow* window);
    void BuildPopups(QMainWindow* window);
    void BuildToolBar(QMainWindow* window);
    QMenu* NewMenu(QWidget* parent, const char* name, const QString& title);

    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QStringList order_;
};

}  // namespace qx::ui

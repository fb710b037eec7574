#include "ui/CommandContext.h"

#include <QAction>
#include <QWidget>
#include <exception>

#include "ui/CommandSet.h"
#include "ui/GuiSessionUi.h"

namespace qx::ui {

void CommandContext::Register(const char* action, std::function<void()> handler) const {
    QAction* a = commands->MarkBuilt(action);
    if (a == nullptr) return;
    QWidget* owner = window;
    QObject::connect(a, &QAction::triggered, owner,
                     [owner, handler = std::move(handler)] { RunGuarded(owner, handler); });
}

void RunGuarded(QWidget* owner, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowPlainMessage(owner, QString::fromLocal8Bit(e.what()));
    }
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*") patterns = "*";
        // A description that names its patterns already ("Log Files(*.log)") keeps
        // them in its own parentheses, where the dialog reads them.
        QString description = parts[i];
        const QString own = "(" + parts[i + 1] + ")";
        if (description.endsWith(own)) description.chop(own.size());
        else description += ' ';
        out << description + "(" + patterns + ")";
    }
    return out;
}

bool UseOwnFileDialogs() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

}  // namespace qx::ui

#include "ui/LanguageApplier.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include "settings/LanguageRules.h"
#include "ui/UiText.h"

namespace qx::ui {

namespace {

QString At(const std::vector<std::string>& items, std::size_t i) {
    return i < items.size() ? FromCp932(items[i]) : QString();
}

void SetCaptionAndHint(QObject* target, const std::vector<std::string>& items, bool isCommand) {
    if (items.empty()) return;  // a command with an empty value keeps its texts
    const QString caption = At(items, 0);
    const QString hint = At(items, 1);
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->setTitle(caption);
        menu->menuAction()->setStatusTip(hint);
        return;
    }
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(caption);
        action->setStatusTip(hint);
        QString tip = hint.isEmpty() ? QString(caption).remove('&') : hint;
        if (isCommand && !action->property("built").toBool()) tip += " - not available yet";
        action->setToolTip(tip);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(caption);
        button->setStatusTip(hint);
    }
}

void SetText(QWidget* root, QObject* target, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(target)) {
        box->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(text);
    } else if (auto* page = qobject_cast<QWidget*>(target)) {
        for (QTabWidget* tabs : root->findChildren<QTabWidget*>()) {
            const int i = tabs->indexOf(page);
            if (i >= 0) tabs->setTabText(i, text);
        }
    }
}

}  // namespace

AppliedLanguage ApplyLanguageTexts(QWidget* root, const LanguageFile& file) {
    AppliedLanguage out;
    for (const LanguageKey& key : LanguageKeys()) {
        if (key.role == LanguageRole::Message) continue;
        const std::vector<std::string> items =
            key.kind == LanguageValueKind::List ? file.List(key.section, key.key) : std::vector<std::string>{};
        const QString plain = key.kind == LanguageValueKind::List ? QString()
                                                                  : FromCp932(file.Plain(key.section, key.key));
        if (key.role == LanguageRole::ColumnTitles) {
            if (key.targets[0] == "lvLog") {
                for (const std::string& t : items) out.columnTitles << FromCp932(t);
            }
            continue;
        }
        for (std::string_view name : key.targets) {
            if (name.empty()) continue;
            QObject* target = root->findChild<QObject*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
            if (target == nullptr) continue;
            if (name == "mnuRSend" && !items.empty()) {
                // The view's pop-up shows the send menu without its access key.
                if (auto* menu = qobject_cast<QMenu*>(target)) menu->setTitle(FromCp932(CaptionWithoutAccessKey(items[0])));
                continue;
            }
            switch (key.role) {
                case LanguageRole::MenuCaption:
                case LanguageRole::ButtonCaption:
                    SetCaptionAndHint(target, items, false);
                    break;
                case LanguageRole::CommandCaption:
                    SetCaptionAndHint(target, items, true);
                    break;
                case LanguageRole::ComboItems:
                    if (auto* combo = qobject_cast<QComboBox*>(target)) {
                        const int n = std::min<int>(combo->count(), static_cast<int>(items.size()));
                        for (int i = 0; i < n; ++i) combo->setItemText(i, FromCp932(items[static_cast<std::size_t>(i)]));
                    }
                    break;
                case LanguageRole::Hint:
                    if (auto* w = qobject_cast<QWidget*>(target)) {
                        w->setStatusTip(plain);
                        w->setToolTip(plain);
                    }
                    break;
                case LanguageRole::RadioGroup:
                    if (auto* group = qobject_cast<QGroupBox*>(target)) {
                        if (!items.empty()) group->setTitle(At(items, 0));
                        const auto buttons = group->findChildren<QButtonGroup*>();
                        if (!buttons.isEmpty()) {
                            for (int i = 0; i < 3; ++i) {
                                QAbstractButton* b = buttons.front()->button(i);
                                if (b != nullptr && static_cast<std::size_t>(i + 1) < items.size())
                                    b->setText(At(items, static_cast<std::size_t>(i + 1)));
                            }
                        }
                    }
                    break;
                case LanguageRole::Text:
                    SetText(root, target, plain);
                    break;
                case LanguageRole::ColumnTitles:
                case LanguageRole::Message:
                    break;
            }
        }
    }
    out.messages = ReadMessageTexts(file);
    return out;
}

}  // namespace qx::ui

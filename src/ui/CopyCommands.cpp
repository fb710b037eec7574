#include "ui/CopyCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>

#include "browse/QuoteText.h"
#include "ui/GuiSessionUi.h"
#include "ui/MessageView.h"

namespace qx::ui {

QString AskAndQuote(QWidget* owner, const GuiSessionUi& ui, const QString& text) {
    QInputDialog box(owner);
    box.setObjectName("InputBox");
    box.setWindowTitle("Quillorix");
    box.setInputMode(QInputDialog::TextInput);
    box.setLabelText(ui.MessageText("String04"));
    box.setTextValue(">");
    const QString prefix = box.exec() == QDialog::Accepted ? box.textValue() : QString();
    // Quoting only looks at CR and LF, which UTF-8 never uses inside a character,
    // so the text goes through as UTF-8 and nothing is lost to cp932.
    const std::string quoted = QuoteText(text.toStdString(), prefix.toStdString());
    return QString::fromStdString(quoted);
}

QString SelectedViewText(const MessageView& view) {
    QString text = view.reLog->textCursor().selectedText();
    // A selection separates its lines with paragraph and line separators.
    text.replace(QChar::ParagraphSeparator, '\n');
    text.replace(QChar::LineSeparator, '\n');
    return text;
}

CopyCommands::CopyCommands(const CommandContext& context) : c_(context) {
    c_.Register("actCopy", [this] { actCopyExecute(); });
    c_.Register("actCopy2", [this] { actCopy2Execute(); });
    c_.Register("actAllSelect", [this] { actAllSelectExecute(); });
}

void CopyCommands::actCopyExecute() {
    // The control puts plain (Unicode) and formatted text on the clipboard.
    c_.view->reLog->copy();
}

void CopyCommands::actCopy2Execute() {
    QApplication::clipboard()->setText(AskAndQuote(c_.window, *c_.ui, SelectedViewText(*c_.view)));
}

void CopyCommands::actAllSelectExecute() {
    c_.view->reLog->selectAll();
    c_.ops->UpdateCommandState();
}

}  // namespace qx::ui

#include "ui/PrintCommands.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

#include "browse/HelpFile.h"
#include "ui/GuiSessionUi.h"
#include "ui/MessageView.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"

namespace qx::ui {

QString PrintJobTitle(const std::string& logFileName) {
    return QStringLiteral("Quillorix - ") + FromPath(logFileName);
}

void PrintDocument(const QTextDocument& document, const QString& title, QPrinter* printer) {
    printer->setDocName(title);
    // The document lays a copy of itself out on the printer's page, breaking pages
    // where the text no longer fits; the view keeps its own layout.
    document.print(printer);
}

PrintCommands::PrintCommands(const CommandContext& context, TForm1* window)
    : c_(context), w_(window) {
#ifdef Q_OS_WIN
    compiledHelp = true;
#else
    compiledHelp = false;
#endif
    openHelp = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    c_.Register("actPrint", [this] { actPrintExecute(); });
    c_.Register("actHelp", [this] { actHelpExecute(); });
}

void PrintCommands::actPrintExecute() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(PrintJobTitle(c_.session->LogFileName));
    QPrintPreviewDialog preview(&printer, c_.window);
    preview.setObjectName("PrintPreview");
    preview.setWindowTitle(printer.docName());
    preview.resize(800, 860);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* p) { PrintView(p); });
    preview.exec();
}

void PrintCommands::PrintView(QPrinter* printer) {
    PrintDocument(*c_.view->reLog->document(), PrintJobTitle(c_.session->LogFileName), printer);
}

void PrintCommands::actHelpExecute() {
    const std::string path = HelpFilePath(ToPath(w_->ExeFolder), w_->LanguageCode, compiledHelp,
                                          [](const std::string& p) { return QFileInfo(FromPath(p)).isFile(); });
    if (path.empty()) {
        c_.ui->ShowMessage("String05", "");
        return;
    }
    const QUrl url = QUrl::fromLocalFile(FromPath(path));
    if (!openHelp(url))
        w_->statusPanels[0]->setText(url.toString() +
                                     FromCp932(w_->Messages()[MessageText::LinkFailed]));
}

}  // namespace qx::ui

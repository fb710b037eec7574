// Printing the message view and opening the help.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "ui/CommandContext.h"

class QPrinter;
class QTextDocument;

namespace qx::ui {

class TForm1;

// "Quillorix - " and the open log's path (nothing after the dash with no log open).
QString PrintJobTitle(const std::string& logFileName);

// Prints a document on a printer as one job titled `title`: its colours, fonts and
// underlines as they are, a new page wherever the page is full.
void PrintDocument(const QTextDocument& document, const QString& title, QPrinter* printer);

class PrintCommands {
public:
    PrintCommands(const CommandContext& context, TForm1* window);

    // The preview of the view's pages; its print button asks for the printer.
    void actPrintExecute();
    // The view's text on this printer.
    void PrintView(QPrinter* printer);
    void actHelpExecute();

    // Opens the help page; the desktop's handler unless replaced (tests).
    std::function<bool(const QUrl&)> openHelp;
    // Whether the help is the Windows compiled help file rather than the HTML pages.
    bool compiledHelp;

private:
    CommandContext c_;
    TForm1* w_;
};

}  // namespace qx::ui

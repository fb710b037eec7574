// Shared pieces of the window tests: a scratch program folder, scripted answers
// to modal dialogs, and small cp932 logs.
#pragma once

#include <QDir>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <ostream>
#include <string>

#include "browse/LogTree.h"
#include "ui/Unit1.h"

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qx::ui::test {

// A program folder with the language files beside a (pretend) executable.
class ScratchFolder {
public:
    ScratchFolder();
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }
    // Writes raw bytes to a file of the folder and returns its path.
    QString Write(const QString& name, const std::string& bytes) const;
    void Append(const QString& name, const std::string& bytes) const;

private:
    QTemporaryDir dir_;
};

// Answers every modal dialog that opens while it lives: password dialogs get the
// scripted passwords in turn (the last one repeated), message boxes are
// recorded and closed with their default (or the scripted) button.
class DialogDriver : public QObject {
public:
    explicit DialogDriver(QStringList passwords = {}, bool answerYes = false);
    QStringList messages;     // texts of the message boxes, in order
    QList<int> icons;         // their QMessageBox::Icon, in the same order
    int passwordPrompts = 0;  // how often the password dialog was shown
    // File dialogs take these paths in turn (an empty one, or none left, cancels);
    // the question whether to replace an existing file is answered Yes.
    QStringList files;
    QStringList fileDialogs;  // object names of the file dialogs shown
    // Input boxes take these values in turn (none left: cancel).
    QStringList inputs;
    QStringList inputPrompts;  // their prompts

private:
    void Poll();
    QTimer timer_;
    QStringList passwords_;
    bool answerYes_;
};

// A window started as the program starts, on `arguments`.
std::unique_ptr<TForm1> StartWindow(const ScratchFolder& folder, const QStringList& arguments,
                                    const QString& rawCommandLine = QString());

// One log block in cp932: direction ("From" or "To"), addressee lines, date line,
// body lines.
std::string Block(const std::string& direction, const std::string& who, const std::string& date,
                  const std::string& body);

// A small log of four messages over two days (see the .cpp for its contents).
std::string SmallLog();

// The texts of a tree, node by node in flat order, with "+" per depth level.
QStringList TreeTexts(TForm1& window);

// The node reached by these texts from the root down, or null.
TreeNode* NodeByTexts(TForm1& window, const QStringList& path);

// The text of one list cell.
QString Cell(TForm1& window, int row, int column);

}  // namespace qx::ui::test

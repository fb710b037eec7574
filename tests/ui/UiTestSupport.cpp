#include "UiTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit3.h"

namespace qx::ui::test {

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

ScratchFolder::ScratchFolder() {
    for (const char* name : {"Language.jpn", "Language.eng"})
        QFile::copy(QStringLiteral(QX_SOURCE_DIR "/data/") + name, dir_.filePath(name));
}

QString ScratchFolder::Write(const QString& name, const std::string& bytes) const {
    QFile f(File(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return File(name);
}

void ScratchFolder::Append(const QString& name, const std::string& bytes) const {
    QFile f(File(name));
    f.open(QIODevice::WriteOnly | QIODevice::Append);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

DialogDriver::DialogDriver(QStringList passwords, bool answerYes)
    : passwords_(std::move(passwords)), answerYes_(answerYes) {
    connect(&timer_, &QTimer::timeout, this, &DialogDriver::Poll);
    timer_.start(5);
}

void DialogDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* form = qobject_cast<TForm3*>(modal)) {
        ++passwordPrompts;
        const QString pw = passwords_.isEmpty() ? QString("x") : passwords_.front();
        if (passwords_.size() > 1) passwords_.removeFirst();
        // "first|second" fills the two fields differently.
        const QStringList parts = pw.split('|');
        form->edtPassword->setText(parts.front());
        if (!form->edtPassword2->isHidden()) form->edtPassword2->setText(parts.back());
        form->btnPassword->click();
    } else if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) {
        if (fileDialog->property("answered").toBool()) return;  // its accept is on the way
        fileDialog->setProperty("answered", true);
        fileDialogs << fileDialog->objectName();
        const QString path = files.isEmpty() ? QString() : files.takeFirst();
        if (path.isEmpty()) {
            fileDialog->reject();
        } else {
            fileDialog->selectFile(path);
            // Accepting may ask whether to replace the file; that box must find this
            // timer free to answer it, so the accept runs after this poll.
            QTimer::singleShot(0, fileDialog, [fileDialog] { static_cast<QDialog*>(fileDialog)->accept(); });
        }
    } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
        inputPrompts << input->labelText();
        if (inputs.isEmpty()) {
            input->reject();
        } else {
            input->setTextValue(inputs.takeFirst());
            input->accept();
        }
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (qobject_cast<QFileDialog*>(box->parentWidget()) != nullptr) {
            box->button(QMessageBox::Yes)->click();  // replace the chosen file
            return;
        }
        messages << box->text();
        icons << static_cast<int>(box->icon());
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (answerYes_ && yes != nullptr) yes->click();
        else if (QAbstractButton* no = box->button(QMessageBox::No)) no->click();
        else box->accept();
    }
}

std::unique_ptr<TForm1> StartWindow(const ScratchFolder& folder, const QStringList& arguments,
                                    const QString& rawCommandLine) {
    StartOptions options;
    options.exeFolder = folder.Path();
    options.configFolder = folder.File("config");
    options.userName = "tester";
    options.progressDelayMs = 0;  // the tests watch the progress window of short work
    options.arguments = arguments;
    options.rawCommandLine = rawCommandLine.isEmpty() ? ("quillorix " + arguments.join(' ')) : rawCommandLine;
    auto window = std::make_unique<TForm1>(options);
    window->show();
    return window;
}

std::string Block(const std::string& direction, const std::string& who, const std::string& date,
                  const std::string& body) {
    std::string out = "=====================================\r\n";
    out += who;
    out += "  at " + date + "\r\n";
    out += "-------------------------------------\r\n";
    out += body;
    out += "\r\n";
    (void)direction;
    return out;
}

std::string SmallLog() {
    // Two days of March 2007; bob and carol share one message of the 17th.
    return Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n", "Sat Mar 17 10:00:00 2007",
                 "hello bob\r\n") +
           Block("To", " To: bob (GROUP/PC02/10.0.0.2)\r\n To: carol (GROUP/PC03/10.0.0.3)\r\n",
                 "Sat Mar 17 11:30:00 2007",
                 "> hello bob\r\n> see http://example.com/a?b=1\r\nthanks\r\n") +
           Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n", "Sun Mar 18 09:15:00 2007",
                 "[To] bob\r\nsecond line http://x.example/path\r\n") +
           Block("From", " From: bob (GROUP/PC02/10.0.0.2)\r\n", "Sun Mar 18 08:05:00 2007",
                 "morning\r\n");
}

TreeNode* NodeByTexts(TForm1& window, const QStringList& path) {
    TreeNode* n = nullptr;
    for (const QString& text : path) {
        n = window.pnlTree->Tree().ChildWithText(n, ToCp932(text));
        if (n == nullptr) return nullptr;
    }
    return n;
}

QStringList TreeTexts(TForm1& window) {
    QStringList out;
    const LogTree& tree = window.pnlTree->Tree();
    tree.ForEachNode([&](TreeNode* n) {
        int depth = 0;
        for (TreeNode* p = n->Parent(); p != nullptr; p = p->Parent()) ++depth;
        out << QString(depth, '+') + window.pnlTree->NodeText(n);
    });
    return out;
}

QString Cell(TForm1& window, int row, int column) {
    auto* model = window.lvLog->Model();
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
}

}  // namespace qx::ui::test

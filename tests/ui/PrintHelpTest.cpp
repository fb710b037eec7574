// Printing the view to PDF, the print preview, and the help command with and
// without its pages; the help pages themselves.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextBlock>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include "UiTestSupport.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/PrintCommands.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui::test {
namespace {

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Forty messages of one day, each with a numbered body of a few lines.
std::string LongLog() {
    std::string log;
    for (int i = 1; i <= 40; ++i) {
        const std::string n = std::to_string(i);
        log += Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n",
                     std::string("Sat Mar 17 10:") + (i < 10 ? "0" : "") + n + ":00 2007",
                     "message number " + n + "\r\n> quoted http://example.com/" + n + "\r\nthird line\r\n");
    }
    return log;
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nSortType=4\r\n");
        log = folder.Write("long.log", LongLog());
        w = StartWindow(folder, {log});
        w->pnlTree->SelectNode(NodeByTexts(*w, {"2007", "03", QString::fromUtf8("17(Sat) (40件)")}));
        w->lvLog->selectAll();
    }
    ScratchFolder folder;
    QString log;
    std::unique_ptr<TForm1> w;
};

TEST_F(Printing, TheViewGoesToPdfPagesInOrderUnderTheJobTitle) {
    ASSERT_GT(w->view->LineCount(), 40 * 4);
    const QString pdf = folder.File("out.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    w->Printing()->PrintView(&printer);
    ASSERT_TRUE(QFile::exists(pdf));

    const QString info = RunTool("pdfinfo", {pdf});
    ASSERT_FALSE(info.isEmpty()) << "pdfinfo (poppler-utils) is needed";
    EXPECT_TRUE(info.contains(QRegularExpression("Title: +Quillorix - " + QRegularExpression::escape(log))))
        << info.toStdString();
    const int pages = QRegularExpression("Pages: +(\\d+)").match(info).captured(1).toInt();
    EXPECT_GE(pages, 2);

    // Every message, in the view's order; the first on page one, the last on the last page.
    const QString text = RunTool("pdftotext", {"-layout", pdf, "-"});
    qsizetype at = 0;
    for (int i = 1; i <= 40; ++i) {
        const qsizetype next = text.indexOf(QStringLiteral("message number %1\n").arg(i), at);
        ASSERT_GE(next, at) << "message " << i << " in:\n" << text.left(400).toStdString();
        at = next;
    }
    EXPECT_TRUE(RunTool("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).contains("message number 1\n"));
    EXPECT_TRUE(RunTool("pdftotext", {"-f", QString::number(pages), "-l", QString::number(pages), pdf, "-"})
                    .contains("message number 40\n"));
}

TEST_F(Printing, ThePagesKeepTheViewsColoursAndUnderlinedLinks) {
    // The links of the view are underlined runs of its document, which is what is printed.
    int underlined = 0;
    QTextDocument* doc = w->view->reLog->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontUnderline() &&
                it.fragment().text().startsWith("http://example.com/"))
                ++underlined;
    EXPECT_EQ(underlined, 40);

    const QString pdf = folder.File("colours.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    w->Printing()->PrintView(&printer);
    ASSERT_EQ(QProcess::execute("pdftoppm", {"-png", "-r", "100", "-f", "1", "-l", "1", pdf, folder.File("page")}), 0);
    QImage page;
    for (const QString& name : QDir(folder.Path()).entryList({"page*.png"})) page.load(folder.File(name));
    ASSERT_FALSE(page.isNull());
    // Header lines in the header colour (green), quoted lines in the quote colour (blue).
    auto pixelsNear = [&](QColor c) {
        int n = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor p = page.pixelColor(x, y);
                n += std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue()) < 90;
            }
        return n;
    };
    EXPECT_GT(pixelsNear(QColor(0, 128, 0)), 50);
    EXPECT_GT(pixelsNear(QColor(0, 0, 255)), 50);
    EXPECT_EQ(PrintJobTitle(""), "Quillorix - ");
}

TEST_F(Printing, ThePreviewShowsThePagesBeforeAnythingIsPrinted) {
    int pages = 0;
    QString title;
    QTimer::singleShot(200, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (preview == nullptr) return;
        title = preview->windowTitle();
        if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) pages = widget->pageCount();
        preview->reject();
    });
    w->Action("actPrint")->trigger();
    EXPECT_GE(pages, 2);
    EXPECT_EQ(title, "Quillorix - " + log);
}

class Help : public ::testing::Test {
protected:
    void SetUp() override { folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n"); }
    ScratchFolder folder;
};

TEST_F(Help, F1WithoutTheHelpSaysSo) {
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    auto w = StartWindow(folder, {});
    DialogDriver driver;
    QUrl opened;
    w->Printing()->openHelp = [&](const QUrl& url) { opened = url; return true; };
    QAction* help = w->Action("actHelp");
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(help->isEnabled());
    help->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(driver.messages, QStringList{"The help file could not be found."});
}

TEST_F(Help, F1OpensThePageOfTheInterfacesLanguage) {
    // The pages as the build puts them beside the executable.
    const QDir built(QStringLiteral(QX_BIN_DIR "/help"));
    ASSERT_TRUE(built.exists("jpn/index.html"));
    QDirIterator it(built.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = folder.File("help/" + built.relativeFilePath(from));
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(from, to);
    }
    auto w = StartWindow(folder, {});
    DialogDriver driver;
    QList<QUrl> opened;
    w->Printing()->openHelp = [&](const QUrl& url) { opened << url; return true; };
    w->Action("actHelp")->trigger();
    w->Action("actEnglish")->trigger();
    w->Action("actHelp")->trigger();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl::fromLocalFile(folder.File("help/jpn/index.html")),
                                    QUrl::fromLocalFile(folder.File("help/eng/index.html"))}));
    EXPECT_TRUE(driver.messages.isEmpty());
}

// Every page of both languages has its twin in the other, loads as a document
// with a title, and every link and picture in it leads to a file (and anchor) there is.
TEST(HelpPages, EveryPageLoadsAndEveryLinkAndImageResolves) {
    const QDir root(QStringLiteral(QX_SOURCE_DIR "/data/help"));
    const QStringList jpn = QDir(root.filePath("jpn")).entryList({"*.html"}, QDir::Files, QDir::Name);
    const QStringList eng = QDir(root.filePath("eng")).entryList({"*.html"}, QDir::Files, QDir::Name);
    ASSERT_GE(jpn.size(), 5);
    EXPECT_EQ(jpn, eng);
    const QRegularExpression ref(R"re((?:href|src)="([^"]*)")re");
    const QRegularExpression id(R"re(id="([^"]*)")re");
    int links = 0, images = 0;
    for (const QString& language : {QString("jpn"), QString("eng")}) {
        const QDir dir(root.filePath(language));
        for (const QString& name : dir.entryList({"*.html"}, QDir::Files)) {
            SCOPED_TRACE((language + "/" + name).toStdString());
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            QTextDocument doc;
            doc.setHtml(html);
            EXPECT_FALSE(doc.metaInformation(QTextDocument::DocumentTitle).isEmpty());
            EXPECT_GT(doc.toPlainText().size(), 300);
            for (auto m = ref.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.startsWith("http://") || target.startsWith("https://")) continue;
                const QString file = target.section('#', 0, 0);
                const QString anchor = target.section('#', 1);
                const QString path = file.isEmpty() ? dir.filePath(name) : dir.filePath(file);
                EXPECT_TRUE(QFileInfo(path).isFile()) << target.toStdString();
                if (target.contains(".png")) ++images;
                else ++links;
                if (!anchor.isEmpty() && QFileInfo(path).isFile()) {
                    QFile t(path);
                    t.open(QIODevice::ReadOnly);
                    bool found = false;
                    for (auto i = id.globalMatch(QString::fromUtf8(t.readAll())); i.hasNext();)
                        found |= i.next().captured(1) == anchor;
                    EXPECT_TRUE(found) << target.toStdString();
                }
            }
        }
    }
    EXPECT_GT(links, 20);
    EXPECT_GT(images, 4);
}

}  // namespace
}  // namespace qx::ui::test

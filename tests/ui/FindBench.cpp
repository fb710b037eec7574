// Not a test: times the find window over a 200 000-message log of which 20 000
// hold the search text, beside the core search of the same text alone; then the
// jump to a hit and the opening of a message window. Prints the figures.
//
//   ui_find_bench [LOG TEXT]   LOG and TEXT: time that search instead
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>

#include "logstore/LogSession.h"
#include "search/SearchRecords.h"
#include "search/TextMatcher.h"
#include "ui/FindCommands.h"
#include "ui/MessageList.h"
#include "ui/MessageWindowCommands.h"
#include "ui/TreePane.h"
#include "ui/Unit1.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"

namespace {

std::string Block(const std::string& user, int day, int minute, const std::string& body) {
    static const char* weekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    char date[64];
    std::snprintf(date, sizeof date, "%s Mar %d %02d:%02d:00 2007", weekdays[day % 7], day,
                  (minute / 60) % 24, minute % 60);
    return "=====================================\r\n From: " + user + " (G/PC-" + user +
           "/10.0.0.1)\r\n  at " + date + "\r\n-------------------------------------\r\n" + body +
           "\r\n";
}

class QuietUi : public qx::SessionUi {
public:
    std::optional<qx::PasswordEntry> AskPasswordOnce(bool) override { return std::nullopt; }
    void ShowMessage(std::string_view, std::string_view) override {}
    void ShowError(std::string_view) override {}
};

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString path;
    QString text = "findme";
    if (argc > 2) {
        path = QString::fromLocal8Bit(argv[1]);
        text = QString::fromLocal8Bit(argv[2]);
    } else {
        std::string log;
        log.reserve(200000 * 150);
        for (int i = 0; i < 200000; ++i) {
            std::string body = "message " + std::to_string(i) + " of the day\r\n> quoted line";
            if (i % 10 == 3) body += "\r\nplease findme here";  // 20 000 hits
            log += Block("user" + std::to_string(i % 200), 1 + (i / 7200) % 28, i % 1440, body);
        }
        path = dir.filePath("big.log");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(log.data(), static_cast<qint64>(log.size()));
    }
    QFile ini(dir.filePath("bench.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Setting]\r\nLanguage=eng\r\n");
    ini.close();

    qx::ui::StartOptions options;
    options.exeFolder = dir.path();
    options.userName = "bench";
    qx::ui::TForm1 w(options);
    w.show();
    w.LoadLog(path, true);
    std::printf("records %zu\n", w.Session().records.size());

    // The core search and the window's search take turns, so that both meet the
    // same caches and the same load on the machine; the best of each is kept.
    constexpr int kRuns = 11;
    const std::string needle = text.toStdString();
    qx::ui::TForm4* f = w.Finding()->Form4();
    w.Action("actFind")->trigger();
    f->chkRegEx->setChecked(false);
    double core = 1e18, window = 1e18;
    std::size_t coreHits = 0;
    for (int i = 0; i < kRuns; ++i) {
        QuietUi ui;
        const qx::TextMatcher matcher(needle, false);
        QElapsedTimer t;
        t.start();
        coreHits = qx::SearchRecords(w.Session(), ui, matcher).size();
        core = std::min(core, Ms(t));

        f->cmbFind->setEditText(text);
        t.start();
        f->btnFind->click();  // search, rows, sort, select row 0 and show it marked
        window = std::min(window, Ms(t));
    }
    std::printf("core search (SearchRecords, plain): %zu hits, %.1f ms best of %d\n", coreHits,
                core, kRuns);
    std::printf(
        "find window search (list %d hits, sorted, first shown): %.1f ms best of %d; ratio to core "
        "%.2f\n",
        f->HitCount(), window, kRuns, window / core);

    double jump = 0, jumpWorst = 0;
    const int jumps = std::min(20, f->HitCount());
    for (int i = 0; i < jumps; ++i) {
        f->lvFind->SelectOnly(i * (f->HitCount() / std::max(jumps, 1)));
        QElapsedTimer t;
        t.start();
        f->btnJump->click();
        const double ms = Ms(t);
        jump += ms;
        jumpWorst = std::max(jumpWorst, ms);
    }
    std::printf(
        "jump to a hit (tree node, list fill of %d rows, row shown): %.2f ms mean, %.2f ms worst "
        "of %d\n",
        w.lvLog->RowCount(), jump / std::max(jumps, 1), jumpWorst, jumps);

    double open = 0, openWorst = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        qx::ui::TForm5* m = w.MessageWindows()->actMsgFormExecute();
        const double ms = Ms(t);
        open += ms;
        openWorst = std::max(openWorst, ms);
        if (m != nullptr) m->close();
    }
    std::printf("open a message window: %.2f ms mean, %.2f ms worst of 20\n", open / 20, openWorst);
    return 0;
}

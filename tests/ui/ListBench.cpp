// Not a test: times opening a 200 000-message log and filling the list from a
// leaf of 10 000 messages, through the real window. Prints the figures.
//
//   ui_bench [LOG]    LOG: also time opening that log (e.g. one from quillorix-genlog)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "ui/MessageList.h"
#include "ui/TreePane.h"
#include "ui/Unit1.h"

namespace {

std::string Block(const std::string& user, int day, int minute, const std::string& body) {
    static const char* weekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    char date[64];
    std::snprintf(date, sizeof date, "%s Mar %d %02d:%02d:00 2007", weekdays[day % 7], day, (minute / 60) % 24,
                  minute % 60);
    return "=====================================\r\n From: " + user + " (G/PC-" + user +
           "/10.0.0.1)\r\n  at " + date + "\r\n-------------------------------------\r\n" + body + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::string log;
    log.reserve(200000 * 140);
    for (int i = 0; i < 190000; ++i)
        log += Block("user" + std::to_string(i % 200), 1 + (i / 3500) % 28, i % 1440,
                     "message " + std::to_string(i) + "\r\n> quoted line");
    for (int i = 0; i < 10000; ++i)  // one leaf of 10 000 messages: bigleaf on the 30th
        log += Block("bigleaf", 30, i % 1440, "leaf message " + std::to_string(i));
    const QString path = dir.filePath("big.log");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(log.data(), static_cast<qint64>(log.size()));
    f.close();
    QFile ini(dir.filePath("bench.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Setting]\r\nLanguage=eng\r\n");
    ini.close();

    qx::ui::StartOptions options;
    options.exeFolder = dir.path();
    options.userName = "bench";
    qx::ui::TForm1 w(options);
    w.show();
    QElapsedTimer t;
    t.start();
    w.LoadLog(path, true);
    const qint64 open = t.elapsed();

    qx::LogTree& tree = w.pnlTree->Tree();
    qx::TreeNode* leaf = nullptr;
    tree.ForEachNode([&](qx::TreeNode* n) {
        if (!n->HasChildren() && n->Label() == "bigleaf") leaf = n;
    });
    if (leaf == nullptr) return 1;
    t.restart();
    w.pnlTree->SelectNode(leaf);  // tvLogChange: fills the list and shows the first row
    const qint64 fill = t.elapsed();
    std::printf("records %zu, tree nodes %zu\n", w.Session().records.size(), tree.NodeCount());
    std::printf("open %zu-message log (read + tree): %lld ms\n", w.Session().records.size(),
                static_cast<long long>(open));
    std::printf("select leaf of %d messages (list fill + view): %lld ms\n", w.lvLog->RowCount(),
                static_cast<long long>(fill));
    if (argc > 1) {
        t.restart();
        w.LoadLog(QString::fromLocal8Bit(argv[1]), true);
        const qint64 other = t.elapsed();
        std::printf("open %s, %zu messages (read + tree): %lld ms\n", argv[1], w.Session().records.size(),
                    static_cast<long long>(other));
    }
    return 0;
}

// Not a test: times, through the real window, opening a 200 000-message log,
// filling the list from a leaf of 10 000 messages, the edit and move commands on
// that leaf, deleting the node of a year of 100 000 messages, and saving the log
// beside `quillorix-cli convert` of the same log. Prints the figures.
//
//   ui_bench [LOG]        LOG: also time opening that log (e.g. one from quillorix-genlog)
//   ui_bench --long-line  only: selecting a message whose body is one 10 MB line
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>

#include "logstore/LogSession.h"
#include "ui/MessageList.h"
#include "ui/TreePane.h"
#include "ui/Unit1.h"

namespace {

std::string Block(const std::string& user, int day, int minute, const std::string& body,
                  int year = 2007) {
    static const char* weekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    char date[64];
    std::snprintf(date, sizeof date, "%s Mar %d %02d:%02d:00 %d", weekdays[day % 7], day,
                  (minute / 60) % 24, minute % 60, year);
    return "=====================================\r\n From: " + user + " (G/PC-" + user +
           "/10.0.0.1)\r\n  at " + date + "\r\n-------------------------------------\r\n" + body +
           "\r\n";
}

}  // namespace

// A log of one short message and one whose body is a line of 10 000 000 "A": the
// time to select each one's leaf (list fill, view) and paint the window.
int LongLine() {
    QTemporaryDir dir;
    const std::string log = Block("short", 1, 0, "hello") + Block("long", 2, 0, std::string(10000000, 'A'));
    const QString path = dir.filePath("long.log");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(log.data(), static_cast<qint64>(log.size()));
    f.close();
    qx::ui::StartOptions options;
    options.exeFolder = dir.path();
    options.userName = "bench";
    qx::ui::TForm1 w(options);
    w.show();
    QElapsedTimer t;
    t.start();
    w.LoadLog(path, true);
    w.grab();
    std::printf("open the log with a 10 MB line (read + tree + paint): %lld ms\n",
                static_cast<long long>(t.elapsed()));
    qx::TreeNode* leaves[2] = {nullptr, nullptr};
    w.pnlTree->Tree().ForEachNode([&](qx::TreeNode* n) {
        if (!n->HasChildren() && n->Label() == "short") leaves[0] = n;
        if (!n->HasChildren() && n->Label() == "long") leaves[1] = n;
    });
    if (leaves[0] == nullptr || leaves[1] == nullptr) return 1;
    for (int round = 0; round < 3; ++round) {
        for (qx::TreeNode* leaf : leaves) {
            t.restart();
            w.pnlTree->SelectNode(leaf);  // fills the list, shows its first message
            const qint64 select = t.elapsed();
            w.grab();  // lays out and draws the tree, the list row and the view
            std::printf("select the %s leaf: %lld ms, then paint: %lld ms\n", leaf->Label().c_str(),
                        static_cast<long long>(select), static_cast<long long>(t.elapsed() - select));
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--long-line") return LongLine();
    QTemporaryDir dir;
    std::string log;
    log.reserve(200000 * 140);
    // The first 100 000 messages in 2006: a year node of 100 000 to delete.
    for (int i = 0; i < 190000; ++i)
        log +=
            Block("user" + std::to_string(i % 200), 1 + (i / 3500) % 28, i % 1440,
                  "message " + std::to_string(i) + "\r\n> quoted line", i < 100000 ? 2006 : 2007);
    for (int i = 0; i < 10000; ++i)  // one leaf of 10 000 messages: bigleaf on the 30th
        log += Block("bigleaf", 30, i % 1440, "leaf message " + std::to_string(i));
    const QString path = dir.filePath("big.log");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(log.data(), static_cast<qint64>(log.size()));
    f.close();
    QFile ini(dir.filePath("bench.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Setting]\r\nLanguage=eng\r\nDustBox=0\r\n");  // keep the trash out of the figures
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
    // Each command on the 10 000-row leaf, timed over several runs (ms each).
    auto timed = [&](const char* action, int runs) {
        QElapsedTimer c;
        double worst = 0, total = 0;
        for (int i = 0; i < runs; ++i) {
            c.restart();
            w.Action(action)->trigger();
            const double ms = static_cast<double>(c.nsecsElapsed()) / 1e6;
            total += ms;
            worst = std::max(worst, ms);
        }
        std::printf("%-14s %.2f ms mean, %.2f ms worst of %d\n", action, total / runs, worst, runs);
    };
    std::printf("on the leaf of 10 000 rows, from row 5000:\n");
    w.lvLog->SelectOnly(5000);
    timed("actMoveDown", 20);
    timed("actMoveUp", 20);
    timed("actDelete", 20);
    // From the big leaf to the first leaf and back (the big leaf is the last).
    std::printf("between leaves:\n");
    w.pnlTree->SelectNode(leaf);
    timed("actMoveTop", 1);
    timed("actMoveBottom", 1);
    // Undelete from the deleted-messages node holding the leaf's 10 000 messages.
    w.pnlTree->SelectNode(leaf);
    w.Action("actDeleteSelect")->trigger();
    w.pnlTree->SelectNode(tree.DeletedNode());
    std::printf("on the deleted-messages node, listing %d rows:\n", w.lvLog->RowCount());
    w.lvLog->SelectOnly(5000);
    timed("actUnDelete", 20);

    // Deleting the node of a year of 100 000 messages: marks, list, counts, status.
    w.LoadLog(path, true);
    qx::TreeNode* year = nullptr;
    for (std::size_t r = 0; r < tree.RootCount(); ++r)
        if (tree.Root(r)->Label() == "2006") year = tree.Root(r);
    if (year == nullptr) return 1;
    w.pnlTree->SelectNode(year);
    t.restart();
    w.Action("actDeleteSelect")->trigger();
    std::printf("delete the year node of %d messages: %.1f ms\n", w.Session().PendingDeletions,
                static_cast<double>(t.nsecsElapsed()) / 1e6);

    // Saving from the window (write, then read afresh and build the tree) against
    // `quillorix-cli convert` (read and write) of the same log to the same form.
    w.LoadLog(path, true);
    const QString cli = QCoreApplication::applicationDirPath() + "/../bin/quillorix-cli";
    // Where the window's save spends its time: the write, then the full read.
    {
        QElapsedTimer c;
        c.start();
        w.Session().WriteLog(w.Session().LogFileName, qx::WriteOptions{});
        const double write = static_cast<double>(c.nsecsElapsed()) / 1e6;
        c.restart();
        w.LoadLog(path, true);
        std::printf("of a save: the write %.0f ms, the full load after it with the tree %.0f ms\n", write,
                    static_cast<double>(c.nsecsElapsed()) / 1e6);
    }
    for (int round = 0; round < 3; ++round) {
        t.restart();
        w.Action("actSave")->trigger();
        const double save = static_cast<double>(t.nsecsElapsed()) / 1e6;
        // convert to another file, and over the log itself as the window's save does
        // (that one also waits for late appends to the file it replaced).
        auto timeConvert = [&](const QString& target) {
            if (!QFile::exists(cli)) return -1.0;
            QProcess p;
            t.restart();
            p.start(cli, {"convert", path, "-o", target, "--save-type", "0"});
            p.waitForFinished(-1);
            const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
                std::printf("quillorix-cli convert failed (%d): %s\n", p.exitCode(),
                            p.readAllStandardError().constData());
                return -1.0;
            }
            return ms;
        };
        const double convert = timeConvert(dir.filePath("converted.log"));
        const double convertOver = timeConvert(path);
        w.LoadLog(path, true);  // the convert put a new file in place: take it in first
        std::printf(
            "save from the window (save type 0, with the reload): %.0f ms; quillorix-cli convert "
            "to another file: %.0f ms (ratio %.2f), over the log: %.0f ms (ratio %.2f)\n",
            save, convert, convert > 0 ? save / convert : 0.0, convertOver,
            convertOver > 0 ? save / convertOver : 0.0);
    }

    if (argc > 1) {
        t.restart();
        w.LoadLog(QString::fromLocal8Bit(argv[1]), true);
        const qint64 other = t.elapsed();
        std::printf("open %s, %zu messages (read + tree): %lld ms\n", argv[1],
                    w.Session().records.size(), static_cast<long long>(other));
    }
    return 0;
}

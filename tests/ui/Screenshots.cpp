// Grabs the windows shown in the documentation: ui_screenshots OUTPUT_FOLDER.
// Run it under a real (virtual) display, e.g. xvfb-run -a.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/Unit1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir dir;
    for (const char* name : {"Language.jpn", "Language.eng", "sample.log"})
        QFile::copy(QStringLiteral(QX_BIN_DIR "/") + name, dir.filePath(name));
    QFile ini(dir.filePath("docs.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Window]\r\nWidth=900\r\nHeight=600\r\nTreeWidth=220\r\nListHeight=180\r\n"
              "ListWidth03=150\r\n[Setting]\r\nLanguage=jpn\r\n");
    ini.close();

    qx::ui::StartOptions options;
    options.exeFolder = dir.path();
    options.userName = "docs";
    options.arguments = {dir.filePath("sample.log")};
    qx::ui::TForm1 w(options);
    w.show();
    auto settle = [] {
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
    };
    settle();
    w.grab().save(out + "/main-window.png");
    w.Action("actSetting")->trigger();
    settle();
    w.grab().save(out + "/settings-page.png");
    w.btnGoMainClick();
    w.Action("actEnglish")->trigger();
    // Show a conversation in the view: the first leaf of the selected day.
    if (qx::TreeNode* day = w.pnlTree->Selected(); day != nullptr && day->HasChildren())
        w.pnlTree->SelectNode(day->Child(0));
    settle();
    w.grab().save(out + "/english.png");
    return 0;
}

// quillorix [LOGFILE]: the viewer and editor of IP Messenger logs.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <exception>

#include "platform/FileSystem.h"
#include "ui/Unit1.h"

namespace {

// An exception escaping an event handler is shown, and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::warning(activeWindow(), "Quillorix", QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::warning(activeWindow(), "Quillorix", "Unexpected error");
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName("Quillorix");
    QApplication::setOrganizationName("Quillorix");

    qx::ui::StartOptions options;
    options.exeFolder = QCoreApplication::applicationDirPath();
    options.configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(options.configFolder);
    options.userName = QString::fromLocal8Bit(qx::sys::UserName());
    const QStringList args = QCoreApplication::arguments();
    options.arguments = args.mid(1);
    // The command line as one text, as the path-with-blanks rule reads it.
    options.rawCommandLine = args.join(' ');

    qx::ui::TForm1 form(options);
    form.show();
    return app.exec();
}

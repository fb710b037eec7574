// The password dialog's two forms, the progress window and the pictures.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/Icons.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/WindowFrame.h"

namespace qx::ui::test {
namespace {

TEST(PasswordDialog, TheTwoFieldFormWaitsForTheSecondEntry) {
    TForm3 form;
    form.SetForm(true, "first", "second");
    EXPECT_EQ(form.height(), 170);
    EXPECT_EQ(form.btnPassword->y(), 104);
    form.show();
    form.edtPassword->setText("secret");
    form.btnPassword->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.focusWidget(), form.edtPassword2);
    form.edtPassword2->setText("secret");
    form.btnPassword->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);

    form.SetForm(false, "only", "");
    EXPECT_EQ(form.height(), 130);
    EXPECT_EQ(form.btnPassword->y(), 64);
    EXPECT_TRUE(form.edtPassword2->isHidden());
    EXPECT_TRUE(form.edtPassword->text().isEmpty());
    // Neither Escape nor the frame can dismiss it.
    form.show();
    form.reject();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST(PasswordDialog, ShownAgainItStaysWhereItWas) {
    // Under a window manager the frame moves the dialog after its first showing
    // (here: by hand); showing it again must not move it by the frame once more.
    TForm3 form;
    form.SetForm(false, "only", "");
    form.show();
    const QPoint placed = form.pos() + QPoint(0, 20);
    form.move(placed);
    form.hide();
    form.SetForm(false, "only", "");
    form.show();
    EXPECT_EQ(form.pos(), placed);
    form.hide();
}

TEST(PasswordDialog, DifferingEntriesAreAskedAgain) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    auto w = StartWindow(folder, {});
    DialogDriver driver({"one|two", "three|three"});
    EXPECT_TRUE(w->Session().AskPassword(true));
    EXPECT_EQ(driver.passwordPrompts, 2);
    EXPECT_EQ(w->Session().CurrentPassword, "three");
    EXPECT_EQ(w->Form3->lblPassword->text(),
              QString::fromUtf8("パスワード"));
}

TEST(PasswordDialog, MinimisedOnItsOwnItComesBack) {
    // Window managers that draw a minimise button on every dialog would
    // otherwise hide the one window that can go on.
    TForm3 form;
    form.show();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(form.windowState() & Qt::WindowMinimized);
    form.hide();
}

TEST(WindowFrame, MotifHintsNameOnlyWhatIsAskedFor) {
    struct Case {
        FrameRequest request;
        std::uint32_t functions;
        std::uint32_t decorations;
    };
    const Case cases[] = {
        // title and border, movable: the password and progress windows
        {FrameRequest{}, 0x04, 0x0A},
        // nothing at all may be done with it
        {FrameRequest{false, false, false, false, false, false}, 0x00, 0x0A},
        {FrameRequest{true, true, false, false, false, false}, 0x06, 0x0E},
        {FrameRequest{true, false, true, false, false, false}, 0x0C, 0x2A},
        {FrameRequest{true, false, false, true, false, false}, 0x14, 0x4A},
        {FrameRequest{true, false, false, false, true, false}, 0x24, 0x0A},
        {FrameRequest{true, false, false, false, false, true}, 0x04, 0x1A},
    };
    for (const Case& c : cases) {
        const MotifHints h = MotifHintsFor(c.request);
        // Both fields are always named, so that a manager never falls back to all of them.
        EXPECT_EQ(h.flags, 0x3u);
        EXPECT_EQ(h.functions, c.functions);
        EXPECT_EQ(h.decorations, c.decorations);
        EXPECT_EQ(h.inputMode, 0);
        EXPECT_EQ(h.status, 0u);
    }
}

TEST(ProgressWindow, MovesInWholePercentsThroughLoadingAndTreeMaking) {
    ScratchFolder folder;
    std::string log;
    for (int i = 0; i < 3000; ++i)
        log += Block("From", " From: user" + std::to_string(i % 37) + " (G/PC/10.0.0.1)\r\n",
                     "Sat Mar " + std::to_string(1 + i % 28) + " 10:00:00 2007", "body line\r\n");
    const QString path = folder.Write("big.log", log);
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    StartOptions options;
    options.exeFolder = folder.Path();
    options.userName = "tester";
    TForm1 w(options);
    QStringList captions;
    QList<int> values;
    QObject::connect(w.Form2, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });
    QObject::connect(w.Form2->ProgressBar1, &QProgressBar::valueChanged, [&](int v) { values << v; });
    w.show();
    ASSERT_TRUE(w.LoadLog(path, true));
    EXPECT_EQ(captions, QStringList({"Loading...", "TreeView Making..."}));
    ASSERT_FALSE(values.isEmpty());
    for (int v : values) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 100);
    }
    EXPECT_GT(values.size(), 20);  // it really moved, percent by percent
    EXPECT_FALSE(w.Form2->isVisible());
    EXPECT_EQ(w.Session().records.size(), 3000u);
}

// Counts the events of one type that reach the objects it watches.
class EventCounter : public QObject {
public:
    EventCounter(QEvent::Type type, int* count) : type_(type), count_(count) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == type_) ++*count_;
        return false;
    }

private:
    QEvent::Type type_;
    int* count_;
};

// Work that ends before the delay shows no progress window at all; the bar still
// moves, so a slower run shows it where it stands.
TEST(ProgressWindow, ShowsOnlyOnceTheWorkHasLastedItsDelay) {
    struct Case {
        int delayMs;
        bool shown;
    };
    for (const Case c : {Case{0, true}, Case{3600 * 1000, false}}) {
        ScratchFolder folder;
        const QString path = folder.Write(
            "small.log", Block("From", " From: alice (G/PC/10.0.0.1)\r\n", "Sat Mar 3 10:00:00 2007",
                               "hello\r\n"));
        folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
        StartOptions options;
        options.exeFolder = folder.Path();
        options.userName = "tester";
        options.progressDelayMs = c.delayMs;
        TForm1 w(options);
        int shows = 0;
        QList<int> values;
        EventCounter counter(QEvent::Show, &shows);
        w.Form2->installEventFilter(&counter);
        QObject::connect(w.Form2->ProgressBar1, &QProgressBar::valueChanged, [&](int v) { values << v; });
        w.show();
        ASSERT_TRUE(w.LoadLog(path, true));
        EXPECT_EQ(shows > 0, c.shown) << "delay " << c.delayMs;
        EXPECT_TRUE(values.contains(100)) << "delay " << c.delayMs;
        EXPECT_FALSE(w.Form2->isVisible());
    }
}

TEST(Icons, EveryPictureOfBothListsDraws) {
    for (int i = 0; i < kImageList1Count; ++i)
        EXPECT_FALSE(ImageList1(i).pixmap(16, 16).isNull()) << "ImageList1 " << i;
    for (int i = 0; i < kImageList2Count; ++i)
        EXPECT_FALSE(ImageList2(i).pixmap(32, 32).isNull()) << "ImageList2 " << i;
    EXPECT_TRUE(ImageList1(kImageList1Count).isNull());
}

}  // namespace
}  // namespace qx::ui::test

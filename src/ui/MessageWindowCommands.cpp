#include "ui/MessageWindowCommands.h"

#include <QPushButton>
#include <QScreen>

#include "browse/ViewText.h"
#include "settings/SettingsPaths.h"
#include "ui/ColourBox.h"
#include "ui/GuiSessionUi.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SettingsPage.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"
#include "ui/Unit5.h"

namespace qx::ui {

namespace {

QFont ToQFont(const FontChoice& choice) {
    QFont font(QString::fromStdString(choice.family));
    if (choice.pixelSize > 0)
        font.setPixelSize(choice.pixelSize);
    else if (choice.pointSize > 0)
        font.setPointSize(choice.pointSize);
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    font.setUnderline(choice.underline);
    font.setStrikeOut(choice.strikeOut);
    return font;
}

}  // namespace

MessageWindowCommands::MessageWindowCommands(const CommandContext& context, TForm1* window)
    : c_(context), w_(window) {
    c_.Register("actMsgForm", [this] { actMsgFormExecute(); });
    // The font dialog takes over the view's font each time it opens, cancelled or
    // not. Connected before the dialog's own handler, so this runs first.
    QObject::connect(c_.settings->btnFont, &QPushButton::clicked, window, [this] {
        const QFont f = c_.view->reLog->font();
        DialogFont.Opened({f.family().toStdString(), f.pixelSize() > 0 ? f.pixelSize() : 0,
                           f.pixelSize() > 0 ? 0 : f.pointSize(), f.bold(), f.italic(),
                           f.underline(), f.strikeOut()});
    });
}

TForm5* MessageWindowCommands::actMsgFormExecute() {
    const std::vector<std::string>& lines = c_.view->Lines();
    if (lines.empty()) {
        c_.ui->ShowMessage("String11", "");
        return nullptr;
    }
    TForm1* w = w_;
    auto languageFile = [w] {
        return w->DataFile(FromPath(LanguageFilePath("", w->LanguageCode)));
    };
    auto* form = new TForm5(w_, c_.view, languageFile);
    form->SetBackColour(c_.settings->cbBackColor->Colour());
    const QFont font = ToQFont(DialogFont.Current());
    form->reMsg->setFont(font);
    form->reMsg->document()->setDefaultFont(font);

    const QScreen* screen = w_->screen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const MessageWindowCascade::Place at =
        Cascade.Next(area.width(), area.height(), form->width(), form->height());
    form->move(at.left, at.top);

    std::vector<const ListRow*> selected;
    for (int row : c_.list->SelectedRows()) selected.push_back(&c_.list->Model()->Row(row));
    form->setWindowTitle(FromCp932(MessageWindowCaption(selected)));

    // The view's lines as they are, not as wrapping cuts them on screen; header
    // lines lose the header colour.
    std::vector<std::string> marks;
    for (const QString& mark : c_.settings->QuoteMarks()) marks.push_back(ToCp932(mark));
    const QColor text = c_.settings->cbTextColor->Colour();
    const QColor quote = c_.settings->cbQuoteColor->Colour();
    for (const std::string& line : lines)
        form->AddLine(line, IsQuotedLine(line, marks) ? quote : text);
    form->FinishText();
    form->show();
    return form;
}

}  // namespace qx::ui

#include "ui/SettingsPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/LanguageSchema.h"
#include "settings/Settings.h"
#include "ui/ColourBox.h"

namespace qx::ui {

namespace {

// The designed text of a control, from the language key table (items joined by
// nothing: a control takes the first item).
QStringList BuiltIn(const char* target) {
    for (const LanguageKey& key : LanguageKeys()) {
        for (std::string_view t : key.targets) {
            if (t == target) {
                QStringList out;
                for (const std::string& item : BuiltInItems(key)) out << QString::fromStdString(item);
                return out;
            }
        }
    }
    return {};
}

QString Text(const char* target) {
    const QStringList items = BuiltIn(target);
    return items.isEmpty() ? QString() : items.front();
}

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

}  // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsSetting");
    auto* layout = new QVBoxLayout(this);
    PageControl2 = Named(new QTabWidget(this), "PageControl2");
    tsFont = BuildFontPage();
    tsSave = BuildSavePage();
    tsOther = BuildOtherPage();
    PageControl2->addTab(tsFont, Text("tsFont"));
    PageControl2->addTab(tsSave, Text("tsSave"));
    PageControl2->addTab(tsOther, Text("tsOther"));
    layout->addWidget(PageControl2, 1);
    btnGoMain = Named(new QPushButton(Text("btnGoMain"), this), "btnGoMain");
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(btnGoMain);
    layout->addLayout(row);
}

QWidget* SettingsPage::BuildFontPage() {
    auto* page = Named(new QWidget, "tsFont");
    auto* v = new QVBoxLayout(page);
    auto* fontRow = new QHBoxLayout;
    lblFont = Named(new QLabel(Text("lblFont")), "lblFont");
    btnFont = Named(new QPushButton, "btnFont");
    btnFont->setMinimumWidth(200);
    fontRow->addWidget(lblFont);
    fontRow->addWidget(btnFont);
    fontRow->addStretch();
    v->addLayout(fontRow);

    auto group = [&](const char* name, std::initializer_list<std::pair<const char*, ColourBox**>> rows) {
        auto* gb = Named(new QGroupBox(Text(name)), name);
        auto* form = new QFormLayout(gb);
        for (const auto& [label, box] : rows) {
            *box = Named(new ColourBox(gb), label);
            // The label of box "cbXxx" is "lblXxx".
            const QByteArray labelName = "lbl" + QByteArray(label + 2);
            auto* l = new QLabel(Text(labelName.constData()), gb);
            l->setObjectName(QString::fromLatin1(labelName));
            l->setBuddy(*box);
            form->addRow(l, *box);
        }
        return gb;
    };
    gbColor = group("gbColor", {{"cbTextColor", &cbTextColor}, {"cbHeaderColor", &cbHeaderColor},
                                {"cbQuoteColor", &cbQuoteColor}, {"cbBackColor", &cbBackColor}});
    gbTreeColor = group("gbTreeColor", {{"cbTreeTextColor", &cbTreeTextColor},
                                        {"cbTreeBackColor", &cbTreeBackColor}});
    gbListColor = group("gbListColor", {{"cbListTextColor", &cbListTextColor},
                                        {"cbListBackColor", &cbListBackColor}});
    auto* colours = new QHBoxLayout;
    colours->addWidget(gbColor);
    auto* right = new QVBoxLayout;
    right->addWidget(gbTreeColor);
    right->addWidget(gbListColor);
    colours->addLayout(right);
    v->addLayout(colours);
    v->addStretch();
    return page;
}

QWidget* SettingsPage::BuildSavePage() {
    auto* page = Named(new QWidget, "tsSave");
    auto* v = new QVBoxLayout(page);
    const QStringList rg = BuiltIn("rgSaveType");
    rgSaveType = Named(new QGroupBox(rg.value(0)), "rgSaveType");
    saveTypeButtons = new QButtonGroup(rgSaveType);
    saveTypeButtons->setObjectName("saveTypeButtons");
    auto* rv = new QVBoxLayout(rgSaveType);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(rg.value(i + 1), rgSaveType);
        b->setObjectName(QStringLiteral("rgSaveType%1").arg(i));
        saveTypeButtons->addButton(b, i);
        rv->addWidget(b);
    }
    v->addWidget(rgSaveType);
    chkDustBox = Named(new QCheckBox(Text("chkDustBox")), "chkDustBox");
    chkAutoEncode = Named(new QCheckBox(Text("chkAutoEncode")), "chkAutoEncode");
    chkHeaderEncode = Named(new QCheckBox(Text("chkHeaderEncode")), "chkHeaderEncode");
    v->addWidget(chkDustBox);
    v->addWidget(chkAutoEncode);
    v->addWidget(chkHeaderEncode);
    v->addStretch();
    // Encryption at exit only makes sense for a save type that encrypts.
    connect(saveTypeButtons, &QButtonGroup::idToggled, this,
            [this] { chkAutoEncode->setEnabled(SaveType() != 0); });
    return page;
}

QWidget* SettingsPage::BuildOtherPage() {
    auto* page = Named(new QWidget, "tsOther");
    auto* v = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    auto* quoteCol = new QVBoxLayout;
    lblQuote = Named(new QLabel(Text("lblQuote")), "lblQuote");
    reQuote = Named(new QPlainTextEdit, "reQuote");
    reQuote->setMaximumSize(160, 120);
    quoteCol->addWidget(lblQuote);
    quoteCol->addWidget(reQuote);
    top->addLayout(quoteCol);
    auto* histCol = new QVBoxLayout;
    lblHistoryNum = Named(new QLabel(Text("lblHistoryNum")), "lblHistoryNum");
    udHistoryNum = Named(new QSpinBox, "udHistoryNum");
    udHistoryNum->setRange(kMinHistoryNum, kMaxHistoryNum);
    udHistoryNum->setValue(kMinHistoryNum);
    if (auto* edit = udHistoryNum->findChild<QLineEdit*>()) edit->setObjectName("edtHistoryNum");
    histCol->addWidget(lblHistoryNum);
    histCol->addWidget(udHistoryNum);
    histCol->addStretch();
    top->addLayout(histCol);
    top->addStretch();
    v->addLayout(top);
    chkHeaderDisp = Named(new QCheckBox(Text("chkHeaderDisp")), "chkHeaderDisp");
    chkQuoteScroll = Named(new QCheckBox(Text("chkQuoteScroll")), "chkQuoteScroll");
    chkToolTipDisp = Named(new QCheckBox(Text("chkToolTipDisp")), "chkToolTipDisp");
    v->addWidget(chkHeaderDisp);
    v->addWidget(chkQuoteScroll);
    v->addWidget(chkToolTipDisp);
    v->addStretch();
    return page;
}

int SettingsPage::SaveType() const {
    return saveTypeButtons->checkedId();
}

void SettingsPage::SetSaveType(int index) {
    if (QAbstractButton* b = saveTypeButtons->button(index)) {
        b->setChecked(true);
    } else {
        // No button: uncheck all, which an exclusive group does not allow directly.
        saveTypeButtons->setExclusive(false);
        for (QAbstractButton* x : saveTypeButtons->buttons()) x->setChecked(false);
        saveTypeButtons->setExclusive(true);
    }
    chkAutoEncode->setEnabled(SaveType() != 0);
}

QStringList SettingsPage::QuoteMarks() const {
    QStringList lines = reQuote->toPlainText().split('\n');
    // A trailing line end makes no mark of its own.
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

void SettingsPage::SetQuoteMarks(const QStringList& marks) {
    reQuote->setPlainText(marks.join('\n'));
}

QList<ColourBox*> SettingsPage::ColourBoxes() const {
    return {cbTextColor, cbHeaderColor, cbQuoteColor, cbBackColor,
            cbTreeTextColor, cbTreeBackColor, cbListTextColor, cbListBackColor};
}

}  // namespace qx::ui

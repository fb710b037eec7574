#include "ui/ColourBox.h"

#include <QApplication>
#include <QColorDialog>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace qx::ui {

namespace {

struct Entry {
    const char* id;
    ColourValue value;
    const char* japanese;  // UTF-8
};

constexpr Entry kEntries[] = {
    {"clBlack", 0x000000, "黒"},          {"clMaroon", 0x000080, "栗色"},
    {"clGreen", 0x008000, "緑"},          {"clOlive", 0x008080, "オリーブ"},
    {"clNavy", 0x800000, "紺"},           {"clPurple", 0x800080, "紫"},
    {"clTeal", 0x808000, "青緑"},         {"clGray", 0x808080, "灰色"},
    {"clSilver", 0xC0C0C0, "銀"},         {"clRed", 0x0000FF, "赤"},
    {"clLime", 0x00FF00, "ライム"},       {"clYellow", 0x00FFFF, "黄"},
    {"clBlue", 0xFF0000, "青"},           {"clFuchsia", 0xFF00FF, "赤紫"},
    {"clAqua", 0xFFFF00, "水色"},         {"clWhite", 0xFFFFFF, "白"},
    {"clMoneyGreen", 0xC0DCC0, "マネーグリーン"}, {"clSkyBlue", 0xF0CAA6, "スカイブルー"},
    {"clCream", 0xF0FBFF, "クリーム"},    {"clMedGray", 0xA4A0A0, "灰色(中)"},
};

QIcon Swatch(const QColor& c) {
    QPixmap pm(16, 12);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pm);
}

}  // namespace

QColor ToQColor(ColourValue value) {
    if (value & 0x80000000u) {
        // A system colour: the nearest role of the desktop's palette.
        const QPalette pal = QApplication::palette();
        switch (value & 0xFF) {
            case 5: return pal.color(QPalette::Base);           // clWindow
            case 8: case 7: case 18: return pal.color(QPalette::Text);
            case 13: case 29: return pal.color(QPalette::Highlight);
            case 14: return pal.color(QPalette::HighlightedText);
            case 15: case 4: case 30: return pal.color(QPalette::Button);
            case 17: return pal.color(QPalette::PlaceholderText);
            case 23: return pal.color(QPalette::ToolTipText);
            case 24: return pal.color(QPalette::ToolTipBase);
            default: return pal.color(QPalette::Window);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

ColourValue FromQColor(const QColor& c) {
    return static_cast<ColourValue>(c.red()) | (static_cast<ColourValue>(c.green()) << 8) |
           (static_cast<ColourValue>(c.blue()) << 16);
}

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent) {
    addItem(Swatch(Qt::black), QString::fromUtf8("カスタム..."), QVariant::fromValue<uint>(0));
    for (const Entry& e : kEntries)
        addItem(Swatch(ToQColor(e.value)), QString::fromUtf8(e.japanese), QVariant::fromValue<uint>(e.value));
    setCurrentIndex(1);
    connect(this, &QComboBox::activated, this, &ColourBox::OnActivated);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit ColourChanged(); });
}

ColourValue ColourBox::Value() const {
    return currentData().toUInt();
}

void ColourBox::SetValue(ColourValue value) {
    for (int i = 1; i < count(); ++i) {
        if (itemData(i).toUInt() == value) {
            setCurrentIndex(i);
            return;
        }
    }
    SetCustom(value);
}

void ColourBox::SetCustom(ColourValue value) {
    setItemData(0, QVariant::fromValue<uint>(value));
    setItemIcon(0, Swatch(ToQColor(value)));
    if (currentIndex() == 0) emit ColourChanged();
    else setCurrentIndex(0);
}

void ColourBox::SetDescriptiveNames(bool descriptive) {
    setItemText(0, descriptive ? QString::fromUtf8("カスタム...") : QStringLiteral("Custom..."));
    int i = 1;
    for (const Entry& e : kEntries)
        setItemText(i++, descriptive ? QString::fromUtf8(e.japanese) : QString::fromLatin1(e.id));
}

void ColourBox::OnActivated(int index) {
    if (index != 0) return;
    const QColor chosen = QColorDialog::getColor(ToQColor(itemData(0).toUInt()), this);
    if (chosen.isValid()) SetCustom(FromQColor(chosen));
}

}  // namespace qx::ui

// A colour box: a custom entry first, then the standard and extended colours,
// shown with descriptive names (Japanese interface) or colour identifiers.
#pragma once

#include <QColor>
#include <QComboBox>

#include "settings/IniValues.h"

namespace qx::ui {

// A settings colour (00BBGGRR, or a system colour entry) as a Qt colour.
QColor ToQColor(ColourValue value);
ColourValue FromQColor(const QColor& colour);

class ColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);

    ColourValue Value() const;
    QColor Colour() const { return ToQColor(Value()); }
    // Selects the named entry of the value, or puts it into the custom entry.
    void SetValue(ColourValue value);
    // Descriptive names (and the custom entry "カスタム...") or identifiers and "Custom...".
    void SetDescriptiveNames(bool descriptive);

signals:
    // The chosen colour changed through the box (also when set by a program).
    void ColourChanged();

private:
    void OnActivated(int index);
    void SetCustom(ColourValue value);
};

}  // namespace qx::ui

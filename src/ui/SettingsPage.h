// The settings page: fonts and colours, saving, and other options, with the
// button back to the main page. It only holds the controls; the main window
// wires their events.
#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace qx::ui {

class ColourBox;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(QWidget* parent = nullptr);

    // Item index of the save type, -1 when no button is checked.
    int SaveType() const;
    void SetSaveType(int index);
    // The quote marks, one per line of reQuote.
    QStringList QuoteMarks() const;
    void SetQuoteMarks(const QStringList& marks);
    // Every colour box, in the order of the settings file.
    QList<ColourBox*> ColourBoxes() const;

    QTabWidget* PageControl2 = nullptr;
    QWidget* tsFont = nullptr;
    QWidget* tsSave = nullptr;
    QWidget* tsOther = nullptr;
    QPushButton* btnGoMain = nullptr;

    QLabel* lblFont = nullptr;
    QPushButton* btnFont = nullptr;
    QGroupBox* gbColor = nullptr;
    QGroupBox* gbTreeColor = nullptr;
    QGroupBox* gbListColor = nullptr;
    ColourBox* cbTextColor = nullptr;
    ColourBox* cbHeaderColor = nullptr;
    ColourBox* cbQuoteColor = nullptr;
    ColourBox* cbBackColor = nullptr;
    ColourBox* cbTreeTextColor = nullptr;
    ColourBox* cbTreeBackColor = nullptr;
    ColourBox* cbListTextColor = nullptr;
    ColourBox* cbListBackColor = nullptr;

    QGroupBox* rgSaveType = nullptr;
    QButtonGroup* saveTypeButtons = nullptr;
    QCheckBox* chkDustBox = nullptr;
    QCheckBox* chkAutoEncode = nullptr;
    QCheckBox* chkHeaderEncode = nullptr;

    QLabel* lblQuote = nullptr;
    QPlainTextEdit* reQuote = nullptr;
    QLabel* lblHistoryNum = nullptr;
    QSpinBox* udHistoryNum = nullptr;
    QCheckBox* chkHeaderDisp = nullptr;
    QCheckBox* chkQuoteScroll = nullptr;
    QCheckBox* chkToolTipDisp = nullptr;

private:
    QWidget* BuildFontPage();
    QWidget* BuildSavePage();
    QWidget* BuildOtherPage();
};

}  // namespace qx::ui

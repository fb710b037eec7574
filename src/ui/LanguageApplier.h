// Puts the texts of a language file on the controls they name.
#pragma once

#include <QStringList>

#include "settings/LanguageFile.h"
#include "settings/LanguageSchema.h"

class QWidget;

namespace qx::ui {

struct AppliedLanguage {
    // Column titles of the message list; fewer than the columns when the file has fewer.
    QStringList columnTitles;
    MessageTexts messages;
};

// Sets captions, hints, items and texts of every control under `root` that a
// key of the file names (menus, commands, labels, buttons, tab sheets, the radio
// group, group boxes, check boxes, combo items). Controls that are not there
// (other windows' controls) are passed over. Column titles and message texts
// are returned for the caller, which owns the list and the message fields.
AppliedLanguage ApplyLanguageTexts(QWidget* root, const LanguageFile& file);

}  // namespace qx::ui

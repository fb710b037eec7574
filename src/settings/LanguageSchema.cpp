#include "settings/LanguageSchema.h"

#include "settings/SettingsSchema.h"
#include "text/Cp932.h"

namespace qx {

namespace {

using K = LanguageValueKind;
using R = LanguageRole;

// clang-format off
constexpr LanguageKey kKeys[] = {
    {"Menu", "String00", K::List, R::MenuCaption, {"mnuFile"}, "ファイル(&F)"},
    {"Menu", "String01", K::List, R::CommandCaption, {"actExit"}, "終了(&X)"},
    {"Menu", "String02", K::List, R::CommandCaption, {"actLoad"}, "読み込み(&L)..."},
    {"Menu", "String03", K::List, R::CommandCaption, {"actSave"}, "上書き保存(&S)"},
    {"Menu", "String04", K::List, R::CommandCaption, {"actSaveAs"}, "名前を付けて保存(&A)..."},
    {"Menu", "String05", K::List, R::CommandCaption, {"actReload"}, "差分読み込み(&R)"},
    {"Menu", "String06", K::List, R::MenuCaption, {"mnuHistory"}, "履歴(&H)"},
    {"Menu", "String07", K::List, R::CommandCaption, {"actPrint"}, "印刷(&P)..."},
    {"Menu", "String08", K::List, R::CommandCaption, {"actSaveSelect"}, "選択したノードを保存(&N)..."},
    {"Menu", "String10", K::List, R::MenuCaption, {"mnuLanguage"}, "Language(&L)"},
    {"Menu", "String11", K::List, R::CommandCaption, {"actJapanese"}, "&Japanese"},
    {"Menu", "String12", K::List, R::CommandCaption, {"actEnglish"}, "&English"},
    {"Menu", "String20", K::List, R::MenuCaption, {"mnuHelp"}, "ヘルプ(&H)"},
    {"Menu", "String21", K::List, R::CommandCaption, {"actAbout"}, "バージョン情報(&A)..."},
    {"Menu", "String22", K::List, R::CommandCaption, {"actHelp"}, "ヘルプ(&H)"},
    {"Menu", "String30", K::List, R::MenuCaption, {"mnuEdit"}, "編集(&E)"},
    {"Menu", "String31", K::List, R::CommandCaption, {"actCopy"}, "コピー(&C)"},
    {"Menu", "String32", K::List, R::CommandCaption, {"actCopy2"}, "引用付きコピー(&Q)"},
    {"Menu", "String33", K::List, R::CommandCaption, {"actAllSelect"}, "全て選択(&A)"},
    {"Menu", "String34", K::List, R::CommandCaption, {"actDelete"}, "削除(&D)"},
    {"Menu", "String35", K::List, R::CommandCaption, {"actUnDelete"}, "削除取り消し(&U)"},
    {"Menu", "String36", K::List, R::CommandCaption, {"actDeleteSelect"}, "選択したノードを削除(&S)"},
    {"Menu", "String40", K::List, R::MenuCaption, {"mnuMove"}, "表示(&D)"},
    {"Menu", "String41", K::List, R::CommandCaption, {"actMoveUp"}, "一つ上へ(&U)"},
    {"Menu", "String42", K::List, R::CommandCaption, {"actMoveDown"}, "一つ下へ(&D)"},
    {"Menu", "String43", K::List, R::CommandCaption, {"actMoveTop"}, "一番上へ(&T)"},
    {"Menu", "String44", K::List, R::CommandCaption, {"actMoveBottom"}, "一番下へ(&B)"},
    {"Menu", "String45", K::List, R::CommandCaption, {"actAllOpen"}, "全て開く(&O)"},
    {"Menu", "String46", K::List, R::CommandCaption, {"actAllClose"}, "全て閉じる(&C)"},
    {"Menu", "String47", K::List, R::CommandCaption, {"actSelectOpen"}, "選択したノードを開く(&P)"},
    {"Menu", "String48", K::List, R::CommandCaption, {"actSelectClose"}, "選択したノードを閉じる(&L)"},
    {"Menu", "String49", K::List, R::CommandCaption, {"actListTop"}, "ListViewの先頭へ(&L)"},
    {"Menu", "String50", K::List, R::CommandCaption, {"actListBottom"}, "ListViewの最後へ(&I)"},
    {"Menu", "String51", K::List, R::CommandCaption, {"actFolderUp"}, "一つ上の階層へ"},
    {"Menu", "String52", K::List, R::CommandCaption, {"actMsgForm"}, "メッセージを別表示(&W)"},
    // The pop-up menu of the view is designed as "送信", the main menu as "送信(&S)";
    // one value names both.
    {"Menu", "String60", K::List, R::MenuCaption, {"mnuSend", "mnuRSend"}, "送信(&S)"},
    {"Menu", "String70", K::List, R::MenuCaption, {"mnuFind"}, "検索(&S)"},
    {"Menu", "String71", K::List, R::CommandCaption, {"actFind"}, "検索(&F)..."},
    {"Menu", "String80", K::List, R::MenuCaption, {"mnuTool"}, "ツール(&T)"},
    {"Menu", "String81", K::List, R::CommandCaption, {"actSetting"}, "設定(&S)..."},
    {"Menu", "String82", K::List, R::CommandCaption, {"actGraph"}, "グラフ(&G)..."},
    {"Menu", "String90", K::List, R::CommandCaption, {"actToolTipDisp"}, "ツールチップ表示"},

    {"ListView", "String00", K::List, R::ColumnTitles, {"lvLog", "lvFind"},
     " \nユーザ名\nTo/From\n日時\nメッセージ"},

    {"ComboBox", "String00", K::List, R::ComboItems, {"cmbTreeKey"},
     "年月日ユーザ名でソート\n年月日ホスト名でソート\nユーザ名でソート\nホスト名でソート\n年月日でソート"},
    {"ComboBox", "Hint00", K::Plain, R::Hint, {"cmbTreeKey"}, ""},
    {"ComboBox", "Hint01", K::Plain, R::Hint, {"cmbFind"}, ""},
    {"ComboBox", "String01", K::List, R::ComboItems, {"cmbType"}, "ユーザ名別\nホスト名別\n日付別\n月別"},

    {"Label", "String00", K::Plain, R::Text, {"lblFind"}, "検索文字列"},
    {"Label", "String01", K::Plain, R::Text, {"lblTextColor", "lblTreeTextColor", "lblListTextColor"},
     "文字色"},
    {"Label", "String02", K::Plain, R::Text, {"lblHeaderColor"}, "ヘッダ色"},
    {"Label", "String03", K::Plain, R::Text, {"lblQuoteColor"}, "引用色"},
    {"Label", "String04", K::Plain, R::Text, {"lblBackColor", "lblTreeBackColor", "lblListBackColor"},
     "背景色"},
    {"Label", "String05", K::Plain, R::Text, {"lblFont"}, "フォント"},
    {"Label", "String06", K::Plain, R::Text, {"lblQuote"}, "引用文字"},
    {"Label", "String07", K::Plain, R::Text, {"lblLogList"}, "ログ一覧"},
    {"Label", "String08", K::Plain, R::Text, {"lblHistoryNum"}, "履歴数"},

    {"Button", "String00", K::List, R::ButtonCaption, {"btnFind"}, "検索"},
    {"Button", "String02", K::List, R::ButtonCaption, {"btnJump"}, "TreeViewを開く"},
    {"Button", "String03", K::List, R::ButtonCaption, {"btnGoMain"}, "メイン画面へ"},
    {"Button", "String04", K::List, R::ButtonCaption, {"btnExec"}, "計算"},

    {"TabSheet", "String00", K::Plain, R::Text, {"tsFont"}, "フォント・色"},
    {"TabSheet", "String01", K::Plain, R::Text, {"tsSave"}, "保存"},
    {"TabSheet", "String02", K::Plain, R::Text, {"tsOther"}, "その他"},

    {"RadioGroup", "String00", K::List, R::RadioGroup, {"rgSaveType"},
     "保存形式\n暗号化しない\n暗号化する\nパスワード付き暗号化"},

    {"GroupBox", "String00", K::Plain, R::Text, {"gbColor"}, "エディット部の色"},
    {"GroupBox", "String01", K::Plain, R::Text, {"gbTreeColor"}, "TreeView部の色"},
    {"GroupBox", "String02", K::Plain, R::Text, {"gbListColor"}, "ListView部の色"},

    {"CheckBox", "String00", K::Plain, R::Text, {"chkDustBox"}, "上書き保存時、元のファイルをゴミ箱に入れる"},
    {"CheckBox", "String01", K::Plain, R::Text, {"chkAutoEncode"}, "終了時、暗号化していないメッセージがあったら暗号化する"},
    {"CheckBox", "String02", K::Plain, R::Text, {"chkHeaderDisp"}, "ヘッダ部を別表示する"},
    {"CheckBox", "String03", K::Plain, R::Text, {"chkRegEx"}, "正規表現検索"},
    {"CheckBox", "String04", K::Plain, R::Text, {"chkQuoteScroll"}, "メッセージ表示時、引用行をスクロールする"},
    {"CheckBox", "String05", K::Plain, R::Text, {"chkHeaderEncode"}, "ヘッダ部も暗号化する"},
    {"CheckBox", "String06", K::Plain, R::Text, {"chkToolTipDisp"}, "ListView上でメッセージ内容をツールチップ表示する"},
    {"CheckBox", "String07", K::Plain, R::Text, {"chkDispValue"}, "値表示"},

    {"Message", "String00", K::Message, R::Message, {}, ""},
    {"Message", "String01", K::Message, R::Message, {}, ""},
    {"Message", "String02", K::Message, R::Message, {}, ""},
    {"Message", "String03", K::Message, R::Message, {}, "-"},
    {"Message", "String04", K::Message, R::Message, {}, ""},
    {"Message", "String05", K::Message, R::Message, {}, ""},
    {"Message", "String06", K::Message, R::Message, {}, ""},
    {"Message", "String07", K::Message, R::Message, {}, ""},
    {"Message", "String08", K::Message, R::Message, {}, ""},
    {"Message", "String09", K::Message, R::Message, {}, ""},
    {"Message", "String10", K::Message, R::Message, {}, ""},
    {"Message", "String11", K::Message, R::Message, {}, ""},
    {"Message", "String12", K::Message, R::Message, {}, ""},
    {"Message", "String13", K::Message, R::Message, {}, ""},
    {"Message", "String14", K::Message, R::Message, {}, ""},
    {"Message", "String15", K::Message, R::Message, {}, ""},
    {"Message", "String16", K::Message, R::Message, {}, ""},
    {"Message", "String17", K::Message, R::Message, {}, ""},
};
// clang-format on

}  // namespace

std::span<const LanguageKey> LanguageKeys() {
    return kKeys;
}

const LanguageKey* FindLanguageKey(std::string_view section, std::string_view key) {
    for (const LanguageKey& k : kKeys) {
        if (EqualsIgnoreAsciiCase(k.section, section) && EqualsIgnoreAsciiCase(k.key, key))
            return &k;
    }
    return nullptr;
}

std::vector<std::string> BuiltInItems(const LanguageKey& key) {
    std::vector<std::string> items;
    if (key.builtInUtf8.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = key.builtInUtf8.find('\n', start);
        items.emplace_back(key.builtInUtf8.substr(start, nl - start));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return items;
}

MessageTexts ReadMessageTexts(const LanguageFile& file) {
    MessageTexts m;
    for (std::size_t i = 0; i < kMessageTextCount; ++i) {
        m.texts[i] = file.Message("Message", NumberedKey("String", static_cast<int>(i)));
    }
    return m;
}

}  // namespace qx

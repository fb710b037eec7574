#!/usr/bin/env python3
"""Writes data/Language.jpn and data/Language.eng.

The texts are kept here in UTF-8; the files are written in cp932 with CR LF line
ends, as the program reads them. Run from anywhere:

    python3 tools/make_language_files.py
"""

from pathlib import Path

# Values are trimmed when read and list items are split at blanks: a blank that
# must survive is written "__", or the item is put between double quotes.

JAPANESE = r"""
; Quillorix language file: Japanese
[Menu]
String00=ファイル(&F)
String01=終了(&X)
String02=読み込み(&L)...
String03=上書き保存(&S)
String04=名前を付けて保存(&A)...
String05=差分読み込み(&R)
String06=履歴(&H)
String07=印刷(&P)...
String08=選択したノードを保存(&N)...
String10=Language(&L)
String11=&Japanese
String12=&English
String20=ヘルプ(&H)
String21=バージョン情報(&A)...
String22=ヘルプ(&H)
String30=編集(&E)
String31=コピー(&C)
String32=引用付きコピー(&Q)
String33=全て選択(&A)
String34=削除(&D)
String35=削除取り消し(&U)
String36=選択したノードを削除(&S)
String40=表示(&D)
String41=一つ上へ(&U)
String42=一つ下へ(&D)
String43=一番上へ(&T)
String44=一番下へ(&B)
String45=全て開く(&O)
String46=全て閉じる(&C)
String47=選択したノードを開く(&P)
String48=選択したノードを閉じる(&L)
String49=ListViewの先頭へ(&L)
String50=ListViewの最後へ(&I)
String51=一つ上の階層へ
String52=メッセージを別表示(&W)
String60=送信(&S)
String70=検索(&S)
String71=検索(&F)...
String80=ツール(&T)
String81=設定(&S)...
String82=グラフ(&G)...
String90=ツールチップ表示

[ListView]
String00=__,ユーザ名,To/From,日時,メッセージ

[ComboBox]
String00=年月日ユーザ名でソート,年月日ホスト名でソート,ユーザ名でソート,ホスト名でソート,年月日でソート
Hint00=ツリーの分類方法を選びます
Hint01=検索する文字列または正規表現
String01=ユーザ名別,ホスト名別,日付別,月別

[Label]
String00=検索文字列
String01=文字色
String02=ヘッダ色
String03=引用色
String04=背景色
String05=フォント
String06=引用文字
String07=ログ一覧
String08=履歴数

[Button]
String00=検索
String02=TreeViewを開く
String03=メイン画面へ
String04=計算

[TabSheet]
String00=フォント・色
String01=保存
String02=その他

[RadioGroup]
String00=保存形式,暗号化しない,暗号化する,パスワード付き暗号化

[GroupBox]
String00=エディット部の色
String01=TreeView部の色
String02=ListView部の色

[CheckBox]
String00=上書き保存時、元のファイルをゴミ箱に入れる
String01=終了時、暗号化していないメッセージがあったら暗号化する
String02=ヘッダ部を別表示する
String03=正規表現検索
String04=メッセージ表示時、引用行をスクロールする
String05=ヘッダ部も暗号化する
String06=ListView上でメッセージ内容をツールチップ表示する
String07=値表示

[Message]
String00=削除したメッセージが保存されていません。\n保存しますか？
String01=保存したログでファイルを置き換えられませんでした。\n保存した内容は一時ファイルに残っています。
String02=が見つかりません。
String03=削除済みメッセージ
String04=引用文字を入力してください。
String05=ヘルプファイルが見つかりません。
String06=削除済みメッセージのノードは保存できません。
String07=パスワード
String08=パスワードが違うため、ログを読み込めませんでした。
String09=パスワード（確認）
String10=件
String11=表示しているメッセージがありません。
String12=にはIP Messengerのログのメッセージがありません。
String13=はフォルダです。ログファイルを指定してください。
String14=を読み込めません。
String15=バイトが続きます（クリックで続きを表示）
String16=__を開けませんでした（開くプログラムがありません）。
String17=送信するには、Windows上で動いているIP Messengerが必要です。
"""

ENGLISH = r"""
; Quillorix language file: English
[Menu]
String00=&File
String01=E&xit
String02=&Open...
String03=&Save
String04="Save &As..."
String05=&Reload
String06="Recent &Files"
String07=&Print...
String08="Save Selected &Node..."
String10=&Language
String11=&Japanese
String12=&English
String20=&Help
String21="&About Quillorix..."
String22="&Help Topics"
String30=&Edit
String31=&Copy
String32="Copy with &Quotes"
String33="Select &All"
String34=&Delete
String35=&Undelete
String36="Delete Selected &Node"
String40=&View
String41="Move &Up"
String42="Move &Down"
String43="Go to &Top"
String44="Go to &Bottom"
String45="&Expand All"
String46="&Collapse All"
String47="E&xpand Selected Node"
String48="Collapse &Selected Node"
String49="Top of &List"
String50="Bottom of L&ist"
String51="Up One Le&vel"
String52="Open in Separate &Window"
String60=Se&nd
String70=&Search
String71=&Find...
String80=&Tools
String81=&Settings...
String82=&Graph...
String90="Show &Tooltips"

[ListView]
String00=__,User,To/From,Date,Message

[ComboBox]
String00="By date and user","By date and host","By user","By host","By date"
Hint00=How the tree groups the messages
Hint01=Text or regular expression to search for
String01="By user","By host","By date","By month"

[Label]
String00=Find what:
String01=Text colour
String02=Header colour
String03=Quote colour
String04=Background colour
String05=Font
String06=Quote marks
String07=Log files
String08=Recent files to keep

[Button]
String00=Find
String02="Show in Tree"
String03="Back to Main View"
String04=Calculate

[TabSheet]
String00=Fonts and Colours
String01=Saving
String02=Other

[RadioGroup]
String00="Save format","Not encrypted","Encoded (no password)","Encrypted with password"

[GroupBox]
String00=Message view colours
String01=Tree colours
String02=List colours

[CheckBox]
String00=Move the original file to the trash when saving over it
String01=Encrypt unencrypted messages on exit
String02=Show the header separately
String03=Regular expression
String04=Scroll past leading quoted lines when showing a message
String05=Encrypt headers too
String06=Show message text as a tooltip in the list
String07=Show values

[Message]
String00=Some deleted messages have not been saved.\nDo you want to save the log now?
String01=The log file could not be replaced with the saved copy.\nThe saved messages remain in the temporary file.
String02=__could not be found.
String03=Deleted messages
String04=Quote prefix:
String05=The help file could not be found.
String06=The deleted-messages node cannot be saved.
String07=Password:
String08=The password was wrong three times.\nThe log has not been loaded.
String09=Confirm password:
String10=__msgs
String11=There is no message to show.
String12=__holds no messages of an IP Messenger log.
String13=__is a folder, not a log file.
String14=__cannot be read.
String15=more bytes on this line (click to show more)
String16=__could not be opened: no program took the address.
String17=Sending needs IP Messenger running on Windows.
"""


def write(path: Path, text: str) -> None:
    lines = text.strip("\n").split("\n")
    data = "".join(line + "\r\n" for line in lines).encode("cp932")
    path.write_bytes(data)


def main() -> None:
    data = Path(__file__).resolve().parent.parent / "data"
    data.mkdir(exist_ok=True)
    write(data / "Language.jpn", JAPANESE)
    write(data / "Language.eng", ENGLISH)


if __name__ == "__main__":
    main()

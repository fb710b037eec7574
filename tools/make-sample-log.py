#!/usr/bin/env python3
"""Writes examples/sample.log: a small cp932 log in the messenger's block format.

Usage: tools/make-sample-log.py OUT
"""
import datetime
import sys

TOP = "=" * 37
BODY = "-" * 37

PEOPLE = {
    "tanaka": ("田中 一郎", "tanaka", "開発部", "DEV-PC01", "192.168.10.21"),
    "suzuki": ("鈴木 花子", "hanako", "開発部/第二課", "DEV-PC07", "192.168.10.37"),
    "sato":   ("佐藤 健", None, "営業部", "SALES-03", "192.168.20.3"),
    "emily":  ("Emily Carter", "emily", "Design", "mac-emily", None),
    "raj":    ("Raj Patel", None, None, "build-srv", "10.0.0.5"),
    "kimura": ("木村 美咲", "misaki", "総務", "GA-NOTE2", "192.168.30.12"),
}


def addressee(direction, key):
    name, nick, group, host, ip = PEOPLE[key]
    text = f" {direction}: {name}"
    if nick:
        text += f"[{nick}]"
    parts = [p for p in (group, host, ip) if p]
    text += " (" + "/".join(parts) + ")"
    return text


def date_line(when, note=None):
    day = f"{when.day:2d}"
    line = "  at " + when.strftime("%a %b ") + day + when.strftime(" %H:%M:%S %Y")
    if note:
        line += " " + note
    return line


MESSAGES = [
    # (direction, [people], datetime, body lines, extra header lines, date note)
    ("From", ["tanaka"], (2026, 9, 1, 9, 2, 11), ["おはようございます。", "今日の定例は10時からです。", ""], [], None),
    ("To", ["tanaka"], (2026, 9, 1, 9, 4, 40), ["> 今日の定例は10時からです。", "了解しました。資料を用意します。", ""], [], "(開封)"),
    ("From", ["emily"], (2026, 9, 1, 13, 15, 0), ["Hi, the new mock-ups are up:", "https://design.example.com/mockups/v3", "Feedback welcome!", ""], [], None),
    ("To", ["emily"], (2026, 9, 1, 13, 20, 31), ["> Hi, the new mock-ups are up:", "> https://design.example.com/mockups/v3", "Looks great. The header feels a bit heavy, though.", ""], [], None),
    ("From", ["raj"], (2026, 9, 2, 8, 30, 5), ["Nightly build #1432 failed on the Windows runner.", "Log: http://build-srv/ci/1432/console", ""], [], None),
    ("To", ["raj", "tanaka"], (2026, 9, 2, 8, 41, 17), ["Looking into it now.", "田中さんも確認お願いします。", ""], [], None),
    ("From", ["suzuki"], (2026, 9, 15, 17, 45, 2), ["お疲れさまです。", "見積書をお送りします。", "ご確認ください。", ""], ["  (添付) 見積書_2026-09.xlsx"], None),
    ("To", ["suzuki"], (2026, 9, 15, 17, 50, 44), ["> 見積書をお送りします。", "ありがとうございます。確認します。", ""], [], None),
    ("From", ["kimura"], (2026, 9, 30, 11, 0, 0), ["【全員連絡】", "10月1日は健康診断のため、午前中は会議室Aが使えません。", ""], [], None),
    ("To", ["BROADCAST"], (2026, 10, 1, 8, 55, 12), ["本日のサーバーメンテナンスは 12:00-13:00 です。", "Server maintenance today 12:00-13:00.", ""], [], None),
    ("From", ["sato"], (2026, 10, 5, 10, 12, 9), ["来週の展示会の件です。", "ブースの配置図はこちら: https://intra.example.co.jp/expo/2026/layout.pdf", ""], [], None),
    ("To", ["sato"], (2026, 10, 5, 10, 30, 55), ["> ブースの配置図はこちら", "拝見しました。電源の位置だけ確認させてください。", ""], [], None),
    ("From", ["sato"], (2026, 10, 5, 10, 35, 20), ["> > ブースの配置図はこちら", "> 拝見しました。電源の位置だけ確認させてください。", "左奥に二口あります。", ""], [], None),
    ("From", ["emily"], (2026, 10, 12, 15, 3, 48), ["Quick question: which font do we use for the Japanese UI?", ""], [], None),
    ("To", ["emily", "suzuki"], (2026, 10, 12, 15, 10, 2), ["We use Noto Sans CJK JP.", "鈴木さん、ライセンスの確認をお願いできますか?", ""], [], None),
    ("From", ["suzuki"], (2026, 10, 12, 15, 30, 19), ["確認しました。SIL Open Font License なので問題ありません。", ""], [], None),
    ("From", ["tanaka"], (2026, 10, 20, 18, 2, 33), ["バグ票 #2211 の修正をマージしました。", "レビューありがとうございました。", ""], [], None),
    ("To", ["tanaka"], (2026, 10, 20, 18, 5, 1), ["お疲れさまでした!", ""], [], None),
    ("From", ["raj"], (2026, 10, 27, 9, 45, 0), ["Build server will be rebooted at 10:00.", "Save your work on build-srv.", ""], [], None),
    ("From", ["kimura"], (2026, 11, 2, 9, 0, 3), ["11月の経費精算の締め切りは25日です。", ""], ["  (添付) 経費精算マニュアル.pdf"], None),
    ("To", ["kimura"], (2026, 11, 2, 9, 10, 10), ["> 11月の経費精算の締め切りは25日です。", "承知しました。", ""], [], None),
    ("From", ["emily"], (2026, 11, 9, 14, 22, 57), ["Here are the icons for the toolbar.", "Tell me if any of them are unclear at 16 px.", ""], ["  (添付) toolbar-icons.zip"], None),
    ("To", ["emily"], (2026, 11, 9, 14, 40, 0), ["> Tell me if any of them are unclear at 16 px.", "The trash icon is hard to tell apart from the folder. Otherwise perfect.", ""], [], None),
    ("From", ["suzuki"], (2026, 11, 16, 12, 1, 30), ["お昼、新しくできたラーメン屋さんに行きませんか?", "https://ramen.example.jp/shop/123", ""], [], None),
    ("To", ["suzuki", "tanaka", "sato"], (2026, 11, 16, 12, 3, 12), ["行きます!", "田中さんと佐藤さんもどうですか。", ""], [], None),
    ("From", ["sato"], (2026, 11, 16, 12, 4, 40), ["ぜひ。", ""], [], None),
    ("To", ["BROADCAST"], (2026, 11, 20, 17, 30, 0), ["年末調整の書類を11月30日までに提出してください。", ""], [], None),
    ("From", ["raj"], (2026, 11, 24, 16, 18, 44), ["Release 2.4 is tagged.", "Changelog: https://git.example.com/quill/releases/tag/v2.4", "Thanks, everyone.", ""], [], None),
    ("To", ["raj"], (2026, 11, 24, 16, 20, 3), ["> Release 2.4 is tagged.", "Congratulations! 🎉 (well, no emoji in cp932)".replace("🎉 ", ""), ""], [], None),
    ("From", ["tanaka"], (2026, 12, 1, 9, 5, 0), ["12月のシフト表です。", "変更があれば今週中に連絡してください。", ""], ["  (添付) shift_2026-12.xlsx"], None),
    ("To", ["tanaka"], (2026, 12, 1, 9, 30, 27), ["> 変更があれば今週中に連絡してください。", "24日を午前休に変更させてください。", ""], [], None),
    ("From", ["tanaka"], (2026, 12, 1, 9, 41, 2), ["> 24日を午前休に変更させてください。", "OKです。", ""], [], None),
    ("From", ["kimura"], (2026, 12, 7, 10, 0, 0), ["忘年会のお知らせ", "日時: 12月18日(金) 19:00〜", "場所: 駅前のいつものお店", "出欠は今週中にお願いします。", ""], [], None),
    ("To", ["kimura"], (2026, 12, 7, 10, 11, 45), ["参加します。", ""], [], None),
    ("From", ["emily"], (2026, 12, 8, 11, 11, 11), ["See you at the year-end party!", "Meeting notes from today: https://wiki.example.com/design/2026-12-08", ""], [], None),
    ("To", ["emily"], (2026, 12, 8, 11, 15, 0), ["> See you at the year-end party!", "See you there :-)", ""], [], None),
]


def main():
    out = []
    for direction, people, when, body, extra, note in MESSAGES:
        when = datetime.datetime(*when)
        out.append(TOP)
        for p in people:
            if p == "BROADCAST":
                out.append(f" {direction}: BROADCAST")
            else:
                out.append(addressee(direction, p))
        out.append(date_line(when, note))
        out.extend(extra)
        out.append(BODY)
        out.extend(body)
    data = "".join(line + "\r\n" for line in out).encode("cp932")
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()

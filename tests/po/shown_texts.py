#!/usr/bin/env python3
"""Every text the game shows goes through Tr (or TrNoop where it is defined): a shown text
that does not is missing from the template, so no catalogue can translate it.

Two ways a text slips past:
  - a Japanese literal anywhere in the program's layers that xgettext finds as a plain
    string but not as a Tr/TrNoop argument (xgettext --extract-all against the template),
    a failure's message below the game included (it reaches a message box or standard
    error); only the lines of a layer's own debug log (DetailLog, DebugLog, OpenSection,
    CloseSection), which the game never turns on, stay in Japanese;
  - any literal, Japanese or not, handed straight to a function that shows it
    (ShowMessage("..."), AskYesNo("..."), setWindowTitle(QStringLiteral("...")), ...).

Usage: shown_texts.py SOURCE_DIR TEMPLATE.pot LAYER...   (exit 1 and one line per text when
                                                           any slips; LAYER: app, game, ...)
       shown_texts.py --self-test                (the check itself catches what it should)
"""
import os
import re
import subprocess
import sys
import tempfile

# A layer's debug log: lines for the developer, written only when a debug option is set.
DEBUG_LOG = re.compile(r"\b(DetailLog|DebugLog|OpenSection|CloseSection)\s*\(")

# Literals of those layers that are not shown texts, each with why.
NOT_SHOWN = {
    "ＭＳ Ｐゴシック": "a font family name",
    "ＭＳ ゴシック": "a font family name",
    "\\r…": "the ellipsis closing a list of tracks: a sign, no word",
    "日本語": "a language's own name in the settings, the same in every language, as English is",
    "; ひまわり畑の大脱走！ high scores, best first\\n": "the first line of scores.ini, the same file in every language",
    "LoadBMP中に、読み込みエラーが発生しました": "a line of the graphics debug log only",
}

# The status panel's labels are English words read the same way in every language.
LANGUAGE_NEUTRAL = {"TIME:", "RECORD:", "SCORE:", "HIGH SCORE:", "FOODS:", "-"}

SHOWING = (r"ShowMessage|AskYesNo|ShowScreenMessage|SetCaption|BrowseFolder|setWindowTitle|"
           r"setText|setToolTip|setTitle|addMenu|addAction|QLabel|information|warning|critical|"
           r"question|label_|ShowNotice")
DIRECT = re.compile(r"\b(" + SHOWING + r")\s*\((?:[^()\"]*?,\s*)?\s*(?:(?:QStringLiteral|QString::fromUtf8|QString::fromStdString|std::string)\s*\(\s*)?\"((?:[^\"\\]|\\.)*)\"")
# Menu items (ui/) are made with their designer name, then their caption.
MENU_ITEM = re.compile(r"\b(\w+)\(\"\1\",\s*\"((?:[^\"\\]|\\.)*)\"")
ASSIGNED = re.compile(r"\.\s*(Title|Filter)\s*=\s*\"((?:[^\"\\]|\\.)*)\"")


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"(^|\s)//[^\n]*", r"\1", text)


def msgids(pot_text):
    found = set()
    for block in re.finditer(r"^msgid ((?:\".*\"\n)+)", pot_text, flags=re.M):
        found.add("".join(re.findall(r"\"(.*)\"", block.group(1))))
    return found


def sources(root, layers):
    for layer in layers:
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(folder, name)


def direct_literals(path, menus):
    text = strip_comments(open(path, encoding="utf-8").read())
    faults = []
    for pattern in (DIRECT, ASSIGNED, MENU_ITEM) if menus else (DIRECT, ASSIGNED):
        for m in pattern.finditer(text):
            literal = m.group(2)
            if literal and literal not in LANGUAGE_NEUTRAL:
                line = text.count("\n", 0, m.start()) + 1
                faults.append(f"{path}:{line}: \"{literal}\" is shown without Tr(...)")
    return faults


def debug_log_lines(path):
    """The lines that calls of the debug log span (their arguments may run over lines)."""
    text = strip_comments(open(path, encoding="utf-8").read())
    lines = set()
    for m in DEBUG_LOG.finditer(text):
        depth, at = 1, m.end()
        while at < len(text) and depth:
            c = text[at]
            if c in "\"'":
                at += 1
                while at < len(text) and text[at] != c:
                    at += 2 if text[at] == "\\" else 1
            elif c == "(":
                depth += 1
            elif c == ")":
                depth -= 1
            at += 1
        first = text.count("\n", 0, m.start()) + 1
        lines.update(range(first, text.count("\n", 0, at) + 2))
    return lines


def untranslatable(files, template_ids):
    with tempfile.TemporaryDirectory() as tmp:
        pot = os.path.join(tmp, "all.pot")
        subprocess.run(["xgettext", "--from-code=UTF-8", "--language=C++", "--extract-all", "--no-wrap",
                        "--output=" + pot, *files], check=True, stderr=subprocess.DEVNULL)
        text = open(pot, encoding="utf-8").read() if os.path.exists(pot) else ""
    logs = {os.path.normpath(path): debug_log_lines(path) for path in files}
    faults = []
    for block in re.finditer(r"((?:^#: .*\n)+)(?:^#.*\n)*^msgid ((?:\".*\"\n)+)", text, flags=re.M):
        literal = "".join(re.findall(r"\"(.*)\"", block.group(2)))
        if not re.search(r"[^\x00-\x7f]", literal) or literal in template_ids or literal in NOT_SHOWN:
            continue
        for where in block.group(1).replace("#:", " ").split():
            path, _, line = where.rpartition(":")
            if int(line) not in logs.get(os.path.normpath(path), ()):
                faults.append(f"{where}: \"{literal}\" is not in the template: wrap it in Tr(...)")
    return faults


def check(files, template_ids, root):
    faults = untranslatable(files, template_ids)
    for path in files:
        faults += direct_literals(path, os.path.relpath(path, root).startswith("ui" + os.sep))
    return faults


def template_of(files):
    """The msgids xgettext takes from Tr and TrNoop, as the build's template has them."""
    with tempfile.TemporaryDirectory() as tmp:
        pot = os.path.join(tmp, "t.pot")
        subprocess.run(["xgettext", "--from-code=UTF-8", "--language=C++", "--keyword=", "--keyword=Tr",
                        "--keyword=TrNoop", "--output=" + pot, *files], check=True, stderr=subprocess.DEVNULL)
        return msgids(open(pot, encoding="utf-8").read()) if os.path.exists(pot) else set()


def self_test():
    cases = {
        'void F(THost& h) { h.ShowMessage("保存しました"); }': 2,  # both checks see it
        'void F(THost& h) { h.ShowMessage(Tr("保存しました")); }': 0,
        'void F(THost& h) { h.AskYesNo(\n    "Quit?"); }': 1,
        'void F(QWidget& w) { w.setWindowTitle(QStringLiteral("Himawari")); }': 1,
        'auto* l = new QLabel(QString::fromUtf8("Paused"), view);': 1,
        'const char* const Q = "始めますか？";\nvoid F(THost& h) { h.AskYesNo(Q); }': 1,
        'const char* const Q = TrNoop("始めますか？");\nvoid F(THost& h) { h.AskYesNo(Tr(Q)); }': 0,
        'TMainMenu::TMainMenu() : G1("G1", "Game"), N1("N1", "-") {}': 1,
        'void F(O& o) { o.Title = "Choose"; }': 1,
        '// h.ShowMessage("説明の中の例");\nvoid F() {}': 0,
        'auto t = label_("TIME:");': 0,
        'int main() { setenv("SDL_AUDIODRIVER", "disk", 1); }': 0,
        # a failure below the game reaches the player; a debug log line does not
        'void F(const char* p) { throw EReadError(std::string(p) + " を開けません"); }': 1,
        'void F(int n) { DetailLog(Format("ウィンドウモード %dで\n初期化します",\n    n)); }': 0,
        'void F(int n) {\n    DetailLog(Format("%d 件", n));\n    throw Exception("初期化できません"); }': 1,
    }
    failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        os.mkdir(os.path.join(tmp, "ui"))
        for n, (code, expected) in enumerate(cases.items()):
            path = os.path.join(tmp, "ui", f"case{n}.cpp")
            with open(path, "w", encoding="utf-8") as f:
                f.write(code + "\n")
            got = len(check([path], template_of([path]), tmp))
            if got != expected:
                print(f"self-test: {expected} faults expected, {got} found in: {code!r}")
                failed += 1
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root, template, layers = sys.argv[1], sys.argv[2], sys.argv[3:]
    faults = check(list(sources(root, layers)), msgids(open(template, encoding="utf-8").read()), root)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

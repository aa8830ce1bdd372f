#!/usr/bin/env python3
"""Checks the spelling of every Polish text a user meets: string literals in
the sources that read as Polish, the Polish values of the desktop files and
the manual pages.  Prints each unknown word with where it is, and each
literal of the sources that reads as English prose (a message the user would
meet untranslated) unless english-texts.txt accepts it; exits 1 when there is
any.  Usage: spellcheck.py SOURCE_ROOT
"""
import pathlib
import re
import subprocess
import sys

POLISH_LETTERS = set("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ")
LITERAL = re.compile(r'(?<![\w\'])"((?:[^"\\\n]|\\.)*)"')
WORD = re.compile(r"[^\W\d_]+(?:['’][^\W\d_]+)?")


def unknown_words(words, dictionary):
    """The words the dictionary does not know, by hunspell -l."""
    if not words:
        return set()
    run = subprocess.run(["hunspell", "-d", dictionary, "-i", "utf-8", "-l"],
                         input="\n".join(sorted(words)), capture_output=True, text=True,
                         check=True)
    return set(run.stdout.split())


def technical(token):
    """Paths, options, file names, variables and numbers are not prose."""
    inner = token.strip("\"'.,:;!?()[]„”“«»")
    return (re.search(r"[/\\_=@<>{}%$#|~]|\.\w|::|^-|\w-\w|\d", inner) is not None
            or (inner.isupper() and len(inner) > 1)  # acronyms, variables
            or (inner.replace("x", "").isupper() and "x" in inner)  # WIDTHxHEIGHT
            or re.fullmatch(r"[a-z]+[A-Z]\w*", inner) is not None)  # clRed, camelCase


def words_of(text):
    words = []
    for token in text.split():
        if technical(token):
            continue
        words += [w for w in WORD.findall(token) if len(w) > 1]
    return words


def unescape(literal):
    return re.sub(r"\\[nrt]", " ", literal).replace('\\"', '"').replace("\\\\", "\\")


def source_texts(root):
    """(place, text) for each string literal of the sources."""
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if line.lstrip().startswith(("//", "#include")):
                continue
            for match in LITERAL.finditer(line):
                yield f"{path.relative_to(root)}:{number}", unescape(match.group(1)), False


def desktop_texts(root):
    for path in sorted((root / "data").glob("*.desktop")):
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            key, _, value = line.partition("=")
            if key.endswith("[pl]") and not key.startswith("Keywords"):
                yield f"{path.relative_to(root)}:{number}", value, True


def roff_prose(line):
    """The words of a manual page's line, without requests and fonts."""
    if line.startswith(".\\\"") or line.startswith("'\\\""):
        return ""
    if line.startswith("."):
        request, _, rest = line.partition(" ")
        if request in (".B", ".BR", ".BI", ".IR", ".I", ".RB", ".RI", ".TH", ".nh", ".br", ".PP",
                       ".TP", ".TQ", ".RS", ".RE", ".IP", ".nf", ".fi", ".PD", ".UR", ".UE"):
            # Bold and italic words are commands, options and names.
            return "" if request != ".IP" else rest
        line = rest
    line = re.sub(r"\\f[BI].*?\\f[RP]", " ", line)
    line = re.sub(r"\\\(\w\w|\\\[\w+\]|\\f[RPBI]|\\&|\\e|\\ ", " ", line)
    line = line.replace("\\-", "-")
    return re.sub(r"\{\{[^}]*\}\}", " ", line)


def manual_texts(root):
    for path in sorted((root / "docs" / "man").glob("*.1.in")):
        example = False  # between .nf and .fi: commands as typed
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            example = (example or line == ".nf") and line != ".fi"
            if not example:
                yield f"{path.relative_to(root)}:{number}", roff_prose(line), True


def listed(name):
    """The lines of a list beside this script, without comments."""
    lines = (pathlib.Path(__file__).parent / name).read_text(encoding="utf-8").splitlines()
    entries = (line.split("#", 1)[0].strip() for line in lines if not line.startswith("#"))
    return {entry for entry in entries if entry}


def code(text):
    """Script or markup carried in a literal, not a message."""
    return re.search(r";|\{|===|!==", text) is not None


def main():
    root = pathlib.Path(sys.argv[1])
    accepted = listed("accepted-words.txt")
    english_on_purpose = listed("english-texts.txt")
    texts = [(place, text, always)
             for source in (source_texts, desktop_texts, manual_texts)
             for place, text, always in source(root)]
    every_word = {w for _, text, _ in texts for w in words_of(text)} - accepted
    not_polish = unknown_words(every_word, "pl_PL")
    not_english = unknown_words(every_word, "en_US")
    faults = 0
    for place, text, always in texts:
        words = [w for w in words_of(text) if w not in accepted]
        # A literal is Polish text when it has a Polish letter or two words
        # only Polish knows; the rest are names, keys and developers' notes.
        only_polish = {w for w in words if w not in not_polish and w in not_english}
        polish = always or any(c in POLISH_LETTERS for c in text) or len(only_polish) > 1
        if not polish:
            only_english = [w for w in words if w in not_polish and w not in not_english]
            if (len(only_english) > 1 and not code(text)
                    and text.strip() not in english_on_purpose):
                print(f"{place}: English text {text.strip()!r}")
                faults += 1
            continue
        for word in words:
            if word in not_polish:
                print(f"{place}: {word!r} in {text.strip()!r}")
                faults += 1
    print(f"{len(texts)} texts, {len(every_word)} words, {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The characters a CJK typeface subset must hold for one language, written to a file for
pyftsubset --text-file: every character of the language's translations
(texts/translations/<tag>.json), and the printable ASCII and Latin-1 characters that names,
paths and numbers put into those texts.

    tools/cjk_font_characters.py texts/translations/ja.json build/fonts/ja.txt
"""

import json
import pathlib
import sys


def characters(translation_file):
    texts = json.loads(pathlib.Path(translation_file).read_text(encoding="utf-8"))
    used = set("".join(texts.values()))
    used.update(chr(c) for c in range(0x20, 0x7F))
    used.update(chr(c) for c in range(0xA0, 0x100))
    return "".join(sorted(c for c in used if c >= " "))


def main(argv):
    if len(argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    pathlib.Path(argv[2]).write_text(characters(argv[1]), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

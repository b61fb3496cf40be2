#!/usr/bin/python3
"""Every character of every translation has a glyph in the face the window draws that
language with: Source Sans Pro for the European languages, the language's Noto Sans CJK
subset (made by the build) for Japanese, Chinese and Korean.

    tests/check_translation_glyphs.py <build folder>
"""

import json
import pathlib
import sys

from fontTools.ttLib import TTFont  # Debian: python3-fonttools

ROOT = pathlib.Path(__file__).resolve().parent.parent
build = pathlib.Path(sys.argv[1])
latin = TTFont(ROOT / "resources" / "fonts" / "SourceSansPro-Regular.ttf").getBestCmap()
failures = 0
for translation in sorted((ROOT / "texts" / "translations").glob("*.json")):
    language = translation.stem
    cjk = build / "fonts" / f"NotoSansCJK-{language}.otf"
    cmap = TTFont(cjk).getBestCmap() if cjk.exists() else latin
    texts = json.loads(translation.read_text(encoding="utf-8"))
    missing = sorted({c for text in texts.values() for c in text if c >= " " and ord(c) not in cmap})
    if missing:
        failures += 1
        print(f"FAIL {language}: no glyph for {' '.join(f'U+{ord(c):04X} {c}' for c in missing)}")
    else:
        print(f"ok {language}: {len(texts)} texts in {cjk.name if cjk.exists() else 'SourceSansPro-Regular.ttf'}")
sys.exit(1 if failures else 0)

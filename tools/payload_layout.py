"""The product and its formats for the Python tools and the build: the format table of
catalogue/FormatTable.h, read from that header, the one place it is written, in the
program's format index order.

Run as a script it prints what the build needs:
  payload_layout.py keys       the format keys, ';'-separated (a CMake list)
  payload_layout.py archives   the archives' file names, ';'-separated
  payload_layout.py table      the product name and the whole table, as JSON
"""

import collections
import json
import pathlib
import re
import sys

FormatFacts = collections.namedtuple(
    "FormatFacts",
    "name key extension bundle_is_folder module_folder default_folder per_user_folder x86_folder"
    " settings_key archive icon",
)

_HEADER = pathlib.Path(__file__).resolve().parent.parent / "catalogue" / "FormatTable.h"


def _read_header(path=_HEADER):
    """The product name and the rows of `formatTable` as the header initialises them: each
    row's string and bool literals, in the order of the struct's fields."""
    text = path.read_text(encoding="utf-8")
    text = re.sub(r"//[^\n]*", "", text)
    product = re.search(r'\bproductName\s*=\s*"([^"]*)"', text)
    table = re.search(r"\bformatTable\s*\{\{(.*?)\}\};", text, re.S)
    if product is None or table is None:
        raise SystemExit(f"payload_layout: no productName or formatTable in {path}")
    rows = []
    for row in re.findall(r"\{([^{}]*)\}", table.group(1)):
        values = [string if string or not boolean else boolean == "true"
                  for string, boolean in re.findall(r'"([^"]*)"|\b(true|false)\b', row)]
        if len(values) != len(FormatFacts._fields):
            raise SystemExit(f"payload_layout: a row of formatTable in {path} has {len(values)} fields: {row}")
        rows.append(FormatFacts(*values))
    return product.group(1), tuple(rows)


PRODUCT_NAME, FORMATS = _read_header()

FORMAT_KEYS = tuple(format.key for format in FORMATS)
_BY_KEY = {format.key: format for format in FORMATS}


def format_facts(format_key):
    return _BY_KEY[format_key]


def bundle_name(format_key, product=PRODUCT_NAME):
    return product + _BY_KEY[format_key].extension


def module_path(format_key, product=PRODUCT_NAME):
    """The module's entry name inside the archive, with Windows separators."""
    facts = _BY_KEY[format_key]
    bundle = bundle_name(format_key, product)
    if not facts.bundle_is_folder:
        return bundle
    return bundle + "\\" + facts.module_folder.replace("/", "\\") + "\\" + bundle


if __name__ == "__main__":
    outputs = {
        "keys": ";".join(FORMAT_KEYS),
        "archives": ";".join(format.archive for format in FORMATS),
        "table": json.dumps({"product": PRODUCT_NAME, "formats": [format._asdict() for format in FORMATS]}),
    }
    if len(sys.argv) != 2 or sys.argv[1] not in outputs:
        sys.exit("usage: payload_layout.py " + "|".join(outputs))
    print(outputs[sys.argv[1]])

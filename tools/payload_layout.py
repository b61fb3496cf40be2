"""The product and its formats for the Python tools and the build: the format table of
catalogue/FormatTable.h, in the program's format index order. A test
(Catalogue.PythonCopyOfTheFormatTableEqualsTheProgramsTable) holds the two equal, field
by field.

Run as a script it prints what the build needs:
  payload_layout.py keys       the format keys, ';'-separated (a CMake list)
  payload_layout.py archives   the archives' file names, ';'-separated
  payload_layout.py table      the product name and the whole table, as JSON
"""

import collections
import json
import sys

PRODUCT_NAME = "Ostrand"

FormatFacts = collections.namedtuple(
    "FormatFacts",
    "name key extension bundle_is_folder module_folder default_folder per_user_folder x86_folder"
    " settings_key archive icon",
)

FORMATS = (
    FormatFacts("VST3", "vst3", ".vst3", True, "Contents/x86_64-win", "VST3", "Programs/Common/VST3", "VST3",
                "VST3_Path", "vst3.zip", "icon_vst3_svg"),
    FormatFacts("CLAP", "clap", ".clap", False, "", "CLAP", "Programs/Common/CLAP", "", "CLAP_Path",
                "clap.zip", "icon_clap_svg"),
    FormatFacts("AAX", "aax", ".aaxplugin", True, "Contents/x64", "Avid/Audio/Plug-Ins", "", "", "AAX_Path",
                "aax.zip", "icon_aax_svg"),
)

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

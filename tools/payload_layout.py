"""Names shared by the payload tools: the product, its formats and their bundle names."""

PRODUCT_NAME = "Ostrand"

# Format key (as used on the command line and in file names) -> bundle extension, in the
# format index order of the program.
FORMAT_EXTENSIONS = {"vst3": ".vst3", "clap": ".clap", "aax": ".aaxplugin"}

# Formats whose bundle is a single file rather than a folder.
SINGLE_FILE_FORMATS = {"clap"}


def bundle_name(format_key, product=PRODUCT_NAME):
    return product + FORMAT_EXTENSIONS[format_key]

#!/usr/bin/env bash
# Builds the zip reader's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds (default 60),
# starting from small archives in the product's layout written by Python's zipfile and,
# when they are installed, by Info-ZIP zip, 7-Zip and bsdtar. A crash stops the run and
# leaves the input in build-fuzz-zip/.
#   tools/fuzz-zip-reader.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=${VX_FUZZ_BUILD_DIR:-build-fuzz-zip}
clang=${CLANGXX:-clang++-14}
# shellcheck source=fuzz-common.sh
source tools/fuzz-common.sh
mkdir -p "$out/corpus"
out=$(realpath "$out")

build_fuzzer zip_archive_fuzz tests/fuzz/zip_archive_fuzz.cpp

rm -rf "$out/seeds" "$out/tree"
mkdir -p "$out/seeds" "$out/tree/Ostrand.vst3/Contents/x86_64-win"
python3 - "$out/seeds" "$out/tree" <<'PY'
import io, os, sys, zipfile
seeds, tree = sys.argv[1:]
entries = [
    ("Ostrand.vst3\\Contents\\", None),
    ("Ostrand.vst3\\desktop.ini", b"[.ShellClassInfo]\r\nIconResource=Plugin.ico,0\r\n"),
    ("Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", b"MZ" + bytes(range(256)) * 8),
]

class ForwardOnly:
    def __init__(self, stream): self.stream = stream
    def write(self, data): return self.stream.write(data)
    def flush(self): pass

def write(stream, names, comment=b"", stored=False, streamed=False):
    with zipfile.ZipFile(stream, "w") as archive:
        archive.comment = comment
        for name, data in entries:
            info = zipfile.ZipInfo(names(name), date_time=(2024, 5, 14, 12, 0, 0))
            info.compress_type = zipfile.ZIP_STORED if data is None or stored else zipfile.ZIP_DEFLATED
            if streamed:
                with archive.open(info, "w", force_zip64=True) as out:
                    out.write(data or b"")
            else:
                archive.writestr(info, data or b"")

def make(name, **options):
    buffer = io.BytesIO()
    write(ForwardOnly(buffer) if options.get("streamed") else buffer, options.pop("names", lambda n: n), **options)
    data = buffer.getvalue()
    with open(os.path.join(seeds, name), "wb") as out:
        out.write(options.get("prefix", b"") + data + options.get("padding", b""))
    return data

make("backslashes.zip")
make("slashes.zip", names=lambda n: n.replace("\\", "/"))
make("stored.zip", stored=True, comment=b"Ostrand 1.2.0")
make("streamed.zip", streamed=True)
padded = make("padded.zip")
with open(os.path.join(seeds, "padded.zip"), "ab") as out:
    out.write(bytes(1024))
with open(os.path.join(seeds, "stub.zip"), "wb") as out:
    out.write(b"MZ stub" * 40 + padded)
for name, data in entries:
    path = os.path.join(tree, *name.rstrip("\\").split("\\"))
    if data is not None:
        with open(path, "wb") as out:
            out.write(data)
PY
(cd "$out/tree"
    ! command -v zip >/dev/null || zip -r -q "$out/seeds/infozip.zip" Ostrand.vst3
    ! command -v 7z >/dev/null || 7z a -tzip -bd "$out/seeds/7zip.zip" Ostrand.vst3 >/dev/null
    ! command -v bsdtar >/dev/null || bsdtar --format zip -cf - Ostrand.vst3 | cat >"$out/seeds/bsdtar.zip")

run_fuzzer "the zip reader" zip_archive_fuzz 16384

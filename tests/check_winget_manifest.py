#!/usr/bin/env python3
"""The winget manifests tools/winget_manifest.py writes parse as YAML and hold what
deployment tools match the installed product by; bad input is refused with exit status 2.

    tests/check_winget_manifest.py <vx_installer>   (the Linux build: its JSON report names the product)
"""

import hashlib
import json
import pathlib
import subprocess
import sys
import tempfile

import yaml

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tools"))
from pe_image import build_pe_dll  # noqa: E402

TOOL = ROOT / "tools" / "winget_manifest.py"
URL = "https://downloads.example.com/ostrand/vx_installer.exe"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*arguments):
    return subprocess.run([sys.executable, str(TOOL), *map(str, arguments)], capture_output=True, text=True)


with tempfile.TemporaryDirectory() as scratch:
    scratch = pathlib.Path(scratch)
    exe = scratch / "vx_installer.exe"
    exe.write_bytes(build_pe_dll((1, 0, 5, 0)))
    out = scratch / "manifests"
    result = run(exe, URL, out)
    check(result.returncode == 0, f"exit status {result.returncode}: {result.stderr}")

    files = {path.name: yaml.safe_load(path.read_text(encoding="utf-8")) for path in out.glob("*.yaml")}
    version = files.get("AudioTarvosk.Ostrand.yaml", {})
    installer = files.get("AudioTarvosk.Ostrand.installer.yaml", {})
    locale = files.get("AudioTarvosk.Ostrand.locale.en-US.yaml", {})
    check(len(files) == 3, f"files written: {sorted(files)}")

    # The product and version as the program itself reports them.
    status = subprocess.run([sys.argv[1], "--status", "--json"], capture_output=True, text=True,
                            env={"WINEPREFIX": str(scratch / "prefix"), "HOME": str(scratch)})
    program = json.loads(status.stdout)
    product, product_version = program["product"], program["productVersion"]

    for manifest, kind in ((version, "version"), (installer, "installer"), (locale, "defaultLocale")):
        check(manifest.get("PackageIdentifier") == "AudioTarvosk.Ostrand", f"{kind}: identifier")
        check(manifest.get("PackageVersion") == product_version, f"{kind}: version")
        check(manifest.get("ManifestType") == kind and manifest.get("ManifestVersion") == "1.6.0", f"{kind}: type")
    check(version.get("DefaultLocale") == "en-US", "version: default locale")

    expected_installer = {
        "InstallerType": "exe",
        "Scope": "machine",
        "ElevationRequirement": "elevatesSelf",
        "InstallerSwitches": {"Silent": "/install=all", "SilentWithProgress": "/install=all",
                              "Log": '/log="<LOGPATH>"'},
        "InstallerSuccessCodes": [3],
        "ExpectedReturnCodes": [{"InstallerReturnCode": 2, "ReturnResponse": "invalidParameter"},
                                {"InstallerReturnCode": 1, "ReturnResponse": "contactSupport"}],
        # What the program writes to its uninstall entry: Apps & Features, winget list and upgrade.
        "AppsAndFeaturesEntries": [{"DisplayName": product, "Publisher": "Audio Tarvosk",
                                    "DisplayVersion": product_version, "ProductCode": "AudioTarvosk.Ostrand"}],
        "Installers": [{"Architecture": "x64", "InstallerUrl": URL,
                        "InstallerSha256": hashlib.sha256(exe.read_bytes()).hexdigest().upper()}],
    }
    for field, value in expected_installer.items():
        check(installer.get(field) == value, f"installer: {field} is {installer.get(field)!r}, want {value!r}")
    for field, value in {"Publisher": "Audio Tarvosk", "PackageName": product,
                         "PackageUrl": "https://www.audiotarvosk.com/products/ostrand",
                         "License": "Proprietary (Audio Tarvosk End-User License Agreement)"}.items():
        check(locale.get(field) == value, f"locale: {field} is {locale.get(field)!r}, want {value!r}")
    for field in ("PublisherUrl", "PublisherSupportUrl", "ShortDescription"):
        check(str(locale.get(field, "")).strip() != "", f"locale: no {field}")

    # Refusals: nothing written.
    (scratch / "notes.txt").write_text("not a program")
    refused_folder = scratch / "refused"
    for arguments, what in (((scratch / "notes.txt", URL, refused_folder), "a file that is no executable"),
                            ((exe, "http://downloads.example.com/x.exe", refused_folder), "an address without https"),
                            ((scratch / "missing.exe", URL, refused_folder), "a missing executable"),
                            ((exe, URL), "a missing folder argument")):
        refused = run(*arguments)
        check(refused.returncode == 2 and refused.stderr and not refused_folder.exists(),
              f"{what}: exit status {refused.returncode}, {refused.stderr!r}")

for failure in failures:
    print("FAIL", failure)
print(f"check_winget_manifest: {'ok' if not failures else f'{len(failures)} failed'}")
sys.exit(1 if failures else 0)

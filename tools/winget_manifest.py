#!/usr/bin/env python3
"""Writes the winget manifests (version, installer and default-locale, schema 1.6.0) for a
signed vx_installer.exe and the address it is downloaded from.

    tools/winget_manifest.py dist/vx_installer.exe https://downloads.example.com/vx_installer.exe manifests/

Every fact comes from the program's own sources, where it is written once: the product,
its version, the maker, the links and the licence from catalogue/*.h, the uninstall
entry's key (the package identifier and product code) from catalogue/Registration.h, the
exit statuses from cli/CommandLine.h; the SHA-256 is the executable's. The files go to
<folder>/<PackageIdentifier>.yaml, .installer.yaml and .locale.en-US.yaml. Exit status:
0 written; 2 usage, or the executable is missing or not a Windows executable, or the
address is not https.
"""

import hashlib
import pathlib
import re
import sys

import yaml  # Debian: python3-yaml

ROOT = pathlib.Path(__file__).resolve().parent.parent
MANIFEST_VERSION = "1.6.0"
LOCALE = "en-US"


def _header_text(relative):
    text = (ROOT / relative).read_text(encoding="utf-8")
    # Comments on lines of their own and after a statement; "//" inside an address stays.
    text = re.sub(r"^\s*//[^\n]*", "", text, flags=re.M)
    return re.sub(r";\s*//[^\n]*", ";", text)


def string_constant(relative, name):
    """The value of `inline constexpr const char* name = "...";` (adjacent literals joined)."""
    found = re.search(r"\b" + name + r'\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);', _header_text(relative))
    if not found:
        raise SystemExit(f"winget_manifest: no {name} in {relative}")
    parts = re.findall(r'"((?:[^"\\]|\\.)*)"', found.group(1))
    return "".join(part.encode().decode("unicode_escape") for part in parts)


def int_constant(relative, name):
    found = re.search(r"\b" + name + r"\s*=\s*(\d+)\s*;", _header_text(relative))
    if not found:
        raise SystemExit(f"winget_manifest: no {name} in {relative}")
    return int(found.group(1))


def catalogue():
    value = string_constant
    return {
        "product": value("catalogue/FormatTable.h", "productName"),
        "version": value("catalogue/Product.h", "productVersion"),
        "page": value("catalogue/Product.h", "productPageUrl"),
        "manual": value("catalogue/Product.h", "manualUrl"),
        "licence": value("catalogue/Product.h", "licenceName"),
        "summary": value("catalogue/Product.h", "productSummary"),
        "publisher": value("catalogue/Registration.h", "publisherName"),
        "key": value("catalogue/Registration.h", "uninstallKeyName"),
        "support": value("catalogue/Links.h", "discordInviteUrl"),
        "usage_error": int_constant("cli/CommandLine.h", "exitUsageError"),
        "format_failed": int_constant("cli/CommandLine.h", "exitFormatFailed"),
        "log_failed": int_constant("cli/CommandLine.h", "exitLogFailed"),
    }


def is_windows_executable(data):
    if len(data) < 0x40 or data[:2] != b"MZ":
        return False
    offset = int.from_bytes(data[0x3C:0x40], "little")
    return data[offset:offset + 4] == b"PE\0\0"


def manifests(facts, sha256, url):
    identifier = facts["key"]
    common = {"PackageIdentifier": identifier, "PackageVersion": facts["version"]}
    version = {**common, "DefaultLocale": LOCALE, "ManifestType": "version", "ManifestVersion": MANIFEST_VERSION}
    installer = {
        **common,
        "InstallerType": "exe",
        "Scope": "machine",
        "InstallModes": ["interactive", "silent", "silentWithProgress"],
        # The program's manifest asks for administrator rights: Windows prompts for them.
        "ElevationRequirement": "elevatesSelf",
        # winget puts the log's path in as it is, and user folders hold spaces.
        "InstallerSwitches": {"Silent": "/install=all", "SilentWithProgress": "/install=all", "Log": '/log="<LOGPATH>"'},
        # Everything was installed; only the log could not be written.
        "InstallerSuccessCodes": [facts["log_failed"]],
        "ExpectedReturnCodes": [
            {"InstallerReturnCode": facts["usage_error"], "ReturnResponse": "invalidParameter"},
            {"InstallerReturnCode": facts["format_failed"], "ReturnResponse": "contactSupport"},
        ],
        "UpgradeBehavior": "install",
        "AppsAndFeaturesEntries": [{
            "DisplayName": facts["product"],
            "Publisher": facts["publisher"],
            "DisplayVersion": facts["version"],
            "ProductCode": identifier,
        }],
        "Installers": [{"Architecture": "x64", "InstallerUrl": url, "InstallerSha256": sha256}],
        "ManifestType": "installer",
        "ManifestVersion": MANIFEST_VERSION,
    }
    locale = {
        **common,
        "PackageLocale": LOCALE,
        "Publisher": facts["publisher"],
        "PublisherUrl": re.sub(r"^(https://[^/]+).*$", r"\1", facts["page"]),
        "PublisherSupportUrl": facts["support"],
        "PackageName": facts["product"],
        "PackageUrl": facts["page"],
        "License": facts["licence"],
        "ShortDescription": facts["summary"],
        "Documentations": [{"DocumentLabel": "Manual", "DocumentUrl": facts["manual"]}],
        "ManifestType": "defaultLocale",
        "ManifestVersion": MANIFEST_VERSION,
    }
    return {
        f"{identifier}.yaml": version,
        f"{identifier}.installer.yaml": installer,
        f"{identifier}.locale.{LOCALE}.yaml": locale,
    }


def main(argv):
    if len(argv) != 4:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    exe, url, folder = pathlib.Path(argv[1]), argv[2], pathlib.Path(argv[3])
    if not re.match(r"^https://[^\s/]+/\S+$", url):
        print(f"winget_manifest: the download address must be an https:// address: {url}", file=sys.stderr)
        return 2
    try:
        data = exe.read_bytes()
    except OSError as error:
        print(f"winget_manifest: cannot read {exe}: {error.strerror}", file=sys.stderr)
        return 2
    if not is_windows_executable(data):
        print(f"winget_manifest: {exe} is not a Windows executable", file=sys.stderr)
        return 2
    folder.mkdir(parents=True, exist_ok=True)
    header = "# Written by tools/winget_manifest.py\n"
    for name, content in manifests(catalogue(), hashlib.sha256(data).hexdigest().upper(), url).items():
        text = header + f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{content['ManifestType']}.{MANIFEST_VERSION}.schema.json\n\n"
        text += yaml.safe_dump(content, sort_keys=False, allow_unicode=True, width=1000)
        (folder / name).write_text(text, encoding="utf-8")
        print(folder / name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

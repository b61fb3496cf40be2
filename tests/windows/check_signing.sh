#!/usr/bin/env bash
# Checks tools/sign-windows.sh on a built executable with a throw-away certificate
# authority made here with openssl:
#   - the signed executable verifies with osslsigncode against that authority (and not
#     against another), SHA-256, with the product name and the maker's web address;
#   - signing changes nothing but the PE checksum and the certificate table entry, and
#     appends the signature: embedded archives, manifest, version resource and icons are
#     the same bytes as before (check_exe_resources.sh passes on the signed file);
#   - legacy-encrypted and password-less certificates sign as well;
#   - a missing, unreadable or damaged certificate, a wrong or unset password, an
#     unreachable time-stamp server and a bad executable fail with the documented exit
#     status and message, and leave the target as it was (no file, no temporary left).
#
#   tests/windows/check_signing.sh <exe> <signed-exe-out> [<payload-folder>]
#
# <signed-exe-out> receives the signed executable (for the run under Wine);
# <payload-folder> holds the embedded vst3.zip, clap.zip, aax.zip (default: payload/
# beside <exe>). Prints one line per check and a closing "N passed, N failed" line;
# exits non-zero when any check fails.
set -uo pipefail

usage="usage: $0 <exe> <signed-exe-out> [<payload-folder>]"
EXE="${1:?$usage}"
SIGNED_OUT="${2:?$usage}"
PAYLOAD="${3:-$(dirname "$EXE")/payload}"
HERE="$(cd "$(dirname "$0")" && pwd)"
SIGN="$HERE/../../tools/sign-windows.sh"
[[ -f "$EXE" ]] || { echo "check_signing: no such file: $EXE" >&2; exit 2; }
for tool in osslsigncode openssl wrestool python3; do
    command -v "$tool" >/dev/null || { echo "check_signing: '$tool' not found (tools/install-deps.sh windows)" >&2; exit 2; }
done

T="$(mktemp -d "${TMPDIR:-/tmp}/vx-signing.XXXXXX")"
trap 'chmod -R u+rwX "$T" 2>/dev/null; rm -rf "$T"' EXIT
PASSED=0
FAILED=0
check() {
    local name="$1" out
    shift
    if out="$("$@" 2>&1)"; then
        echo "PASS $name"
        PASSED=$((PASSED + 1))
    else
        echo "FAIL $name: $(echo "${out:-no detail}" | tr '\n' ' ' | cut -c 1-600)"
        FAILED=$((FAILED + 1))
    fi
}

# ---------------------------------------------------------------------------------------
# Throw-away certificates: an authority, a code-signing certificate it issued, and the
# same certificate in a modern, a legacy-encrypted and a password-less PKCS#12 file.
PASSWORD='correct horse'
make_authority() { # NAME
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$T/$1.key" -out "$T/$1.pem" -days 2 \
        -subj "/CN=$1" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>>"$T/openssl.log"
}
make_certificates() {
    make_authority "VX Test Authority" && make_authority "Other Authority" &&
        openssl req -newkey rsa:2048 -nodes -keyout "$T/signer.key" -out "$T/signer.csr" \
            -subj "/CN=Audio Tarvosk Test/O=Audio Tarvosk" 2>>"$T/openssl.log" &&
        printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$T/signer.ext" &&
        openssl x509 -req -in "$T/signer.csr" -CA "$T/VX Test Authority.pem" -CAkey "$T/VX Test Authority.key" \
            -CAcreateserial -days 2 -extfile "$T/signer.ext" -out "$T/signer.pem" 2>>"$T/openssl.log" &&
        openssl pkcs12 -export -inkey "$T/signer.key" -in "$T/signer.pem" -certfile "$T/VX Test Authority.pem" \
            -passout "pass:$PASSWORD" -out "$T/signer.p12" &&
        openssl pkcs12 -export -legacy -inkey "$T/signer.key" -in "$T/signer.pem" \
            -passout "pass:$PASSWORD" -out "$T/legacy.p12" 2>>"$T/openssl.log" &&
        openssl pkcs12 -export -inkey "$T/signer.key" -in "$T/signer.pem" -passout pass: -out "$T/nopass.p12" &&
        head -c 300 "$T/signer.p12" >"$T/truncated.p12" &&
        cp "$T/signer.p12" "$T/unreadable.p12" && chmod 000 "$T/unreadable.p12" &&
        echo "not a program" >"$T/not-an-exe.exe"
}
make_certificates || { echo "check_signing: cannot make test certificates:" >&2; cat "$T/openssl.log" >&2; exit 2; }
CA="$T/VX Test Authority.pem"

# sign EXE [OUT] with the environment given before it: VAR=value ... -- EXE [OUT].
# Prints the script's output; returns its exit status.
sign() {
    local vars=()
    while [[ "$1" != -- ]]; do vars+=("$1"); shift; done
    shift
    env -u VX_SIGN_PKCS12 -u VX_SIGN_PASSWORD -u VX_SIGN_TIMESTAMP_URL "${vars[@]}" "$SIGN" "$@" 2>&1
}

# ---------------------------------------------------------------------------------------
# Signing that succeeds

mkdir -p "$T/ok"
check_signs() {
    sign VX_SIGN_PKCS12="$T/signer.p12" VX_SIGN_PASSWORD="$PASSWORD" -- "$EXE" "$T/ok/signed.exe" ||
        return 1
    [[ -f "$T/ok/signed.exe" ]] || { echo "no signed file"; return 1; }
}

verify() { # EXE AUTHORITY
    osslsigncode verify -CAfile "$2" -in "$1" >"$T/verify.txt" 2>&1
}
check_verifies() {
    verify "$T/ok/signed.exe" "$CA" || { cat "$T/verify.txt"; return 1; }
    grep -qiE 'digest algorithm *: *sha256' "$T/verify.txt" ||
        { echo "signature does not use SHA-256:"; grep -i digest "$T/verify.txt"; return 1; }
}
check_other_authority_refuses() {
    ! verify "$T/ok/signed.exe" "$T/Other Authority.pem" ||
        { echo "verifies against an authority that did not issue the certificate"; return 1; }
}
check_names_product_and_maker() {
    osslsigncode extract-signature -in "$T/ok/signed.exe" -out "$T/signature.der" >/dev/null 2>&1 ||
        { echo "cannot extract the signature"; return 1; }
    python3 - "$T/signature.der" <<'PY'
import sys

der = open(sys.argv[1], "rb").read()
# The program name may be stored as ASCII or as UTF-16; the link as ASCII.
missing = [text for text in ("Ostrand", "https://www.audiotarvosk.com")
           if text.encode() not in der and text.encode("utf-16-be") not in der]
if missing:
    sys.exit(f"signature does not carry {missing}")
PY
}

# The signed file is the unsigned one with the PE checksum and the certificate table
# entry changed and the signature appended; nothing else differs.
check_only_signature_added() {
    python3 - "$EXE" "$T/ok/signed.exe" <<'PY'
import struct
import sys

old = open(sys.argv[1], "rb").read()
new = open(sys.argv[2], "rb").read()
pe = struct.unpack_from("<I", old, 0x3C)[0]
if old[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", old, pe + 24)[0] != 0x20B:
    sys.exit("not a PE32+ executable")
optional = pe + 24
checksum = (optional + 64, 4)
security = (optional + 112 + 4 * 8, 8)  # data directory 4: certificate table
old_at, old_size = struct.unpack_from("<II", old, security[0])
if (old_at, old_size) != (0, 0):
    sys.exit(f"the unsigned file already has a certificate table at {old_at}")
at, size = struct.unpack_from("<II", new, security[0])
if at < len(old) or at % 8 or at + size != len(new):
    sys.exit(f"certificate table at {at}, {size} bytes, in a {len(new)}-byte file from {len(old)} bytes")
if any(new[len(old):at]):
    sys.exit("the padding before the certificate table is not zero")
masked = lambda data: bytearray(data[:len(old)])
a, b = masked(old), masked(new)
for offset, length in (checksum, security):
    a[offset:offset + length] = b[offset:offset + length] = bytes(length)
if a != b:
    first = next(i for i in range(len(a)) if a[i] != b[i])
    sys.exit(f"signing changed byte {first:#x} of the executable")
PY
}

check_archives_embedded() {
    local zips=("$PAYLOAD/vst3.zip" "$PAYLOAD/clap.zip" "$PAYLOAD/aax.zip") zip
    for zip in "${zips[@]}"; do [[ -f "$zip" ]] || { echo "no $zip"; return 1; }; done
    python3 - "$EXE" "$T/ok/signed.exe" "${zips[@]}" <<'PY'
import sys

old = open(sys.argv[1], "rb").read()
new = open(sys.argv[2], "rb").read()
for path in sys.argv[3:]:
    archive = open(path, "rb").read()
    at = old.find(archive)
    if at < 0:
        sys.exit(f"{path} is not embedded in the unsigned executable")
    if new[at:at + len(archive)] != archive:
        sys.exit(f"{path} is not at offset {at} of the signed executable any more")
PY
}

check_resources_same() {
    wrestool -l "$EXE" >"$T/resources-before" && wrestool -l "$T/ok/signed.exe" >"$T/resources-after" ||
        { echo "wrestool cannot list the resources"; return 1; }
    diff "$T/resources-before" "$T/resources-after" || return 1
    [[ -s "$T/resources-before" ]] || { echo "no resources"; return 1; }
    local line type name
    while read -r line; do
        type="$(sed -n "s/.*--type=\([^ ]*\).*/\1/p" <<<"$line")"
        name="$(sed -n "s/.*--name=\([^ ]*\).*/\1/p" <<<"$line" | tr -d "'")"
        cmp <(wrestool -x --raw --type="$type" --name="$name" "$EXE") \
            <(wrestool -x --raw --type="$type" --name="$name" "$T/ok/signed.exe") ||
            { echo "resource type $type name $name differs"; return 1; }
    done <"$T/resources-before"
}
check_resources_valid() { "$HERE/check_exe_resources.sh" "$T/ok/signed.exe"; }

check_signs_in_place_with_legacy_certificate() {
    cp "$EXE" "$T/ok/in-place.exe"
    sign VX_SIGN_PKCS12="$T/legacy.p12" VX_SIGN_PASSWORD="$PASSWORD" -- "$T/ok/in-place.exe" || return 1
    verify "$T/ok/in-place.exe" "$CA" || { cat "$T/verify.txt"; return 1; }
}
check_signs_without_password() {
    sign VX_SIGN_PKCS12="$T/nopass.p12" VX_SIGN_PASSWORD= -- "$EXE" "$T/ok/nopass.exe" || return 1
    verify "$T/ok/nopass.exe" "$CA" || { cat "$T/verify.txt"; return 1; }
}
check_no_leftovers() {
    local left
    left="$(find "$T/ok" -name '.sign-windows.*')"
    [[ -z "$left" ]] || { echo "temporary files left: $left"; return 1; }
}

check "signs into a new file" check_signs
check "verifies against the issuing authority, SHA-256" check_verifies
check "does not verify against another authority" check_other_authority_refuses
check "signature names Ostrand and https://www.audiotarvosk.com" check_names_product_and_maker
check "signing only adds the signature" check_only_signature_added
check "embedded archives unchanged" check_archives_embedded
check "resources unchanged" check_resources_same
check "signed file's resources pass check_exe_resources.sh" check_resources_valid
check "signs in place with a legacy-encrypted certificate" check_signs_in_place_with_legacy_certificate
check "signs with a certificate without password" check_signs_without_password
check "no temporary files left after signing" check_no_leftovers

# ---------------------------------------------------------------------------------------
# Refusals: exit status, message, and the target untouched, both when signing into a new
# file (it must not appear) and in place (it must keep its bytes).
#   name | exit status | message (extended regex) | executable | environment (VAR=value, ;-separated)
GOOD="VX_SIGN_PKCS12=$T/signer.p12;VX_SIGN_PASSWORD=$PASSWORD"
REFUSALS=(
    "no certificate named|3|VX_SIGN_PKCS12 is not set|exe|VX_SIGN_PASSWORD=$PASSWORD"
    "certificate missing|3|absent.p12 \(VX_SIGN_PKCS12\) does not exist|exe|VX_SIGN_PKCS12=$T/absent.p12;VX_SIGN_PASSWORD=$PASSWORD"
    "certificate is a folder|3|is not a readable file|exe|VX_SIGN_PKCS12=$T;VX_SIGN_PASSWORD=$PASSWORD"
    "certificate unreadable|3|is not a readable file|exe|VX_SIGN_PKCS12=$T/unreadable.p12;VX_SIGN_PASSWORD=$PASSWORD"
    "certificate not PKCS#12|3|signer.pem is not a PKCS#12 file or is damaged|exe|VX_SIGN_PKCS12=$T/signer.pem;VX_SIGN_PASSWORD=$PASSWORD"
    "certificate truncated|3|truncated.p12 is not a PKCS#12 file or is damaged|exe|VX_SIGN_PKCS12=$T/truncated.p12;VX_SIGN_PASSWORD=$PASSWORD"
    "wrong password|4|wrong password for certificate .*signer.p12|exe|VX_SIGN_PKCS12=$T/signer.p12;VX_SIGN_PASSWORD=wrong"
    "wrong password, legacy certificate|4|wrong password for certificate .*legacy.p12|exe|VX_SIGN_PKCS12=$T/legacy.p12;VX_SIGN_PASSWORD=wrong"
    "password not set|3|VX_SIGN_PASSWORD is not set|exe|VX_SIGN_PKCS12=$T/signer.p12"
    "time-stamp server unreachable|1|signing .* failed|exe|$GOOD;VX_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/"
    "executable missing|2|no such file: .*absent.exe|absent|$GOOD"
    "not an executable|2|not-an-exe.exe is not a Windows executable|not-an-exe|$GOOD"
)

# refuses STATUS PATTERN TARGET ENV [OUT]: the script fails as expected on TARGET.
refuses() {
    local status="$1" pattern="$2" target="$3" vars=() output code
    IFS=';' read -r -a vars <<<"$4"
    shift 4
    output="$(sign "${vars[@]}" -- "$target" "$@")"
    code=$?
    [[ $code == "$status" ]] || { echo "exit status $code, expected $status: $output"; return 1; }
    grep -qE "^sign-windows: .*$pattern" <<<"$output" || { echo "message '$output' does not match '$pattern'"; return 1; }
}

check_refusal() { # STATUS PATTERN EXE ENV
    local status="$1" pattern="$2" which="$3" env="$4" dir="$T/refused" source before
    rm -rf "$dir" && mkdir -p "$dir"
    case "$which" in
        exe) source="$EXE" ;;
        not-an-exe) source="$T/not-an-exe.exe" ;;
        absent) source="" ;;
    esac
    local target="$dir/$which.exe"
    [[ -z "$source" ]] || cp "$source" "$target"
    # Into a new file: none appears.
    refuses "$status" "$pattern" "$target" "$env" "$dir/signed.exe" || return 1
    [[ ! -e "$dir/signed.exe" ]] || { echo "a file was left under the signed name"; return 1; }
    # In place: the file keeps its bytes.
    if [[ -n "$source" ]]; then
        before="$(sha256sum <"$target")"
        refuses "$status" "$pattern" "$target" "$env" || return 1
        [[ "$(sha256sum <"$target")" == "$before" ]] || { echo "the target changed"; return 1; }
    fi
    local left
    left="$(find "$dir" -mindepth 1 ! -name "$which.exe")"
    [[ -z "$left" ]] || { echo "left behind: $left"; return 1; }
}

for row in "${REFUSALS[@]}"; do
    IFS='|' read -r name status pattern which env <<<"$row"
    if [[ "$name" == "certificate unreadable" && "$(id -u)" == 0 ]]; then
        echo "SKIP refuses: $name (root reads any file)"
        continue
    fi
    check "refuses: $name (exit $status)" check_refusal "$status" "$pattern" "$which" "$env"
done

if [[ -f "$T/ok/signed.exe" ]]; then
    mkdir -p "$(dirname "$SIGNED_OUT")" && cp "$T/ok/signed.exe" "$SIGNED_OUT"
else
    rm -f "$SIGNED_OUT"
fi
echo "check_signing: $PASSED passed, $FAILED failed; unsigned $(stat -c %s "$EXE") bytes," \
    "signed $(stat -c %s "$T/ok/signed.exe" 2>/dev/null || echo '?') bytes"
[[ $FAILED -eq 0 ]]

#!/usr/bin/env bash
# Signs the Windows executable with Authenticode (SHA-256, osslsigncode) from a
# PKCS#12 certificate. The signature names the product and the maker's web address,
# read from the catalogue: productName (catalogue/FormatTable.h) and the site of
# productPageUrl (catalogue/Product.h).
#
#   VX_SIGN_PKCS12=maker.p12 VX_SIGN_PASSWORD=... tools/sign-windows.sh EXE [OUT]
#
#   VX_SIGN_PKCS12         the certificate with its private key (required)
#   VX_SIGN_PASSWORD       its password (required; set it empty for a certificate
#                          without one); handed to the tools in a private file,
#                          never on a command line
#   VX_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional): the signature
#                          then stays valid after the certificate expires
#
# Signs EXE in place, or into OUT when given (EXE is then left as it is). The signed
# file is written beside the target under a temporary name and renamed over it only
# once signing has succeeded: on any failure the target is as it was before, and no
# half-written or unsigned file carries its name.
#
# Exit status: 0 signed; 1 signing failed (osslsigncode's message follows);
# 2 usage, or EXE is missing or not a Windows executable; 3 the certificate is not
# named, missing, unreadable or not PKCS#12; 4 the password is wrong.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    local status="$1"
    shift
    echo "sign-windows: $*" >&2
    exit "$status"
}

[[ $# -eq 1 || $# -eq 2 ]] || fail 2 "usage: $0 EXE [OUT]"
exe="$1"
out="${2:-$1}"
for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null || fail 2 "'$tool' not found (tools/install-deps.sh windows)"
done

[[ -f "$exe" ]] || fail 2 "no such file: $exe"
[[ -r "$exe" ]] || fail 2 "cannot read $exe"
[[ "$(head -c 2 "$exe")" == MZ ]] || fail 2 "$exe is not a Windows executable"
[[ ! -d "$out" ]] || fail 2 "$out is a folder"
out_dir="$(dirname "$out")"
[[ -d "$out_dir" && -w "$out_dir" ]] || fail 2 "cannot write into $out_dir"

p12="${VX_SIGN_PKCS12:-}"
[[ -n "$p12" ]] || fail 3 "VX_SIGN_PKCS12 is not set: name the PKCS#12 certificate to sign with"
[[ -e "$p12" ]] || fail 3 "certificate $p12 (VX_SIGN_PKCS12) does not exist"
[[ -f "$p12" && -r "$p12" ]] || fail 3 "certificate $p12 (VX_SIGN_PKCS12) is not a readable file"
[[ -n "${VX_SIGN_PASSWORD+set}" ]] ||
    fail 3 "VX_SIGN_PASSWORD is not set (set it empty for a certificate without password)"

# The signature's description and "more information" link.
product_value() {
    sed -n "s/^inline constexpr const char\* $1 = \"\(.*\)\";$/\1/p" "$root/catalogue/FormatTable.h" \
        "$root/catalogue/Product.h"
}
product_name="$(product_value productName)"
maker_site="$(product_value productPageUrl | sed -E 's#^([a-z]+://[^/]+).*#\1#')"
[[ -n "$product_name" && "$maker_site" == http* ]] ||
    fail 1 "cannot read productName and productPageUrl from $root/catalogue/"

work="$(mktemp -d "$out_dir/.sign-windows.XXXXXX")"
trap 'rm -rf "$work"' EXIT
pass_file="$work/password"
(umask 077 && printf '%s' "$VX_SIGN_PASSWORD" >"$pass_file")

# Open the certificate first, so that a wrong password or a file that is no
# certificate is named as such (osslsigncode only says it could not read it).
# Older certificates use algorithms OpenSSL 3 keeps in its legacy provider.
openssl_pass="file:$pass_file"
[[ -n "$VX_SIGN_PASSWORD" ]] || openssl_pass="pass:"
read_p12() {
    openssl pkcs12 -in "$p12" -passin "$openssl_pass" -nokeys -clcerts "$@" 2>"$work/openssl.err"
}
if ! read_p12 >"$work/cert.pem" && ! read_p12 -legacy >"$work/cert.pem"; then
    if grep -qiE 'mac verify|invalid password|bad decrypt' "$work/openssl.err"; then
        fail 4 "wrong password for certificate $p12 (VX_SIGN_PASSWORD)"
    fi
    reason="$(sed -n 's/^[0-9A-F]*:error:[0-9A-F]*:\([^:]*:[^:]*:[^:]*\):.*/\1/p' "$work/openssl.err" | head -n 1)"
    fail 3 "certificate $p12 is not a PKCS#12 file or is damaged (openssl: ${reason:-unreadable})"
fi
subject="$(openssl x509 -in "$work/cert.pem" -noout -subject 2>/dev/null | sed 's/^subject= *//')"
[[ -n "$subject" ]] || fail 3 "certificate $p12 holds no certificate of its own"

pass_arguments=(-readpass "$pass_file")
[[ -n "$VX_SIGN_PASSWORD" ]] || pass_arguments=(-pass "")
timestamp_arguments=()
[[ -z "${VX_SIGN_TIMESTAMP_URL:-}" ]] || timestamp_arguments=(-ts "$VX_SIGN_TIMESTAMP_URL")

signed="$work/$(basename "$out")"
untouched="$out is unchanged"
[[ -e "$out" ]] || untouched="$out was not written"
unsigned_size="$(stat -c %s "$exe")"
if ! osslsigncode sign -pkcs12 "$p12" "${pass_arguments[@]}" -h sha256 \
    -n "$product_name" -i "$maker_site" "${timestamp_arguments[@]}" \
    -in "$exe" -out "$signed" >"$work/sign.log" 2>&1; then
    cat "$work/sign.log" >&2
    fail 1 "signing $exe failed; $untouched"
fi
# A zero exit status alone is not taken as proof of a signature.
osslsigncode extract-signature -in "$signed" -out "$work/signature.der" >/dev/null 2>&1 &&
    [[ -s "$work/signature.der" ]] || fail 1 "osslsigncode wrote no signature into $signed; $untouched"

[[ ! -e "$out" ]] || chmod --reference="$out" "$signed"
[[ -e "$out" ]] || chmod --reference="$exe" "$signed"
mv -f "$signed" "$out"
timestamped="not time-stamped"
[[ -z "${VX_SIGN_TIMESTAMP_URL:-}" ]] || timestamped="time-stamped by $VX_SIGN_TIMESTAMP_URL"
echo "sign-windows: signed $out ($unsigned_size -> $(stat -c %s "$out") bytes) as '$product_name'," \
    "$maker_site, by $subject, $timestamped"

#!/usr/bin/env bash
# Authenticode signatures for the Windows program, made with osslsigncode.
#
#   scripts/windows/sign.sh FILE...            signs each file in place
#   scripts/windows/sign.sh --throwaway FOLDER makes a throw-away certificate authority and a
#                                              code-signing certificate under it in FOLDER:
#                                              signer.p12, its password in password, ca.pem
#   scripts/windows/sign.sh --verify CA FILE... checks each file's signature against the
#                                              certificates in CA (a PEM file)
#
# Signing takes the PKCS#12 file named by TOLVY_SIGN_PKCS12 and its password in
# TOLVY_SIGN_PASSWORD; TOLVY_SIGN_TIMESTAMP may name an RFC 3161 time-stamping server, which a
# release wants so that the signatures outlive the certificate. Without a PKCS#12 file it signs
# nothing and says so. A release swaps only the certificate.
set -euo pipefail

name="Tolvy Sarnavel"

sign()
{
    if [[ -z ${TOLVY_SIGN_PKCS12:-} ]]; then
        echo "Not signed (no TOLVY_SIGN_PKCS12): $*"
        return 0
    fi
    [[ -f $TOLVY_SIGN_PKCS12 ]] || { echo "TOLVY_SIGN_PKCS12 names no file: $TOLVY_SIGN_PKCS12" >&2; return 1; }
    # The password goes through a private file, never the command line, which others can read.
    local private
    private=$(mktemp -d)
    # shellcheck disable=SC2064 # the folder is known now and must go however the script ends
    trap "rm -rf '$private'" EXIT
    printf '%s' "${TOLVY_SIGN_PASSWORD:-}" >"$private/password"
    local -a timestamp=()
    [[ -z ${TOLVY_SIGN_TIMESTAMP:-} ]] || timestamp=(-ts "$TOLVY_SIGN_TIMESTAMP")
    local file
    for file in "$@"; do
        rm -f "$private/signed"
        osslsigncode sign -pkcs12 "$TOLVY_SIGN_PKCS12" -readpass "$private/password" -h sha256 \
            -n "$name" "${timestamp[@]}" -in "$file" -out "$private/signed" >"$private/log" 2>&1 ||
            { cat "$private/log" >&2; echo "Signing $file failed." >&2; return 1; }
        # In place, keeping the file's mode.
        cat "$private/signed" >"$file"
    done
    echo "Signed $# file(s)."
}

throwaway()
{
    local folder=$1
    mkdir -p "$folder"
    (
        cd "$folder"
        umask 077
        openssl rand -hex 16 >password
        openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
            -subj "/CN=$name throw-away test authority" \
            -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
        openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
            -subj "/CN=$name throw-away test signer" 2>/dev/null
        printf '%s\n' 'basicConstraints=critical,CA:FALSE' 'keyUsage=critical,digitalSignature' \
            'extendedKeyUsage=codeSigning' >signer.ext
        openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
            -extfile signer.ext -out signer.pem 2>/dev/null
        openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 \
            -passout file:password
        rm -f ca.key signer.key signer.csr
    )
    echo "Throw-away signing certificate: $folder/signer.p12 (authority $folder/ca.pem)"
}

verify()
{
    local ca=$1 file output line bad=0
    shift
    for file in "$@"; do
        if output=$(osslsigncode verify -CAfile "$ca" -in "$file" 2>&1) &&
            grep -q '^Signature verification: ok' <<<"$output"; then
            echo "    signed: $(basename "$file")"
        else
            echo "    NOT signed or not verified: $file" >&2
            while IFS= read -r line; do echo "        $line"; done <<<"$output" >&2
            bad=1
        fi
    done
    return "$bad"
}

case ${1:-} in
--throwaway) throwaway "${2:?usage: $0 --throwaway FOLDER}" ;;
--verify)
    shift
    verify "$@"
    ;;
-* | '')
    echo "usage: $0 FILE... | --throwaway FOLDER | --verify CA FILE..." >&2
    exit 2
    ;;
*) sign "$@" ;;
esac

#!/usr/bin/env bash
# Writes SHA256SUMS over the files of a release folder and, when RELEASE_SIGNING_KEY names a GnuPG
# key (a fingerprint, say; GNUPGHOME as usual), signs it: SHA256SUMS.asc, detached and armoured.
# The checksums alone catch a damaged download; only the signature says who made the release.
#   RELEASE_SIGNING_KEY=<fingerprint> scripts/checksums.sh FOLDER
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

{ [ $# -eq 1 ] && [ -d "$1" ]; } || die "usage: checksums.sh FOLDER (a release folder)"
folder=$1
rm -f "$folder/SHA256SUMS" "$folder/SHA256SUMS.asc"
sums=$(cd "$folder" && sha256sum -- *) || die "sha256sum failed in $folder"
echo "$sums" >"$folder/SHA256SUMS"
if [ -z "${RELEASE_SIGNING_KEY:-}" ]; then
    say "SHA256SUMS is not signed: set RELEASE_SIGNING_KEY to a GnuPG key to sign it"
    exit 0
fi
ensure_packages gnupg
say "signing SHA256SUMS with the key $RELEASE_SIGNING_KEY"
gpg --batch --yes --local-user "$RELEASE_SIGNING_KEY" --armor --detach-sign \
    --output "$folder/SHA256SUMS.asc" "$folder/SHA256SUMS" || die "signing SHA256SUMS with $RELEASE_SIGNING_KEY failed"

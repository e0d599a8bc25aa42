#!/usr/bin/env bash
# Installs the build into a staging prefix and starts the installed programs from there.
set -euo pipefail
cmake_command=$1
build_dir=$2
stage=$(mktemp -d)
trap 'rm -rf "${stage}"' EXIT
mkdir -p "${stage}/data"

"${cmake_command}" --install "${build_dir}" --prefix "${stage}/usr" > /dev/null

for f in bin/parlevo bin/parlevo-cli bin/parlevo-gateway-sim \
         share/applications/parlevo.desktop share/parlevo/Languages/English.lng \
         share/icons/hicolor/scalable/apps/parlevo.svg share/icons/hicolor/48x48/apps/parlevo.png; do
    [ -f "${stage}/usr/${f}" ] || { echo "not installed: ${f}"; exit 1; }
done
grep -qx 'Exec=parlevo' "${stage}/usr/share/applications/parlevo.desktop"

"${stage}/usr/bin/parlevo-cli" --help | grep -q 'Usage: parlevo-cli'

# Without an account the credit is unavailable: the installed English text says so.
set +e
message=$(PARLEVO_LANGUAGE=English "${stage}/usr/bin/parlevo-cli" --data-dir "${stage}/data" balance 2>&1)
status=$?
set -e
[ "${status}" -eq 2 ] || { echo "balance without account exited ${status}"; exit 1; }
expected=$(grep '^Textes(155)=' "${stage}/usr/share/parlevo/Languages/English.lng" | cut -d= -f2- | tr -d '\r')
[ -n "${expected}" ] && [ "${message}" = "${expected}" ] || { echo "not the installed English text: ${message}"; exit 1; }

# The installed app opens its window, then quits and saves.
shown=$(PARLEVO_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=offscreen timeout 60 \
        "${stage}/usr/bin/parlevo" --data-dir "${stage}/data" --language English)
echo "${shown}" | grep -q '^PARLEVO_SHOWN_MS=[0-9]'
[ -f "${stage}/data/Parlevo.cfg" ] || { echo "the installed app did not save its configuration"; exit 1; }
echo "installed programs start"

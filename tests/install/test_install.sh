#!/usr/bin/env bash
# Installs the build into a staging prefix and starts the installed programs from there.
set -euo pipefail
cmake_command=$1
build_dir=$2
stage=$(mktemp -d)
trap 'rm -rf "${stage}"' EXIT

"${cmake_command}" --install "${build_dir}" --prefix "${stage}/usr" > /dev/null

for f in bin/parlevo bin/parlevo-cli bin/parlevo-gateway-sim \
         share/applications/parlevo.desktop share/parlevo/Languages/English.lng \
         share/icons/hicolor/scalable/apps/parlevo.svg share/icons/hicolor/48x48/apps/parlevo.png; do
    [ -f "${stage}/usr/${f}" ] || { echo "not installed: ${f}"; exit 1; }
done
grep -qx 'Exec=parlevo' "${stage}/usr/share/applications/parlevo.desktop"

"${stage}/usr/bin/parlevo-cli" --help | grep -q 'Usage: parlevo-cli'

# The installed app finds its installed English texts, opens its window, then quits and saves.
mkdir -p "${stage}/data"
shown=$(PARLEVO_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=offscreen timeout 60 \
        "${stage}/usr/bin/parlevo" --data-dir "${stage}/data" --language English)
echo "${shown}" | grep -q '^PARLEVO_SHOWN_MS=[0-9]'
[ -f "${stage}/data/Parlevo.cfg" ] || { echo "the installed app did not save its configuration"; exit 1; }
echo "installed programs start"

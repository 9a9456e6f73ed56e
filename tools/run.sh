#!/usr/bin/env bash
# The product's main job outside the host: installs what is missing, builds
# Stats.dll and replay.exe, then plays the sample ZEMRIX log through the DLL
# under Wine, as the host would, and prints the results text and err.txt.
#
#   tools/run.sh [--export] [--report] [--timing]
#
# --export also has the DLL write the sample's Cabrillo file (the header
# values come from tools/replay/sample/sample-header.ini) and prints its path.
# --report writes the HTML report build/replay-run/report.html.
# The replay runs in build/replay-run, which keeps Plugins\ZEMRIX.ini between
# runs as a host's folder would.  To time a long log:
#   tools/replay/sample/make_sample.py --big 20000 /tmp/big.log
#   (source tools/wine-session.sh; wine build/win32/replay.exe --timing /tmp/big.log)
set -euo pipefail
cd "$(dirname "$0")/.."

replay_args=()
export_cabrillo=false
for arg in "$@"; do
    case "$arg" in
        --export) export_cabrillo=true
                  replay_args+=(--export --header-file tools/replay/sample/sample-header.ini) ;;
        --report) replay_args+=(--report build/replay-run/report.html) ;;
        --timing) replay_args+=(--timing) ;;
        *) echo "usage: tools/run.sh [--export] [--report] [--timing]" >&2; exit 1 ;;
    esac
done

tools/install-deps.sh --run
# Only what the replay needs: the test programs are the test command's.
tools/build.sh Stats replay
source tools/wine-session.sh

workdir=build/replay-run
own_callsign=$(sed -n 's/^CALLSIGN: *//p' tools/replay/sample/zemrix-sample.log | tr -d '\r')
cabrillo_file="$workdir/$own_callsign.cbr"
rm -f "$cabrillo_file"

wine build/win32/replay.exe --workdir "$workdir" "${replay_args[@]}" tools/replay/sample/zemrix-sample.log

if $export_cabrillo && [ ! -f "$cabrillo_file" ]; then
    echo "No Cabrillo file was written: the header dialog did not confirm the export." >&2
    exit 1
fi

#!/usr/bin/env bash
# Starts the log robot on http://127.0.0.1:8080 with a demo contest: an
# optimised build in build/robot, the data folder build/robot-demo (or the
# folder given), kept between runs, and the organiser's password "demo".
# Stop it with Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake -S . -B build/robot -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/robot --target zemrix-robot -j"$(nproc)" >/dev/null
robot=build/robot/robot/zemrix-robot

demo=${1:-build/robot-demo}
mkdir -p "$demo"
config=$demo/robot.ini
if [ ! -f "$config" ]; then
  hash=$(echo demo | "$robot" --hash-password)
  cat > "$config" <<CONFIG
; The demo contest's robot.  See README.md for a real one.
contest = ZEMRIX demo contest
listen = 127.0.0.1
port = 8080
data = $(realpath "$demo")/data
deadline = $(date -u -d '+7 days' '+%Y-%m-%d %H:%M')
$hash
CONFIG
fi
echo "Participants: http://127.0.0.1:8080/   Organiser: http://127.0.0.1:8080/organiser (password: demo)"
exec "$robot" "$config"

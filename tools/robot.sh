#!/usr/bin/env bash
# Starts the log robot on http://127.0.0.1:8080 with a demo contest: an
# optimised build in build/robot, the data folder build/robot-demo (or the
# folder given), kept between runs, and the organiser's password "demo".
# A new demo starts with the checker's five-log contest uploaded, as its
# participants would.  Stop it with Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
robot=$(tools/build-robot.sh)

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
checker_config = $(realpath checker/five-logs/contest.ini)
$hash
CONFIG
  seed=yes
fi
"$robot" "$config" &
pid=$!
trap 'kill -TERM $pid' INT TERM
until curl -sf -o /dev/null http://127.0.0.1:8080/; do
  kill -0 $pid 2>/dev/null || exit 1
  sleep 0.2
done
if [ "${seed:-}" = yes ]; then
  jar=$demo/cookies.txt
  curl -sf -c "$jar" -o /dev/null http://127.0.0.1:8080/
  token=$(awk '$6 == "csrf" { print $7 }' "$jar")
  for log in checker/five-logs/logs/*; do
    curl -s -b "$jar" -o /dev/null -w "demo upload $(basename "$log"): %{http_code}\n" \
      -F "csrf=$token" -F "email=demo@example.org" -F "log=@$log" http://127.0.0.1:8080/upload
  done
  rm -f "$jar"
fi
echo "Participants: http://127.0.0.1:8080/   Organiser: http://127.0.0.1:8080/organiser (password: demo)"
wait $pid

#!/usr/bin/env bash
# Starts the program on data files that are no files: a FIFO, a link to /dev/zero and a 2 GB
# sparse file. Prints how long start-up took until the three read messages, the peak memory,
# and the size of every file left in the data folder.
#   bench/hostile_data_files.sh [PROGRAM]   (default build-ci/kelvora-broadcasting)
set -euo pipefail
program=$(realpath "${1:-build-ci/kelvora-broadcasting}")
home=$(mktemp -d /tmp/kb-hostile-XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
data=$home/KelvoraBroadcasting9
mkdir -p "$data" "$home/runtime"
chmod 700 "$home/runtime"
mkfifo "$data/定时播设置t"
ln -s /dev/zero "$data/节假日和调休t"
truncate -s 2G "$data/系统设置t"

start=$(date +%s%N)
XDG_DATA_HOME=$home XDG_RUNTIME_DIR=$home/runtime "$program" --headless \
  >"$home/out.txt" 2>"$home/err.txt" &
pid=$!
messages=0
for _ in $(seq 600); do
  messages=$(grep -c '文件内容有错误' "$home/err.txt" || true)
  [ "$messages" -ge 3 ] && break
  sleep 0.05
done
ready=$(date +%s%N)
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
kill -INT "$pid"
wait "$pid" || true
echo "read messages shown: $messages of 3"
echo "start-up until the last message: $(( (ready - start) / 1000000 )) ms"
echo "peak memory (VmHWM): $(( peak / 1024 )) MB"
echo "left in the data folder (type f/l/p, bytes, name):"
find "$data" -mindepth 1 -printf '  %y %s\t%f\n' | sort -k3

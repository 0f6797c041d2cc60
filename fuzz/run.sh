#!/usr/bin/env bash
# Runs one fuzz target: fuzz/run.sh BUILD_DIR TARGET SECONDS [libFuzzer options...]
# TARGET is picture, wave, ogg, score, settings, replay_script, replay_run, replay_file, score_requests, match_messages or relay_messages. The
# committed seeds are copied into BUILD_DIR/fuzz-run/TARGET/corpus (which
# grows there, not in the source tree); crashes land in .../artifacts/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
target="$2"
seconds="$3"
shift 3
binary="$build/fuzz/fuzz_$target"
work="$build/fuzz-run/$target"
mkdir -p "$work/corpus" "$work/artifacts"
cp -n "$here/corpus/$target"/* "$work/corpus/" 2>/dev/null || true

options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
  -artifact_prefix="$work/artifacts/")
case "$target" in
  picture) options+=(-max_len=4096 -malloc_limit_mb=256 -dict="$here/picture.dict") ;;
  wave) options+=(-max_len=4096 -malloc_limit_mb=256 -dict="$here/wave.dict") ;;
  ogg) options+=(-max_len=16384 -malloc_limit_mb=512 -dict="$here/ogg.dict") ;;
  score) options+=(-max_len=256 -dict="$here/score.dict") ;;
  settings) options+=(-max_len=4096) ;;
  replay_script) options+=(-max_len=2048 -dict="$here/replay.dict") ;;
  replay_run) options+=(-max_len=2048 -timeout=30 -dict="$here/replay.dict") ;;
  score_requests) options+=(-max_len=4096 -dict="$here/score_requests.dict") ;;
  relay_messages) options+=(-max_len=8192 -dict="$here/relay_messages.dict") ;;
  match_messages) options+=(-max_len=40000 -malloc_limit_mb=256) ;;
  replay_file) options+=(-max_len=65536 -timeout=30 -malloc_limit_mb=512 -dict="$here/replay_file.dict") ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy exec "$binary" "${options[@]}" "$@" "$work/corpus"

#!/usr/bin/env bash
# The Wine bench: one WINEPREFIX and one Xvfb display of the build's own, shared by the Win32 tests of a run.
#
#   bench.sh setup    DIR [OWNER_PID]   make DIR/prefix, start Xvfb on a free display, write DIR/env
#   bench.sh teardown DIR               stop the prefix's wineserver and that Xvfb, remove the prefix
#   bench.sh run      DIR PROGRAM [ARGS...]
#                                       run a Win32 program inside the bench, print its output, pass
#                                       its exit code on
#   bench.sh shell    DIR               an interactive shell inside the bench (sets it up if it is
#                                       down, and then tears it down again on leaving)
#   bench.sh exec     DIR COMMAND...    one command inside the bench, set up and torn down around it
#                                       when it was down
#
# ctest calls setup and teardown as the fixture of every Win32 test. Setup leaves a watchdog behind
# that tears the bench down when OWNER_PID (by default the caller, that is ctest) goes away without
# doing it, so an interrupted run leaves neither Xvfb nor wineserver behind.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self="$here/bench.sh"

die() { echo "bench: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }

# Reads DIR/env (KEY=VALUE lines written by setup) into bench_* variables without evaluating it.
load_env() {
  local dir=$1 key value
  [ -f "$dir/env" ] || return 1
  bench_prefix="" bench_display="" bench_xvfb_pid="" bench_watch_pid=""
  while IFS='=' read -r key value; do
    case "$key" in
      WINEPREFIX) bench_prefix=$value ;;
      DISPLAY) bench_display=$value ;;
      XVFB_PID) bench_xvfb_pid=$value ;;
      WATCHDOG_PID) bench_watch_pid=$value ;;
    esac
  done <"$dir/env"
  [ -n "$bench_prefix" ] && [ -n "$bench_display" ]
}

# True when PID is alive and runs the program named COMM (guards against a recycled pid).
pid_is() {
  local pid=$1 comm=$2
  [ -n "$pid" ] && [ -r "/proc/$pid/comm" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$comm" ]
}

wine_env() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export DISPLAY=$2
}

# Starts Xvfb on the first display number from 90 up that has neither a socket nor a lock file,
# and checks that it really came up (its own pid in the lock file, the socket present).
start_xvfb() {
  local dir=$1 n pid lockpid
  for n in $(seq 90 399); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset </dev/null >"$dir/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      if ! kill -0 "$pid" 2>/dev/null; then break; fi
      lockpid=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock" || true)
      if [ "$lockpid" = "$pid" ] && [ -S "/tmp/.X11-unix/X$n" ]; then
        xvfb_display=":$n" xvfb_pid=$pid
        return 0
      fi
      sleep 0.1
    done
    # Lost a race for this number, or Xvfb failed: stop ours and try the next one.
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  die "no free X display between :90 and :399 (see $dir/xvfb.log)"
}

# The registry the bench needs: one virtual desktop for every process (title bars drawn, windows of
# all processes visible to each other), 96 DPI, and no crash dialog that would block a test.
write_reg() {
  cat >"$1" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000060

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
}

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Stops the prefix's wineserver (and with it every Wine process of the prefix) and our Xvfb, and
# removes the prefix. Each step is skipped when there is nothing to stop.
stop_bench() {
  local xpid=$1 prefix=$2 p
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    WINEPREFIX=$prefix WINEDEBUG=-all wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix WINEDEBUG=-all timeout 20 wineserver -w 2>/dev/null || true
  elif [ -n "$prefix" ]; then
    # The prefix folder is gone, so wineserver -k cannot find its server: end the server of this
    # prefix by pid (its clients end with it).
    for p in /proc/[0-9]*; do
      case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
      if tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$prefix"; then
        kill "${p#/proc/}" 2>/dev/null || true
      fi
    done
  fi
  if pid_is "$xpid" Xvfb; then
    kill "$xpid" 2>/dev/null || true
    for _ in $(seq 1 50); do pid_is "$xpid" Xvfb || break; sleep 0.1; done
    if pid_is "$xpid" Xvfb; then kill -9 "$xpid" 2>/dev/null || true; fi
  fi
  [ -z "$prefix" ] || rm -rf "$prefix"
}

cmd_setup() {
  local dir=$1 owner=${2:-$PPID} t0 t1 prefix log
  t0=$(now_ms)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  if [ -f "$dir/env" ]; then
    echo "bench: tearing down a bench left from an earlier run"
    cmd_teardown "$dir" || true
  fi
  prefix="$dir/prefix"
  log="$dir/setup.log"
  : >"$log"
  rm -rf "$prefix"
  command -v Xvfb >/dev/null || die "Xvfb is missing (tools/install-deps.sh installs it)"
  command -v wine >/dev/null || die "wine is missing (tools/install-deps.sh installs it)"

  start_xvfb "$dir"
  # Written first so that teardown finds Xvfb even if a later step fails.
  printf 'WINEPREFIX=%s\nDISPLAY=%s\nXVFB_PID=%s\n' "$prefix" "$xvfb_display" "$xvfb_pid" >"$dir/env"
  trap 'echo "bench: setup failed, see $log" >&2; stop_bench "$xvfb_pid" "$prefix"; rm -f "$dir/env"' ERR

  wine_env "$prefix" "$xvfb_display"
  # Every Wine process gets files, never the caller's pipes: a daemon holding ctest's pipe would
  # keep ctest waiting.
  wineboot -i </dev/null >>"$log" 2>&1
  wineserver -w
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  write_reg "$dir/bench.reg"
  wine reg import "$(winpath "$dir/bench.reg")" </dev/null >>"$log" 2>&1
  # Fonts are enumerated when the server starts: restart it, and keep it up for the whole run.
  wineserver -k || true
  wineserver -w || true
  wineserver -p </dev/null >>"$log" 2>&1

  # A fresh Debian machine has only the C locales, and under LC_ALL of a locale that is not there Wine
  # cannot decode non-ASCII Unix file names: the driver gives programs started in these locales
  # LOCPATH=DIR/locales (see StartOptions::lcAll).
  if command -v localedef >/dev/null; then
    mkdir -p "$dir/locales"
    for loc in en_US de_DE; do
      [ -d "$dir/locales/$loc.UTF-8" ] || localedef -i "$loc" -f UTF-8 "$dir/locales/$loc.UTF-8" >>"$log" 2>&1 || true
    done
  fi

  setsid bash "$self" watch "$dir" "$owner" "$xvfb_pid" "$prefix" </dev/null >>"$dir/watch.log" 2>&1 &
  echo "WATCHDOG_PID=$!" >>"$dir/env"
  trap - ERR
  mkdir -p "$dir/logs" "$(dirname "$dir")/screenshots"
  t1=$(now_ms)
  echo "bench: prefix $prefix, display $xvfb_display (Xvfb pid $xvfb_pid), set up in $((t1 - t0)) ms"
}

cmd_teardown() {
  local dir=$1 from_watchdog=${2:-} t0
  t0=$(now_ms)
  if ! load_env "$dir"; then
    echo "bench: nothing to tear down in $dir"
    return 0
  fi
  if [ -z "$from_watchdog" ] && pid_is "$bench_watch_pid" bash; then
    kill "$bench_watch_pid" 2>/dev/null || true
  fi
  stop_bench "$bench_xvfb_pid" "$bench_prefix"
  rm -f "$dir/env"
  echo "bench: torn down in $(( $(now_ms) - t0 )) ms"
}

# Teardown ends the watchdog before it removes DIR/env. So when the watchdog sees env vanish, the
# folder was removed under a running bench: it then stops what it knows from setup by itself.
cmd_watch() {
  local dir=$1 owner=$2 xvfb_pid=$3 prefix=$4
  while [ -f "$dir/env" ] && kill -0 "$owner" 2>/dev/null; do sleep 1; done
  if [ -f "$dir/env" ]; then
    echo "bench: owner $owner is gone, tearing down"
    cmd_teardown "$dir" from_watchdog
  else
    echo "bench: $dir/env vanished without a teardown, stopping Xvfb $xvfb_pid and $prefix"
    stop_bench "$xvfb_pid" "$prefix"
  fi
}

cmd_run() {
  local dir=$1 prog=$2 name log pid rc
  shift 2
  [ -f "$prog" ] || die "$prog is missing: build it first (cmake --build BUILD --target wine_tests)"
  load_env "$dir" || die "the bench is not up ($dir/env missing): run the test through ctest, or 'bench.sh setup $dir' first"
  pid_is "$bench_xvfb_pid" Xvfb || die "the bench's Xvfb ($bench_display, pid $bench_xvfb_pid) is not running"
  wine_env "$bench_prefix" "$bench_display"
  # The programs under test get their locale from LC_ALL given per start by the driver; everything
  # else runs in a locale that exists on every machine.
  local var
  for var in $(compgen -e LC_ || true); do unset "$var"; done
  unset LANG LANGUAGE
  export LC_ALL=C.UTF-8
  export NORVANEX_LOCALES="$dir/locales"
  name=$(basename "$prog")
  mkdir -p "$dir/logs"
  log="$dir/logs/${name%.*}.log"
  # Output goes through a file, not the caller's pipe: programs that the test leaves behind inherit
  # the descriptors, and ctest would wait for them. This shell copies the file out as it grows, so
  # nothing but this shell holds the pipe: when ctest kills it at a timeout, the pipe closes.
  : >"$log"
  wine "$prog" "$@" </dev/null >"$log" 2>&1 &
  pid=$!
  printed=0
  trap 'kill -TERM "$pid" 2>/dev/null; sleep 0.5; copy_new "$log"; echo "bench: $name interrupted"; exit 143' TERM INT
  while kill -0 "$pid" 2>/dev/null; do
    copy_new "$log"
    sleep 0.2
  done
  rc=0
  wait "$pid" || rc=$?
  copy_new "$log"
  return "$rc"
}

# Prints what was appended to FILE since the last call (byte count in $printed).
copy_new() {
  local size
  size=$(stat -c %s "$1" 2>/dev/null || echo 0)
  if [ "$size" -gt "$printed" ]; then
    tail -c +$((printed + 1)) "$1" | head -c $((size - printed))
    printed=$size
  fi
}

# Makes sure the bench in DIR is up; sets own=1 when this call set it up.
ensure_up() {
  local dir=$1
  own=""
  if ! load_env "$dir" || ! pid_is "$bench_xvfb_pid" Xvfb; then
    cmd_setup "$dir" $$ >&2
    own=1
    load_env "$dir"
  fi
}

cmd_shell() {
  local dir=$1 own
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  ensure_up "$dir"
  echo "bench: WINEPREFIX=$bench_prefix DISPLAY=$bench_display; 'exit' leaves${own:+ and tears the bench down}"
  (
    wine_env "$bench_prefix" "$bench_display"
    export PS1="[bench $bench_display] \w\$ "
    cd "$(dirname "$dir")"
    bash --norc -i || true
  )
  [ -n "$own" ] && cmd_teardown "$dir"
  return 0
}

cmd_exec() {
  local dir=$1 own rc=0
  shift
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  ensure_up "$dir"
  ( wine_env "$bench_prefix" "$bench_display"; "$@" ) || rc=$?
  [ -n "$own" ] && cmd_teardown "$dir" >&2
  return "$rc"
}

case "${1:-}" in
  setup) [ $# -ge 2 ] || die "usage: bench.sh setup DIR [OWNER_PID]"; cmd_setup "$2" "${3:-$PPID}" ;;
  teardown) [ $# -ge 2 ] || die "usage: bench.sh teardown DIR"; cmd_teardown "$2" ;;
  watch) cmd_watch "$2" "$3" "$4" "$5" ;;
  run) [ $# -ge 3 ] || die "usage: bench.sh run DIR PROGRAM [ARGS...]"; shift; cmd_run "$@" ;;
  shell) [ $# -ge 2 ] || die "usage: bench.sh shell DIR"; cmd_shell "$2" ;;
  exec) [ $# -ge 3 ] || die "usage: bench.sh exec DIR COMMAND..."; shift; cmd_exec "$@" ;;
  *) die "usage: bench.sh setup|teardown|run|shell|exec DIR ..." ;;
esac

#!/usr/bin/env bash
# Builds the .deb, checks it with lintian and its desktop entry and AppStream
# metadata with their validators (any finding fails), unpacks it into a fresh
# root, and starts the installed program against the test marketplace server:
# it must log in, poll and end cleanly on SIGTERM.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
server=""
client=""
cleanup() {
  [ -n "$client" ] && kill "$client" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb="$(ls "$work"/pkg/korvant_*.deb)"
echo "package: $(basename "$deb")"
info="$(dpkg-deb -I "$deb")"
case "$info" in
  *Depends:*libqt6webenginewidgets6*qt6-qpa-plugins*|*Depends:*qt6-qpa-plugins*libqt6webenginewidgets6*) ;;
  *) echo "the package does not name its Qt dependencies" >&2; exit 1 ;;
esac
dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/korvant usr/lib/korvant/korvant usr/lib/korvant/Xsl usr/lib/korvant/doc/how.html \
         usr/share/applications/korvant.desktop usr/share/icons/hicolor/scalable/apps/korvant.svg \
         usr/share/metainfo/com.korvant.korvant.metainfo.xml usr/share/man/man1/korvant.1.gz \
         usr/share/doc/korvant/copyright usr/share/doc/korvant/changelog.gz; do
  [ -e "$work/root/$f" ] || { echo "missing in the package: $f" >&2; exit 1; }
done

# Every checker must stay silent: an error, a warning, an info or a hint fails.
findings=0
report() { # name output
  if [ -n "$2" ]; then echo "$1:" >&2; echo "$2" >&2; findings=1; fi
}
out="$(lintian --fail-on none "$deb" 2>&1 | grep -v '^N: ' || true)"
report lintian "$(echo "$out" | grep -E '^[EW]: ' || true)"
report desktop-file-validate "$(desktop-file-validate "$work/root/usr/share/applications/korvant.desktop" 2>&1 || echo failed)"
out="$(appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.korvant.korvant.metainfo.xml" 2>&1 || echo failed)"
report appstreamcli "$(echo "$out" | grep -v -E '^(✔ Validation was successful\.)?$' || true)"
[ "$findings" -eq 0 ] || exit 1
echo "lintian, desktop-file-validate and appstreamcli: clean"

# The file is there before the server starts: the background start opens it
# in its own time, and a read before that would end the test.
: >"$work/server.out"
"$build/bin/korvant-testserver" >"$work/server.out" 2>"$work/server.log" &
server=$!
url=""
for _ in $(seq 1 100); do
  url="$(sed -n 's/^URL //p' "$work/server.out")"
  [ -n "$url" ] && break
  sleep 0.1
done
[ -n "$url" ] || { echo "the test server did not start" >&2; exit 1; }

export XDG_CONFIG_HOME="$work/config" HOME="$work/home" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
"$build/bin/korvant-seedrun" "$work/data" >/dev/null
"$work/root/usr/bin/korvant" -dbpath "$work/data" -url "$url" -level 5 >"$work/client.out" 2>&1 &
client=$!
for _ in $(seq 1 300); do
  grep -aq 'Poll Queries' "$work/data/kvc.log" 2>/dev/null && break
  kill -0 "$client" 2>/dev/null || { cat "$work/client.out" >&2; exit 1; }
  sleep 0.1
done
grep -aq 'theFrame->ShowWindow' "$work/data/kvc.log" || { echo "no main window" >&2; exit 1; }
grep -aq 'Poll Queries' "$work/data/kvc.log" || { echo "no poll" >&2; exit 1; }
kill -TERM "$client"
status=0
for _ in $(seq 1 50); do kill -0 "$client" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$client" 2>/dev/null; then echo "the installed program did not end within 5 s" >&2; exit 1; fi
wait "$client" || status=$?
client=""
[ "$status" -eq 0 ] || { echo "the installed program ended with $status" >&2; exit 1; }
echo "installed program ran, polled and ended"

#!/usr/bin/env bash
# Makes the Debian package from a build folder and checks it as a bench PC gets it:
# the files in it, lintian, --help and --version on a PC with no display, and the
# program started from the unpacked package the way its menu entry starts it.
# Usage: packaging.sh <cpack> <build folder> <desktop id>
set -euo pipefail

cpack=$1
build=$2
app_id=$3
scratch=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pack" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; fail "cpack could not make the package"; }
debs=("$scratch"/pack/quillmark_*_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no quillmark_<version>_<arch>.deb made"
echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Depends

dpkg-deb --contents "$deb" | awk '{ sub(/^\./, "", $6); print $6 }' >"$scratch/contents"
cat "$scratch/contents"
for file in /usr/bin/quillmark /usr/bin/quillmark-kitsim \
        /usr/share/icons/hicolor/{16x16,32x32,48x48,128x128}/apps/quillmark.png \
        /usr/share/icons/hicolor/scalable/apps/quillmark.svg \
        /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
        /usr/share/man/man1/quillmark.1.gz /usr/share/doc/quillmark/copyright; do
    grep -qxF "$file" "$scratch/contents" || fail "$file is not in the package"
done
depends=$(dpkg-deb --field "$deb" Depends)
for package in fonts-liberation2 libqt6sql6-sqlite libqt6widgets6 libqt6serialport6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package"
done

echo "== lintian"
status=0
mkdir "$scratch/tmp"  # lintian leaves files in its temporary folder
TMPDIR=$scratch/tmp lintian --display-info --fail-on error "$deb" >"$scratch/lintian" 2>&1 || status=$?
grep -v 'running with root privileges' "$scratch/lintian" || true
[ "$status" -eq 0 ] || fail "lintian reports an error"

root=$scratch/root
dpkg-deb --extract "$deb" "$root"
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

echo "== quillmark --version, no display"
version=$("${no_display[@]}" "$root/usr/bin/quillmark" --version) || fail "--version did not exit 0"
echo "$version"
[ "$version" = "Quillmark $(dpkg-deb --field "$deb" Version)" ] || fail "--version and the package disagree"

# Every option the program offers is in its manual page.
help=$("${no_display[@]}" "$root/usr/bin/quillmark" --help) || fail "--help did not exit 0"
manual=$(zcat "$root/usr/share/man/man1/quillmark.1.gz" | sed 's/\\-/-/g')
for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$manual" || fail "$option is missing from quillmark.1"
done
grep -qF -- --simulate <<<"$help" || fail "--help does not list --simulate"

echo "== the menu entry's command from the unpacked package, with --simulate"
command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$app_id.desktop")
home=$scratch/home
mkdir "$home"
mkdir -m 700 "$scratch/runtime"
env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=offscreen \
    PATH="$root/usr/bin:$PATH" $command --simulate 2>"$scratch/stderr" &
pid=$!
# The bench takes SIGTERM over once start-up is through (the splash alone is 2 s).
wanted=$(( (1 << (15 - 1)) | (1 << (1 - 1)) | (1 << (2 - 1)) ))
caught=0
for _ in $(seq 200); do
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || break
    (( (0x$caught & wanted) == wanted )) && break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null || { cat "$scratch/stderr"; fail "quillmark ended by itself"; }
(( (0x$caught & wanted) == wanted )) || fail "start-up did not finish in 20 s"
kill -TERM "$pid"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "quillmark still runs 10 s after SIGTERM"
status=0
wait "$pid" || status=$?
pid=
cat "$scratch/stderr"
[ "$status" -eq 0 ] || fail "quillmark exited $status after SIGTERM"
for file in art.cfg artc.cfg; do
    [ -s "$home/Quillmark/$file" ] || fail "$file was not written in the bench folder ~/Quillmark"
done
echo "package checked"

#!/usr/bin/env bash
# Makes the Debian package from a build folder and checks it as a bench PC gets it:
# the files in it, lintian, the menu entry and AppStream data, --help and --version
# on a PC with no display, the program started from the unpacked package the way
# each of its menu entry's actions starts it, and, where this PC lets the test
# install packages, the package installed without recommended packages and started.
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
for package in fonts-liberation2 libqt6sql6-sqlite libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package"
done
# What shows the window is a platform plugin: the package of each one the bench
# uses must come in through Depends alone, as an install without recommended
# packages brings them.
needed=$(sed 's/([^)]*)//g; s/[|,]/ /g' <<<"$depends")
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
          --no-enhances $needed 2>/dev/null | grep -v '^ ' | sed 's/:.*//' | sort -u)
for plugin in libqxcb.so libqoffscreen.so; do
    owner=$(dpkg -S "qt6/plugins/platforms/$plugin" 2>/dev/null | sed 's/:.*//' | head -1)
    [ -n "$owner" ] || fail "no installed package holds the platform plugin $plugin"
    grep -qxF "$owner" <<<"$closure" || fail "$owner ($plugin) comes in only as a recommended package"
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

echo "== desktop-file-validate, appstreamcli validate"
entry=$root/usr/share/applications/$app_id.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"
appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$app_id.metainfo.xml" \
    || fail "the AppStream data is not valid"
grep -qxF 'Name=Quillmark (simulated kit)' "$entry" || fail "the menu entry has no simulated-kit action"

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

# Starts a command line offscreen with a fresh home, waits until the bench has
# taken its stop signals over (start-up is through; the splash alone is 2 s), stops
# it with SIGTERM and checks that it saved its settings in the bench folder.
start_and_stop() {
    local home
    home=$(mktemp -d "$scratch/home.XXXX")
    mkdir -m 700 "$home/runtime"
    env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
        QT_QPA_PLATFORM=offscreen "$@" </dev/null 2>"$home/stderr" &
    pid=$!
    local wanted=$(( (1 << (15 - 1)) | (1 << (1 - 1)) | (1 << (2 - 1)) )) caught=0 status=0
    for _ in $(seq 200); do
        caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || break
        (( (0x$caught & wanted) == wanted )) && break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null || { cat "$home/stderr"; fail "$* ended by itself"; }
    (( (0x$caught & wanted) == wanted )) || fail "start-up of $* did not finish in 20 s"
    kill -TERM "$pid"
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "$* still runs 10 s after SIGTERM"
    wait "$pid" || status=$?
    pid=
    cat "$home/stderr"
    [ "$status" -eq 0 ] || fail "$* exited $status after SIGTERM"
    # The simulated kit keeps a bench folder of its own inside the real one.
    local folder="$home/Quillmark"
    [[ " $* " == *" --simulate "* ]] && folder="$home/Quillmark/Simulated kit"
    for file in art.cfg artc.cfg; do
        [ -s "$folder/$file" ] || fail "$file was not written in the bench folder ${folder#"$home"/}"
    done
}

# The main command on a bench without a kit finds none and runs on; the action
# runs the simulated kit.
sed -n 's/^Exec=//p' "$entry" >"$scratch/commands"
[ "$(wc -l <"$scratch/commands")" -eq 2 ] || fail "the menu entry does not have two commands"
while read -r -a command; do
    echo "== ${command[*]}, from the unpacked package"
    PATH="$root/usr/bin:$PATH" start_and_stop "${command[@]}"
done <"$scratch/commands"

# Installed for real, without recommended packages, where the test may install:
# as root (or with sudo that asks for no password), one packaging test at a time on
# this PC, and only where no Quillmark is installed already, which it would replace.
echo "== installed without recommended packages"
sudo=
[ "$(id -u)" -eq 0 ] || sudo="sudo -n"
if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
    echo "SKIP: installing needs root"
else
    exec {lock}>/tmp/quillmark-packaging.lock
    flock "$lock"
    if dpkg-query -W -f='${Status}' quillmark 2>/dev/null | grep -q 'ok installed'; then
        echo "SKIP: a quillmark package is installed on this PC already"
    else
        installed=1
        trap 'cleanup; [ -n "${installed:-}" ] && $sudo dpkg --remove quillmark >/dev/null 2>&1' EXIT
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            -o DPkg::Lock::Timeout=120 "$deb" >"$scratch/apt.log" 2>&1 \
            || { cat "$scratch/apt.log"; fail "apt-get could not install the package"; }
        [ "$("${no_display[@]}" /usr/bin/quillmark --version)" = "Quillmark $(dpkg-deb --field "$deb" Version)" ] \
            || fail "the installed quillmark --version is not the package's"
        start_and_stop /usr/bin/quillmark --bench-folder --simulate
        $sudo dpkg --remove quillmark >/dev/null || fail "the package could not be removed again"
        installed=
    fi
fi
echo "package checked"

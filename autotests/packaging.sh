#!/usr/bin/env bash
# Makes the Debian package from a build folder and checks it as a bench PC gets it:
# the files in it, lintian, the menu entry and AppStream data, --help and --version
# on a PC with no display, the program started from the unpacked package the way
# each of its menu entry's actions starts it, and the menu's demonstration taken
# from Coil Resistance to MAKE FINAL REPORT from the package alone: installed
# without recommended packages in a clean Debian root where this PC lets the test
# make one, otherwise from the unpacked package.
# Usage: packaging.sh <cpack> <build folder> <desktop id> <demo drive library>
set -euo pipefail

cpack=$1
build=$2
app_id=$3
drive=$(realpath "$4")  # loaded in another folder
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

# The menu's "Quillmark (simulated kit)" as the desktop runs it, in a home of its
# own: its Exec line, started in the home folder, offscreen, with the operator's
# hands (the demo drive library) loaded into it. One relay goes from Coil
# Resistance to MAKE FINAL REPORT; every file it leaves is in the demo folder, but
# for the user's settings in ~/.config.
# Usage: demo_to_final_report <home> [<root> <command that runs a command there>]
demo_to_final_report() {
    local home=$1 here=$1 status=0
    if [ $# -gt 1 ]; then
        here=$2$home
        shift
    fi
    shift
    local action
    action=$(sed -n '/^\[Desktop Action simulated-kit\]/,/^\[/ s/^Exec=//p' "$entry")
    [ -n "$action" ] || fail "the menu entry's simulated-kit action has no Exec line"
    echo "== $action, as the desktop runs it, to a final report"
    mkdir -p "$here/runtime" && chmod 700 "$here/runtime"
    "$@" env -i PATH="$path" HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
        LD_PRELOAD="$drive_there" timeout 300 sh -c "cd && exec $action" </dev/null >"$scratch/demo.log" 2>&1 \
        || status=$?
    grep -v 'propagateSizeHints' "$scratch/demo.log" || true
    [ "$status" -eq 0 ] || fail "the demonstration did not reach its final report (exit $status)"
    local demo="$here/Quillmark/Simulated kit" reports
    reports="$demo/reports"
    for file in "Batch 1.csv" RoutineTest.csv RoutineTest.pdf Routine_Test_Format_QNA1.xlsm CR_Values.csv; do
        [ -s "$reports/$file" ] || fail "$file is not in the demo folder's reports/"
    done
    cmp -s "$reports/Batch 1.csv" "$reports/RoutineTest.csv" || fail "RoutineTest.csv is not the report file"
    cmp -s "$demo/templates/Routine_Test_Format_QNA1.xlsm" "$reports/Routine_Test_Format_QNA1.xlsm" \
        || fail "the template in reports/ is not the one in templates/"
    [ "$(wc -l <"$reports/Batch 1.csv")" -eq 54 ] || fail "the report file does not hold one QNA1 record of 54 lines"
    local astray
    astray=$(cd "$here" && find . -path './Quillmark/Simulated kit' -prune -o -path ./.config -prune \
             -o -path ./runtime -prune -o ! -type d -print)
    [ -z "$astray" ] || fail "the demonstration left files outside its folder: $astray"
}

path=/usr/local/bin:/usr/bin:/bin
drive_there=$drive

# A clean Debian root (the essential packages and apt, as mmdebstrap makes it from
# this PC's own Debian sources) with the package installed in it by apt without
# recommended packages: what a fresh bench PC gets. The root is kept as a tarball
# for a week and the packages apt fetched for it are kept beside it, so a run
# fetches nothing it fetched before; each run unpacks a fresh root. It needs root
# (for chroot and the mounts of a private mount namespace) and mmdebstrap, which
# `bash tools/bench-setup test` installs.
cache=${QUILLMARK_CLEAN_ROOT_CACHE:-/var/cache/quillmark-packaging}
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
sources=/etc/apt/sources.list.d/debian.sources
[ -f "$sources" ] || sources=/etc/apt/sources.list
clean_root_missing() {
    [ "$(id -u)" -eq 0 ] || { echo "needs root"; return; }
    command -v mmdebstrap >/dev/null || { echo "needs mmdebstrap"; return; }
    [ -n "$codename" ] && [ -f "$sources" ] || echo "needs a Debian release and its apt sources"
}
why=$(clean_root_missing)
if [ -z "$why" ]; then
    echo "== installed without recommended packages in a clean Debian $codename root"
    mkdir -p "$cache/archives/partial"
    exec {lock}>"$cache/lock"
    flock "$lock"  # one packaging test at a time makes or reads the cache
    tarball=$cache/$codename.tar
    if [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ]; then
        mmdebstrap --quiet --variant=apt --format=tar --skip=cleanup/apt/lists "$codename" "$tarball.new" "$sources" \
            >"$scratch/mmdebstrap.log" 2>&1 && mv "$tarball.new" "$tarball" \
            || { tail -20 "$scratch/mmdebstrap.log"; rm -f "$tarball.new"; why="mmdebstrap could not make one"; }
    fi
fi
if [ -z "$why" ]; then
    clean=$scratch/clean
    mkdir "$clean"
    tar -xf "$tarball" -C "$clean"
    cp "$deb" "$clean/tmp/"
    cp "$drive" "$clean/tmp/"
    cp /etc/resolv.conf "$clean/etc/resolv.conf"
    drive_there=/tmp/$(basename "$drive")
    # Everything mounted lives in a mount namespace of its own and goes with it.
    in_clean_root() {
        unshare --mount --propagation private sh -c 'root=$1; shift
            mount -t proc proc "$root/proc" && mount --bind "$0" "$root/var/cache/apt/archives" &&
            exec chroot "$root" "$@"' "$cache/archives" "$clean" "$@"
    }
    install=(env -i PATH=$path DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends
             "/tmp/$(basename "$deb")")
    # Indexes a week old may name versions the archive has let go: fetched afresh once.
    in_clean_root "${install[@]}" >"$scratch/apt.log" 2>&1 \
        || { in_clean_root apt-get update -qq >>"$scratch/apt.log" 2>&1 && in_clean_root "${install[@]}" \
             >>"$scratch/apt.log" 2>&1; } \
        || { cat "$scratch/apt.log"; fail "apt-get could not install the package in the clean root"; }
    [ "$(in_clean_root env -i PATH=$path quillmark --version)" = "Quillmark $(dpkg-deb --field "$deb" Version)" ] \
        || fail "the installed quillmark --version is not the package's"
    entry=$clean/usr/share/applications/$app_id.desktop
    demo_to_final_report /home/operator "$clean" in_clean_root
else
    echo "== from the unpacked package (no clean root: $why)"
    path=$root/usr/bin:$path
    demo_to_final_report "$scratch/demo-home"
fi
echo "package checked"

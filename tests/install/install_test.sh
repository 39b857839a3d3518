#!/usr/bin/env bash
# Installs the build into a temporary root (DESTDIR) and checks it as a
# distribution would: every file in its place and nothing else, the desktop
# entries and the metainfo valid, and the installed varcelctl, run by a user
# with an empty home, seeding its data folder from the installed defaults.
#
#   install_test.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
prefix=/usr
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" \
    || { cat "$work/install.log" >&2; fail "cmake --install"; }
usr="$root$prefix"
app=io.github.varcel.Varcel

# Every installed file, checked against the places it may go.
expected=(
    "bin/varcel"
    "bin/varcelctl"
    "lib/udev/rules.d/70-varcel.rules"
    "share/applications/$app.desktop"
    "share/metainfo/$app.metainfo.xml"
    "share/varcel/autostart/$app.desktop"
    "share/varcel/config.bin"
    "share/icons/hicolor/scalable/apps/varcel.svg"
    "share/man/man1/varcel.1.gz"
    "share/man/man1/varcelctl.1.gz"
    "share/bash-completion/completions/varcelctl"
    "share/doc/varcel/profile-format.md"
    "share/doc/varcel/dbus.md"
    "share/dbus-1/interfaces/io.github.varcel.Varcel1.xml"
    share/gnome-shell/extensions/varcel-focus{,-legacy}@varcel.github.io/{extension.js,metadata.json}
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/varcel.png")
done
for skin in Dark Light; do
    expected+=("share/varcel/Skins/$skin/main.png" "share/varcel/Skins/$skin/skin.ini")
done
for file in "${expected[@]}"; do
    [[ -f "$usr/$file" ]] || fail "missing $prefix/$file"
done
while IFS= read -r file; do
    rel="${file#"$usr/"}"
    case "$rel" in
        share/varcel/Skins/Dark/*.png | share/varcel/Skins/Light/*.png) continue ;;
        share/doc/varcel/*.md | share/doc/varcel/*.png | share/doc/varcel/images/*.png) continue ;;
    esac
    grep -qxF "$rel" <<<"$(printf '%s\n' "${expected[@]}")" || fail "unexpected file $prefix/$rel"
done < <(find "$root" -type f -o -type l)
# Each installed page's links lead to installed pages and pictures.
for page in "$usr"/share/doc/varcel/*.md; do
    for target in $(grep -o '\]([^) ]*)' "$page" | sed 's/^](//; s/)$//; s/#.*//' | grep -v -e '^[a-z][a-z+.-]*:' -e '^$'); do
        [[ -e "$(dirname "$page")/$target" ]] || fail "the installed $(basename "$page") links to $target, not installed"
    done
done
[[ -x "$usr/bin/varcel" && -x "$usr/bin/varcelctl" ]] || fail "the programs are not executable"

# Image files that the icon theme and the software centre read must be what they say.
grep -q "PNG image data, 48 x 48" <<<"$(file -b "$usr/share/icons/hicolor/48x48/apps/varcel.png")" \
    || fail "the 48-pixel icon is not a 48 x 48 PNG"
grep -q "<svg" "$usr/share/icons/hicolor/scalable/apps/varcel.svg" || fail "the scalable icon is no SVG"

# The man pages: the programs' own options, the hand-written sections, the profile commands.
for page in varcel varcelctl; do
    MANWIDTH=200 man -l "$usr/share/man/man1/$page.1.gz" 2>/dev/null >"$work/$page.txt" || fail "man cannot read $page(1)"
    for heading in SYNOPSIS OPTIONS FILES EXAMPLES; do
        grep -q "^$heading" "$work/$page.txt" || fail "$page(1) has no $heading section"
    done
    grep -q -- "--data-dir" "$work/$page.txt" || fail "$page(1) lacks the options of --help"
    grep -q "70-varcel.rules" "$work/$page.txt" || fail "$page(1) does not tell of the udev rule"
done
for word in export import; do
    grep -q "^ *$word " "$work/varcelctl.txt" || fail "varcelctl(1) does not list $word"
done

for metadata in "$usr"/share/gnome-shell/extensions/*/metadata.json; do
    python3 -m json.tool "$metadata" >/dev/null || fail "$metadata is not JSON"
done
desktop-file-validate "$usr/share/applications/$app.desktop" "$usr/share/varcel/autostart/$app.desktop"
grep -qx "Categories=Settings;HardwareSettings;" "$usr/share/applications/$app.desktop" \
    || fail "the menu entry is not under Settings/HardwareSettings"
for lang in zh_CN zh_TW; do
    grep -q "^Name\[$lang\]=" "$usr/share/applications/$app.desktop" || fail "no $lang name in the menu entry"
done
appstreamcli validate --no-net "$usr/share/metainfo/$app.metainfo.xml"
grep -q "<modalias>usb:v04D9pA09F\*</modalias>" "$usr/share/metainfo/$app.metainfo.xml" \
    || fail "the metainfo does not offer Varcel for the mouse's USB IDs"

# A user's first run: an empty home, no data folder given.
home="$work/home"
mkdir -p "$home"
env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$usr/bin/varcelctl" --simulate status >"$work/status.out" \
    || { cat "$work/status.out" >&2; fail "installed varcelctl --simulate status"; }
data="$home/.config/varcel"
cmp "$data/config.bin" "$usr/share/varcel/config.bin" || fail "the data folder was not seeded from share/varcel"
[[ -f "$data/simulated-mouse.bin" ]] || fail "the simulated mouse did not keep its memory in the data folder"
[[ ! -e "$usr/bin/config.bin" ]] || fail "the installed program wrote beside itself"
env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$usr/bin/varcelctl" show >/dev/null \
    || fail "installed varcelctl show on the seeded folder"
echo "install layout, desktop entries, metainfo and first run: ok"

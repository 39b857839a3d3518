#!/usr/bin/env bash
# Builds the Debian package with scripts/package and reads it back with
# dpkg-deb: the dependencies dpkg-shlibdeps found, and every file in its place
# under /usr.
#
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src="$1"
build="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

deb="$(VARCEL_BUILD_DIR="$build" "$src/scripts/package" | tail -n 1)"
[[ -f "$deb" ]] || fail "no package was built"
[[ "$(basename "$deb")" =~ ^varcel_[0-9.]+-1_[a-z0-9]+\.deb$ ]] || fail "unexpected package name $(basename "$deb")"

info="$(dpkg-deb --info "$deb")"
echo "$info"
depends="$(dpkg-deb --field "$deb" Depends)"
for lib in libc6 libstdc++6 libudev1 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libpcap0.8 libxcb1 libwayland-client0; do
    grep -qxF "$lib" <<<"$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')" || fail "Depends lacks $lib: $depends"
done
[[ "$(dpkg-deb --field "$deb" Package)" == varcel ]] || fail "the package is not called varcel"
# (Read whole before grep: grep -q leaving early would fail the pipe.)
grep -qx "./postinst" <<<"$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)" || fail "no postinst"

contents="$(dpkg-deb --contents "$deb" | awk '{print $6}')"
app=io.github.varcel.Varcel
for file in \
    ./usr/bin/varcel ./usr/bin/varcelctl \
    ./usr/lib/udev/rules.d/70-varcel.rules \
    ./usr/share/applications/$app.desktop \
    ./usr/share/varcel/autostart/$app.desktop \
    ./usr/share/metainfo/$app.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/varcel.svg \
    ./usr/share/icons/hicolor/48x48/apps/varcel.png \
    ./usr/share/varcel/config.bin \
    ./usr/share/varcel/Skins/Dark/main.png \
    ./usr/share/varcel/Skins/Light/main.png \
    ./usr/share/man/man1/varcel.1.gz ./usr/share/man/man1/varcelctl.1.gz \
    ./usr/share/bash-completion/completions/varcelctl \
    ./usr/share/gnome-shell/extensions/varcel-focus@varcel.github.io/extension.js \
    ./usr/share/gnome-shell/extensions/varcel-focus-legacy@varcel.github.io/extension.js \
    ./usr/share/doc/varcel/profile-format.md; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
outside="$(grep -v -e '^\./usr/' -e '^\./$' <<<"$contents" || true)"
[[ -z "$outside" ]] || fail "files outside /usr: $outside"
echo "package $(basename "$deb"): ok"

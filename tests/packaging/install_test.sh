#!/usr/bin/env bash
# Installs the build into a temporary folder and builds the Debian package from it, then
# checks what lands where, the desktop files with the desktop's own validators, and the
# package's control fields and contents.
# Usage: install_test.sh CMAKE CPACK BUILD_DIR VERSION WITH_CELLSIM(0|1)
set -euo pipefail

cmake=$1 cpack=$2 build=$3 version=$4 with_cellsim=$5
app_id=org.example.Tremolex

for tool in desktop-file-validate appstreamcli dpkg dpkg-deb dpkg-shlibdeps file readelf ldd; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (./test installs it)"
        exit 77
    fi
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

tmp=$(mktemp -d)
# cmake --install and cpack both write install_manifest.txt into the build folder; a
# user's own manifest (the list an uninstall goes by) must survive the test.
manifest=$build/install_manifest.txt
[ -e "$manifest" ] && cp -p "$manifest" "$tmp/manifest.saved"
cleanup() {
    if [ -e "$tmp/manifest.saved" ]; then cp -p "$tmp/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
unset DESTDIR
# The package must not depend on the packager's umask.
umask 077

expected=(usr/bin/tremolex
          usr/share/applications/$app_id.desktop
          usr/share/doc/tremolex/copyright
          usr/share/icons/hicolor/16x16/apps/$app_id.png
          usr/share/icons/hicolor/scalable/apps/$app_id.svg
          usr/share/metainfo/$app_id.metainfo.xml)
[ "$with_cellsim" = 1 ] && expected+=(usr/bin/cellsim)
expected_list=$(printf '%s\n' "${expected[@]}" | sort)

files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort); }

# --- cmake --install -------------------------------------------------------------------
root=$tmp/root
"$cmake" --install "$build" --prefix "$root/usr" >/dev/null
[ "$(files_under "$root")" = "$expected_list" ] ||
    fail "installed files differ from the expected ones:
$(diff <(echo "$expected_list") <(files_under "$root") || true)"

for program in "$root"/usr/bin/*; do
    name=$(basename "$program")
    [ -x "$program" ] || fail "$name is not executable"
    [[ $(file -b "$program") == ELF* ]] || fail "$name is not an ELF program"
    # The build tree's run path must not survive into an installed program.
    run_path=$(readelf -d "$program" | grep -E 'R(UN)?PATH' || true)
    [[ $run_path != *"$build"* ]] || fail "$name keeps a run path into the build folder: $run_path"
    missing=$(ldd "$program" | grep 'not found' || true)
    [ -z "$missing" ] || fail "$name needs libraries that are not found: $missing"
done

share=$root/usr/share
[[ $(file -b "$share/icons/hicolor/16x16/apps/$app_id.png") == "PNG image data, 16 x 16,"* ]] ||
    fail "the 16x16 icon is not a 16 x 16 PNG"
[[ $(file -b "$share/icons/hicolor/scalable/apps/$app_id.svg") == *SVG* ]] ||
    fail "the scalable icon is not an SVG"

desktop=$share/applications/$app_id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
entry() { sed -n "/^$1=/{s///p;q}" "$desktop"; }
exec_program=$(entry Exec | cut -d' ' -f1)
[ -x "$root/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
[ "$(entry Icon)" = "$app_id" ] || fail "Icon=$(entry Icon) is not the installed icon $app_id"
[ "$(entry Terminal)" = false ] || fail "the desktop entry would open a terminal"

metainfo=$share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejects the metainfo"
# Against the whole tree: the launchable must name an installed desktop entry.
appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli rejects the installed tree"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo id is not $app_id"
newest=$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | sed -n '1s/.*version="\(.*\)"$/\1/p')
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is '$newest', the project is $version"

# --- the Debian package ----------------------------------------------------------------
"$cpack" --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack failed"; exit 1; }
arch=$(dpkg --print-architecture)
debs=("$tmp"/pkg/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { fail "cpack made ${#debs[@]} packages"; exit 1; }
deb=${debs[0]}
[[ $(basename "$deb") == tremolex_"$version"-*_"$arch".deb ]] ||
    fail "package file name $(basename "$deb") is not tremolex_${version}-<release>_$arch.deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tremolex ] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version"-* ]] || fail "Version '$(field Version)' is not $version-<release>"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
[ "$(field Maintainer)" = "Tremolex developers <tremolex@example.org>" ] ||
    fail "Maintainer is '$(field Maintainer)'"
summary=$(field Description | sed -n 1p)
[ "$summary" = "Records and plots the voltage of a rechargeable cell while it charges" ] ||
    fail "Description starts with '$summary', not the summary"
depends=$(field Depends)
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
    grep -Eq "(^|, )$library[a-z0-9]* \(>=" <<<"$depends" ||
        fail "Depends lacks $library: '$depends'"
done

# Every entry under /usr, owned by root, readable by all whatever the umask was.
while read -r mode owner _ _ _ path _; do
    [[ $path == ./usr/* ]] || fail "$path lies outside /usr"
    [ "$owner" = root/root ] || fail "$path belongs to $owner"
    case $mode in
        d*) expected_mode=drwxr-xr-x ;;
        *)  if [[ $path == ./usr/bin/* ]]; then expected_mode=-rwxr-xr-x; else expected_mode=-rw-r--r--; fi ;;
    esac
    [ "$mode" = "$expected_mode" ] || fail "$path has mode $mode, not $expected_mode"
done < <(dpkg-deb -c "$deb")

# The package holds what cmake --install puts there; only the programs are stripped.
dpkg-deb -x "$deb" "$tmp/deb"
[ "$(files_under "$tmp/deb")" = "$expected_list" ] ||
    fail "packaged files differ from the expected ones:
$(diff <(echo "$expected_list") <(files_under "$tmp/deb") || true)"
for path in "${expected[@]}"; do
    [[ $path == usr/bin/* ]] && continue
    cmp -s "$root/$path" "$tmp/deb/$path" || fail "$path in the package differs from the installed one"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install and package: all checks passed"

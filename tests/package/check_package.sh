#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root with dpkg -x
# (nothing is installed on the machine, and the scratch folder is removed at the end), and
# checks that an installed Tolvane has what a desktop and a shell expect: the programs, a valid
# desktop entry whose program, icon and file types are installed, a valid AppStream metainfo
# that names them, the MIME types of both ledger kinds, the manual pages, and the version.
# Usage: check_package.sh BUILD_DIR
set -uo pipefail

build=$(cd "${1:?usage: check_package.sh BUILD_DIR}" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli man \
            update-mime-database xmllint; do
  if ! command -v "$tool" >/dev/null; then
    echo "check_package: $tool is missing; scripts/setup-debian.sh installs it" >&2
    exit 1
  fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Tools that keep caches keep them in the scratch folder.
export HOME="$scratch/home" XDG_CACHE_HOME="$scratch/home/.cache" XDG_CONFIG_HOME="$scratch/home/.config"
mkdir -p "$HOME"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# --- the package ---
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
debs=("$scratch"/package/tolvane_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
  echo "FAIL: cpack made no tolvane_*.deb: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# dpkg-shlibdeps found the libraries the programs link.
[[ $depends == *libc6* ]] || fail "Depends does not name libc6: $depends"
[[ $depends == *libstdc++6* ]] || fail "Depends does not name libstdc++6: $depends"
[[ $depends == *libqt6widgets6* ]] || fail "Depends does not name Qt's widgets library: $depends"

root="$scratch/root"
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x could not unpack the package" >&2; exit 1; }
usr="$root/usr"

# --- the programs ---
for program in tolvane tolvane-cli; do
  [[ -x $usr/bin/$program ]] || fail "usr/bin/$program is not installed"
done
cli_version=$("$usr/bin/tolvane-cli" --version) || fail "tolvane-cli --version failed"
[[ $cli_version == "tolvane-cli $version" ]] || fail "tolvane-cli --version says '$cli_version', the package is $version"
gui_version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/tolvane" --version) || fail "tolvane --version failed"
[[ $gui_version == "tolvane $version" ]] || fail "tolvane --version says '$gui_version', the package is $version"
# The stripped program still works: a small demonstration database, then its summary.
mkdir -p "$scratch/demo"
if "$usr/bin/tolvane-cli" demo "$scratch/demo" --peals 40 >/dev/null; then
  info=$(cd "$scratch/demo" && "$usr/bin/tolvane-cli" info demo.tv3) || fail "installed tolvane-cli info failed"
  [[ $info == *40* ]] || fail "installed tolvane-cli info does not count 40 peals: $info"
else
  fail "installed tolvane-cli demo failed"
fi

# --- the desktop entry ---
desktops=("$usr"/share/applications/*.desktop)
[[ ${#desktops[@]} -eq 1 && -f ${desktops[0]} ]] || fail "not one desktop entry in usr/share/applications: ${desktops[*]}"
desktop=${desktops[0]}
desktop_id=$(basename "$desktop")
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop_id"
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
exec_line=$(key Exec)
exec_program=${exec_line%% *}
[[ -x $usr/bin/$exec_program ]] || fail "Exec names $exec_program, which is not in usr/bin"
# A file opened from the file manager reaches the program as its argument.
[[ $exec_line =~ %[fFuU] ]] || fail "Exec does not take the opened file: $exec_line"
icon=$(key Icon)
icon_file="$usr/share/icons/hicolor/scalable/apps/$icon.svg"
[[ -f $icon_file ]] || fail "Icon $icon is not installed as $icon_file"
xmllint --noout "$icon_file" || fail "the icon is not well-formed SVG"
IFS=';' read -r -a mime_types <<<"$(key MimeType)"
[[ ${#mime_types[@]} -eq 2 ]] || fail "MimeType should name the two ledger types: ${mime_types[*]}"

# --- the MIME types ---
mime_packages=("$usr"/share/mime/packages/*.xml)
[[ -f ${mime_packages[0]} ]] || fail "no MIME package in usr/share/mime/packages"
for package in "${mime_packages[@]}"; do
  xmllint --noout "$package" || fail "$(basename "$package") is not well-formed XML"
done
# The shared MIME database built from the package maps each extension to a type the desktop
# entry opens.
update-mime-database "$usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the MIME package"
declare -A glob_of=()
while IFS=: read -r weight type pattern _; do
  [[ $weight == \#* || -z $type ]] && continue
  glob_of[$type]="${glob_of[$type]:-} $pattern"
done <"$usr/share/mime/globs2"
for extension in tv3 qv3; do
  found=""
  for type in "${mime_types[@]}"; do
    [[ " ${glob_of[$type]:-} " == *" *.$extension "* ]] && found=$type
  done
  [[ -n $found ]] || fail "no MIME type of the desktop entry matches *.$extension"
done

# --- the metainfo ---
metainfos=("$usr"/share/metainfo/*.metainfo.xml)
[[ ${#metainfos[@]} -eq 1 && -f ${metainfos[0]} ]] || fail "not one metainfo in usr/share/metainfo"
metainfo=${metainfos[0]}
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate refuses $(basename "$metainfo")"
xpath() { xmllint --xpath "$1" "$metainfo" 2>/dev/null; }
launchable=$(xpath 'string(/component/launchable[@type="desktop-id"])')
[[ $launchable == "$desktop_id" ]] || fail "the metainfo launches '$launchable', the desktop entry is $desktop_id"
component_id=$(xpath 'string(/component/id)')
[[ $(basename "$metainfo") == "$component_id.metainfo.xml" ]] || fail "the metainfo file is not named after its id $component_id"
[[ $icon == "$component_id" ]] || fail "the icon $icon is not named after the component $component_id"
for n in 1 2 3 4; do
  binary=$(xpath "string(/component/provides/binary[$n])")
  [[ -z $binary ]] && continue
  [[ -x $usr/bin/$binary ]] || fail "the metainfo provides $binary, which is not in usr/bin"
done
for type in "${mime_types[@]}"; do
  [[ -n $(xpath "/component/provides/mediatype[text()=\"$type\"]") ]] || fail "the metainfo does not provide $type"
done
release=$(xpath 'string(/component/releases/release[1]/@version)')
[[ $release == "$version" ]] || fail "the metainfo's newest release is '$release', the package is $version"

# --- the manual pages ---
for program in tolvane tolvane-cli; do
  page="$usr/share/man/man1/$program.1.gz"
  if [[ ! -f $page ]]; then
    fail "the manual page $program.1.gz is not installed"
    continue
  fi
  if ! text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$scratch/man.err"); then
    fail "man -l $program.1.gz failed"
  fi
  [[ -s $scratch/man.err ]] && fail "man -l $program.1.gz warns: $(cat "$scratch/man.err")"
  [[ $text == *NAME*"$program "* ]] || fail "man -l $program.1.gz shows no NAME for $program"
done
# Every command tolvane-cli offers is in its manual page.
commands=$("$usr/bin/tolvane-cli" --help | sed -n '/^Subcommands:/,$p' | sed -n 's/^  \([a-z-]*\) .*/\1/p')
[[ -n $commands ]] || fail "tolvane-cli --help lists no commands"
for command in $commands; do
  zcat "$usr/share/man/man1/tolvane-cli.1.gz" | grep -Eq "^\.B[IR]* \"?$command[ \"]|^\.B[IR]* \"?$command\$" ||
    fail "the tolvane-cli manual page does not describe the command $command"
done

if [[ $failures -gt 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "the package installs and checks out"

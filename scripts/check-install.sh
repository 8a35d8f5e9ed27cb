#!/usr/bin/env bash
# Checks what a desktop and Debian need of the installed project: installs the build into a
# staging folder (DESTDIR) and finds exactly the expected files there; validates the menu
# entry, the AppStream metadata, the manual pages, the acknowledgements and the shell
# completion; builds the Debian package and examines it with dpkg-deb and lintian.
#
# ctest runs it (install_and_package_check) with the build's layout, as packaging/
# CMakeLists.txt passes it. It writes only below BUILD/install-check.
set -euo pipefail

usage() { echo "usage: check-install.sh --build DIR --source DIR --prefix P --bindir D --libexecdir D --datadir D --mandir D --docdir D --app-id ID --package NAME --version V --programs A,B --icon-sizes 16,32" >&2; exit 2; }
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --build) build=$2 ;; --source) source=$2 ;; --prefix) prefix=$2 ;;
    --bindir) bindir=$2 ;; --libexecdir) libexecdir=$2 ;; --datadir) datadir=$2 ;;
    --mandir) mandir=$2 ;; --docdir) docdir=$2 ;; --app-id) app_id=$2 ;;
    --package) package=$2 ;; --version) version=$2 ;; --programs) programs=$2 ;;
    --icon-sizes) icon_sizes=$2 ;; *) usage ;;
  esac
  shift 2
done
for v in build source prefix bindir libexecdir datadir mandir docdir app_id package version programs icon_sizes; do
  [ -n "${!v:-}" ] || usage
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
has_program() { [[ ",$programs," == *",$1,"* ]]; }

# Every tool first, so that a fresh machine learns at once what to install.
missing=()
for tool in cmake:cmake cpack:cmake dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev lintian:lintian \
            desktop-file-validate:desktop-file-utils appstreamcli:appstream man:man-db \
            rsvg-convert:librsvg2-bin zsh:zsh gzip:gzip; do
  command -v "${tool%%:*}" > /dev/null || missing+=("${tool%%:*} (Debian package ${tool#*:})")
done
[ -f /usr/share/bash-completion/bash_completion ] || missing+=("bash_completion (Debian package bash-completion)")
if [ ${#missing[@]} -gt 0 ]; then
  printf 'check-install: missing %s\n' "${missing[@]}" >&2
  echo "check-install: run scripts/install-deps.sh" >&2
  exit 1
fi

work="$build/install-check"
rm -rf "$work"
mkdir -p "$work/tmp" "$work/cache"
export TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache" LC_ALL=C.UTF-8
started=$SECONDS

# --- The files a package or `cmake --install` must hold, relative to the prefix --------
expected=("$bindir/zembra"
          "$datadir/icons/hicolor/scalable/apps/$app_id.svg"
          "$mandir/man1/zembra.1.gz"
          "$datadir/bash-completion/completions/zembra"
          "$datadir/zsh/vendor-completions/_zembra"
          "$docdir/Acknowledgements.rtf"
          "$docdir/copyright")
IFS=, read -ra sizes <<< "$icon_sizes"
for size in "${sizes[@]}"; do
  expected+=("$datadir/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
if has_program uninstaller-zembra; then
  expected+=("$bindir/uninstaller-zembra"
             "$datadir/applications/$app_id.desktop"
             "$datadir/metainfo/$app_id.metainfo.xml"
             "$datadir/dbus-1/services/$app_id.service"
             "$mandir/man1/uninstaller-zembra.1.gz")
fi
if has_program zembra-spider; then
  expected+=("$libexecdir/zembra-spider")
fi

# compare_files WHAT EXPECTED_LIST ACTUAL_LIST: both sorted, one path a line.
compare_files() {
  local extra absent
  absent=$(comm -23 "$2" "$3")
  extra=$(comm -13 "$2" "$3")
  [ -z "$absent" ] || fail "$1 lacks: $(echo $absent)"
  [ -z "$extra" ] || fail "$1 holds unexpected files: $(echo $extra)"
  [ -n "$absent$extra" ] || pass "$1 holds exactly the $(wc -l < "$2") expected files"
}

# --- 1. Install into a staging folder -----------------------------------------------------
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" > "$work/install.log" \
  || { cat "$work/install.log" >&2; fail "cmake --install failed"; exit 1; }
root="$stage$prefix"
printf '%s\n' "${expected[@]}" | sort > "$work/expected.txt"
(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) > "$work/staged.txt"
compare_files "the staged install" "$work/expected.txt" "$work/staged.txt"
for program in zembra uninstaller-zembra; do
  has_program "$program" || continue
  [ -x "$root/$bindir/$program" ] || fail "$bindir/$program is not executable"
done
if has_program zembra-spider; then
  [ -x "$root/$libexecdir/zembra-spider" ] || fail "$libexecdir/zembra-spider is not executable"
fi
"$root/$bindir/zembra" --help | grep -q '^Usage: zembra' && pass "the installed zembra runs" \
  || fail "the installed zembra --help prints no usage"

# Each PNG has the size of the folder it lies in (bytes 16-23 of a PNG: width, height).
for size in "${sizes[@]}"; do
  png="$root/$datadir/icons/hicolor/${size}x${size}/apps/$app_id.png"
  [ -f "$png" ] || continue
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w $h" = "$size $size" ] || fail "the ${size}x${size} icon is ${w}x${h}"
done
pass "icon sizes checked"

# --- 2. Menu entry and AppStream metadata (from the source, installed or not) -----------
desktop="$source/packaging/$app_id.desktop"
if out=$(desktop-file-validate "$desktop" 2>&1) && ! grep -qE ' (error|warning): ' <<< "$out"; then
  pass "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry's icon is not $app_id"
grep -qx 'Name=Uninstaller zembra' "$desktop" || fail "the desktop entry's name is not 'Uninstaller zembra'"
grep -qx 'Categories=System;Utility;' "$desktop" || fail "the desktop entry's categories are not System;Utility;"
grep -qx 'Exec=uninstaller-zembra.*' "$desktop" || fail "the desktop entry does not start uninstaller-zembra"
if has_program uninstaller-zembra; then
  # D-Bus activation: the entry says so, and the bus finds a service of the entry's name
  # that starts the installed program.
  grep -qx 'DBusActivatable=true' "$desktop" || fail "the desktop entry is not DBusActivatable"
  service="$root/$datadir/dbus-1/services/$app_id.service"
  if [ -f "$service" ]; then
    [ "$(head -1 "$service")" = "[D-BUS Service]" ] || fail "$app_id.service does not start with [D-BUS Service]"
    grep -qx "Name=$app_id" "$service" || fail "$app_id.service does not name $app_id"
    grep -qx "Exec=$prefix/$bindir/uninstaller-zembra" "$service" \
      || fail "$app_id.service does not start $prefix/$bindir/uninstaller-zembra: $(grep '^Exec=' "$service")"
    pass "D-Bus activation: DBusActivatable=true and $app_id.service"
  fi
fi

metainfo="$build/packaging/$app_id.metainfo.xml"
if out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
  pass "appstreamcli validate --no-net"
else
  fail "appstreamcli validate: $out"
fi
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
  || fail "the metainfo does not launch $app_id.desktop"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is '$newest', the project is $version"
# The screenshots the metadata names must exist once docs/screenshots does.
shots=$(grep -o 'docs/screenshots/[^<]*' "$metainfo" || true)
[ -n "$shots" ] || fail "the metainfo names no screenshot from docs/screenshots"
if [ -d "$source/docs/screenshots" ]; then
  for shot in $shots; do
    [ -f "$source/$shot" ] || fail "the metainfo names $shot, which is not in the repository"
  done
else
  echo "note: docs/screenshots/ does not exist yet: the screenshot files are not checked"
fi

# --- 3. Manual pages: render without a warning, carry the project's version -------------
for page in "$source"/docs/*.1; do
  name=$(basename "$page")
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null) || fail "man $name failed"
  [ -z "$warnings" ] || fail "man $name warns: $warnings"
  grep -q "^\.TH .*\"Uninstaller zembra $version\"" "$page" || fail "$name does not name version $version"
done
for page in "$root/$mandir"/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null) || fail "man $(basename "$page") failed"
  [ -z "$warnings" ] || fail "the installed $(basename "$page") warns: $warnings"
done
pass "manual pages render without warnings"
# Every command and option of `zembra --help` is in the manual page.
help_words=$("$root/$bindir/zembra" --help | grep -oE '^  [a-z-]+|--[a-z-]+' | tr -d ' ' | sort -u)
page_text=$(MANWIDTH=200 man -E UTF-8 -l "$source/docs/zembra.1" 2>/dev/null)
for word in $help_words; do
  grep -qe "$word" <<< "$page_text" || fail "zembra.1 does not mention $word of zembra --help"
done

# --- 4. Acknowledgements: a well-formed RTF naming every library and its licence ---------
rtf="$source/packaging/Acknowledgements.rtf"
head -c 6 "$rtf" | grep -q '^{\\rtf1' || fail "Acknowledgements.rtf does not start with {\\rtf1"
depth=$(sed 's/\\[{}\\]//g' "$rtf" | awk '{ for (i = 1; i <= length($0); i++) { c = substr($0, i, 1);
          if (c == "{") d++; else if (c == "}") { d--; if (d < 0) bad = 1 } } }
          END { print (bad ? -1 : d) }')
[ "$depth" = 0 ] || fail "Acknowledgements.rtf has unbalanced braces"
for pair in "Qt 6:LGPLv3" "libplist:LGPLv2.1" "libcanberra:LGPLv2.1" "GoogleTest:BSD 3-Clause"; do
  grep -q "${pair%%:*}" "$rtf" && grep -q "${pair#*:}" "$rtf" || fail "Acknowledgements.rtf lacks ${pair%%:*} or ${pair#*:}"
done
pass "Acknowledgements.rtf"

# --- 5. Shell completion -----------------------------------------------------------------
zsh -n "$root/$datadir/zsh/vendor-completions/_zembra" || fail "_zembra does not parse in zsh"
mkdir -p "$work/complete/Demo.app" "$work/complete/Library"
touch "$work/complete/notes.txt"
completions=$(cd "$work/complete" && bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1"
  for line in "zembra " "zembra remove --" "zembra apps --inc" "zembra leftovers " "zembra --home " "zembra remove-plugin "; do
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line} COMPREPLY=()
    _zembra zembra "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s=%s\n" "$line" "$(printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " ")"
  done' bash "$root/$datadir/bash-completion/completions/zembra" 2>&1)
expect_completion() {
  grep -qxF "$1=$2" <<< "$completions" || fail "bash completes '$1' as '$(grep -F "$1=" <<< "$completions" | cut -d= -f2-)', not '$2'"
}
expect_completion "zembra " "apps leftovers plugins prefpanes remove remove-plugin remove-safari-extension safari-extensions "
expect_completion "zembra remove --" "-- --applications --dry-run --help --home --json --keep --root --settings-dir --yes "
expect_completion "zembra apps --inc" "--include-default-apps --include-utilities "
expect_completion "zembra leftovers " "Demo.app Library "
expect_completion "zembra --home " "Demo.app Library "
expect_completion "zembra remove-plugin " "Demo.app Library notes.txt "
pass "shell completion"

# --- 6. The Debian package ---------------------------------------------------------------
grep -q "^$package ($version-1) " "$source/packaging/debian/changelog" \
  || fail "packaging/debian/changelog does not start with $package ($version-1)"
# Built only to be examined, so the tree's own install prefix does not matter here.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" -D ZEMBRA_PACKAGE_ANY_PREFIX=ON \
  > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; exit 1; }
debs=("$work/package/${package}_"*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "cpack made no single ${package}_*.deb"; exit 1; }
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "${package}_${version}-1_${arch}.deb" ] || fail "the package is named $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = "$package" ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
depends=$(field Depends)
required=(libqt6core6 libplist libc6 libstdc++6)
has_program uninstaller-zembra && required+=(libqt6widgets6 qt6-qpa-plugins qt6-image-formats-plugins)
for dep in "${required[@]}"; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
dpkg-deb --info "$deb" > "$work/info.txt" || fail "dpkg-deb --info failed"
pass "dpkg-deb --info: $(field Package) $(field Version), Depends: $depends"

# The package holds the staged files (under /usr) and the Debian-only documents.
dpkg-deb --contents "$deb" > "$work/contents.txt" || fail "dpkg-deb --contents failed"
{ sed "s|^|usr/|" "$work/expected.txt"
  echo "usr/$docdir/changelog.Debian.gz"
  echo "usr/$datadir/lintian/overrides/$package"
} | sort > "$work/expected-deb.txt"
awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' "$work/contents.txt" | sort > "$work/deb-files.txt"
compare_files "the package" "$work/expected-deb.txt" "$work/deb-files.txt"
if awk '{print $2}' "$work/contents.txt" | grep -qv '^root/root$'; then
  fail "the package holds files not owned by root"
fi

# lintian: no error; warnings are shown. Justified overrides: packaging/debian/lintian-overrides.
rc=0
lintian --pedantic -I --fail-on error "$deb" > "$work/lintian.txt" 2>&1 || rc=$?
grep -E '^[EWIPX]: ' "$work/lintian.txt" | sed 's/^/lintian /' || true
case $rc in
  0) pass "lintian: no errors" ;;
  1) fail "lintian reports errors" ;;
  *) fail "lintian did not run (status $rc): $(cat "$work/lintian.txt")" ;;
esac

echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes; check took $((SECONDS - started)) s"
if [ $failures -gt 0 ]; then
  echo "check-install: $failures failure(s)" >&2
  exit 1
fi

#!/usr/bin/env bash
# make_debs.sh <Linux build folder> [output folder]
# Makes the Debian packages of a finished Linux build from its install tree:
# each stanza of cmake/debian/packages is one install component, installed
# under /usr and stripped, with the copyright file, the changelog, lintian
# overrides (cmake/debian/<package>.lintian-overrides), maintainer scripts
# and triggers (cmake/debian/<package>.<name>), dependencies from
# dpkg-shlibdeps, and for the library package its shlibs file. The packages
# go to the output folder (default <build>/package); their paths are printed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: make_debs.sh <build folder> [output folder]}" && pwd)
out=${2:-$build/package}
debian=$root/cmake/debian
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || { echo "make_debs.sh: no project version in $build/CMakeCache.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out"

# field <stanza file> <name>: one field's value, continuation lines kept.
field() {
  awk -v name="$2" '
    $0 ~ "^" name ":" { sub("^" name ": *", ""); print; going = 1; next }
    going && /^ / { print; next }
    { going = 0 }' "$1"
}

# The stanzas, one file each.
awk -v dir="$stage" '
  /^#/ { next }
  /^$/ { if (open) { close(file); open = 0 }; next }
  !open { n++; file = dir "/stanza." n; open = 1 }
  { print > file }' "$debian/packages"

# Every installed file is in one of the packages.
components=$(awk '/^Component:/ { print $2 }' "$debian/packages" | xargs)
while IFS= read -r component; do
  [[ " $components " == *" $component "* ]] || {
    echo "make_debs.sh: install component '$component' is in no package of cmake/debian/packages" >&2
    exit 1
  }
done < <(sed -n 's/.*CMAKE_INSTALL_COMPONENT STREQUAL "\([^"]*\)".*/\1/p' "$build"/cmake_install.cmake \
  "$build"/*/cmake_install.cmake "$build"/*/*/cmake_install.cmake 2>/dev/null | sort -u)

# The shared libraries' package comes first: the others' dependencies on it
# are found through its shlibs file.
for stanza in "$stage"/stanza.*; do
  package=$(field "$stanza" Package)
  component=$(field "$stanza" Component)
  tree=$stage/$package
  DESTDIR=$tree cmake --install "$build" --component "$component" --prefix /usr --strip \
    >/dev/null
  [[ -d $tree/usr ]] || { echo "make_debs.sh: component $component installs nothing" >&2; exit 1; }
  doc=$tree/usr/share/doc/$package
  mkdir -p "$doc" "$tree/DEBIAN"
  install -m 644 "$debian/copyright" "$doc/copyright"
  gzip -9n <"$debian/changelog" >"$doc/changelog.gz"
  # Manual pages are compressed, as Debian keeps them.
  [[ -d $tree/usr/share/man ]] && find "$tree/usr/share/man" -type f -name "*.[1-9]" -exec gzip -9n {} +
  if [[ -f $debian/$package.lintian-overrides ]]; then
    install -D -m 644 "$debian/$package.lintian-overrides" \
      "$tree/usr/share/lintian/overrides/$package"
  fi
  for script in preinst postinst prerm postrm; do
    [[ -f $debian/$package.$script ]] && install -m 755 "$debian/$package.$script" "$tree/DEBIAN/$script"
  done
  [[ -f $debian/$package.triggers ]] && install -m 644 "$debian/$package.triggers" "$tree/DEBIAN/triggers"

  # Public shared libraries (with a soname) go into the shlibs file.
  : >"$stage/shlibs.$package"
  while IFS= read -r library; do
    soname=$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')
    [[ $soname =~ ^(.*)\.so\.([0-9]+)$ ]] &&
      echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} $package (>= $version)" >>"$stage/shlibs.$package"
  done < <(find "$tree/usr/lib" -maxdepth 1 -name 'lib*.so.*' -type f 2>/dev/null)
  [[ -s $stage/shlibs.$package ]] && install -m 644 "$stage/shlibs.$package" "$tree/DEBIAN/shlibs"

  # Dependencies of the ELF files, the driver's private folder included.
  depends=$(field "$stanza" Depends | sed "s/@VERSION@/$version/g")
  mapfile -t elves < <(find "$tree" -path "$tree/DEBIAN" -prune -o -type f -print |
    while IFS= read -r file; do cmp -s -n 4 "$file" <(printf '\177ELF') && echo "$file"; done)
  if ((${#elves[@]} > 0)); then
    # As Debian strips: without the compiler's comment section either.
    strip --remove-section=.comment --remove-section=.note "${elves[@]}"
    mkdir -p "$stage/shlibdeps/debian"
    printf 'Source: korvane\n\nPackage: %s\nArchitecture: any\n' "$package" \
      >"$stage/shlibdeps/debian/control"
    libs=$(cd "$stage/shlibdeps" && dpkg-shlibdeps -O -S"$stage/libkorvane0" \
      -l"$tree/usr/lib/korvane" -l"$stage/libkorvane0/usr/lib" "${elves[@]}" 2>"$stage/shlibdeps.log" |
      sed -n 's/^shlibs:Depends=//p') || { cat "$stage/shlibdeps.log" >&2; exit 1; }
    depends=${depends:+$depends, }$libs
  fi

  package_arch=$(field "$stanza" Architecture)
  [[ $package_arch == any ]] && package_arch=$arch
  {
    echo "Package: $package"
    echo "Source: korvane"
    echo "Version: $version"
    echo "Architecture: $package_arch"
    echo "Maintainer: $(sed -n 's/^ -- \(.*>\)  .*/\1/p' "$debian/changelog" | head -1)"
    echo "Installed-Size: $(du -sk --exclude=DEBIAN "$tree" | cut -f1)"
    [[ -n $depends ]] && echo "Depends: $depends"
    echo "Section: $(field "$stanza" Section)"
    echo "Priority: optional"
    echo "Description: $(field "$stanza" Description)"
  } >"$tree/DEBIAN/control"
  (cd "$tree" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z |
    xargs -0r md5sum) >"$tree/DEBIAN/md5sums"
  chmod -R u+w,go-w "$tree"
  deb=$out/${package}_${version}_${package_arch}.deb
  dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
  echo "$deb"
done

#!/usr/bin/env bash
# Builds, into dist/, the two ways users get the program:
#   codazzurra_<version>_amd64.deb          the Debian package (apt install ./dist/codazzurra_*.deb)
#   codazzurra-<version>-portable.tar.gz    the portable program folder, "Codazzurra/", with its "portable" file
# from a build of its own in build-package/, then checks the package's desktop entry, AppStream metainfo and
# the package itself (desktop-file-validate, appstreamcli, lintian). Run by hand, not by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
extra=(dpkg-dev file gzip lintian appstream desktop-file-utils)
missing=()
for p in "${extra[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The last commit's time gives the release date (metainfo, changelog) and the bundle's file times, so that
# one commit always gives the same ones.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# Debian's hardening flags (stack protector, fortified functions, read-only relocations bound at start),
# as a package built by Debian's own tools gets them.
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow dpkg-buildflags --get LDFLAGS)"

build=build-package
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
    -DCODAZZURRA_BENCHMARKS=OFF -DCODAZZURRA_PACKAGE=ON -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
mkdir -p dist

# The Debian package.
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB > /dev/null)
deb=dist/codazzurra_${version}_amd64.deb
cp "$build/cpack/codazzurra_${version}_amd64.deb" "$deb"

# The portable bundle: the program folder as a build leaves it, with the "portable" file, the first
# password and the guide; the executable stripped as in the package.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=$stage/Codazzurra
mkdir "$folder"
strip --strip-unneeded -o "$folder/Codazzurra" "$build/Codazzurra/codazzurra"
cp packaging/portable COPYING "$build/Codazzurra/Guida.pdf" "$folder/"
"$build/src/app/make_password_file" "$folder"
chmod 755 "$folder" "$folder/Codazzurra"
chmod 644 "$folder"/portable "$folder"/COPYING "$folder"/Guida.pdf "$folder"/unins000.dll
touch --date="@$SOURCE_DATE_EPOCH" "$folder" "$folder"/*
tarball=dist/codazzurra-${version}-portable.tar.gz
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" -C "$stage" -cf - Codazzurra |
    gzip -9n > "$tarball"

# Checks: each prints its findings (lintian's explained ones are in packaging/lintian-overrides).
desktop-file-validate "$build/packaging/"*.desktop
appstreamcli validate --no-net "$build/packaging/"*.metainfo.xml
lintian --info "$deb" || true

echo
echo "Written:"
ls -l "$deb" "$tarball"
echo "Libraries the portable bundle needs on Debian 12:"
dpkg-deb -f "$deb" Depends

#!/usr/bin/env bash
# Cross-builds the compiled third-party libraries for the Windows x86_64 build
# (mingw-w64, posix thread model, static) from Debian's source packages and
# stages the header-only libraries next to them.
#
# Result: a prefix with include/ and lib/ (libpugixml.a, libsodium.a,
# libcurl.a, libzip.a) at
#   ${VLNT_DEPS_CACHE:-$HOME/.cache/vlnt-deps}/win64-<key>
# where <key> hashes the Debian source versions of pugixml, libsodium, curl and
# libzip, the versions of the header-only -dev packages and of the cross
# compiler, and this script's own contents. A second run only prints the path.
#
# The LAST line on stdout is the absolute prefix path; everything else goes to
# stderr, so callers can do:
#   prefix=$(scripts/build-windows-deps.sh | tail -n1)
#
# Needs root (or sudo) only when packages are missing or the deb-src entry has
# to be added. Environment:
#   VLNT_DEPS_CACHE  cache root (default: ${VLNT_CACHE:-$HOME/.cache}/vlnt-deps)
#   VLNT_DEPS_JOBS   build parallelism (default: nproc)
#   VLNT_DEPS_KEEP_BUILD=1  keep the temporary build folder of a failed run
set -euo pipefail

log() { printf '[win-deps] %s\n' "$*" >&2; }
step_t0=0
step() {   # step <name>: logs the previous step's duration and starts timing a new one
    local now=$SECONDS
    [[ -n ${step_name:-} ]] && log "  ${step_name}: $((now - step_t0)) s"
    step_name=$1 step_t0=$now
    [[ -n $1 ]] && log "$1"
    return 0
}
die() { log "error: $*"; exit 1; }

readonly TRIPLE=x86_64-w64-mingw32
readonly SYSROOT=/usr/${TRIPLE}
readonly SRC_PKGS=(pugixml libsodium curl libzip)
# Header-only libraries: Debian -dev package and the include folder taken from it.
readonly HDR_PKGS=(nlohmann-json3-dev libmsgsl-dev libfmt-dev)
readonly HDR_DIRS=(/usr/include/nlohmann /usr/include/gsl /usr/include/fmt)
readonly NEEDED_PKGS=(
    dpkg-dev patch xz-utils make cmake ninja-build autoconf automake libtool
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
    "${HDR_PKGS[@]}"
)
readonly SRC_LIST=/etc/apt/sources.list.d/vlnt-src.sources

script_path=$(readlink -f "${BASH_SOURCE[0]}")
jobs=${VLNT_DEPS_JOBS:-$(nproc)}
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache_root=${VLNT_DEPS_CACHE:-${VLNT_CACHE:-$home/.cache}/vlnt-deps}

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "root is needed to run: $*"
    fi
}

apt_updated=0
apt_update() {
    if [[ $apt_updated -eq 0 ]]; then
        log "apt-get update"
        as_root apt-get update -qq >&2
        apt_updated=1
    fi
}

ensure_packages() {
    local missing=() p st
    declare -A status=()
    while read -r p st; do status[$p]=$st; done < <(
        dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${NEEDED_PKGS[@]}" 2>/dev/null || true)
    for p in "${NEEDED_PKGS[@]}"; do
        [[ ${status[$p]:-} == installed ]] || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    log "installing: ${missing[*]}"
    apt_update
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# Adds deb-src entries mirroring the machine's own "deb" entries (same URIs,
# suites and components), unless every one of them already has a deb-src.
# shellcheck disable=SC2016  # the $(...) are apt-get indextargets fields
ensure_deb_src() {
    local debs srcs want keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    debs=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
               'Created-By: Packages' | sort -u)
    [[ -n $debs ]] || die "no Debian 'deb' sources configured"
    srcs=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
               'Created-By: Sources' | sort -u)
    # One stanza per (URI, component list), listing the suites that share it.
    want=$(awk -v keyring="$keyring" '
        { us = $1 " " $2; if (!(us in comps)) { order[n++] = us }
          comps[us] = comps[us] (comps[us] ? " " : "") $3 }
        END { for (i = 0; i < n; i++) { split(order[i], f, " ")
                g = f[1] "|" comps[order[i]]
                if (!(g in suites)) { gorder[m++] = g }
                suites[g] = suites[g] (suites[g] ? " " : "") f[2] }
              for (i = 0; i < m; i++) { split(gorder[i], f, "|")
                if (i) print ""
                print "Types: deb-src"; print "URIs: " f[1]; print "Suites: " suites[gorder[i]]
                print "Components: " f[2]
                if (system("test -r " keyring) == 0) print "Signed-By: " keyring } }' <<<"$debs")
    if [[ -f $SRC_LIST ]]; then
        if [[ $(cat "$SRC_LIST") == "$want" ]]; then
            return 0
        fi
    elif [[ -z $(comm -23 <(printf '%s\n' "$debs") <(printf '%s\n' "$srcs")) ]]; then
        return 0   # deb-src already configured elsewhere
    fi
    log "adding deb-src entries in $SRC_LIST"
    printf '%s\n' "$want" | as_root tee "$SRC_LIST" >/dev/null
    apt_updated=0
    apt_update
}

# Newest version of each source package known to apt: fills ver[]; returns 1
# if one of them is unknown (no deb-src entry, or its lists not downloaded).
declare -A ver
find_src_versions() {
    local pkg v ok=0
    ver=()
    while read -r pkg v; do
        if [[ -z ${ver[$pkg]:-} ]] || dpkg --compare-versions "$v" gt "${ver[$pkg]}"; then
            ver[$pkg]=$v
        fi
    done < <(apt-cache showsrc --only-source "${SRC_PKGS[@]}" 2>/dev/null |
                 awk '/^Package:/ { p = $2 } /^Version:/ { print p, $2 }')
    for pkg in "${SRC_PKGS[@]}"; do [[ -n ${ver[$pkg]:-} ]] || ok=1; done
    return $ok
}

ensure_packages
if ! find_src_versions; then
    ensure_deb_src
    find_src_versions || { apt_update; find_src_versions; } ||
        die "apt-cache showsrc does not know all of: ${SRC_PKGS[*]}"
fi

manifest=$(
    for p in "${SRC_PKGS[@]}"; do printf 'source %s %s\n' "$p" "${ver[$p]}"; done
    for p in "${HDR_PKGS[@]}" g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev libz-mingw-w64-dev; do
        printf 'package %s %s\n' "$p" "$(dpkg-query -W -f='${Version}' "$p")"
    done
    printf 'script %s\n' "$(sha256sum "$script_path" | cut -d' ' -f1)"
)
key=$(printf '%s\n' "$manifest" | sha256sum | cut -c1-16)
mkdir -p "$cache_root"
cache_root=$(cd "$cache_root" && pwd -P)
prefix="$cache_root/win64-$key"

if [[ -f $prefix/.complete ]]; then
    log "cached: $prefix"
    printf '%s\n' "$prefix"
    exit 0
fi

# Serialise concurrent runs; the winner builds, the others find the cache.
exec 9>"$cache_root/.lock"
flock 9
if [[ -f $prefix/.complete ]]; then
    log "cached (built by a concurrent run): $prefix"
    printf '%s\n' "$prefix"
    exit 0
fi
# Holding the lock, any leftover build folder is from a killed run.
rm -rf "$cache_root"/.build.* "$prefix"

start=$SECONDS
work=$(mktemp -d "$cache_root/.build.XXXXXX")
cleanup() {
    local rc=$?
    if [[ $rc -ne 0 && ${VLNT_DEPS_KEEP_BUILD:-0} == 1 ]]; then
        log "build failed; kept $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Everything is configured for the final prefix and installed with DESTDIR
# into $stage; the staged tree is renamed into place at the very end.
stage="$work/stage"
dest="$stage$prefix"
mkdir -p "$work/src" "$dest/include" "$dest/lib"
log "building into $prefix (jobs: $jobs)"
printf '%s\n' "$manifest" | sed 's/^/[win-deps]   /' >&2

# ---- toolchain -------------------------------------------------------------
CC_BIN=$(command -v ${TRIPLE}-gcc-posix) || die "${TRIPLE}-gcc-posix not found"
CXX_BIN=$(command -v ${TRIPLE}-g++-posix) || die "${TRIPLE}-g++-posix not found"
export CC=$CC_BIN CXX=$CXX_BIN
export AR=${TRIPLE}-ar RANLIB=${TRIPLE}-ranlib STRIP=${TRIPLE}-strip
export RC=${TRIPLE}-windres WINDRES=${TRIPLE}-windres
export CFLAGS="-O2 -ffunction-sections -fdata-sections"
export CXXFLAGS="$CFLAGS"
export CPPFLAGS="" LDFLAGS=""
# Never let a configure script find the build machine's libraries.
export PKG_CONFIG_LIBDIR="$dest/lib/pkgconfig" PKG_CONFIG_PATH=""
unset PKG_CONFIG_SYSROOT_DIR

toolchain="$work/toolchain.cmake"
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER "$CC_BIN")
set(CMAKE_CXX_COMPILER "$CXX_BIN")
set(CMAKE_RC_COMPILER ${TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH "$SYSROOT")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

cmake_common=(
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_INSTALL_LIBDIR=lib
    -DBUILD_SHARED_LIBS=OFF
)

# ---- sources ---------------------------------------------------------------
cd "$work/src"
specs=()
for p in "${SRC_PKGS[@]}"; do specs+=("$p=${ver[$p]}"); done
step "apt-get source ${specs[*]}"
# Sandbox user root: the cache folder may not be readable by _apt.
apt-get -o APT::Sandbox::User=root source -qq "${specs[@]}" >&2
srcdir() {
    local upstream=${ver[$1]#*:}
    upstream=${upstream%-*}
    local d="$work/src/$1-$upstream"
    [[ -d $d ]] || die "expected source folder $d"
    printf '%s' "$d"
}

# ---- pugixml ---------------------------------------------------------------
step "pugixml ${ver[pugixml]}"
src=$(srcdir pugixml)
cmake -S "$src" -B "$work/b-pugixml" "${cmake_common[@]}" \
    -DPUGIXML_BUILD_TESTS=OFF >&2
cmake --build "$work/b-pugixml" -j "$jobs" >&2
DESTDIR="$stage" cmake --install "$work/b-pugixml" >&2

# ---- libsodium -------------------------------------------------------------
step "libsodium ${ver[libsodium]}"
src=$(srcdir libsodium)
if [[ ! -x $src/configure ]]; then
    # autogen.sh would otherwise try to download config.guess/config.sub.
    (cd "$src" && DO_NOT_UPDATE_CONFIG_SCRIPTS=1 ./autogen.sh) >&2
fi
mkdir -p "$work/b-sodium"
(cd "$work/b-sodium" && "$src/configure" --host=$TRIPLE --prefix="$prefix" \
    --disable-shared --enable-static --without-pthreads --disable-dependency-tracking) >&2
make -C "$work/b-sodium" -j "$jobs" >&2
make -C "$work/b-sodium" install DESTDIR="$stage" >&2

# ---- libcurl ---------------------------------------------------------------
step "curl ${ver[curl]}"
src=$(srcdir curl)
# Debian applies its GnuTLS/NSS flavour patches last (they rename the library);
# its own build reverts them for the OpenSSL flavour, so do the same here.
for p in 99_nss.patch 90_gnutls.patch; do
    if [[ -f $src/.pc/applied-patches ]] && grep -qx "$p" "$src/.pc/applied-patches"; then
        patch -d "$src" -R -p1 -s --no-backup-if-mismatch <"$src/debian/patches/$p" >&2
        sed -i "/^${p//./\\.}\$/d" "$src/.pc/applied-patches"
    fi
done
# Debian's patches touch configure.ac/Makefile.am: regenerate like dh_autoreconf.
(cd "$src" && autoreconf -fi) >&2
mkdir -p "$work/b-curl"
(cd "$work/b-curl" && "$src/configure" --host=$TRIPLE --prefix="$prefix" \
    --disable-shared --enable-static --disable-dependency-tracking \
    --with-schannel --without-openssl --without-gnutls --without-mbedtls \
    --without-wolfssl --without-bearssl --without-rustls --without-nss \
    --with-zlib="$SYSROOT" --without-brotli --without-zstd \
    --without-libpsl --without-libidn2 --without-winidn \
    --without-nghttp2 --without-nghttp3 --without-ngtcp2 --without-quiche \
    --without-msh3 --without-hyper --without-libssh2 --without-libssh \
    --without-wolfssh --without-librtmp --without-libgsasl \
    --without-ca-bundle --without-ca-path \
    --disable-ldap --disable-ldaps --disable-pthreads --disable-manual \
    --without-zsh-functions-dir --without-fish-functions-dir) >&2
make -C "$work/b-curl/lib" -j "$jobs" >&2
make -C "$work/b-curl/lib" install DESTDIR="$stage" >&2
make -C "$work/b-curl/include" install DESTDIR="$stage" >&2
make -C "$work/b-curl" install-pkgconfigDATA DESTDIR="$stage" >&2

# ---- libzip ----------------------------------------------------------------
step "libzip ${ver[libzip]}"
src=$(srcdir libzip)
cmake -S "$src" -B "$work/b-libzip" "${cmake_common[@]}" \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF \
    -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DZLIB_INCLUDE_DIR="$SYSROOT/include" -DZLIB_LIBRARY="$SYSROOT/lib/libz.a" >&2
cmake --build "$work/b-libzip" -j "$jobs" >&2
DESTDIR="$stage" cmake --install "$work/b-libzip" >&2

# ---- header-only libraries -------------------------------------------------
for d in "${HDR_DIRS[@]}"; do
    [[ -d $d ]] || die "missing header folder $d"
    log "headers $d"
    cp -RL "$d" "$dest/include/"
done

# ---- check and publish -----------------------------------------------------
step ""
for lib in libpugixml.a libsodium.a libcurl.a libzip.a; do
    [[ -s $dest/lib/$lib ]] || die "missing $lib after build"
done
find "$dest/lib" -name '*.la' -delete
printf '%s\n' "$manifest" >"$dest/vlnt-deps.manifest"
touch "$dest/.complete"
mv -T "$dest" "$prefix"
log "done in $((SECONDS - start)) s: $prefix"
printf '%s\n' "$prefix"

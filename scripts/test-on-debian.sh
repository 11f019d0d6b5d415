#!/usr/bin/env bash
# Runs ./test.sh on another Debian release, inside a root of that release made with mmdebstrap.
#
#   scripts/test-on-debian.sh RELEASE [COMMAND ...]
#
# RELEASE is a suite or codename (trixie, 13, sid, unstable, ...). The root is kept in
# $QUILLON_ROOTS (default /var/cache/quillon/roots) and its packages are brought up to date on
# every run. The tree is copied clean into it: the files git tracks and the untracked ones it
# does not ignore, never build folders. COMMAND (default ./test.sh) runs in that copy.
# With --root-only it only makes or refreshes the root.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

root_only=
if [[ ${1:-} == --root-only ]]; then root_only=1; shift; fi
[[ $# -ge 1 ]] || { echo "usage: $0 [--root-only] RELEASE [COMMAND ...]" >&2; exit 2; }
release=$1
shift
case $release in
13) release=trixie ;;
unstable) release=sid ;;
esac
command=("$@")
[[ ${#command[@]} -gt 0 ]] || command=(./test.sh)

if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=QUILLON_ROOTS,QUILLON_MIRROR "$0" ${root_only:+--root-only} \
        "$release" "${command[@]}"
fi
scripts/ensure-packages.sh mmdebstrap debian-archive-keyring rsync

roots=${QUILLON_ROOTS:-/var/cache/quillon/roots}
# The Debian archive this machine's apt already uses (its security archive aside), unless
# QUILLON_MIRROR names another.
machine_mirror() {
    {
        sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n'
        sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]\+\).*/\2/p' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true
    } | grep -v -e '-security/\?$' -e '^$' | head -1 || true
}
mirror=${QUILLON_MIRROR:-$(machine_mirror)}
[[ -n $mirror ]] || { echo "No Debian archive in this machine's apt sources; set QUILLON_MIRROR" >&2; exit 1; }
root=$roots/$release
mkdir -p "$roots"

# The packages ./test.sh would install anyway, so that a new root needs one apt run for them.
packages=cmake,make,g++,qt6-base-dev,ffmpeg,fonts-wine,fonts-dejavu-core,clang-tidy,dpkg-dev,file,desktop-file-utils,appstream,lintian,dbus-daemon,git,ca-certificates

apt_options=()
# The archive serves unstable with a Release file past its Valid-Until date.
[[ $release == sid ]] && apt_options=(--aptopt='Acquire::Check-Valid-Until "false"')

if [[ ! -e $root/.complete ]]; then
    echo "== making a $release root in $root"
    rm -rf "$root" "$root.new"
    nice mmdebstrap --variant=apt --include="$packages" "${apt_options[@]}" \
        "$release" "$root.new" "$mirror"
    touch "$root.new/.complete"
    mv "$root.new" "$root"
fi

# Mounts that a run cut short left behind.
{ findmnt -rn -o TARGET | grep -F "$root/" || true; } | sort -r | while read -r target; do
    umount -l "$target" 2>/dev/null || true
done

mounts=()
unmount_all() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null || true; done
}
trap unmount_all EXIT
bind() {
    mkdir -p "$root$2"
    mount "${@:3}" "$1" "$root$2"
    mounts+=("$root$2")
}
bind proc /proc -t proc
bind sysfs /sys -t sysfs
bind /dev /dev --rbind
bind tmpfs /dev/shm -t tmpfs
bind tmpfs /tmp -t tmpfs
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

in_root() { chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== refreshing the $release root"
in_root apt-get update -qq
in_root apt-get -y -qq -o Dpkg::Options::=--force-confold dist-upgrade >/dev/null
in_root sh -c '. /etc/os-release; echo "$PRETTY_NAME"; dpkg-query -W -f "\${Package} \${Version}\n" ffmpeg qt6-base-dev clang-tidy'
[[ -n $root_only ]] && exit 0

echo "== copying the tree into the root"
work=/work/quillon
rm -rf "${root:?}$work"
mkdir -p "$root$work"
git ls-files -co --exclude-standard -z | rsync -a --from0 --files-from=- ./ "$root$work/"

echo "== running ${command[*]} on $release"
in_root sh -c 'cd "$1" && shift && exec "$@"' sh "$work" "${command[@]}"
[[ $# -eq 0 ]] || exit 0

# The package made there installs there, with the dependencies it names, and goes again.
echo "== installing the package on $release"
in_root sh -c 'apt-get install -y -qq "$1"/build/quillon_*_amd64.deb >/dev/null' sh "$work"
in_root sh -c 'dpkg-query -W -f "\${Package} \${Version}: \${Depends}\n" quillon &&
    test -x /usr/bin/quillon && readlink -f /usr/lib/quillon/ffmpeg'
in_root apt-get purge -y -qq quillon >/dev/null
echo "$release: package installed and removed"

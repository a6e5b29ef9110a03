#!/usr/bin/env bash
# Proves the suite on a fresh machine, as CI runs it: a Debian 12 (bookworm) chroot made with debootstrap, amd64
# only (no i386 architecture), into which a clean clone of the committed HEAD goes; `.ci/run` then runs there as
# root with a clean environment and no input. Prints the suite's summary line and how long it took, and exits
# with .ci/run's status. Not part of `make test`: the chroot installs every package the suite needs and builds
# everything from nothing.
#
# The debootstrapped base is kept in build/ci-chroot/base and reused; each run starts from a fresh copy of it
# (build/ci-chroot/run, left afterwards to look into; the whole output is build/ci-chroot/run.log). Packages
# once downloaded are kept in build/ci-chroot/apt-archives, so a later run fetches them no more.
# The mounts live in a mount namespace of the script's own, so the host never sees them, and are unmounted
# whatever happens; whatever was left running inside the chroot is ended first.
# Usage: scripts/ci-chroot.sh [--base-only]   (as root; CI_CHROOT_MIRROR=<url> picks another Debian mirror)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
top=$root/build/ci-chroot
base=$top/base run=$top/run log=$top/run.log cache=$top/apt-archives
limit=5400  # CI's own limit for one run of .ci/run, in seconds

say() { echo "ci-chroot: $*"; }
[ "$(id -u)" = 0 ] || { say "run as root (debootstrap, mount and chroot need it)"; exit 2; }

# Everything below runs in a private mount namespace: if this script is killed outright, its mounts go with it
# instead of staying on the host, where removing the chroot's folder would reach into the host's /dev.
if [ -z "${CI_CHROOT_NAMESPACE:-}" ]; then
  CI_CHROOT_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

mounted_under() { awk -v p="$1/" 'index($5 "/", p) == 1 { print $5 }' /proc/self/mountinfo; }
# remove <dir>: only a folder nothing is mounted under; a bound /dev inside would otherwise be emptied.
remove() {
  [ -e "$1" ] || return 0
  if [ -n "$(mounted_under "$1")" ]; then say "not removing $1: still mounted there: $(mounted_under "$1" | tr '\n' ' ')"; return 1; fi
  rm -rf "$1"
}

if [ ! -f "$base/.complete" ]; then
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null ||
    { say "debootstrap is missing and could not be installed"; exit 2; }
  remove "$base" || exit 2
  mkdir -p "$top"
  say "making a Debian 12 base with debootstrap in $base"
  if ! debootstrap --arch=amd64 bookworm "$base" ${CI_CHROOT_MIRROR:-} >"$top/debootstrap.log" 2>&1; then
    say "debootstrap failed; it said:"; tail -n 15 "$top/debootstrap.log" | sed 's/^/  /'
    exit 2
  fi
  touch "$base/.complete"
fi
[ "${1:-}" = --base-only ] && { say "base ready in $base"; exit 0; }

started=$SECONDS
say "copying the base to a fresh chroot in $run"
remove "$run" || exit 2
cp -a "$base" "$run" || exit 2
rm -f "$run/.complete"
# The same archive this machine uses, with its updates; a fresh machine has them too.
if [ -f /etc/apt/sources.list.d/debian.sources ] && [ -z "${CI_CHROOT_MIRROR:-}" ]; then
  cp /etc/apt/sources.list.d/debian.sources "$run/etc/apt/sources.list.d/" && rm -f "$run/etc/apt/sources.list"
fi
cp /etc/resolv.conf "$run/etc/resolv.conf"
cp /etc/hosts "$run/etc/hosts"
# Packages installed inside start no system services: nothing in the suite needs one, and they would outlive it.
printf '#!/bin/sh\nexit 101\n' > "$run/usr/sbin/policy-rc.d"
chmod 755 "$run/usr/sbin/policy-rc.d"

head=$(git -C "$root" rev-parse HEAD) || exit 2
say "cloning the committed HEAD ($(git -C "$root" log -1 --format='%h %s' | cut -c1-70))"
[ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ] && say "(uncommitted changes in $root are not part of the run)"
mkdir -p "$run/ci"
git clone -q --no-hardlinks "$root" "$run/ci/vigilamp" && git -C "$run/ci/vigilamp" checkout -q --detach "$head" || exit 2
# CI has a read-only copy of shared/ beside the clone.
if [ -d "$root/../shared" ]; then cp -r "$root/../shared" "$run/ci/shared" && chmod -R a-w "$run/ci/shared"; fi

mounts=()
inside() {  # the processes whose root is the chroot: all started by this run
  local p
  for p in /proc/[0-9]*; do [ "$(readlink "$p/root" 2>/dev/null)" = "$run" ] && echo "${p#/proc/}"; done
}
cleanup() {
  local pids i
  pids=$(inside)
  if [ -n "$pids" ]; then
    local what=() p
    for p in $pids; do what+=("$p $(tr '\0' ' ' < "/proc/$p/cmdline" 2>/dev/null | cut -c1-60)"); done
    say "ending what was left running inside:"; printf '  %s\n' "${what[@]}"
    kill -TERM $pids 2>/dev/null
    for _ in $(seq 50); do [ -z "$(inside)" ] && break; sleep 0.1; done
    pids=$(inside); [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
    for _ in $(seq 50); do [ -z "$(inside)" ] && break; sleep 0.1; done
  fi
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || say "could not unmount ${mounts[i]}"
  done
  mounts=()
  [ -n "$(mounted_under "$run")" ] && { say "still mounted: $(mounted_under "$run" | tr '\n' ' ')"; return 1; }
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
mount_at() {  # <path in the chroot> <mount arguments...>
  local at=$run$1
  shift
  mkdir -p "$at" && mount "$@" "$at" || { say "could not mount $at ($*)"; exit 2; }
  mounts+=("$at")
}
mkdir -p "$cache/partial"
mount_at /proc -t proc proc
mount_at /sys --bind /sys
mount_at /dev --bind /dev
mount_at /dev/pts --bind /dev/pts
mount_at /dev/shm -t tmpfs -o mode=1777,nosuid,nodev shm
mount_at /tmp -t tmpfs -o mode=1777,nosuid,nodev tmp
mount_at /var/cache/apt/archives --bind "$cache"

say "running .ci/run inside as root (the whole output: $log)"
ci_start=$SECONDS
timeout --kill-after=30 "$limit" chroot "$run" /usr/bin/env -i HOME=/root CI=true \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /ci/vigilamp && exec bash .ci/run' </dev/null 2>&1 |
  tee "$log" | grep --line-buffered -E '^(== |deps: |failed: |LEFTOVER)'
status=${PIPESTATUS[0]}
took=$((SECONDS - ci_start))
((status == 124)) && say "stopped at CI's limit of $limit s"
cleanup || status=1

summary=$(grep -E '^([A-Za-z-]+: )?[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1)
say "last lines:"; tail -n 4 "$log" | sed 's/^/  /'
say "summary: ${summary:-none (the run printed no summary line)}"
say ".ci/run exited $status after $((took / 60)) min $((took % 60)) s ($((SECONDS - started)) s with the chroot's copy)"
exit "$status"

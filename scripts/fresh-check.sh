#!/usr/bin/env bash
# Proves the README's set-up on a bare Debian 12 machine: builds a minimal
# root with debootstrap (--variant=minbase), copies the committed tree into
# it (git archive HEAD: uncommitted changes are not part of the check) and
# runs the set-up commands at the top of README.md there, as root, in a
# chroot. Exits non-zero if a command fails.
#
# The mirror is the one this machine's own apt sources use for the suite.
# The bare root is cached as a tarball under /var/cache/mclp-fresh-check/,
# keyed by suite, architecture and mirror, and rebuilt after 30 days; the
# packages the project installs are never cached: every check starts from a
# fresh copy of the bare root. Every exit path (signals included) unmounts
# what was mounted and removes the work root; the output log is kept only
# when a command failed.
#
# Needs root (re-runs itself with sudo otherwise). Environment:
#   MCLP_FRESH_SUITE   suite to bootstrap (default bookworm)
#   MCLP_FRESH_MIRROR  mirror to use instead of the one in the apt sources
#   MCLP_FRESH_CACHE   cache folder (default /var/cache/mclp-fresh-check)
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -E bash "$0" "$@"
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
suite=${MCLP_FRESH_SUITE:-bookworm}
cache=${MCLP_FRESH_CACHE:-/var/cache/mclp-fresh-check}
arch=$(dpkg --print-architecture)
started=$SECONDS
phase_started=$SECONDS

say() { echo "fresh-check: $*"; }
fail() { echo "fresh-check: $*" >&2; exit 1; }
# Prints the seconds spent since the last phase ended, and starts the next.
phase_done() {
  say "$1 ($((SECONDS - phase_started)) s)"
  phase_started=$SECONDS
}

# --- The commands to check: the first indented block of README.md --------
commands=()
in_block=0
while IFS= read -r line; do
  if [[ $line == "    "* ]]; then
    in_block=1
    command=${line#"    "}
    command=$(sed -E 's/[[:space:]]+#.*$//; s/[[:space:]]+$//' <<<"$command")
    [ -n "$command" ] && commands+=("$command")
  elif [ $in_block -eq 1 ]; then
    break
  fi
done <"$repo/README.md"
[ ${#commands[@]} -gt 0 ] || fail "no set-up commands found at the top of README.md"

# --- The mirror: this machine's apt sources for the suite ----------------
# Prints "URI SUITE" for every enabled deb entry, one-line and deb822 alike.
apt_entries() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -E 's/#.*$//; s/\[[^]]*\]//' "$file" |
      awk '$1 == "deb" && NF >= 3 { print $2, $3 }'
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && enabled != "no")
          for (u = 1; u <= nuris; u++)
            for (s = 1; s <= nsuites; s++) print uris[u], suites[s]
        types = ""; enabled = ""; nuris = 0; nsuites = 0
      }
      /^[[:space:]]*#/ { next }
      /^[[:space:]]*$/ { flush(); next }
      {
        key = tolower($1); sub(/:$/, "", key)
        if (key == "types") { $1 = ""; types = $0 }
        else if (key == "enabled") enabled = tolower($2)
        else if (key == "uris") for (i = 2; i <= NF; i++) uris[++nuris] = $i
        else if (key == "suites") for (i = 2; i <= NF; i++) suites[++nsuites] = $i
      }
      END { flush() }' "$file"
  done
}
mirror=${MCLP_FRESH_MIRROR:-}
if [ -z "$mirror" ]; then
  # The entry for the suite itself, else any entry for a main suite (not
  # -updates or -security), whose mirror then serves the suite too.
  mirror=$(apt_entries | awk -v s="$suite" '$2 == s { print $1; exit }')
  [ -n "$mirror" ] ||
    mirror=$(apt_entries | awk '$2 !~ /[-\/]/ { print $1; exit }')
fi
case $mirror in
  http://* | https://* | file:/*) ;;
  *) fail "no Debian mirror in this machine's apt sources (set MCLP_FRESH_MIRROR)" ;;
esac
mirror=${mirror%/}
say "suite $suite ($arch), mirror from the apt sources: $mirror"
say "commands from README.md: $(printf '[%s] ' "${commands[@]}")"

# Proxy settings of this machine's apt, if any, for debootstrap and the root.
apt_proxy=$(apt-config shell value Acquire::http::Proxy 2>/dev/null |
  sed -nE "s/^value='(.*)'$/\1/p")
if [ -n "$apt_proxy" ] && [ -z "${http_proxy:-}" ]; then
  export http_proxy=$apt_proxy
fi

if ! command -v debootstrap >/dev/null; then
  say "installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 update >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 \
    install -y --no-install-recommends debootstrap >/dev/null
fi

# --- Clean-up, on every exit path ----------------------------------------
root=""
log=""
keep_log=0
# Mount points at or below the work root, deepest first.
mounts_below() {
  awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' \
    /proc/self/mountinfo | sort -r
}
cleanup() {
  local status=$? pid mount tries
  trap - EXIT INT TERM HUP
  set +e
  if [ -n "$root" ] && [ -d "$root" ]; then
    # Processes left inside the root (started by this check) are ended.
    for tries in 1 2 3; do
      local left=()
      for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && left+=("${pid#/proc/}")
      done
      [ ${#left[@]} -eq 0 ] && break
      if [ "$tries" -lt 3 ]; then kill -TERM "${left[@]}" 2>/dev/null; sleep 1
      else kill -KILL "${left[@]}" 2>/dev/null; sleep 1; fi
    done
    for mount in $(mounts_below); do
      umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null ||
        echo "fresh-check: cannot unmount $mount" >&2
    done
    if [ -n "$(mounts_below)" ]; then
      echo "fresh-check: mounts left below $root; not removing it" >&2
      [ $status -eq 0 ] && status=1
    else
      local removing=$SECONDS
      rm -rf --one-file-system "$root"
      echo "fresh-check: work root removed ($((SECONDS - removing)) s)"
    fi
  fi
  [ -n "$log" ] && [ $keep_log -eq 0 ] && rm -f "$log"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# --- The bare root: from the cache, or bootstrapped and cached ----------
mkdir -p "$cache"
key=$(printf '%s %s minbase %s' "$suite" "$arch" "$mirror" | sha256sum | cut -c1-16)
tarball=$cache/$suite-$arch-minbase-$key.tar.gz
work=${TMPDIR:-/var/tmp}
root=$(mktemp -d "$work/mclp-fresh-check.XXXXXX")
log=$root.log
: >"$log"
chmod 755 "$root"

exec 9>"$cache/lock"
flock 9
if [ -f "$tarball" ] && [ -z "$(find "$tarball" -mtime +30)" ]; then
  flock -u 9
  tar --numeric-owner -xzf "$tarball" -C "$root"
  phase_done "bare root extracted from the cache $tarball"
else
  say "bootstrapping a bare $suite root (no cached one)"
  if ! debootstrap --variant=minbase --arch="$arch" "$suite" "$root" "$mirror" \
       >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    keep_log=1
    say "full output kept in $log"
    fail "debootstrap failed"
  fi
  # Only the bare system is kept: no package lists, no downloaded packages.
  rm -rf "$root"/var/lib/apt/lists/* "$root"/var/cache/apt/archives/*.deb \
    "$root"/debootstrap
  tar --numeric-owner -czf "$tarball.tmp" -C "$root" .
  mv "$tarball.tmp" "$tarball"
  flock -u 9
  phase_done "bare root bootstrapped and cached as $tarball"
fi
exec 9>&-

# --- What apt needs inside, and the tree ---------------------------------
echo "deb $mirror $suite main" >"$root/etc/apt/sources.list"
[ -e /etc/resolv.conf ] && cp -L /etc/resolv.conf "$root/etc/resolv.conf"
[ -n "$apt_proxy" ] &&
  echo "Acquire::http::Proxy \"$apt_proxy\";" >"$root/etc/apt/apt.conf.d/01proxy"
# No service is started by a package installed in the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mkdir -p "$root/root/mclp"
git -C "$repo" archive --format=tar HEAD | tar -x -C "$root/root/mclp"
[ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] ||
  say "note: uncommitted changes are not part of this check"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mkdir -p "$root/dev/pts" "$root/dev/shm"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
phase_done "tree $(git -C "$repo" rev-parse --short HEAD) copied, mounts ready"

# --- The README's commands, in order ---------------------------------------
environment=(HOME=/root LANG=C.UTF-8 TERM=dumb
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
for name in http_proxy https_proxy no_proxy CI; do
  [ -n "${!name:-}" ] && environment+=("$name=${!name}")
done
for command in "${commands[@]}"; do
  say "running [$command]"
  from=$(($(wc -l <"$log") + 1))
  # In the background, so that a signal to this script is handled at once.
  # shellcheck disable=SC2016
  chroot "$root" /usr/bin/env -i "${environment[@]}" \
    bash -c 'cd /root/mclp && eval "$1"' bash "$command" \
    </dev/null >>"$log" 2>&1 &
  status=0
  wait $! || status=$?
  if [ $status -ne 0 ]; then
    tail -n 80 "$log"
    keep_log=1
    say "full output kept in $log"
    fail "[$command] failed with status $status on a bare $suite root"
  fi
  tail -n "+$from" "$log" | grep -E '^[0-9]+% tests passed' | sed 's/^/fresh-check:   /' || true
  phase_done "[$command] passed"
done
say "all README set-up commands pass on a bare $suite root ($((SECONDS - started)) s in all)"

#!/bin/sh
# Runs a command in a network namespace of its own in which only loopback is up, so that whatever
# it sends cannot leave the machine (or even reach its other programs).
# Usage: in-netns.sh COMMAND [ARGUMENTS...]
# Exits 77 (ctest: skipped) when no namespace can be made, e.g. when not run as root.
if ! why=$(unshare --net true 2>&1); then
    echo "in-netns: cannot make a network namespace (unshare --net: ${why:-refused}); skipped" >&2
    exit 77
fi
exec unshare --net sh -c 'ip link set lo up && exec "$@"' in-netns "$@"

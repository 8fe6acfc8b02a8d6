#!/usr/bin/env bash
# Runs a command in a private D-Bus session with an unlocked Secret Service (gnome-keyring), in a
# new home and runtime folder that are removed afterwards, so that no keyring of the user's is
# read or written. The session, and the keyring daemon with it, end with the command.
#
#   keyring_session.sh COMMAND [ARGS...]
# Without the programs for it (packages dbus, gnome-keyring) the exit status is 77, a skipped
# test to CTest; a Secret Service that does not come up is a failure.
set -uo pipefail
for tool in dbus-run-session dbus-send gnome-keyring-daemon; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh)"; exit 77; }
done
if [ -z "${ORVENNA_KEYRING_SESSION:-}" ]; then
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-keyring.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/home" "$scratch/run"
  chmod 700 "$scratch/run"
  HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" ORVENNA_KEYRING_SESSION=1 \
    dbus-run-session -- bash "$0" "$@"
  exit $?
fi
# The login keyring needs a password that is not empty, or no item can be stored.
echo -n test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 100); do owned && break; sleep 0.1; done
owned || { echo "FAIL: no Secret Service came up on the session bus"; exit 1; }
"$@"

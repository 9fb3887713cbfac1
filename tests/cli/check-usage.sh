#!/usr/bin/env bash
# Checks that --version and --help behave as on any Linux command: exit 0,
# text on stdout, nothing on stderr, and no display needed.
# Usage: check-usage.sh LARKSPUR LARKSPUR_CLI LARKSPUR_MICSETUP
set -u
larkspur=$1 cli=$2 micsetup=$3
failed=0
expect() {
    local pattern=$1; shift
    local out err rc
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$@" 2>/tmp/usage-err.$$); rc=$?
    err=$(cat /tmp/usage-err.$$); rm -f /tmp/usage-err.$$
    if [ $rc -ne 0 ] || [ -n "$err" ] || ! grep -Eq -- "$pattern" <<<"$out"; then
        echo "FAIL: $* -> exit $rc, stdout: ${out:0:200} stderr: ${err:0:200}"
        failed=1
    fi
}
expect '^larkspur [0-9]+\.[0-9]+\.[0-9]+$' "$larkspur" --version
expect '^usage: larkspur ' "$larkspur" --help
expect '^larkspur-cli [0-9]+\.[0-9]+\.[0-9]+$' "$cli" --version
expect '^usage: larkspur-cli COMMAND' "$cli" --help
expect '^usage: larkspur-micsetup' "$micsetup" --help
expect '^larkspur-micsetup [0-9]+\.[0-9]+\.[0-9]+$' "$micsetup" --version
for command in train recognize run dump devices send-keys desktop; do
    expect "^usage: larkspur-cli $command" "$cli" "$command" --help
    expect "^usage: larkspur-cli $command" "$cli" help "$command"
done
# --help after other options still means help.
expect '^usage: larkspur-cli train' "$cli" train --table x.EAR --help
# A mistake is not help: usage goes to stderr with a failing exit code.
if "$cli" train --bogus >/dev/null 2>&1; then echo "FAIL: a wrong option exited 0"; failed=1; fi
if [ -n "$("$cli" 2>/dev/null)" ]; then echo "FAIL: usage for a bare call went to stdout"; failed=1; fi
exit $failed

#!/usr/bin/env bash
# Runs a test of the win64 lane with one server of its prefix kept up from its start to its end,
# then ends that server, and exits with the test's exit code.
#   server.sh COMMAND...
# A server that Wine starts for a program ends soon after it, and Wine's services with it:
# starting them again took a second on most of a test's Wine runs here, against 0.07 s for the
# run itself. The server is ended with the test: the services it started hold the test's
# standard error.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
(($#)) || usage "server.sh COMMAND..."
wine_prefix
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w 2>/dev/null
"$WINESERVER" -p || fail "no server of $WINEPREFIX kept up"
rc=0
QUELLIN_WINESERVER_KEPT=1 "$@" || rc=$?
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w 2>/dev/null
exit "$rc"

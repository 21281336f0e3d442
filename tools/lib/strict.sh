# shellcheck shell=bash
# Strict mode for the project's scripts. Source it first thing:
#
#   source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"
#
# Any command that fails ends the script, also inside functions, subshells
# and command substitutions (bash turns errexit off in "$(...)" unless
# inherit_errexit is set), and inside pipelines (pipefail). The failing
# command is named, with its file and line, before the script ends, so a
# CI log says which step broke. Commands tested by if, while, && or || are
# conditions, as always, and end nothing.
set -Eeuo pipefail
shopt -s inherit_errexit
# shellcheck disable=SC2154  # status is assigned inside the trap
trap 'status=$?; echo "error: ${BASH_SOURCE[0]##*/}:$LINENO: \"$BASH_COMMAND\" failed with status $status" >&2' ERR

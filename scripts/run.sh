#!/usr/bin/env bash
# Starts Tolvane from a build folder.
set -euo pipefail
build=${1:-build}
cli="$build/cli/tolvane-cli"
"$cli" --help

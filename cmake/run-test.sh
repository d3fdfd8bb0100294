#!/usr/bin/env bash
# Runs one test executable with a fresh HOME and XDG_RUNTIME_DIR (mode 700), removed afterwards.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zettora-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/home" "$scratch/runtime"
export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime"
"$@"

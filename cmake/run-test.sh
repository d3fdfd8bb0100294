#!/usr/bin/env bash
# Runs one test executable with a fresh HOME, XDG_RUNTIME_DIR (mode 700) and TMPDIR, removed afterwards.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zettora-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/home" "$scratch/runtime" "$scratch/tmp"
export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/tmp"
"$@"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install-tree.sh BUILD PREFIX: a fresh `cmake --install` of BUILD into PREFIX.
set -euo pipefail
build=$1 prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

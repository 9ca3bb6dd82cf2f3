#!/usr/bin/env bash
# Installs the release build into a staging prefix and builds and runs the
# consumer project (packaging/consumer) against it, once through
# find_package(Gleamkit) and once through pkg-config. Usage: scripts/consumer.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
stage="$build/stage"
rm -rf "$stage" "$build/consumer"
cmake --install "$build" --prefix "$stage" >/dev/null

cmake -S packaging/consumer -B "$build/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$(pwd)/$stage" >/dev/null
cmake --build "$build/consumer"
"$build/consumer/gleamkit_consumer"

pcdir=$(dirname "$(find "$stage" -name gleamkit.pc | head -n 1)")
# shellcheck disable=SC2046
g++ packaging/consumer/main.cpp -o "$build/consumer/pkgconfig_consumer" \
    $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs gleamkit)
"$build/consumer/pkgconfig_consumer"
"$stage/bin/gleamfx" list >/dev/null
echo "consumer: installed tree at $stage builds and runs"

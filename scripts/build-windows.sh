#!/usr/bin/env bash
# Builds dorvik-cli.exe for 64-bit Windows with mingw-w64, statically linked
# (no DLL to ship), into build-windows/ (or $DORVIK_WINDOWS_BUILD), with the
# engine's, the platform layer's and the command line's tests.
#   --test  also runs those tests under Wine (ctest; the Wine prefix lives in
#           the build directory and is made on the first run)
# Installs the Debian packages it needs when they are missing (root or sudo).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${DORVIK_WINDOWS_BUILD:-$root/build-windows}"
run_tests=0
for arg in "$@"; do
  case "$arg" in
    --test) run_tests=1 ;;
    *) echo "usage: $0 [--test]" >&2; exit 2 ;;
  esac
done

packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build googletest)
if ((run_tests)); then packages+=(wine wine64); fi
bash "$root/scripts/deps.sh" "${packages[@]}"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}"
cmake --build "$build" --parallel "$(nproc)"

# Only the system's own DLLs may be named: nothing to ship beside the .exe.
exe="$build/cli/dorvik-cli.exe"
dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')"
foreign="$(grep -viE '^(kernel32|msvcrt|ucrtbase|shell32|user32|advapi32|api-ms-win-.*)\.dll$' \
  <<<"$dlls" || true)"
if [ -n "$foreign" ]; then
  echo "$exe needs DLLs that Windows does not have:" $foreign >&2
  exit 1
fi
echo "Built $exe (needs only:" $dlls")"

if ((run_tests)); then
  # shellcheck source=wine-env.sh source-path=SCRIPTDIR
  source "$root/scripts/wine-env.sh"
  start_wine "$build"
  cd "$build"
  ctest --output-on-failure --timeout 900 -j "$(nproc)"
fi

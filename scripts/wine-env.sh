# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under Wine:
#   source "$root/scripts/wine-env.sh"; start_wine BUILD_DIR

# Sets up Wine for the rest of the sourcing script: the prefix BUILD_DIR/wine
# (made on the first run: no Mono or Gecko installer is asked for), quiet
# Wine, and one Wine server for the whole run, ended with the script (an EXIT
# trap), so that no Wine process outlives it. Wine's own services start with
# the first program: started here, away from ctest, they hold none of its
# pipes open.
start_wine() {
  export WINEPREFIX="$1/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (once per build directory)"
    wine wineboot --init >/dev/null 2>&1 </dev/null || true
  fi
  wineserver -p >/dev/null 2>&1 </dev/null || true # may be running already
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

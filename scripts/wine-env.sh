# Sourced by the scripts: a Wine prefix of the Windows builds' own, started before the
# Windows programs run and stopped after (Wine's helper processes would
# otherwise hold the test runner's pipes open).
export VELLOQUIN_WINEPREFIX="${VELLOQUIN_WINEPREFIX:-$(pwd)/build/wineprefix}"
export WINEPREFIX="$VELLOQUIN_WINEPREFIX"
export WINEDEBUG=-all
wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine wineboot </dev/null >/dev/null 2>&1 || true
}
wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

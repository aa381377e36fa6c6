#!/usr/bin/env bash
# Measures the product's libraries and prints one table: each figure's median,
# minimum and maximum over its runs, and its ratio to a reference measured in
# the same run on the same machine (an empty DLL, an empty dialog of the same
# size and font, Wine's own "reg export").
#
# Builds both release presets (x86_64 runs here; i686, the shipping target, is
# only sized), then runs everything under 64-bit Wine in a prefix of its own
# (build/x86_64/bench-prefix) on a private Xvfb display, with a stand-in Palm
# Desktop of 20 Palm users and both conduits registered.
#
#   ./scripts/bench.sh            the full set (about a minute, after the build)
#   ./scripts/bench.sh --quick    fewer runs, for a quick look
#
# Exits non-zero only when something failed to run; no figure is judged here
# beyond the goal lines printed under the table.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 1
source scripts/lib/wine.sh
source scripts/lib/packages.sh
source scripts/lib/demo_setup.sh

quick=0
[ "${1:-}" = "--quick" ] && quick=1
# runs NAME FULL QUICK
runs() { if [ "$quick" = 1 ]; then echo "$3"; else echo "$2"; fi; }

ensure_packages
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset x86_64 >/dev/null || exit 1
cmake --build build/x86_64 -j "$jobs" --target twpalm twpalmui twpalm_help twctl standins twbench bench_empty bench_userdata tw_installer >/dev/null || exit 1
cmake --preset i686 >/dev/null || exit 1
cmake --build build/i686 -j "$jobs" --target twpalm twpalmui tw_installer >/dev/null || exit 1

build="$root/build/x86_64"
bin="$build/bin"
prefix="$root/build/x86_64/bench-prefix"
work=$(mktemp -d)
samples="$work/samples"
log="$work/log"
: >"$samples"
: >"$log"
failed=0

cleanup() {
    wine_stop_server
    xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT

echo "Preparing the bench prefix and a stand-in Palm Desktop (20 Palm users)..." >&2
xvfb_start
wine_prepare_prefix "$prefix"
wine_start_server
wine="$(wine_cmd)"
# Each step must work: the figures mean nothing in a half-prepared prefix.
install_standin_palm_desktop "$bin" || tw_die "cannot install the stand-in Palm Desktop"
install_product "$bin" || tw_die "cannot install the product"
cp "$bin/twbench.exe" "$bin/bench_empty.dll" "$WINEPREFIX/drive_c/Tidewell/" || exit 1
mkdir -p "$WINEPREFIX/drive_c/Tidewell/bench-userdata" || exit 1
cp "$bin/bench-userdata/UserData.dll" "$WINEPREFIX/drive_c/Tidewell/bench-userdata/" || exit 1
"$wine" 'C:\Tidewell\twctl.exe' install --quiet </dev/null >/dev/null 2>&1 || tw_die "twctl install failed"

# bench ARGS...: one twbench process; samples to $samples, notes and failures to $log.
bench() {
    local output rc
    # pipefail: the status is twbench's own whenever it is not 0.
    output=$("$wine" 'C:\Tidewell\twbench.exe' "$@" </dev/null 2>/dev/null | tr -d '\r')
    rc=$?
    printf '%s\n' "$output" | sed -n 's/^S //p' >>"$samples"
    printf '%s\n' "$output" | grep -E '^[EN] ' | sed "s/^/[$*] /" >>"$log"
    if [ "$rc" -ne 0 ]; then
        failed=$((failed + 1))
        grep -q "^\[$*\] E " "$log" || echo "[$*] E exit code $rc" >>"$log"
    fi
}

bench setup

echo "Measuring..." >&2
# References run in the same processes as their figures, taking turns with
# them; processes of different kinds take turns too.
for _ in $(seq 1 "$(runs procs 3 1)"); do
    bench load "$(runs load 200 30)"
    bench load "$(runs load 200 30)" host
    bench first ui
    bench first empty
    bench userlist "$(runs list 8 3)"
    bench peak userlist
    bench peak controls
    bench peak empty
    bench usersettings "$(runs settings 6 2)"
done
for _ in $(seq 1 "$(runs peaks 2 0)"); do
    bench first ui
    bench first empty
    bench peak userlist
    bench peak controls
    bench peak empty
done
bench peak ui-loaded
bench peak host-dlls
for _ in $(seq 1 "$(runs procs 3 1)"); do
    bench summary demo "$(runs summary 5 2)"
done
bench summary demo "$(runs summary 5 2)" profile
bench bulk add
for _ in $(seq 1 "$(runs procs 3 1)"); do
    bench summary bulk "$(runs bulk 2 1)"
done
bench summary bulk "$(runs bulk 2 1)" profile
bench bulk remove
for _ in $(seq 1 "$(runs procs 3 1)"); do
    bench conduits stopped "$(runs cycles 3 1)"
    bench conduits at-once "$(runs cycles 3 1)"
done
bench conduits after-one "$(runs slow 2 1)"

# timed KEY COMMAND...: the command's wall-clock time in ms as a sample.
timed() {
    local key="$1" start end
    shift
    start=$(date +%s%N)
    local status=0
    "$@" || status=$?
    end=$(date +%s%N)
    if [ "$status" -eq 0 ]; then
        awk -v key="$key" -v ns=$((end - start)) 'BEGIN { printf "%s %.2f\n", key, ns / 1e6 }' >>"$samples"
    else
        failed=$((failed + 1))
        echo "[$key] E exit code $status" >>"$log"
    fi
}
# Last: the installers change Path and the registrations. Timed from outside,
# as a script runs them, each through a batch file (its start is the reference).
setup=$(built_installer) || exit 1
for _ in $(seq 1 "$(runs setup 5 2)"); do
    timed setup.silent.ms run_windows_line "\"$setup\" /S /D=C:\\TidewellSetup"
    timed uninstall.silent.ms run_uninstaller 'C:\TidewellSetup' /S
    timed setup.batch.ms run_windows_line "cmd /c exit"
done

# Sizes of the shipped libraries and the installers, both targets.
for preset in i686 x86_64; do
    for dll in twpalm twpalmui; do
        file="build/$preset/bin/$dll.dll"
        [ -f "$file" ] && echo "size.$dll.$preset $(( $(stat -c %s "$file") ))" >>"$samples"
    done
    for file in build/$preset/package/tidewell-for-palm-*-setup*.exe; do
        [ -f "$file" ] && echo "size.setup.$preset $(( $(stat -c %s "$file") ))" >>"$samples"
    done
done

# key label unit reference-key reference-label
figures=$(cat <<'EOF'
load.ui|twpalmui.dll LoadLibrary+FreeLibrary|us|load.empty|empty DLL
load.ui.host|  host holding comdlg32/shell32/...|us|load.empty.host|empty DLL, same host
load.first.ui|  first load of a process|us|load.first.empty|empty DLL, first load
load.empty|Empty DLL LoadLibrary+FreeLibrary|us||
dlg.userlist|DisplaySettings: 20 users up, closed|ms|dlg.empty|empty dialog 217x97
up.userlist|  call until activated|ms|up.empty|empty dialog
standin.users|  stand-in User Manager listing 20 users|ms|dlg.userlist|share of the list
dlg.userlist.memum|  over an in-memory User Manager|ms|dlg.controls|its controls without code
dlg.controls|  its controls without code|ms|dlg.empty|empty dialog 217x97
dlg.first.userlist|  first dialog of a process|ms|dlg.first.empty|empty dialog, first
dlg.first.controls|  its controls without code, first|ms|dlg.first.empty|empty dialog, first
dlg.empty|Empty dialog 217x97 DLU, up, closed|ms||
dlg.usersettings|DisplayUserSettings: up, OK, saved|ms|dlg.controls_settings|its controls without code
up.usersettings|  call until activated|ms|up.empty_settings|empty dialog
verify.date|  component check (twpalm Verify)|ms|dlg.usersettings|share of the call
dlg.controls_settings|  its controls without code|ms|dlg.empty_settings|empty dialog 290x207
dlg.empty_settings|Empty dialog 290x207 DLU, up, closed|ms||
summary.demo.ms|Settings Summary, demo registry|ms|regexport.demo.ms|reg export, same key
summary.demo.bytes|  summary file size|bytes|regexport.demo.bytes|reg export file (UTF-16)
summary.demo.prof.build_ms|  profile: building the file|ms|summary.demo.prof.ms|share (profiled run)
summary.demo.prof.version_ms|  profile: version resources|ms|summary.demo.prof.ms|share (profiled run)
summary.demo.prof.dialog_ms|  profile: summary dialog|ms|summary.demo.prof.ms|share (profiled run)
summary.bulk.ms|Settings Summary, 10,000 values/100 keys|ms|regexport.bulk.ms|reg export, same key
summary.bulk.bytes|  summary file size|bytes|regexport.bulk.bytes|reg export file (UTF-16)
summary.bulk.prof.build_ms|  profile: building the file|ms|summary.bulk.prof.ms|share (profiled run)
summary.bulk.prof.writes|  profile: WriteFile calls|count||
summary.bulk.prof.write_ms|  profile: in WriteFile|ms|summary.bulk.prof.ms|share (profiled run)
summary.bulk.prof.registry_calls|  profile: registry calls|count||
summary.bulk.prof.registry_ms|  profile: in registry calls|ms|summary.bulk.prof.ms|share (profiled run)
summary.bulk.prof.dialog_ms|  profile: summary dialog|ms|summary.bulk.prof.ms|share (profiled run)
summary.bulk.prof.text_ms|  profile: text into the text box|ms|summary.bulk.prof.ms|share (profiled run)
regexport.demo.ms|reg.exe export, demo registry|ms|regstart.ms|reg.exe start alone
regexport.bulk.ms|reg.exe export, 10,000 values|ms|regstart.ms|reg.exe start alone
regstart.ms|reg.exe start alone (query of no key)|ms||
conduits.stopped.ms|Install+Uninstall, HotSync not running|ms||
conduits.stopped.waits|  500 ms waits|count||
conduits.stopped.hs|  HsSetAppStatus calls|count||
conduits.at-once.ms|Install+Uninstall, HotSync closes at once|ms|conduits.stopped.ms|HotSync not running
conduits.at-once.waits|  500 ms waits|count||
conduits.at-once.hs|  HsSetAppStatus calls|count||
conduits.after-one.ms|Install+Uninstall, HotSync 1 check late|ms|conduits.stopped.ms|HotSync not running
conduits.after-one.waits|  500 ms waits|count||
conduits.after-one.hs|  HsSetAppStatus calls|count||
ws.userlist|Peak working set, user list open|KB|ws.empty|empty dialog open
ws.controls|  its controls without code|KB|ws.empty|empty dialog open
ws.ui-loaded|  empty dialog, twpalmui.dll loaded|KB|ws.empty|empty dialog open
ws.host-dlls|  empty dialog, its system DLLs loaded|KB|ws.empty|empty dialog open
ws.empty|Peak working set, empty dialog open|KB||
size.twpalm.i686|twpalm.dll i686 (shipped)|bytes||
size.twpalmui.i686|twpalmui.dll i686 (shipped)|bytes||
size.twpalm.x86_64|twpalm.dll x86_64|bytes||
size.twpalmui.x86_64|twpalmui.dll x86_64|bytes||
setup.silent.ms|Setup /S: files, Path, conduits registered|ms|setup.batch.ms|batch file start alone
uninstall.silent.ms|Uninstaller /S: conduits, files, keys|ms|setup.batch.ms|batch file start alone
setup.batch.ms|Batch file start alone (cmd /c exit)|ms||
size.setup.i686|setup.exe i686 (shipped)|bytes||
size.setup.x86_64|setup-win64.exe x86_64|bytes||
EOF
)

# key n median min max, one line per figure.
stats="$work/stats"
sort -k1,1 -k2,2g "$samples" | awk '
    function flush() {
        if (key == "") return
        median = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        print key, n, median, v[1], v[n]
    }
    $1 != key { flush(); key = $1; n = 0 }
    { v[++n] = $2 }
    END { flush() }' >"$stats"

echo
echo "Tidewell for Palm benchmarks: $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null)"
printf '%s\n' "$figures" | awk -F'|' -v stats="$stats" '
    BEGIN {
        while ((getline line < stats) > 0) {
            split(line, f, " ")
            n[f[1]] = f[2]; med[f[1]] = f[3]; lo[f[1]] = f[4]; hi[f[1]] = f[5]
        }
        fmt = "%-46s %-5s %5s %10s %10s %10s  %-26s %7s\n"
        printf fmt, "Figure", "Unit", "Runs", "Median", "Min", "Max", "Reference (same run)", "Ratio"
        printf fmt, "------", "----", "----", "------", "---", "---", "--------------------", "-----"
    }
    function num(x, unit) {
        if (unit == "count" || unit == "bytes") return sprintf("%d", x + 0.5)
        return sprintf(x < 100 ? "%.2f" : "%.1f", x)
    }
    {
        key = $1; label = $2; unit = $3; ref = $4; reflabel = $5
        if (key in n) {
            runs = n[key]; m = num(med[key], unit); a = num(lo[key], unit); b = num(hi[key], unit)
        } else {
            runs = 0; m = "n/a"; a = "n/a"; b = "n/a"
        }
        ratio = ""
        if (ref != "") ratio = (key in n) && (ref in n) && med[ref] > 0 ? sprintf("%.2f", med[key] / med[ref]) : "n/a"
        printf fmt, label, unit, runs, m, a, b, reflabel, ratio
    }'

# Goals (the README's "Performance" says what each means and why one can be
# NOT met here): the user list within 1.5x the empty dialog, the library load
# within 2x the empty DLL, the demo summary within 100 ms; and each shipped
# DLL at most its size budget, from the list the binaries test enforces.
echo
awk -v stats="$stats" -v budgets="tests/size_budgets.txt" '
    BEGIN {
        while ((getline line < stats) > 0) { split(line, f, " "); med[f[1]] = f[3]; have[f[1]] = 1 }
        ratio("User list within 1.5x the empty dialog", "dlg.userlist", "dlg.empty", 1.5)
        ratio("twpalmui.dll load within 2x the empty DLL", "load.ui", "load.empty", 2)
        limit("Summary of the demo registry within 100 ms", "summary.demo.ms", 100, "ms", 1)
        while ((getline line < budgets) > 0) {
            if (line ~ /^#/ || split(line, b, " ") != 3) continue
            dll = b[2]; sub(/\.dll$/, "", dll)
            limit(b[2] " " b[1] " at most " b[3] " KiB", "size." dll "." b[1], b[3], "KiB", 1024)
        }
    }
    function verdict(ok) { return ok ? "met" : "NOT met" }
    function ratio(text, a, b, most) {
        if (!(a in have) || !(b in have) || med[b] <= 0) { printf "Goal: %-44s n/a\n", text; return }
        printf "Goal: %-44s %s (%.2fx)\n", text, verdict(med[a] / med[b] <= most), med[a] / med[b]
    }
    function limit(text, a, most, unit, scale) {
        if (!(a in have)) { printf "Goal: %-44s n/a\n", text; return }
        printf "Goal: %-44s %s (%.1f %s)\n", text, verdict(med[a] / scale <= most), med[a] / scale, unit
    }'

echo
for preset in i686 x86_64; do
    for dll in twpalm twpalmui; do
        file="build/$preset/bin/$dll.dll"
        [ -f "$file" ] || continue
        echo "Imports of $dll.dll ($preset): $(x86_64-w64-mingw32-objdump -p "$file" 2>/dev/null | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
    done
done

if [ -s "$log" ]; then
    echo
    echo "Notes and failures:"
    sed 's/^/  /' "$log"
fi
if [ "$failed" -ne 0 ]; then
    echo
    echo "$failed benchmark process(es) failed."
    exit 1
fi
exit 0

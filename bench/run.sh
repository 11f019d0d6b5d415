#!/usr/bin/env bash
# Measures the program against plain ffmpeg and plain Qt, prints a table and writes it, with the
# machine it ran on, to docs/BENCHMARKS.md. Not part of ./test.sh; takes a few minutes.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[[ -x build/bench/bench_convert ]] || scripts/build.sh
export QT_QPA_PLATFORM=offscreen
bin=build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v g="$2" -v w="$3" 'BEGIN { print (w == "max" ? (r <= g) : (r < g)) ? "met" : "missed" }'; }
make_clip() { # seconds path
    ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$1" \
        -f lavfi -i "testsrc=size=320x240:rate=25:duration=$1" -shortest \
        -c:v libx264 -preset ultrafast -c:a aac -b:a 96k "$2"
}

echo "Making clips..."
make_clip 600 "$work/ten.mp4"
make_clip 3600 "$work/hour.mp4"

# 1. Overhead: the program's whole conversion path against the same ffmpeg command, alternating.
echo "Overhead..."
program=() direct=() gaps=() own=() converter=() cpu=() ready=() listing=() working=() ending=()
field() { sed -E "s/.*$1=(-?[0-9]+).*/\\1/" <<<"$2"; }
for _ in 1 2 3 4 5 6 7 8 9; do
    rm -f "$work/ten.mp3"
    line=$("$bin/bench_convert" "$work/ten.mp4" 2>/dev/null)
    program+=("$(field elapsed_ms "$line")")
    own+=("$(field own_cpu_ms "$line")")
    converter+=("$(field converter_cpu_ms "$line")")
    ready+=("$(field ready_cpu_us "$line")")
    listing+=("$(field listing_cpu_us "$line")")
    working+=("$(field working_cpu_us_per_s "$line")")
    ending+=("$(field end_cpu_us "$line")")
    cpu+=("$(awk -v a="${own[-1]}" -v b="${converter[-1]}" 'BEGIN { printf "%.4f", a / b }')")
    # The event loop's gaps are looked for in a run of their own: the timer that finds them
    # costs processor time of its own.
    rm -f "$work/ten.mp3"
    gaps+=("$(field max_gap_ms "$("$bin/bench_convert" --gaps "$work/ten.mp4" 2>/dev/null)")")
    rm -f "$work/ten.mp3"
    start=$(now_ms)
    ffmpeg -nostdin -v error -y -i "$work/ten.mp4" -ar 44100 -ab 128k -ac 2 "$work/ten.mp3"
    direct+=($(( $(now_ms) - start )))
done
program_ms=$(printf '%s\n' "${program[@]}" | median)
direct_ms=$(printf '%s\n' "${direct[@]}" | median)
overhead=$(ratio "$program_ms" "$direct_ms")
own_ms=$(printf '%s\n' "${own[@]}" | median)
converter_ms=$(printf '%s\n' "${converter[@]}" | median)
own_share=$(printf '%s\n' "${cpu[@]}" | median | awk '{ printf "%.2f", $1 * 100 }')
ms_of() { median | awk '{ printf "%.1f", $1 / 1000 }'; }
spread() { sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.1f to %.1f", lo / 1000, hi / 1000 }'; }
ready_ms=$(printf '%s\n' "${ready[@]}" | ms_of); ready_spread=$(printf '%s\n' "${ready[@]}" | spread)
listing_ms=$(printf '%s\n' "${listing[@]}" | ms_of); listing_spread=$(printf '%s\n' "${listing[@]}" | spread)
working_ms=$(printf '%s\n' "${working[@]}" | ms_of); working_spread=$(printf '%s\n' "${working[@]}" | spread)
ending_ms=$(printf '%s\n' "${ending[@]}" | ms_of); ending_spread=$(printf '%s\n' "${ending[@]}" | spread)

# 1b. The same conversion on an X server, as a desktop draws it: Xvfb at 1920x1080, no window
#     manager (the window keeps its 720x480), and no session bus, so no accessibility bus;
#     then again with an accessibility bus that Qt always speaks to, as it does for a screen
#     reader.
echo "On an X server..."
scripts/ensure-packages.sh xvfb xauth dbus at-spi2-core
on_x() { # [accessible]
    local a11y=(env -u DBUS_SESSION_BUS_ADDRESS)
    [[ ${1:-} == accessible ]] && a11y=(dbus-run-session -- env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" "${a11y[@]}" bash -c '
        if [[ -n ${QT_LINUX_ACCESSIBILITY_ALWAYS_ON:-} ]]; then
            /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
            launcher=$!; sleep 1
        fi
        for _ in 1 2 3 4 5 6 7 8 9; do rm -f "$2.mp3"; "$1" "$2.mp4" 2>/dev/null || true; done
        [[ -z ${launcher:-} ]] || kill "$launcher"' _ "$bin/bench_convert" "$work/ten"
}
# parts PREFIX RUNS: medians and ranges of the runs' parts, as PREFIX_own_ms and so on.
parts() {
    local runs=$2
    of() { while read -r line; do field "$1" "$line"; done <<<"$runs"; }
    printf -v "$1_own_ms" '%s' "$(of own_cpu_ms | median)"
    printf -v "$1_converter_ms" '%s' "$(of converter_cpu_ms | median)"
    printf -v "$1_share" '%s' "$(while read -r line; do
        awk -v a="$(field own_cpu_ms "$line")" -v b="$(field converter_cpu_ms "$line")" \
            'BEGIN { printf "%.4f\n", a / b }'
    done <<<"$runs" | median | awk '{ printf "%.2f", $1 * 100 }')"
    local part
    for part in ready:ready_cpu_us listing:listing_cpu_us working:working_cpu_us_per_s \
        ending:end_cpu_us; do
        printf -v "$1_${part%%:*}_ms" '%s' "$(of "${part#*:}" | ms_of)"
        printf -v "$1_${part%%:*}_spread" '%s' "$(of "${part#*:}" | spread)"
    done
}
parts x "$(on_x)"
parts a "$(on_x accessible)"

# 2. Seeking: a minute at 50:00 of an hour against a minute at 0:00, through the cut panel.
echo "Seeking..."
late=() early=()
for _ in 1 2 3 4 5; do
    rm -f "$work/hour.mp3"
    late+=("$("$bin/bench_convert" "$work/hour.mp4" 0:50:00 0:51:00 2>/dev/null | sed -E 's/.*elapsed_ms=([0-9]+).*/\1/')")
    rm -f "$work/hour.mp3"
    early+=("$("$bin/bench_convert" "$work/hour.mp4" 0:00:00 0:01:00 2>/dev/null | sed -E 's/.*elapsed_ms=([0-9]+).*/\1/')")
done
late_ms=$(printf '%s\n' "${late[@]}" | median)
early_ms=$(printf '%s\n' "${early[@]}" | median)
seeking=$(ratio "$late_ms" "$early_ms")

# 3. Start-up: until the main window is shown, and the memory then, against an empty Qt window.
echo "Start-up..."
q_ms=() q_kb=() m_ms=() m_kb=() b_ms=() b_kb=()
for _ in $(seq 11); do
    start=$(now_ms); out=$("$bin/bench_startup" 2>/dev/null); q_ms+=($(( $(now_ms) - start ))); q_kb+=("${out#rss_kb=}")
    start=$(now_ms); out=$("$bin/bench_minimal_qt" 2>/dev/null); m_ms+=($(( $(now_ms) - start ))); m_kb+=("${out#rss_kb=}")
    start=$(now_ms); out=$("$bin/bench_bare_window" 2>/dev/null); b_ms+=($(( $(now_ms) - start ))); b_kb+=("${out#rss_kb=}")
done
qs=$(printf '%s\n' "${q_ms[@]}" | median); ms=$(printf '%s\n' "${m_ms[@]}" | median)
qk=$(printf '%s\n' "${q_kb[@]}" | median); mk=$(printf '%s\n' "${m_kb[@]}" | median)
startup_time=$(ratio "$qs" "$ms")
startup_memory=$(ratio "$qk" "$mk")
bk=$(printf '%s\n' "${b_kb[@]}" | median)
bare_memory=$(ratio "$qk" "$bk")
bs=$(printf '%s\n' "${b_ms[@]}" | median)
bare_time=$(ratio "$qs" "$bs")

# 3b. Start-up under Wine: the Windows build against bare Qt windows there.
echo "Start-up under Wine..."
wine_row="| Under Wine: start-up until the main window is shown, median of 11 | not measured | | | | |"
if scripts/build-windows.sh --bench >"$work/wine.log" 2>&1 && [[ -f build-windows/bench-wine.txt ]]; then
    wine_line=$(cat build-windows/bench-wine.txt)
    wq=$(field quillon_ms "$wine_line"); wb=$(field bare_ms "$wine_line"); we=$(field empty_ms "$wine_line")
    wine_row="| Under Wine: start-up until the main window is shown, median of 11 | ${wq} ms | bare window, same widgets and text ${wb} ms (empty Qt window ${we} ms) | $(ratio "$wq" "$wb") | | |"
else
    tail -20 "$work/wine.log" >&2
fi

# 4. Responsiveness: the longest the main window's event loop waited during the conversions of 1
#    (in the runs with --gaps).
longest_gap=$(printf '%s\n' "${gaps[@]}" | sort -n | tail -1)

table=$(cat <<TABLE
| Measure | Quillon | Yardstick | Ratio or value | Goal | |
|---|---|---|---|---|---|
| Overhead: 10-minute clip, median of 9 | ${program_ms} ms | ffmpeg alone ${direct_ms} ms | ${overhead} | at most 1.03 | $(verdict "$overhead" 1.03 max) |
| Seeking: 60 s at 50:00 of 60 min against 60 s at 0:00, median of 5 | ${late_ms} ms | ${early_ms} ms | ${seeking} | at most 1.5 | $(verdict "$seeking" 1.5 max) |
| Start-up time until the main window is shown, median of 11 | ${qs} ms | empty Qt window ${ms} ms | ${startup_time} | at most 1.5 | $(verdict "$startup_time" 1.5 max) |
| Start-up time until the main window is shown, median of 11 | ${qs} ms | bare window, same widgets and text ${bs} ms | ${bare_time} | at most 1.1 | $(verdict "$bare_time" 1.1 max) |
${wine_row}
| Resident memory once shown, median of 11 | ${qk} KB | empty Qt window ${mk} KB | ${startup_memory} | at most 1.3 | $(verdict "$startup_memory" 1.3 max) |
| Resident memory once shown, median of 11 | ${qk} KB | bare window, same widgets and text ${bk} KB | ${bare_memory} | at most 1.05 | $(verdict "$bare_memory" 1.05 max) |
| Own CPU over a 10-minute clip's conversion, median of 9 | ${own_ms} ms | converter ${converter_ms} ms | ${own_share}% | at most 0.6% | $(verdict "$own_share" 0.6 max) |
| Own CPU over that conversion, median of 9 | ${own_ms} ms | | ${own_ms} ms | at most 25 ms | $(verdict "$own_ms" 25 max) |
| Own CPU from the click until the conversion's window is painted (range ${ready_spread}) | ${ready_ms} ms | | ${ready_ms} ms | at most 12 ms | $(verdict "$ready_ms" 12 max) |
| Own CPU from then to the converter's second report, the input's listing shown (range ${listing_spread}) | ${listing_ms} ms | | ${listing_ms} ms | | |
| Own CPU per second while the converter works (range ${working_spread}) | ${working_ms} ms | | ${working_ms} ms | at most 1.5 ms | $(verdict "$working_ms" 1.5 max) |
| Own CPU from the converter's end to the message (range ${ending_spread}) | ${ending_ms} ms | | ${ending_ms} ms | at most 5 ms | $(verdict "$ending_ms" 5 max) |
| On an X server: own CPU over the conversion, median of 9 | ${x_own_ms} ms | converter ${x_converter_ms} ms | ${x_share}% | at most 0.6% | $(verdict "$x_share" 0.6 max) |
| On an X server: own CPU over the conversion, median of 9 | ${x_own_ms} ms | | ${x_own_ms} ms | at most 25 ms | $(verdict "$x_own_ms" 25 max) |
| On an X server: until the conversion's window is painted (range ${x_ready_spread}) | ${x_ready_ms} ms | | ${x_ready_ms} ms | at most 12 ms | $(verdict "$x_ready_ms" 12 max) |
| On an X server: then to the converter's second report (range ${x_listing_spread}) | ${x_listing_ms} ms | | ${x_listing_ms} ms | | |
| On an X server: per second while the converter works (range ${x_working_spread}) | ${x_working_ms} ms | | ${x_working_ms} ms | at most 1.5 ms | $(verdict "$x_working_ms" 1.5 max) |
| On an X server: from the converter's end to the message (range ${x_ending_spread}) | ${x_ending_ms} ms | | ${x_ending_ms} ms | at most 5 ms | $(verdict "$x_ending_ms" 5 max) |
| With an accessibility bus: own CPU over the conversion, median of 9 | ${a_own_ms} ms | converter ${a_converter_ms} ms | ${a_share}% | at most 0.6% | $(verdict "$a_share" 0.6 max) |
| With an accessibility bus: until the conversion's window is painted (range ${a_ready_spread}) | ${a_ready_ms} ms | | ${a_ready_ms} ms | | |
| With an accessibility bus: then to the converter's second report (range ${a_listing_spread}) | ${a_listing_ms} ms | | ${a_listing_ms} ms | | |
| With an accessibility bus: per second while the converter works (range ${a_working_spread}) | ${a_working_ms} ms | | ${a_working_ms} ms | | |
| With an accessibility bus: from the converter's end to the message (range ${a_ending_spread}) | ${a_ending_ms} ms | | ${a_ending_ms} ms | | |
| Longest event-loop gap while a 10-minute clip converts (worst of 9) | ${longest_gap} ms | | ${longest_gap} ms | under 50 ms | $(verdict "$longest_gap" 50 under) |
TABLE
)
echo
echo "$table"

machine="$(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), Linux $(uname -r)"
cat > docs/BENCHMARKS.md <<DOC
# Benchmarks

Made by \`bench/run.sh\` on $(date -u +%Y-%m-%d), on: ${machine}.
$(ffmpeg -version | head -1 | cut -d' ' -f1-3), Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6), offscreen platform (and xcb on Xvfb where a row says so).
Clips are made by ffmpeg's test sources: 320x240 at 25 frames/s with a 440 Hz tone.

${table}

- Overhead: the program's own path (main window, request, converter with its progress report,
  converter window, rename) against \`ffmpeg -i clip -ar 44100 -ab 128k -ac 2 clip.mp3\`,
  alternating.
- Own CPU: user and system time of the program's process (all its threads) from the Convert
  click to the end, against the converter's and its prober's, per run; and the same in parts:
  until the conversion's window has been painted, from then until the converter's second
  progress report (the input's listing reaches the log, the prober ends), per second of the
  converter's work from then on, and from the converter's end to the message.
- The rows "On an X server" are the same conversion, 9 runs in a row, drawn by Qt's xcb
  platform on Xvfb (1920x1080, 24 bits) with no window manager, so the converter's window keeps
  its 720x480, and with no session bus, so no accessibility bus. The other rows are drawn by the
  offscreen platform, which maximizes the window to its 800x800 screen. The rows "With an
  accessibility bus" are those on the X server again, in a session bus of their own with
  at-spi's accessibility bus and Qt told to speak to it always (QT_LINUX_ACCESSIBILITY_ALWAYS_ON),
  as it does once a screen reader runs; no screen reader listens.
- The conversion starts with a click on the main window once that has been painted and the
  converter has said its version, as a user clicks a window already on screen.
- The event loop is checked, in runs of its own, by a 10 ms timer, not spun; a gap is how late
  a tick came beyond its 10 ms.
- Start-up: the time from starting the process until it has shown its main window and ended,
  and its resident memory then. The yardstick is an empty QWidget; it draws no text, so it never
  loads a font, which any window with a caption does (an empty QMainWindow with one line edit
  already takes about 24 MB here). The second yardstick is a bare window with the same kinds
  of widgets and text as the main window, and no code of the program.
- Under Wine: the same three programs built for Windows (\`scripts/build-windows.sh --bench\`),
  each started by Debian 13's Wine from a folder with Quillon's DLLs and converter, drawn by
  Qt's Windows platform on Xvfb, in turns, with the Wine server already running. Wine's own
  start of a program is in every figure.
DOC
echo
echo "Written to docs/BENCHMARKS.md"

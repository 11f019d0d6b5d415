#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang, libFuzzer and the sanitizers into
# build-fuzz/, makes their seeds from the real converter and prober on clips made here, and
#
#   scripts/fuzz.sh            replays every seed and every input kept in tests/fuzz/regressions;
#   scripts/fuzz.sh SECONDS    fuzzes each target for that long, after the replay.
#
# Any crash, sanitizer report, leak or time-out fails, and the input is printed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/ensure-packages.sh clang libclang-rt-dev cmake make qt6-base-dev ffmpeg
B=build-fuzz
cmake -S . -B $B -DQUILLON_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build $B -j2
targets=(converter_log progress_report probe_report converter_version mp3_length line_splitter)

# Seeds: what the converter and the prober say of a clip, a clip with a cover, a clip cut
# short and one without sound, each with the first line its target reads its numbers from.
seeds=$B/seeds
rm -rf "$seeds" && mkdir -p "$seeds"/{clips,converter_log,progress_report,probe_report,converter_version,mp3_length,line_splitter}
c=$seeds/clips
ff=(ffmpeg -nostdin -v error -y)
"${ff[@]}" -f lavfi -i sine=duration=3 -f lavfi -i testsrc=size=64x48:rate=5:duration=3 -shortest $c/clip.mp4
"${ff[@]}" -f lavfi -i sine=duration=3 -f lavfi -i testsrc=size=64x48:rate=5:duration=3 -shortest $c/clip.flv
"${ff[@]}" -f lavfi -i testsrc=size=64x48:rate=1:duration=1 -frames:v 1 $c/cover.png
"${ff[@]}" -i $c/clip.mp4 -i $c/cover.png -map 0 -map 1 -c copy -disposition:v:1 attached_pic \
    -metadata 'title=a title
[error] broken over lines' $c/cover.mp4
"${ff[@]}" -f lavfi -i testsrc=size=64x48:rate=5:duration=2 $c/silent.mp4
head -c 9000 $c/clip.mp4 >$c/cut-short.mp4
n=0
for clip in $c/clip.mp4 $c/clip.flv $c/cover.mp4 $c/silent.mp4 $c/cut-short.mp4; do
    n=$((n + 1))
    # The converter's options as the program passes them (conversion/ConversionCommand.cpp).
    ffmpeg -nostdin -hide_banner -loglevel repeat+level+info -nostats -stats_period 1 \
        -progress pipe:1 -y -protocol_whitelist file -i "$clip" -ar 44100 -ab 128k -ac 2 \
        -c:v copy -f mp3 $c/$n.mp3 >$c/$n.progress 2>$c/$n.log || true
    { echo "28 0 3 0 0"; cat $c/$n.log; } >$seeds/converter_log/$n
    { echo "3 1500 7"; cat $c/$n.progress; } >$seeds/progress_report/$n
    { echo "5"; cat $c/$n.log; } >$seeds/line_splitter/$n
    [[ -s $c/$n.mp3 ]] && cp $c/$n.mp3 $seeds/mp3_length/$n
    # And the prober's (conversion/AudioProbe.cpp).
    { echo "1 2"; ffprobe -v error -protocol_whitelist file -select_streams a -read_intervals '%+#8' \
        -show_entries 'stream=index,codec_type,codec_name,codec_tag_string,start_time,duration:stream_side_data=side_data_type:packet=stream_index:packet_side_data=side_data_type:format=start_time' \
        -of json -i "$clip" 2>/dev/null || true; } >$seeds/probe_report/$n
done
ffmpeg -version >$seeds/converter_version/1
rm -rf "$c"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
seconds=${1:-0}
failed=0
for t in "${targets[@]}"; do
    inputs=("$seeds/$t")
    [[ -d tests/fuzz/regressions/$t ]] && inputs+=("tests/fuzz/regressions/$t")
    if [[ $seconds -eq 0 ]]; then
        mapfile -t files < <(find "${inputs[@]}" -type f | sort)
        echo "== fuzz_$t: replaying ${#files[@]} inputs"
        if ! $B/tests/fuzz/fuzz_$t "${files[@]}" >$B/fuzz_$t.log 2>&1; then
            tail -40 $B/fuzz_$t.log
            failed=1
        fi
        continue
    fi
    echo "== fuzz_$t: fuzzing for $seconds s"
    mkdir -p $B/corpus/$t $B/findings
    if $B/tests/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=$B/findings/$t- $B/corpus/$t "${inputs[@]}" \
        >$B/fuzz_$t.log 2>&1; then
        grep -E '^stat::number_of_executed_units' $B/fuzz_$t.log || true
    else
        tail -40 $B/fuzz_$t.log
        for found in $B/findings/$t-*; do
            [[ -f $found ]] || continue
            echo "-- the input, $found:"
            od -A d -c "$found" | head -40
        done
        failed=1
    fi
done
[[ $failed -eq 0 ]] && echo "fuzz: no findings"
exit $failed

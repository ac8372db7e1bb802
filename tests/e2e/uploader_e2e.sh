#!/usr/bin/env bash
# End-to-end runs of the real htaws-uploader in tmux against htaws-unit-sim:
# keys sent, the screen read back, the files on disk checked.
# Usage: uploader_e2e.sh UPLOADER UNIT_SIM MAKE_DEMO CASE
# Exit 77 (skipped) without tmux.
set -uo pipefail
uploader="$1" unit_sim="$2" make_demo="$3" case_name="$4"
command -v tmux >/dev/null || { echo "tmux is not installed: skipped"; exit 77; }

# The uploader runs one copy per user and takes any simulated unit in the
# user's ports folder under /tmp. Where the system lets a run mount a /tmp of
# its own (as root, as CI runs), the ports folder, the single-instance lock and
# tmux's server are the run's own and runs go side by side; elsewhere they take
# turns under the lock below, from whatever build they come.
# The programs, this script and the build may themselves lie under /tmp (a
# clone there): each such top folder is bound back into the run's own /tmp.
own_tmp='host=/run/htaws-e2e-host-tmp && mkdir -p "$host" && mount --bind /tmp "$host" &&
  mount -t tmpfs tmpfs /tmp && for path in "$0" "$@" "$PWD"; do
    case "$path" in /tmp/?*) top="${path#/tmp/}"; top="${top%%/*}"
      [ -d "/tmp/$top" ] || { mkdir "/tmp/$top" && mount --bind "$host/$top" "/tmp/$top"; } || exit 1 ;;
    esac
  done'
if [ -z "${HTAWS_E2E_OWN_TMP:-}" ] && unshare -m --propagation private sh -c "$own_tmp" 2>/dev/null; then
    HTAWS_E2E_OWN_TMP=1 exec unshare -m --propagation private sh -c "$own_tmp"' && exec "$0" "$@"' "$0" "$@"
fi
exec 9>"/tmp/htaws-e2e-$(id -u).lock"
flock -w 240 9 || { echo "another end-to-end run kept the lock"; exit 1; }

work="$(mktemp -d)"
# The run's own log.
export XDG_STATE_HOME="$work/state"
session="htaws-e2e-$$"
# A tmux server of the run's own, whatever other tmux servers the user has.
tmux() { command tmux -L "htaws-e2e-$$" "$@"; }
# Starts the session on the run's server. The server ends with its last
# session and a client that reaches it meanwhile fails ("server exited
# unexpectedly"): a new session right after a killed one is tried again.
new_session() {
    for _ in $(seq 20); do
        tmux new-session -d -s "$session" "$@" 2>/dev/null && return 0
        sleep 0.1
    done
    tmux new-session -d -s "$session" "$@"
}
port_name="Gadget Serial (e2e $$)"
sim_pid=""

finish() {
    tmux kill-server 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

fail() {
    echo "FAIL: $*"
    echo "---- screen ----"
    tmux capture-pane -p -t "$session" 2>/dev/null
    [ -f "$work/sim.log" ] && { echo "---- simulated unit ----"; tail -n 30 "$work/sim.log"; }
    exit 1
}

screen() { tmux capture-pane -p -t "$session"; }
# The screen with lines the terminal wrapped joined again.
screen_joined() { tmux capture-pane -p -J -t "$session"; }

# The summary the wizard leaves on the normal screen names each text given.
expect_summary() {
    expect_screen "HTAWS uploader: what this run did"
    for text in "$@" "Log: "; do
        screen_joined | grep -qF -- "$text" || fail "the summary does not say \"$text\""
    done
    log="$(screen_joined | sed -n 's/^Log: //p')"
    [ -s "$log" ] || fail "the summary's log $log is no file"
}

# Waits for text on the screen, up to the seconds given (20 by default).
expect_screen() {
    for _ in $(seq $((${2:-20} * 10))); do
        screen | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    fail "the screen never showed \"$1\""
}

# Moves the focus (marked '>') onto the control whose text follows it.
focus_on() {
    for _ in $(seq 60); do
        screen | grep -qF -- ">$1" && return 0
        tmux send-keys -t "$session" Tab
        sleep 0.1
    done
    fail "the focus never reached \"$1\""
}

start_unit() {
    "$unit_sim" --name "$port_name" "$@" >"$work/sim.log" 2>&1 9>&- &
    sim_pid=$!
    for _ in $(seq 50); do
        grep -q "registered as" "$work/sim.log" && return 0
        sleep 0.1
    done
    fail "htaws-unit-sim did not register its port"
}

start_uploader() {
    [ -d "$work/top" ] || "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    new_session -x 80 -y 24 -c "$work/top" "$uploader; echo UPLOADER-ENDED \$?; sleep 30" 9>&-
}

# The wizard with its output piped into a file (the keys still come from the terminal).
start_piped_uploader() {
    [ -d "$work/top" ] || "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    new_session -x 80 -y 24 -c "$work/top" \
        "$uploader | tee $work/out.txt; echo UPLOADER-ENDED \${PIPESTATUS[0]}; sleep 30" 9>&-
}

# The uploader run from the command line (arguments after "run"), in the
# demo's top-level directory given by --top.
start_batch() {
    [ -d "$work/top" ] || "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    new_session -x 120 -y 40 -c "$work" \
        "$uploader run $* --top top; echo UPLOADER-ENDED \$?; sleep 30" 9>&-
}

# The uploader's process id, the child of the pane's shell.
uploader_pid() {
    for _ in $(seq 50); do
        pid="$(pgrep -P "$(tmux display-message -p -t "$session" '#{pane_pid}')" -x "$(basename "$uploader")")" &&
            { echo "$pid"; return 0; }
        sleep 0.1
    done
    fail "the uploader's process was not found"
}

# Waits up to 20 s for the process to end.
wait_for_exit() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "the uploader kept running"
}

terminate_uploader() { kill -TERM "$(uploader_pid)"; }

# The last line the program printed before the pane's shell reported its end.
last_printed_line() { screen_joined | grep -v '^ *$' | grep -B1 "UPLOADER-ENDED" | head -n 1; }

# Seconds since the epoch, with fractions.
clock_now() { date +%s.%N; }
# Fails unless $2 - $1 is under $3 seconds.
within_seconds() {
    awk -v a="$1" -v b="$2" -v limit="$3" 'BEGIN { exit !(b - a < limit) }' ||
        fail "took $(awk -v a="$1" -v b="$2" 'BEGIN { print b - a }') s, more than $3 s"
}

# A signal on the open setup page: the page closes, the unit is started
# again, the exit status names the signal and the terminal is given back.
signal_on_setup_page() {
    start_unit
    start_uploader
    expect_screen "Setup for"
    grep -q "> STOPF" "$work/sim.log" || fail "the unit was not stopped at start"
    "$@"
    expect_screen "UPLOADER-ENDED $expected_status"
    grep -q "> STARTF" "$work/sim.log" || fail "the unit was not started again"
    [ "$(tmux display-message -p -t "$session" '#{alternate_on}')" = 0 ] || fail "the alternate screen was kept"
    [ "$(tmux display-message -p -t "$session" '#{cursor_flag}')" = 1 ] || fail "the cursor stayed hidden"
}

case "$case_name" in
interrupt_setup_page)
    expected_status=130
    signal_on_setup_page tmux send-keys -t "$session" C-c
    ;;
terminate_setup_page)
    expected_status=143
    signal_on_setup_page terminate_uploader
    ;;
interrupt_twice)
    # A second Ctrl-C soon after the first ends the program at once, before
    # its farewell to the unit (the pane's shell then ends with it).
    start_unit
    start_uploader
    expect_screen "Setup for"
    pid="$(uploader_pid)"
    tmux send-keys -t "$session" C-c
    sleep 0.2
    tmux send-keys -t "$session" C-c
    wait_for_exit "$pid"
    sleep 2
    grep -q "> STARTF" "$work/sim.log" && fail "the farewell ran to its end"
    ;;
hangup_setup_page)
    # The terminal closes under the program: it still starts the unit again and ends.
    start_unit
    start_uploader
    expect_screen "Setup for"
    pid="$(uploader_pid)"
    tmux kill-session -t "$session"
    wait_for_exit "$pid"
    grep -q "> STARTF" "$work/sim.log" || fail "the unit was not started again"
    ;;
configuration_read)
    start_unit
    start_uploader
    expect_screen "Setup for"
    focus_on "( ) Read Configuration from Unit"
    tmux send-keys -t "$session" Space
    expect_screen ">(*) Read Configuration from Unit"
    focus_on "[Param"
    tmux send-keys -t "$session" "backup.dat"
    expect_screen ">[backup.dat"
    tmux send-keys -t "$session" Enter
    expect_screen "Configuration Read Complete"
    screen | grep -qE '\] [1-9][0-9]*/1000' || fail "the progress bar did not move"
    saved="$work/top/Parameter Files/backup.dat"
    [ -s "$saved" ] || fail "no parameter file at $saved"
    grep -q "0x" "$saved" || fail "the parameter file has no parameter lines: $(head -c 200 "$saved")"
    expect_screen "Setup for"
    expect_screen "(*) Read Configuration from Unit"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    expect_summary "Read Configuration from Unit: Configuration read complete" "saved  $saved"
    ;;
configuration_write_factory)
    start_unit
    "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    rm -f "$work/top/Parameter Files/"*.dat
    printf 'ModelID=RK5200H Serial=12345678\nAudio Volume 0x00000007\n' >"$work/top/Parameter Files/factory.dat"
    start_uploader
    expect_screen "Setup for"
    focus_on "( ) Write Configuration to Unit"
    tmux send-keys -t "$session" Space
    expect_screen "factory.dat"
    tmux send-keys -t "$session" Enter
    expect_screen "== FACTORY SETTING OVERWRITE =="
    expect_screen "[Y]es  [N]o"
    tmux send-keys -t "$session" y
    expect_screen "Configuration Write Complete"
    expect_screen "Setup for"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    grep -q "> WP" "$work/sim.log" || fail "the unit was sent no configuration"
    grep -q "Audio Volume 0x00000007" "$work/sim.log" || fail "the unit did not receive the file's line"
    ;;
os_image_load)
    start_unit
    start_uploader
    expect_screen "Setup for"
    focus_on "( ) Write new OS files to Unit"
    tmux send-keys -t "$session" Space
    expect_screen ">(*) Write new OS files to Unit"
    tmux send-keys -t "$session" Enter
    expect_screen "System OS Image file Load Complete"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    [ "$(grep -c "load P .*: accepted" "$work/sim.log")" = 3 ] || fail "the unit did not take the three images"
    [ "$(grep -c "> staged BR 115200" "$work/sim.log")" = 3 ] || fail "the staged baud command did not come"
    ;;
reset_maintenance_mode)
    start_unit
    start_uploader
    expect_screen "Setup for"
    focus_on "[Reset HTAWS]"
    tmux send-keys -t "$session" Space
    expect_screen "== HTAWS Reset Mode =="
    focus_on "[MNX Mode]"
    tmux send-keys -t "$session" Space
    expect_screen "UPLOADER-ENDED 0"
    grep -q "> RESET 1" "$work/sim.log" || fail "the unit was not reset into maintenance mode"
    ;;
no_unit)
    start_uploader
    expect_screen "NO INSTRUMENT DETECTED"
    screen | grep -qF "(-) Write new Airport database to Unit" || fail "the databases are not disabled"
    expect_screen "System Files/system.hex]"
    tmux send-keys -t "$session" Enter
    expect_screen "Could not find USB device"
    expect_screen "[R]etry  [C]ancel"
    tmux send-keys -t "$session" c
    expect_screen "NO INSTRUMENT DETECTED"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    ;;
unit_plugged_in_later)
    start_uploader
    expect_screen "NO INSTRUMENT DETECTED"
    config="$work/top/upload.cfg"
    [ -f "$config" ] && cp "$config" "$work/upload.before"
    start_unit
    expect_screen "Setup for"
    expect_screen "[Select]"
    focus_on "( ) Write new Airport database to Unit"
    tmux send-keys -t "$session" Space
    expect_screen ">(*) Write new Airport database to Unit"
    expect_screen "Airport Files}"
    grep -q '^PGM_DIR=.' "$config" || fail "upload.cfg lost its folders: $(cat "$config")"
    grep -q '^APT_DIR=.*Airport Files$' "$config" || fail "upload.cfg lost its folders: $(cat "$config")"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    ;;
system_software_load)
    # The demo's whole set on a board that names its software, then the
    # reset into maintenance mode ends the program.
    start_unit --hardware-id 34029FFF
    start_uploader
    expect_screen "Setup for"
    expect_screen "(*) Write new System Software to Unit"
    tmux send-keys -t "$session" Enter
    expect_screen "== HTAWS Reset Mode =="
    focus_on "[MNX Mode]"
    tmux send-keys -t "$session" Space
    expect_screen "System IO Software Load"
    expect_screen "SCRC32 Load"
    expect_screen "Update Data Script Load"
    expect_screen "** RESETTING HTAWS UNIT NOW!!!"
    expect_screen "UPLOADER-ENDED 0"
    expect_summary "Write new System Software to Unit: ** APPLICATION WILL EXIT NOW!!!" \
        "The unit was told to restart in MNX Mode." "saved  $work/top/Parameter Files/Params_SN" "loaded $work/top/"
    [ "$(grep -c ': accepted' "$work/sim.log")" = 6 ] || fail "the unit did not take all six images"
    grep -q "> UP" "$work/sim.log" || fail "the scripts were not applied"
    grep -q "> RESET 1" "$work/sim.log" || fail "the unit was not reset into maintenance mode"
    grep -q "> STARTF" "$work/sim.log" && fail "a reset unit was sent STARTF"
    ;;
version_select_escape)
    # Escape is Cancel in the version picker as in every dialog.
    start_unit
    start_uploader
    expect_screen "Setup for"
    focus_on "( ) Write new Airport database to Unit"
    tmux send-keys -t "$session" Space
    focus_on "[Select]"
    tmux send-keys -t "$session" Space
    expect_screen "== HTAWS Program Version Select =="
    tmux send-keys -t "$session" Escape
    expect_screen "Setup for"
    screen | grep -qF "Version Select" && fail "Escape left the version picker open"
    tmux send-keys -t "$session" Escape
    expect_screen "UPLOADER-ENDED 0"
    ;;
piped_system_software)
    # Piped, the wizard's record is its lines once each: no page redrawn per
    # key or per progress move.
    start_unit --hardware-id 34029FFF
    start_piped_uploader
    expect_screen "Setup for"
    expect_screen "(*) Write new System Software to Unit"
    tmux send-keys -t "$session" Enter
    expect_screen "== HTAWS Reset Mode =="
    tmux send-keys -t "$session" Tab Tab Space  # from Cancel round to MNX Mode
    expect_screen "UPLOADER-ENDED 0" 120
    out="$work/out.txt"
    grep -q "> RESET 1" "$work/sim.log" || fail "the unit was not reset into maintenance mode"
    grep -qF "Tab/arrows move" "$out" && fail "a page was drawn whole into the pipe"
    [ "$(grep -c "Setup for RK5200H ==" "$out")" = 1 ] || fail "the setup page's title was printed more than once"
    [ "$(grep -cF "** RESETTING HTAWS UNIT NOW!!!" "$out")" = 1 ] || fail "a status line was not printed once"
    grep -qE '^\[#+\] 1000/1000$' "$out" || fail "no progress step was printed"
    [ -z "$(uniq -d "$out")" ] || fail "a line was printed twice in a row: $(uniq -d "$out" | head -3)"
    ;;
# A run from the command line has its whole load, with the waits of every
# step in real time, between two texts: its waits are long.
batch_database_load)
    start_unit
    start_batch terrain --json ">" result.json
    expect_screen "UPLOADER-ENDED 0" 120
    screen | grep -qF "Terrain Data Load Successful!" || fail "the success line was not printed"
    screen | grep -qE '100\.0%  [0-9]+ of [0-9]+ bytes' || fail "no progress line"
    [ "$(grep -c "load .*: accepted" "$work/sim.log")" = 2 ] || fail "the unit did not take the terrain pair"
    grep -q '"outcome": "completed"' "$work/result.json" || fail "result: $(cat "$work/result.json")"
    grep -q '"direction": "sent", "size": [1-9]' "$work/result.json" || fail "result: $(cat "$work/result.json")"
    grep -q "> STARTF" "$work/sim.log" || fail "the unit was not started again"
    ;;
# A unit that holds the sender for 150 ms after every 256 KiB of a 32 MiB
# terrain body: every byte of the body reaches it, none while it holds.
batch_terrain_flow_control)
    "$make_demo" --terrain-data-bytes 33554432 "$work/top" >/dev/null || fail "htaws-make-demo failed"
    start_unit --nak-every 262144 --busy-ms 150
    start_batch terrain
    expect_screen "UPLOADER-ENDED 0" 240
    [ "$(grep -c "load .*: accepted" "$work/sim.log")" = 2 ] || fail "the unit did not take the terrain pair"
    [ "$(grep -c "<NAK>" "$work/sim.log")" -ge 128 ] || fail "the unit did not hold the sender through the body"
    ;;
batch_configuration_read)
    start_unit
    start_batch read-config --file backup.dat
    expect_screen "UPLOADER-ENDED 0" 120
    screen | grep -qF "Configuration read complete" || fail "the completion was not printed"
    grep -q "0x" "$work/top/Parameter Files/backup.dat" || fail "no parameter lines were saved"
    ;;
batch_system_software)
    # The reset mode comes from --reset; without it the run ends at the question.
    start_unit --hardware-id 34029FFF
    start_batch system-software
    expect_screen "UPLOADER-ENDED 1" 120
    screen | grep -qF "HTAWS Reset Mode" || fail "the reset mode question was not printed"
    grep -q ": accepted" "$work/sim.log" && fail "a load started without a reset mode"
    tmux kill-session -t "$session"
    start_batch system-software --reset mnx
    expect_screen "SCRC32 Load" 120
    expect_screen "Update Data Script Load" 60
    expect_screen "UPLOADER-ENDED 0" 120
    [ "$(grep -c ': accepted' "$work/sim.log")" = 6 ] || fail "the unit did not take all six images"
    grep -q "> RESET 1" "$work/sim.log" || fail "the unit was not reset into maintenance mode"
    ;;
batch_recordings_download)
    # The unit's default recordings, the last of several packets: every one
    # kept whole, the progress never past 100%, the unit started again.
    start_unit
    start_batch download-recordings
    expect_screen "UPLOADER-ENDED 0" 120
    screen | grep -qF "Flight Data Recording file transfers complete" || fail "the completion was not printed"
    screen | grep -qF "terminate called" && fail "the program aborted"
    screen | grep -qE '(1[0-9][0-9]|[2-9][0-9][0-9]|[0-9]{4,})\.[0-9]%' && fail "the progress passed 100%"
    [ "$(ls "$work/top/Recording Files" | grep -c '^REC_.*\.dat$')" = 3 ] || fail "recordings: $(ls "$work/top/Recording Files")"
    ls "$work/top/Recording Files" | grep -q 'part' && fail "a recording was left partial: $(ls "$work/top/Recording Files")"
    [ "$(stat -c %s "$work/top/Recording Files/"REC_*_00.dat)" = 1500 ] || fail "recording 0 is not whole"
    [ "$(stat -c %s "$work/top/Recording Files/"REC_*_02.dat)" = 9000 ] || fail "recording 2 is not whole"
    grep -q "> STARTF" "$work/sim.log" || fail "the unit was not started again"
    ;;
batch_file_matching)
    # A part of two candidates' names is a usage error naming both; a whole
    # name loads that file.
    start_unit
    "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    cp "$work/top/Obstacle Files/61734-ODB-0001-00001.bin" "$work/top/Obstacle Files/61734-ODB-0001-00002.bin"
    start_batch obstacle --file 0001-0000
    expect_screen "UPLOADER-ENDED 2" 120
    screen | grep -qF "matches 2 candidates" || fail "the usage error was not printed"
    screen | grep -qF "  61734-ODB-0001-00001" || fail "a candidate was not named"
    screen | grep -qF "  61734-ODB-0001-00002" || fail "a candidate was not named"
    grep -q "load .*: accepted" "$work/sim.log" && fail "a database was loaded"
    tmux kill-session -t "$session"
    start_batch obstacle --file 61734-ODB-0001-00002
    expect_screen "UPLOADER-ENDED 0" 120
    screen | grep -B1 -F "UPLOADER-ENDED 0" | head -n 1 | grep -qF "OBS Data Load Successful!" ||
        fail "the success text is not the last line"
    [ "$(grep -c "load .*: accepted" "$work/sim.log")" = 1 ] || fail "the unit did not take the file"
    ;;
# The preflight reads the unit with the wake-up and the table queries alone,
# and judges the demo's candidates for its masks; a held port is named busy.
status_preflight)
    start_unit --masks 2,2,1,3 --unit-number 00abcdef
    "$make_demo" "$work/top" >/dev/null || fail "htaws-make-demo failed"
    (cd "$work" && "$uploader" status --top top >"$work/out.txt" 2>&1) || fail "status failed: $(cat "$work/out.txt")"
    for text in "unit number 00abcdef, hardware identifier 0x34019000, generation 4, model RK5200H" \
        "tables: P valid, T valid, B valid, N valid, Y valid" \
        "accepts airport major versions 2; terrain 1; obstacle 1; overlay 1, 2" \
        "61734-ODB-0001-00001: incompatible: Obstacle compatibility Mis-match" \
        "61734-GDB-0001-00001: compatible" "61734-TDB-2024-00001: compatible"; do
        grep -qF -- "$text" "$work/out.txt" || fail "the report does not say \"$text\": $(cat "$work/out.txt")"
    done
    [ "$(tail -n 1 "$work/out.txt")" = "1 unit read." ] || fail "last line: $(tail -n 1 "$work/out.txt")"
    "$uploader" status --json >"$work/out.json" 2>"$work/err.txt" || fail "status --json failed: $(cat "$work/err.txt")"
    grep -qF '"unit_number": "00abcdef"' "$work/out.json" || fail "JSON: $(cat "$work/out.json")"
    grep -qF '"accepts": {"airport": [2], "terrain": [1], "obstacle": [1], "overlay": [1, 2]}' "$work/out.json" ||
        fail "JSON: $(cat "$work/out.json")"
    grep -qF '"outcome": "read"' "$work/out.json" || fail "JSON: $(cat "$work/out.json")"
    [ "$(cat "$work/err.txt")" = "1 unit read." ] || fail "standard error: $(cat "$work/err.txt")"
    heard="$(grep -E '^ *[0-9.]+ > ' "$work/sim.log" | sed -E 's/^ *[0-9.]+ > //' | sort -u | tr '\n' ' ')"
    [ "$heard" = "<CAN x8> QB QN QP QT QY " ] || fail "the unit was sent more than queries: $heard"
    pty="$(sed -n 's/.*unit on \([^,]*\), registered.*/\1/p' "$work/sim.log")"
    # The holder is the locking process itself, so that killing it frees the port.
    (exec 8<"$pty" && flock 8 && exec sleep 30) </dev/null >/dev/null 2>&1 9>&- &
    holder=$!
    sleep 0.5
    "$uploader" status >"$work/out.txt" 2>&1 && fail "a held port was read"
    kill "$holder"
    wait "$holder" 2>/dev/null
    [ "$(tail -n 1 "$work/out.txt")" = \
        "The port $pty did not open: another program holds it, or this user may not use it." ] ||
        fail "last line: $(tail -n 1 "$work/out.txt")"
    ;;
status_no_unit)
    "$uploader" status --top "$work" >"$work/out.txt" 2>&1 && fail "status without a unit succeeded"
    [ "$(tail -n 1 "$work/out.txt")" = 'No unit attached: no "Gadget Serial" port was found.' ] ||
        fail "last line: $(tail -n 1 "$work/out.txt")"
    ;;
batch_no_unit)
    # No unit: the search's words and the port looked for.
    start_batch terrain --port nosuch
    expect_screen "UPLOADER-ENDED 1" 60
    screen | grep -qF "Could not find USB device" || fail "the search's text was not printed"
    screen | grep -qF 'No "Gadget Serial" port named nosuch was found.' || fail "the port searched was not named"
    ;;
batch_outside_top)
    # A folder with none of a top-level directory's folders is refused and
    # left as it was.
    mkdir "$work/elsewhere"
    new_session -x 120 -y 40 -c "$work" \
        "$uploader run read-config --top elsewhere; echo UPLOADER-ENDED \$?; sleep 30" 9>&-
    expect_screen "UPLOADER-ENDED 2" 30
    screen | grep -qF "holds none of these folders" || fail "the refusal was not printed"
    screen | grep -qF "System Files" || fail "the folders looked for were not named"
    [ -z "$(ls -A "$work/elsewhere")" ] || fail "the folder was changed: $(ls "$work/elsewhere")"
    ;;
batch_no_policy)
    # The unit is full and nothing answers the erase offer: the run fails
    # with the offer's text and nothing is erased.
    start_unit --free 1,0,1000
    start_batch obstacle
    expect_screen "UPLOADER-ENDED 1" 120
    screen | grep -qF "HTAWS file system is out of space." || fail "the offer's text was not printed"
    grep -q "> DDB" "$work/sim.log" && fail "a database was erased"
    ;;
batch_silent_unit)
    # A unit that never answers: the run's last line names the port and the attempts.
    start_unit --silent
    start_batch obstacle
    expect_screen "UPLOADER-ENDED 1" 150
    last_printed_line | grep -qE "The unit on .+ did not answer after 20 attempts" ||
        fail "the last line is not the reason: $(last_printed_line)"
    ;;
batch_cable_pulled)
    # The cable goes in the middle of the terrain body: the run ends within
    # 5 s of the question it answered, without trying the vanished port again,
    # and its last line says the unit may be left stopped.
    "$make_demo" --terrain-data-bytes 2000000 "$work/top" >/dev/null || fail "htaws-make-demo failed"
    start_unit --pull-cable-after 1000000
    start_batch terrain
    expect_screen "Try again?" 120
    answered="$(clock_now)"
    expect_screen "UPLOADER-ENDED 1" 20
    within_seconds "$answered" "$(clock_now)" 5
    last_printed_line | grep -qF "flight functions may still be stopped" ||
        fail "the last line does not warn of the stopped unit: $(last_printed_line)"
    screen | grep -qF "Transfer complete" && fail "a body cut short was called complete"
    ;;
batch_load_history)
    # Each run appends one record: a completed terrain load with the load
    # checksums the unit received, then one cut by a pulled cable, recorded
    # as failed with its last line. A line cut short is skipped by `history`.
    "$make_demo" --terrain-data-bytes 2000000 "$work/top" >/dev/null || fail "htaws-make-demo failed"
    history="$work/top/Load Records/history.jsonl"
    mkdir "$work/kept"
    start_unit --keep "$work/kept"
    start_batch terrain
    expect_screen "UPLOADER-ENDED 0" 120
    [ "$(wc -l <"$history")" = 1 ] || fail "not one record: $(cat "$history")"
    grep -q '"unit_number": "12345678", "hardware_id": "[0-9A-F]\{8\}"' "$history" || fail "record: $(cat "$history")"
    grep -q '"function": "terrain", .*"outcome": "completed"' "$history" || fail "record: $(cat "$history")"
    [ "$(grep -c ' accepted ' "$work/kept/loads.txt")" = 2 ] || fail "the unit did not take the pair"
    while read -r _ _ length checksum _; do
        grep -qF "\"size\": $length, \"checksum\": \"$checksum\"" "$history" ||
            fail "the unit's load of $length bytes, checksum $checksum, is not in the record: $(cat "$history")"
    done <"$work/kept/loads.txt"
    tmux kill-session -t "$session"
    kill "$sim_pid" && wait "$sim_pid"
    start_unit --pull-cable-after 1000000
    start_batch terrain
    expect_screen "UPLOADER-ENDED 1" 120
    [ "$(wc -l <"$history")" = 2 ] || fail "not two records: $(cat "$history")"
    tail -n 1 "$history" | grep -q '"outcome": "failed", "message": "[^"]' || fail "record: $(tail -n 1 "$history")"
    printf '{"utc": "2026-12-11T08:1' >>"$history"
    "$uploader" history --top "$work/top" >"$work/history.txt" 2>"$work/warnings.txt" || fail "history failed"
    grep -q "line 3 is not a load record" "$work/warnings.txt" || fail "no warning: $(cat "$work/warnings.txt")"
    [ "$(wc -l <"$work/history.txt")" = 1 ] || fail "not one line a unit and function: $(cat "$work/history.txt")"
    grep -qE '^unit 12345678: terrain 61734-TDB-[0-9-]+ [0-9-]{10} [0-9:]{5} UTC, failed: .' "$work/history.txt" ||
        fail "history: $(cat "$work/history.txt")"
    "$uploader" history --top "$work/top" --unit 1 >"$work/history.txt" 2>/dev/null
    grep -q "No loads recorded for unit 1" "$work/history.txt" || fail "--unit: $(cat "$work/history.txt")"
    ;;
escape_during_transfer)
    # Escape in the middle of a terrain body: acknowledged, stopped within a
    # few seconds, a failure status, and the unit started again.
    "$make_demo" --terrain-data-bytes 150000000 "$work/top" >/dev/null || fail "htaws-make-demo failed"
    start_unit --free 00100000,00000000,00001000
    # A log of this run's own, away from the user's shared one.
    export XDG_STATE_HOME="$work/state"
    start_uploader
    expect_screen "Setup for"
    focus_on "( ) Write new Terrain database to Unit"
    tmux send-keys -t "$session" Space
    expect_screen ">(*) Write new Terrain database to Unit"
    tmux send-keys -t "$session" Enter
    expect_screen "Terrain Data File Load" 60
    tmux send-keys -t "$session" Escape
    pressed="$(clock_now)"
    expect_screen "Cancelling..." 1
    # The unit takes anything as more of the body until it has had 5 s of
    # quiet; only then does the farewell reach it.
    expect_screen "UPLOADER-ENDED 1" 15
    within_seconds "$pressed" "$(clock_now)" 9
    grep -q "> STARTF" "$work/sim.log" || fail "the unit was not started again"
    log="$(screen_joined | sed -n 's/^Log: //p')"
    [ -s "$log" ] || fail "the summary names no log: $log"
    # This run's part: from the last header on.
    this_run="$(awk '/The current date and time: /{run=""} {run=run $0 "\n"} END{printf "%s", run}' "$log")"
    grep -q "Cancelling..." <<<"$this_run" || fail "the Escape was not acknowledged in the log"
    grep -q "Transfer complete" <<<"$this_run" && fail "the log says the cancelled body was complete"
    grep -q '"function": "terrain", .*"outcome": "cancelled"' "$work/top/Load Records/history.jsonl" ||
        fail "the load history does not say the load was cancelled"
    # The unit refuses the body it did not get whole: that is the point here.
    allowed_anomaly="body incomplete"
    ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac

# The unit marks with '!' whatever a real unit would have refused or lost.
anomalies="$(grep -E '^ *[0-9.]+ ! ' "$work/sim.log" 2>/dev/null | grep -vF -- "${allowed_anomaly:-(none)}")"
if [ -n "$sim_pid" ] && [ -n "$anomalies" ]; then
    fail "the simulated unit saw anomalies: $anomalies"
fi
echo "PASS: $case_name"

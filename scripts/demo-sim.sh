#!/usr/bin/env bash
# Shared by ./run and the scripted benchmarks: starts tintwell-sim as a
# coprocess (its standard input stays open, so it keeps running), waits for
# its port, and stops it again. Source it; it defines functions only.

# demo_sim_start BINDIR PORTDIR MODEL:SERIAL LOGFILE
# Sets DEMO_SIM_PORT to the colorimeter's pseudo-terminal.
demo_sim_start() {
    local bindir=$1 portdir=$2 colorimeter=$3 log=$4 line
    mkdir -p "$portdir"
    coproc DEMO_SIM { exec "$bindir/tintwell-sim" --dir "$portdir" --colorimeter "$colorimeter" 2>>"$log"; }
    # Copied: bash unsets the coprocess variables when the coprocess ends.
    demo_sim_pid=$DEMO_SIM_PID
    DEMO_SIM_IN=${DEMO_SIM[1]}
    DEMO_SIM_OUT=${DEMO_SIM[0]}
    DEMO_SIM_PORT=
    while read -r -t 10 -u "$DEMO_SIM_OUT" line; do
        case $line in
        "colorimeter "*) DEMO_SIM_PORT=${line#colorimeter } ;;
        ready) break ;;
        esac
    done
    if [ -z "$DEMO_SIM_PORT" ]; then
        echo "tintwell-sim did not start (see $log)" >&2
        return 1
    fi
}

# demo_sim_say COMMAND...: one command, prints the simulator's one-line answer.
demo_sim_say() {
    local reply=
    echo "$*" >&"$DEMO_SIM_IN"
    read -r -t 5 -u "$DEMO_SIM_OUT" reply || true
    echo "$reply"
}

demo_sim_stop() {
    [ -n "${demo_sim_pid:-}" ] || return 0
    if kill -0 "$demo_sim_pid" 2>/dev/null; then
        echo quit 2>/dev/null >&"$DEMO_SIM_IN" || true
        local i
        for i in $(seq 50); do
            kill -0 "$demo_sim_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$demo_sim_pid" 2>/dev/null || true
    fi
    wait "$demo_sim_pid" 2>/dev/null || true
    demo_sim_pid=
}

# demo_remember_colorimeter INIFILE MODEL:SERIAL
# Writes "lastTDevice" in the [mainwindow] group of a Tintwell settings file,
# so Tintwell reconnects that colorimeter after its first scan.
demo_remember_colorimeter() {
    local ini=$1 value=$2
    mkdir -p "$(dirname "$ini")"
    touch "$ini"
    awk -v val="$value" '
        /^\[/ {
            if (insec && !done) { print "lastTDevice=" val; done = 1 }
            insec = ($0 == "[mainwindow]")
            print
            next
        }
        insec && /^lastTDevice=/ { if (!done) { print "lastTDevice=" val; done = 1 } next }
        { print }
        END {
            if (!done) {
                if (!insec) print "[mainwindow]"
                print "lastTDevice=" val
            }
        }' "$ini" >"$ini.tmp" && mv "$ini.tmp" "$ini"
}

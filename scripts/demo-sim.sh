#!/usr/bin/env bash
# Shared by ./run and the scripted benchmarks: starts tintwell-sim as a
# coprocess (its standard input stays open, so it keeps running), waits for
# its port, and stops it again. Source it; it defines functions only.

# demo_sim_start BINDIR PORTDIR MODEL:SERIAL LOGFILE [SIMULATOR OPTIONS...]
# Sets DEMO_SIM_PORT to the colorimeter's pseudo-terminal, and
# DEMO_SIM_GENERATOR to ADDRESS:PORT when a pattern generator was asked for.
demo_sim_start() {
    local bindir=$1 portdir=$2 colorimeter=$3 log=$4 line
    shift 4
    mkdir -p "$portdir"
    coproc DEMO_SIM { exec "$bindir/tintwell-sim" --dir "$portdir" --colorimeter "$colorimeter" "$@" 2>>"$log"; }
    # Copied: bash unsets the coprocess variables when the coprocess ends.
    demo_sim_pid=$DEMO_SIM_PID
    DEMO_SIM_IN=${DEMO_SIM[1]}
    DEMO_SIM_OUT=${DEMO_SIM[0]}
    DEMO_SIM_PORT=
    DEMO_SIM_GENERATOR=
    while read -r -t 10 -u "$DEMO_SIM_OUT" line; do
        case $line in
        "colorimeter "*) DEMO_SIM_PORT=${line#colorimeter } ;;
        "pattern-generator "*) DEMO_SIM_GENERATOR=${line#pattern-generator } ;;
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

# demo_enable_setting INIFILE KEY VALUE
# Sets a top-level key (the [General] group) of a Tintwell settings file.
demo_enable_setting() {
    local ini=$1 key=$2 value=$3
    mkdir -p "$(dirname "$ini")"
    touch "$ini"
    awk -v key="$key" -v val="$value" '
        /^\[/ {
            if (ingen && !done) { print key "=" val; done = 1 }
            ingen = ($0 == "[General]")
            if (ingen) seen = 1
            print
            next
        }
        ingen && index($0, key "=") == 1 { if (!done) { print key "=" val; done = 1 } next }
        { print }
        END {
            if (!done) {
                if (!ingen) print "[General]"
                print key "=" val
            }
        }' "$ini" >"$ini.tmp" && mv "$ini.tmp" "$ini"
}

# The About box, the options dialog and the entry editor on a live folder
# in a group, each shown on its own by the showcase program in the demo
# folder, photographed and closed again.

cp "$BUILD/dialog_showcase.exe" "$DEMO/"
# The options dialog shows what this file holds (the program's own file is
# named after the program, this one after the showcase).
write_settings "$DEMO/dialog_showcase.ini" <<INI
[tools]
count=0
shortpath=TRUE
systemfont=FALSE
icons=large
hotkey=Ctrl+Alt+A
[font]
name=Tahoma
size=9
bold=TRUE
italic=FALSE
underline=FALSE
INI

# show_dialog NAME TITLE: start the showcase with NAME, wait for the window
# TITLE, save NAME.png, close it with its close box and wait for the end.
show_dialog() {
    local name=$1 title=$2 pid
    (cd "$DEMO" && exec wine ./dialog_showcase.exe "$name" >/dev/null 2>&1 </dev/null) &
    pid=$!
    if winpoke wait "$title" 20000; then
        shot "$name"
        winpoke close "$title" || true
    else
        log "the window \"$title\" did not appear"
    fi
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        log "dialog_showcase $name did not end; stopping it"
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

show_dialog about "Über Ambertille"
show_dialog options "Optionen ändern"
show_dialog entry-live-folder "Eintrag bearbeiten"

# The road of an edit: "Programme bearbeiten" from the tools menu opens the
# list editor (its rows include a separator), "&Bearbeiten" the entry editor
# with the icon preview; a program dropped on the list and "&Speichern"
# change the tools menu of the next click. The demo's settings file is put
# back afterwards, so later steps see the demo as laid out.

editor_step() {
    local settings=$DEMO/ambertille.ini
    local title="Programme bearbeiten"
    cp "$settings" "$settings.vorher"

    (cd "$DEMO" && exec wine ./ambertille.exe -run >/dev/null 2>&1 </dev/null) &
    local program=$!
    local n
    for n in $(seq 1 100); do
        winpoke tray left && break
        sleep 0.2
    done
    # From no selection, Up reaches the last entry: "Programme bearbeiten".
    winpoke menukeys up enter
    if winpoke wait "$title" 15000; then
        shot editor-list 1
        # The first row (the text editor, with its program icon) is selected.
        winpoke click "$title" 306
        winpoke wait "Eintrag bearbeiten" && shot editor-entry 1
        winpoke click "Eintrag bearbeiten" 2
        winpoke gone "Eintrag bearbeiten"
        winpoke drop "$title" 'C:\windows\system32\taskmgr.exe'
        shot editor-list-dropped 1
        winpoke click "$title" 301
        winpoke gone "$title"
        winpoke tray left && shot editor-tools-menu-after-edit 1
        winpoke menukeys escape
    else
        log "the list editor did not open"
    fi

    winpoke quit
    for n in $(seq 1 50); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    kill "$program" 2>/dev/null || true
    mv "$settings.vorher" "$settings"
}

editor_step

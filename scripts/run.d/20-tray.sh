# The tray application itself: started on the demo settings file, its tools
# menu opened from the icon and saved, with a group, a live folder and an
# entry's context menu, in the light and then the dark mode of the task bar
# (switched while it runs, as the user switches it), then
# again with large icons and a chosen font (the program rebuilds its menus
# when the file changes), and ended the way a log-off ends it.

tray_pid=""

# The hidden window exists once a notification reaches it.
tray_click() {
    local i
    for i in $(seq 1 100); do
        winpoke tray "$1" && return 0
        sleep 0.1
    done
    log "the tray window did not appear"
    return 1
}

# The menu opens at the pointer, bottom-right aligned: put the pointer just
# above the task bar's notification area, as a real click would have it.
tray_pointer_to_corner() {
    local desktop x y X Y WIDTH HEIGHT SCREEN
    desktop=$(xdotool search --name "Wine desktop" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$desktop")"
    x=$((X + WIDTH - 40))
    y=$((Y + HEIGHT - 40))
    xdotool mousemove "$x" "$y"
}

# A click elsewhere closes a menu, as it does for a user; the pointer then
# goes back to the corner for the next menu.
tray_close_menu() {
    local desktop X Y WIDTH HEIGHT SCREEN
    desktop=$(xdotool search --name "Wine desktop" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$desktop")"
    xdotool mousemove $((X + 200)) $((Y + 200)) click 1
    sleep 0.5
    tray_pointer_to_corner
}

(cd "$DEMO" && exec wine ./ambertille.exe -run >/dev/null 2>&1 </dev/null) &
tray_pid=$!

tray_pointer_to_corner
tray_click left
shot tray-tools 1.5
tray_close_menu

# A group and a live folder, opened from the keyboard.
tray_click left
winpoke menukeys down down right
shot tray-group 1.5
tray_close_menu
tray_click left
winpoke menukeys down down down down right
shot tray-live-folder 2.0
tray_close_menu

# The context menu of the first entry, from the context-menu key: the
# program's own commands above the shell's for the file. The first click
# elsewhere closes it, the second the tools menu.
tray_click left
winpoke menukeys down apps
shot tray-entry-context 2.0
tray_close_menu
tray_close_menu

# The task bar in dark mode, as Windows' colour settings set it: the prefix's
# own value comes back afterwards (none at all in a fresh prefix).
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
light_before=$({ wine reg query "$personalize" /v SystemUsesLightTheme 2>/dev/null || true; } | tr -d '\r' \
    | awk '/SystemUsesLightTheme/ { print $3 }')
wine reg add "$personalize" /v SystemUsesLightTheme /t REG_DWORD /d 0 /f >/dev/null 2>&1
winpoke colours
tray_click left
winpoke menukeys down down right
shot tray-tools-dark 1.5
tray_close_menu
if [ -n "$light_before" ]; then
    wine reg add "$personalize" /v SystemUsesLightTheme /t REG_DWORD /d "$light_before" /f >/dev/null 2>&1
else
    wine reg delete "$personalize" /v SystemUsesLightTheme /f >/dev/null 2>&1 || true
fi
winpoke colours

# Same tools, other display options.
iconv -f UTF-16 -t UTF-8 "$DEMO/ambertille.ini" | tr -d '\r' | sed \
    -e 's/^icons=.*/icons=large/' \
    -e 's/^systemfont=.*/systemfont=FALSE/' \
    -e 's/^name=Tahoma$/name=DejaVu Serif/' \
    -e 's/^size=.*/size=11/' \
    -e 's/^italic=.*/italic=TRUE/' \
    | write_settings "$DEMO/ambertille.ini.new"
mv "$DEMO/ambertille.ini.new" "$DEMO/ambertille.ini"

tray_click left
shot tray-tools-large 1.5
tray_close_menu

tray_click right
shot tray-program 1.0
tray_close_menu

winpoke quit
wait "$tray_pid" || true

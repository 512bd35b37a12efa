# The command-line help screen, as a start without the tray shows it.
(cd "$DEMO" && wine ./ambertille.exe -help >/dev/null 2>&1 </dev/null) &
help_pid=$!
if winpoke wait "Ambertille - Aufrufparameter" 15000; then
    shot help-screen 1
    winpoke close "Ambertille - Aufrufparameter"
    winpoke gone "Ambertille - Aufrufparameter" 10000 || log "the help screen did not close"
else
    log "the help screen did not appear"
fi
wait "$help_pid" || true

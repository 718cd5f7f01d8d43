# Sourced by the server scripts: stop_pid FILE ends the process whose PID FILE holds (TERM,
# then KILL after 5 s) and removes FILE.
stop_pid() {
  local file=$1 pid
  [ -f "$file" ] || return 0
  pid=$(cat "$file")
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$file"
}

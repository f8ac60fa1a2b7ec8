# Sourced by the run scripts: waits for a process of the script's own.
wait_for() {  # pid, seconds: its exit code, or 124 when it did not end in time (it is then killed)
  for ((w = 0; w < $2 * 10; ++w)); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return; }
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 124
}

# The static parked aircraft in the demo, sourced by scripts/demo.sh (native
# runs with traffic only: the program's commands come from a pipe on its
# standard input). The user is parked at Schiphol; the program fills its
# stands with static aircraft, keeps the user's own stand free, renews the
# schedule once the half-hour has changed ("Now" clicked), and "Flush static"
# empties the stands again. The replay's clock starts 35 s before hh:29:30,
# when the second half-hour of the hour begins.
statics_clock=${VLNT_DEMO_CLOCK:-12:28:55}
statics_now_id=32847    # the "Now" button
statics_flush_id=32857  # the "Flush static" button
statics_on=0
statics_stdin=/dev/stdin

# Before the program starts: the command pipe.
statics_prepare() {
  ((windows || !traffic || real_feed)) && return 0
  statics_on=1 statics_state=0 statics_last=-100 statics_sent=0
  statics_stdin=$demo/commands
  mkfifo "$statics_stdin" && exec 7<>"$statics_stdin"
}

# One step of the script, every tenth of a second ($1: tenths since the start).
statics_step() {
  ((statics_on)) || return 0
  local now=$1 log=$run/Log.txt out=$demo/program.out
  case $statics_state in
    0) grep -qE '^[0-9]+ positions \(' "$log" 2>/dev/null && statics_state=1 ;;
    1) # "Now" is refused until the first schedule is placed.
      if grep -q 'will update static parking' "$out"; then
        statics_state=2
      elif ((now - statics_last >= 30)); then
        echo "click $statics_now_id" >&7
        statics_last=$now
      fi ;;
    2) grep -q 'Parking adjustments: .* to be added' "$log" && statics_state=3 statics_last=$now ;;
    3) if ((now - statics_last >= 50)); then
        touch "$demo/simulator/simulator-dump.request"
        statics_state=4 statics_last=$now
      fi ;;
    4) if [[ ! -e $demo/simulator/simulator-dump.request ]] && ((now - statics_last >= 10)); then
        cp "$demo/simulator/simulator-world.json" "$demo/simulator/statics-world.json"
        cp "$demo/simulator/simulator-map.svg" "$demo/simulator/statics-map.svg"
        statics_state=5 statics_last=-100
      fi ;;
    5) # "Flush static" is refused while the renewed schedule is being placed.
      local refused
      refused=$(grep -c "control disabled: click $statics_flush_id" "$out")
      if ((statics_sent > refused && now - statics_last >= 10)); then
        statics_state=6
      elif ((now - statics_last >= 30)); then
        echo "click $statics_flush_id" >&7
        statics_sent=$((statics_sent + 1)) statics_last=$now
      fi ;;
  esac
}

# After the run: the verdicts.
statics_results() {
  ((statics_on)) || return 0
  exec 7>&-
  local line
  while IFS= read -r line; do
    case $line in
      ok\ *) verdict true "${line#ok }" ;;
      FAIL\ *) verdict false "${line#FAIL }" ;;
      *) echo "  $line" ;;
    esac
  done < <(python3 - "$demo" "$root/data/stands/EHAM.xml" "$statics_state" <<'PY'
import json, math, re, sys, xml.etree.ElementTree as ET
demo, stands_file, state = sys.argv[1], sys.argv[2], int(sys.argv[3])
log = open(f"{demo}/run/Log.txt", encoding="utf-8", errors="replace").read()
stands = {p.get("id"): (float(p.get("latitude")), float(p.get("longitude")))
          for p in ET.parse(stands_file).getroot().iter("parkpos")}
def metres(a, b):
    dlat = math.radians(b[0] - a[0]); dlon = math.radians(b[1] - a[1])
    h = math.sin(dlat / 2) ** 2 + math.cos(math.radians(a[0])) * math.cos(math.radians(b[0])) * math.sin(dlon / 2) ** 2
    return 2 * 6371000 * math.asin(math.sqrt(h))
def stand_at(p):
    name, where = min(stands.items(), key=lambda s: metres(p, s[1]))
    return name if metres(p, where) < 2 else None
def say(ok, text): print(("ok " if ok else "FAIL ") + text)
created = []
for line in open(f"{demo}/simulator/simulator-record.jsonl", encoding="utf-8"):
    if '"AICreateNonATCAircraft"' in line:
        f = json.loads(line)["fields"]
        if f["tailNumber"].endswith("*"):
            created.append((f["tailNumber"], (f["position"]["latitude"], f["position"]["longitude"])))
m = re.search(r"^(\d+) positions \(", log, re.M)
wanted = int(m.group(1)) if m else 0
first = created[:wanted]
on_stands = [stand_at(p) for _, p in first]
say(wanted == 10 and len(first) == wanted and all(on_stands),
    f"{len(first)} static aircraft filled Schiphol's stands at start, as many as the settings ask for (10)")
say(len(set(on_stands)) == len(on_stands) and on_stands, "each static aircraft stands on a stand of its own")
m = re.search(r"EHAM,(\S+)", log)
user_stand = m.group(1) if m else None
taken = [stand_at(p) for _, p in created]
say(user_stand in stands and user_stand not in taken,
    f"the user's own stand {user_stand} stayed empty ({len(created)} static aircraft placed in the run)")
hours = [float(h) for h in re.findall(r"\(utc\) It is day \d \(\w+\), ([\d.]+) hours", log)]
renewed = len(hours) >= 2 and hours[-1] == hours[0] + 0.5 and "Parking adjustments:" in log.split("It is day")[-1]
say(renewed, f"the schedule was renewed in the next half-hour ({' -> '.join(str(h) for h in hours)} hours): "
    + "; ".join(re.findall(r"Parking adjustments: [^\n]*", log)))
if state >= 5:
    world = json.load(open(f"{demo}/simulator/statics-world.json"))
    live = [o for o in world["aiObjects"] if o["live"] and o["tailNumber"].endswith("*")]
    svg = open(f"{demo}/simulator/statics-map.svg", encoding="utf-8").read()
    placed = [stand_at((o["state"]["latitude"], o["state"]["longitude"])) for o in live]
    say(live and all(placed) and all(f">{o['tailNumber']}<" in svg for o in live),
        f"the stand-in's world dump and map show {len(live)} static aircraft on their stands")
else:
    say(False, "the stand-in's world dump and map show the static aircraft on their stands (not reached)")
world = json.load(open(f"{demo}/simulator/simulator-world.json"))
statics = [o for o in world["aiObjects"] if o["tailNumber"].endswith("*")]
flushed = [o for o in statics if o.get("removeReason", "").startswith("removed by client")]
say(state >= 6 and statics and len(flushed) == len(statics),
    f'"Flush static" emptied the stands: {len(flushed)} of {len(statics)} static aircraft removed by the program')
PY
  )
  echo "  the static aircraft's world dump and map  $demo/simulator/statics-world.json, statics-map.svg"
}

#!/usr/bin/env bash
# The include rules of the layers: platform/ at the bottom, then foundation/,
# settings/, app/services/, the subsystems, and the rest of app/ on top.
# - a subsystem includes nothing of app/ outside app/services/;
# - app/services/, settings/, foundation/ and platform/ include no subsystem,
#   and settings/, foundation/ and platform/ nothing of app/.
# Prints each include that breaks a rule and exits 1 when there is one, or
# when a folder it checks is missing or cannot be read: a renamed folder would
# otherwise pass unchecked.
set -uo pipefail
cd "$(dirname "$0")/.."

subsystems='simlink|rtlink|traffic|refdata|liveries|airports|updater'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"'
broken=0

for folder in ${subsystems//|/ } app app/services settings foundation platform; do
  if [[ ! -d $folder ]]; then
    echo "layers: the folder $folder/ is missing, so its includes cannot be checked"
    broken=1
  fi
done

# $1: the folders to look in; $2: the included paths they must not name;
# $3: the included paths that are allowed all the same.
check() {
  local folders=$1 forbidden=$2 allowed=${3:-}
  local hits status
  # shellcheck disable=SC2086
  hits=$(grep -rnE --include='*.h' --include='*.cpp' "${include}(${forbidden})" $folders)
  status=$?
  if ((status > 1)); then
    echo "layers: grep could not read every folder of: $folders"
    broken=1
  fi
  # The hits begin with "file:line:", so the filter's pattern is not anchored.
  [[ -n $allowed && -n $hits ]] && hits=$(grep -vE "#[[:space:]]*include[[:space:]]*\"(${allowed})" <<<"$hits")
  if [[ -n $hits ]]; then
    echo "$hits"
    broken=1
  fi
}

check "${subsystems//|/ }" 'app/' 'app/services/'
check "app/services settings foundation platform" "(${subsystems})/"
check "settings foundation platform" 'app/'

if ((broken)); then
  echo "layers: the lines above break the layer rules or keep them from being checked"
  exit 1
fi
echo "layers: every include keeps to its layer"

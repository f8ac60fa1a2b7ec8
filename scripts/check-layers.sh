#!/usr/bin/env bash
# The include rules of the layers: platform/ at the bottom, then foundation/,
# settings/, app/services/, the subsystems, and the rest of app/ on top.
# - a subsystem includes nothing of app/ outside app/services/;
# - app/services/, settings/, foundation/ and platform/ include no subsystem,
#   and settings/, foundation/ and platform/ nothing of app/.
# Prints each include that breaks a rule and exits 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

subsystems='simlink|rtlink|traffic|refdata|liveries|airports|updater'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"'
broken=0

# $1: the folders to look in; $2: the included paths they must not name;
# $3: the included paths that are allowed all the same.
check() {
  local folders=$1 forbidden=$2 allowed=${3:-}
  local hits
  # shellcheck disable=SC2086
  hits=$(grep -rnE --include='*.h' --include='*.cpp' "${include}(${forbidden})" $folders)
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
  echo "layers: the includes above break the layer rules"
  exit 1
fi
echo "layers: every include keeps to its layer"

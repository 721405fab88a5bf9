#!/usr/bin/env bash
# Fails when one of the given objects or archives holds a static initialiser:
# code that runs before main, where a failure (an allocation above all) can
# only abort the program. Constant texts belong in constant views instead.
set -euo pipefail
found=0
for file in "$@"; do
  members=$(objdump -h "$file" | awk '/file format/ { member = $1 } /[.](init_array|ctors)/ { print member }')
  if [ -n "$members" ]; then
    echo "static initialisers in: $members"
    found=1
  fi
done
exit "$found"

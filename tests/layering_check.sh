#!/bin/sh
# The engine stays free of the windows: core, analysis, session and study include no Qt header and
# nothing of io/, ui/ or app/; core includes nothing of analysis/ or session/, analysis
# nothing of session/.
src=$1
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'
bad=$(
  grep -rnE "$include(Q[A-Za-z0-9_]*[>.]|Qt[A-Za-z]*/|(io|ui|app)/)" \
    "$src/core" "$src/analysis" "$src/session" "$src/study"
  grep -rnE "$include(analysis|session)/" "$src/core"
  grep -rnE "${include}session/" "$src/analysis"
)
if [ -n "$bad" ]; then
  echo "includes that cross the layers:"
  echo "$bad"
  exit 1
fi
echo "layering: core, analysis, session and study include only what lies below them"

#!/bin/sh
# The layers of src/, checked on the includes:
# - core, analysis, session, exact_protocol, numeric, exact_engine and study include no Qt header
#   and nothing of io/, ui/ or app/; core includes nothing of analysis/ or session/, analysis
#   nothing of session/;
# - exact_protocol, the channel's two ends share, includes nothing of src/ at all;
# - study sees the exact engine only through its questions and value types (engine.h,
#   numbers.h): not the helper, the client, the translation or the writers;
# - io includes no widget header (it links Qt Core, Gui, PrintSupport and Svg); io/study, the
#   study's painters, includes no evaluator (the graph's curve comes as data from study/);
# - ui/common includes no other folder of ui/;
# - no include climbs out of its folder with "../";
# - each folder includes only the folders of the libraries it links, directly or through
#   another (read from the CMakeLists.txt of src/).
# usage: layering_check.sh SRC [QTWIDGETS_INCLUDE_DIR]
src=$1
widgets=${2:-}
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'
# The widget headers: every header of QtWidgets when its folder is given, else the usual ones.
if [ -n "$widgets" ] && [ -d "$widgets" ]; then
  names=$(ls "$widgets" | grep -E '^Q[A-Za-z0-9]+$' | tr '\n' '|')
else
  names='QApplication|QWidget|QMainWindow|QDialog|QLabel|QLineEdit|QPushButton|QComboBox|QMenu|QMenuBar|QMessageBox|QFileDialog|QLayout|QBoxLayout|QVBoxLayout|QHBoxLayout|'
fi
names=${names%|}

# Each library's folder and the libraries it links, one "folder linked..." line each.
links=$(cat "$src"/CMakeLists.txt "$src"/*/CMakeLists.txt "$src"/*/*/CMakeLists.txt 2>/dev/null |
  tr '\n' ' ' | tr '()' '\n\n' | awk '
    prev ~ /curvalis_library[[:space:]]*$/ { split($0, w, " "); folder[w[1]] = w[2] }
    prev ~ /target_link_libraries[[:space:]]*$/ {
      n = split($0, w, " ")
      for (i = 2; i <= n; i++) if (w[i] ~ /^curvalis_/) dep[w[1]] = dep[w[1]] " " w[i]
    }
    { prev = $0 }
    END {
      for (t in folder) {
        # The folders this library sees: its own and those of everything it links.
        seen = folder[t]; todo = dep[t]; visited = ""
        while (todo != "") {
          split(todo, q, " "); d = q[1]; sub(/^[[:space:]]*[^[:space:]]+/, "", todo)
          if (index(visited " ", " " d " ")) continue
          visited = visited " " d
          if (d in folder) seen = seen " " folder[d]
          todo = todo " " dep[d]
          gsub(/^[[:space:]]+/, "", todo)
        }
        print seen
      }
    }')

bad=$(
  grep -rnE "$include(Q[A-Za-z0-9_]*[>.]|Qt[A-Za-z]*/|(io|ui|app)/)" \
    "$src/core" "$src/analysis" "$src/session" "$src/exact_protocol" "$src/numeric" \
    "$src/exact_engine" "$src/study"
  grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src/exact_protocol" |
    grep -v '"exact_protocol/'
  grep -rnE "${include}exact_engine/" "$src/study" | grep -vE '"exact_engine/(engine|numbers)\.h"'
  grep -rnE "$include(analysis|session)/" "$src/core"
  grep -rnE "${include}session/" "$src/analysis"
  grep -rnE "${include}(QtWidgets/|($names)>)" "$src/io"
  grep -rnE "${include}core/(eval_service|formula|prepare_formula)\.h\"" "$src/io/study"
  grep -rnE "${include}ui/" "$src/ui/common" | grep -v "\"ui/common/"
  grep -rnE "${include}[^>\"]*\.\./" "$src"
  folders=" $(echo "$links" | awk '{ print $1 }' | tr '\n' ' ') "
  echo "$links" | while read -r folder seen; do
    [ -d "$src/$folder" ] || continue
    # The folder's files, those of its subfolders included unless a subfolder is a library.
    for f in $(find "$src/$folder" -type f \( -name '*.h' -o -name '*.cpp' \)); do
      d=$(dirname "${f#"$src"/}")
      [ "$d" != "$folder" ] && case "$folders" in *" $d "*) continue ;; esac
      grep -nE "${include}[a-z_/]+/[a-z_0-9]+\.h\"" "$f" | while IFS= read -r line; do
        used=$(echo "$line" | sed -E 's/.*"([a-z_/]+)\/[a-z_0-9]+\.h".*/\1/')
        # A subfolder of a library (io/study) belongs to that library.
        while case "$folders" in *" $used "*) false ;; *) true ;; esac do
          case "$used" in */*) used=${used%/*} ;; *) break ;; esac
        done
        case " $folder $seen " in
          *" $used "*) ;;
          *) echo "$f:$line (links no library of $used/)" ;;
        esac
      done
    done
  done
)
if [ -n "$bad" ]; then
  echo "includes that cross the layers:"
  echo "$bad"
  exit 1
fi
echo "layering: every folder includes only what lies below it and what it links"

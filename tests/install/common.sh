# Shared by the installation tests; source with `work` set.

fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do [ -s "$log" ] && { echo "--- $log"; cat "$log"; }; done
  exit 1
}

# The files of installed-files.txt for the id $1, sorted.
expected_files() {
  grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/installed-files.txt" | sed "s/APP_ID/$1/" | sort
}

# Fails with both lists when the files found (on stdin) are not exactly the expected ones.
check_file_list() {
  local id=$1 what=$2
  sort > "$work/found.txt"
  expected_files "$id" > "$work/expected.txt"
  diff -u "$work/expected.txt" "$work/found.txt" > "$work/files.diff" || fail "$what: files differ from installed-files.txt (- missing, + unexpected): $(cat "$work/files.diff")"
}

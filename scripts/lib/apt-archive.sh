# Sourced by scripts/install-deps and scripts/debian13: the Debian archive this machine's own apt
# sources name, so that no host name is ever written into the project's files.

# archive_of_machine SUITE [SKIP_FILE]: prints "URI<TAB>SIGNED-BY" of the first `deb` source for
# SUITE (a deb822 stanza, or a one-line `deb` entry; SIGNED-BY may be empty), nothing if none.
archive_of_machine() {
  local suite=$1 skip=${2:-} file
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f $file && $file != "$skip" ]] || continue
    awk -v suite="$suite" '
      function flush() {
        if (uris != "" && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ")) {
          split(uris, u, " ")
          print u[1] "\t" signed
          found = 1
          exit
        }
        types = uris = suites = signed = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
      /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
      /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
      /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); signed = $0 }
      END { if (!found) flush() }' "$file" | head -n1
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $file ]] || continue
    awk -v suite="$suite" '
      $1 == "deb" { i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                    if ($(i + 1) == suite) { print $i "\t"; exit } }' "$file"
  done
}

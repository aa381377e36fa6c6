#!/usr/bin/env bash
# Checks a resource script: within each dialog no two controls share an id
# (-1 excepted), and no two string-table entries share an id. Ids are
# resolved through the #define lines of the given header.
# Usage: check_resources.sh <script.rc> <ids.h>
set -u
awk -v ids="$2" '
BEGIN {
    while ((getline line < ids) > 0) {
        if (split(line, f, /[ \t]+/) >= 3 && f[1] == "#define") value[f[2]] = f[3]
    }
    value["IDOK"] = 1; value["IDCANCEL"] = 2
}
function resolve(token) { gsub(/[ ,]/, "", token); return (token in value) ? value[token] : token }
/^[A-Z_0-9]+ DIALOG/ { dialog = $1; in_dialog = 0; delete seen; next }
/^STRINGTABLE/ { in_strings = 1; next }
/^BEGIN/ { if (dialog != "") in_dialog = 1; next }
/^END/ { in_dialog = 0; in_strings = 0; dialog = ""; next }
in_dialog {
    # The id follows the quoted text, or is the first field for controls without text.
    line = $0
    if (line ~ /"/) { sub(/^[^"]*"[^"]*"[ \t]*,[ \t]*/, "", line) } else { sub(/^[ \t]*[A-Z]+[ \t]+/, "", line) }
    split(line, parts, ",")
    id = resolve(parts[1])
    if (id != "-1" && (id in seen)) { printf "FAIL: %s: control id %s used twice\n", dialog, id; failures++ }
    seen[id] = 1; controls++
}
in_strings && NF >= 2 {
    id = resolve($1)
    if (id in strings) { printf "FAIL: string id %s used twice\n", id; failures++ }
    strings[id] = 1
}
END {
    printf "%d controls, %d strings checked, %d problems\n", controls, length(strings), failures
    exit failures > 0
}' "$1"

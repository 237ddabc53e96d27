# Shared by the script tests: a private temp dir removed on every exit, and
# checks that count failures instead of stopping at the first.
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-scripts.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
trap 'exit 1' HUP INT TERM

fail() { printf "FAIL: %s\n" "$*" >&2; failures=$((failures + 1)); }
pass() { printf "ok: %s\n" "$*"; }
check() { # description command...
    what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
contains() { # file fixed-text
    grep -F -q -e "$2" -- "$1"
}
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
# Runs Ghostscript on a PostScript file with the given device; the page
# output goes to the file named by $3, messages to $3.log.
render() { # ps device outfile
    gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE="$2" -sOutputFile="$3" "$1" </dev/null >"$3.log" 2>&1
}

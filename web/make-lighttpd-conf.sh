#!/bin/sh
# Writes a lighttpd configuration for the ticket viewer to standard output,
# filled in from lighttpd.conf.in beside this script.
#
# make-lighttpd-conf.sh --root R --port P --bind A --sorvane S --statedir D
#                       [--user U] [--env NAME=VALUE]...
#   --root      prefix of the fixed paths ("" in production)
#   --port      TCP port; --bind  address to listen on
#   --sorvane   path of the CGI program
#   --statedir  directory for the pid file, the error log and uploads
#   --user      account (and group) the server switches to when started as root
#   --env       a variable for sorvane's environment; repeatable
set -u
me=make-lighttpd-conf.sh
die() { echo "$me: $*" >&2; exit 2; }

# Values go between double quotes in lighttpd's syntax, which has no escape
# for a backslash: such values are refused rather than mangled.
plain() { # what value
    case $2 in
        *[\"\\]* | *[[:cntrl:]]*) die "$1 must not hold a quote, a backslash or a control character" ;;
    esac
}

root= port= bind= sorvane= statedir= user= envblock=
have_root=no
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || die "$1 needs a value"
    case $1 in
        --root) root=$2; have_root=yes ;;
        --port) port=$2 ;;
        --bind) bind=$2 ;;
        --sorvane) sorvane=$2 ;;
        --statedir) statedir=$2 ;;
        --user) user=$2 ;;
        --env)
            name=${2%%=*}
            value=${2#*=}
            case $2 in *=*) ;; *) die "--env wants NAME=VALUE" ;; esac
            case $name in
                '' | [0-9]* | *[!A-Za-z0-9_]*) die "--env: bad variable name '$name'" ;;
            esac
            plain "--env $name" "$value"
            if [ -z "$envblock" ]; then
                envblock="  setenv.add-environment = ("
            else
                envblock="$envblock,"
            fi
            envblock="$envblock \"$name\" => \"$value\""
            ;;
        *) die "unknown option $1" ;;
    esac
    shift 2
done
[ "$have_root" = yes ] || die "--root is required (may be empty)"
[ -n "$bind" ] || die "--bind is required"
[ -n "$sorvane" ] || die "--sorvane is required"
[ -n "$statedir" ] || die "--statedir is required"
case $port in
    '' | *[!0-9]*) die "--port must be a number" ;;
esac
[ "$port" -ge 1 ] && [ "$port" -le 65535 ] || die "--port must be 1 to 65535"
for v in "--root:$root" "--bind:$bind" "--sorvane:$sorvane" "--statedir:$statedir" "--user:$user"; do
    plain "${v%%:*}" "${v#*:}"
done
[ -z "$envblock" ] || envblock="$envblock )"
userblock=
[ -z "$user" ] || userblock="server.username = \"$user\"
server.groupname = \"$user\""

template=$(dirname -- "$0")/lighttpd.conf.in
[ -r "$template" ] || die "cannot read $template"

# One literal pass over each line: no regular expressions, and a value that
# holds a placeholder's name stays as it is.
ROOT=$root PORT=$port BIND=$bind SORVANE=$sorvane STATEDIR=$statedir \
USER=$userblock ENV=$envblock \
LC_ALL=C awk '
BEGIN { n = split("ROOT PORT BIND SORVANE STATEDIR USER ENV", keys, " ") }
{
    out = ""
    line = $0
    while ((i = index(line, "@")) > 0) {
        rest = substr(line, i + 1)
        j = index(rest, "@")
        name = j > 0 ? substr(rest, 1, j - 1) : ""
        known = 0
        for (k = 1; k <= n; k++) if (keys[k] == name) known = 1
        if (known) {
            out = out substr(line, 1, i - 1) ENVIRON[name]
            line = substr(rest, j + 1)
        } else {
            out = out substr(line, 1, i)
            line = rest
        }
    }
    print out line
}' "$template"

#!/bin/bash
# The operator session of one send made with curl: portal login, background
# login with the six hidden fields, SMS home page, one text, log-off; the same
# headers and bodies as the program sends, a cookie jar per cycle, the given
# extra authority for HTTPS.  Prints the milliseconds of each cycle, one a line.
#
# usage: curl_session.sh HTTPS_PORT HTTP_PORT CA_FILE RUNS USER PASSWORD NUMBER TEXT
set -u
if [ $# -ne 8 ]; then
    echo "usage: $0 HTTPS_PORT HTTP_PORT CA_FILE RUNS USER PASSWORD NUMBER TEXT" >&2
    exit 2
fi
HTTPS_PORT=$1 HTTP_PORT=$2 CA=$3 RUNS=$4 USER_NAME=$5 PASSWORD=$6 NUMBER=$7 TEXT=$8
PORTAL="localhost:$HTTPS_PORT" SHOP="localhost:$HTTPS_PORT"
SMS="localhost:$HTTP_PORT" WEB="localhost:$HTTP_PORT"
UA="Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)"
FORM="Content-Type: application/x-www-form-urlencoded"
export LC_ALL=C

# Form encoding: digits, letters and [\]^_ as they are, every other byte as
# "%" and two upper-case hex digits.
enc() {
    local s=$1 out="" c h i
    for ((i = 0; i < ${#s}; i++)); do
        c=${s:i:1}
        case "$c" in
        [0-9A-Za-z_^] | '[' | ']' | '\') out+=$c ;;
        *) printf -v h '%%%02X' "'$c"; out+=$h ;;
        esac
    done
    printf '%s' "$out"
}

# The value of a hidden field of the portal page.
field() {
    local marker
    marker=$(printf 'input type="hidden" name="%s"' "$1")
    marker=$(printf '%-39svalue="' "$marker")
    awk -v m="$marker" '
        { i = index(tolower($0), tolower(m)); if (i) { r = substr($0, i + length(m));
          j = index(r, "\">"); if (j > 1) { print substr(r, 1, j - 1); exit } } }'
}

jar=$(mktemp)
trap 'rm -f "$jar"' EXIT
get() { curl -s --http1.1 --cacert "$CA" -b "$jar" -c "$jar" -L --max-redirs 10 \
    -A "$UA" -H "HTTP_UserAgent: $UA" "$@"; }

mblogin="https://$PORTAL/login/mblogin"
bglogin="https://$SHOP/login/bglogin"
home="http://$SMS/webOriginate/action/viewHomePage"
send="http://$SMS/webOriginate/action/sendMessage"

for ((run = 0; run < RUNS; run++)); do
    : >"$jar"
    start=$(date +%s%N)
    page=$(get -H "$FORM" -e "http://$WEB" --data-raw \
        "username=$(enc "$USER_NAME")&password=$(enc "$PASSWORD")&dest=http%3A%2F%2F$WEB%2F0%2C%2C899%2C00.html" \
        "$mblogin")
    data="data=firstname=$(enc "$(field firstname <<<"$page")")"
    data+="&username=$(enc "$(field username <<<"$page")")"
    data+="&dest=$(enc "$(field dest <<<"$page")")"
    data+="&mID=$(enc "$(field mID <<<"$page")")"
    data+="&mAT=$(enc "$(field mAT <<<"$page")")"
    data+="&QE3=$(enc "$(field QE3 <<<"$page")")"
    get -H "$FORM" -e "$mblogin" --data-raw "$data" "$bglogin" >/dev/null
    get -e "$bglogin" "$home" >/dev/null
    sent=$(get -H "$FORM" -e "$home" --data-raw \
        "contacts=&msisdns=$(enc "$NUMBER")&to=$(enc "$NUMBER")&subject=&howtosend=freetxt&message=$(enc "$TEXT")&replyType=none&x=14&y=13" \
        "$send")
    get -H "$FORM" -e "http://$WEB/0,,400,00.html" -X POST --data-raw "" "http://$WEB/logout.html" >/dev/null
    end=$(date +%s%N)
    if ! grep -q "Your message has been sent successfully" <<<"$sent"; then
        echo "run $run: the text was not accepted" >&2
        exit 1
    fi
    echo $(((end - start) / 1000000))
done
